// camera_tick.cpp - the per-frame camera update: frame time, the aircraft
// snapshot, the pilot view sync, the effect sounds and the external camera
// modes, in that order; and the eye point writer they share.
// Touches: MainState, HostgateContext, g_aircraft; host memory through the seam.
#include "camera/camera_tick.h"

#include <cmath>
#include <cstdint>
#include <numbers>

#include "camera/angle_fold.h"
#include "camera/approach.h"
#include "camera/flyby.h"
#include "camera/lookat_view.h"
#include "camera/traffic_view.h"
#include "host/host_access.h"
#include "input/head_tracking.h"
#include "input/joysticks.h"
#include "shell/command_dispatch.h"
#include "shell/main_state.h"
#include "sound/effect_sounds.h"

AircraftSnapshot g_aircraft;

static constexpr std::uint32_t kEventTowerOff = 0x1020E;
static constexpr double kWarmUpSeconds = 2.0;
static constexpr double kSoundStartSeconds = 5.0;
// Above this height the pilot cannot be walking outside.
static constexpr double kWalkerMaxHeightFeet = 30.0;
// An attitude angle turning faster than this (degrees a second) knocks.
static constexpr double kKnockRate = 10.0;

// [SECTION] Eye point

// A split fixed-point word pair: fraction word, then integer word.
static void WriteSplit(HostAddr at, double value) {
    std::int32_t integer;
    std::uint32_t fraction;
    HostSplit32(value, &integer, &fraction);
    HostWrite32(at, fraction);
    HostWrite32(at + 4, std::uint32_t(integer));
}

void SetEyePoint(const GeoPoint& point) {
    // Looked up each time: the data area is found by the pilot view sync.
    HostAddr globalData = g_hostgate.globalData;
    if (globalData == 0) return;
    HostAddr record = globalData + kCameraPositionRecord;
    constexpr double kPi = std::numbers::pi;
    WriteSplit(record, point.latitude / (kPi / 2) * 10001700.0);
    WriteSplit(record + 8, point.longitude / kPi * 2147483648.0);
    // Only the low half of the altitude's integer word: the host keeps the rest.
    std::uint16_t metres = HostLow16(point.altitude * 0.3048);
    PlatHostWrite(record + 20, &metres, sizeof metres);
}

// [SECTION] Aircraft snapshot

enum HostVariableSlot {
    kVarOnGround, kVarLatitude, kVarLongitude, kVarAltitude, kVarHeading, kVarPitch, kVarBank, kVarSpeed,
    kVarVelocityZ, kVarVelocityX, kVarVelocityY, kVarGround, kVarWind, kVarOverspeed, kVarGLoad, kVarCount
};

// In reading order.
static constexpr std::uint32_t kVariableIds[kVarCount] = {60, 71, 72, 73, 86, 77, 79, 832, 551, 552, 553, 2, 343, 68, 351};

// The host fills these in place; one record per variable, 32 bytes apart.
static HostVariableRequest s_requests[kVarCount];

static void ReadAircraft(AircraftSnapshot* a) {
    double v[kVarCount];
    for (int i = 0; i < kVarCount; i++) v[i] = ReadHostVariableValue(&s_requests[i], kVariableIds[i]);

    double latitudeDeg = v[kVarLatitude] / 111130.0;
    double longitudeDeg = v[kVarLongitude] / 16777216.0 / 16777216.0 * 360.0;
    a->position.altitude = v[kVarAltitude] * 3.28084;
    a->heading = v[kVarHeading];
    a->pitch = v[kVarPitch];
    a->bank = v[kVarBank];
    a->speed = v[kVarSpeed];
    a->velocity = {v[kVarVelocityX] * 0.3048, v[kVarVelocityY] * 0.3048, v[kVarVelocityZ] * 0.3048};
    a->groundElevation = v[kVarGround] / 256.0 * 3.28084;
    a->windSpeed = v[kVarWind];
    a->overspeed = v[kVarOverspeed];
    a->onGround = v[kVarOnGround];
    a->heightAboveGround = a->position.altitude - a->groundElevation;
    a->gLoad = v[kVarGLoad] / 624.0;

    // Drift angle of the body velocity on top of the heading; 360 itself stays.
    Vec3 horizontal = {a->velocity.x, 0.0, a->velocity.z};
    double track = Bearing(Vec3{0.0, 0.0, 0.0}, horizontal) * kRadToDeg + a->heading;
    a->track = FoldUpFromNegative(FoldDownTo360(track));

    a->position.latitude = latitudeDeg * kDegToRad;
    a->position.longitude = longitudeDeg * kDegToRad;
}

// [SECTION] Pilot view sync and effect sounds

static void StopLoopingSounds() {
    static constexpr int kLooping[] = {WALK, RUN, WIND_4_9, WIND_10_X, STRESS, GROUND_NOISE, OVERSPEED_NOISE};
    for (int slot : kLooping) StopEffectSound(slot);
}

static double Clamp01(double x) {
    return x < 0.0 ? 0.0 : (x > 1.0 ? 1.0 : x);
}

static void Loop(int slot, bool on) {
    if (on) {
        StartEffectSound(slot, 1);
    } else {
        StopEffectSound(slot);
    }
}

// Change of one attitude angle since the previous pilot view update, the
// short way round.
static double AttitudeChange(double now, double before) {
    return Wrap180(now - before);
}

// prev: the aircraft attitude the pilot view kept from its previous update
// (pitch, heading, bank), taken before this frame's sync overwrote it.
static void DecideEffectSounds(const double prev[3]) {
    const HostgateContext& g = g_hostgate;
    const AircraftSnapshot& a = g_aircraft;
    const bool cockpitView = g.viewTouched != 0;
    const bool virtualCockpit = g.hostViewType == kViewTypeVirtualCockpit;
    const double forwardSpeed = a.velocity.z;

    ServiceEffectSounds();

    if (g_main.ExternalViewActive &&
        (g.pilotForward || g.pilotBackward || g.pilotStepRight || g.pilotStepLeft)) {
        StartEffectSound(WALK, 1);
        StopEffectSound(RUN);
    } else {
        StopEffectSound(WALK);
        StopEffectSound(RUN);
    }

    if (!cockpitView && a.windSpeed >= 4.0 && a.windSpeed < 10.0) {
        SetEffectSoundVolume(WIND_4_9, Clamp01(a.windSpeed / 10.0));
        StartEffectSound(WIND_4_9, 1);
    } else {
        StopEffectSound(WIND_4_9);
    }
    if (!cockpitView && a.windSpeed >= 10.0) {
        SetEffectSoundVolume(WIND_10_X, Clamp01(a.windSpeed / 10.0));
        StartEffectSound(WIND_10_X, 1);
    } else {
        StopEffectSound(WIND_10_X);
    }

    Loop(STRESS, virtualCockpit && g.buffetIntensity > 0.1);

    if (virtualCockpit && g_main.GroundTurbOn && g_main.GroundTurbSoundOn && a.onGround != 0.0 &&
        forwardSpeed > 5.0) {
        SetEffectSoundVolume(GROUND_NOISE, Clamp01((forwardSpeed - 5.0) / 13.0));
        StartEffectSound(GROUND_NOISE, 1);
    } else {
        StopEffectSound(GROUND_NOISE);
    }

    Loop(OVERSPEED_NOISE, virtualCockpit && g_main.ViewTurbOn && a.overspeed != 0.0 &&
                              forwardSpeed > 1.2 * g.overspeedReference);

    const bool knocks = virtualCockpit && g_main.ViewTurbOn && g_main.ViewTurbSoundOn;
    if (knocks && (a.gLoad < 0.0 || a.gLoad > 1.8)) {
        StartEffectSound(PlatRand() % 2 == 0 ? SCREECH2 : SCREECH1, 0);
    }

    // A change within a frame of no time is infinitely fast (no change is
    // not); a clock that stepped back, or is not a number, gives no rate.
    if (knocks && g.frameDelta >= 0.0) {
        double changes[3] = {AttitudeChange(g.aircraftPitch, prev[0]), AttitudeChange(g.aircraftHeading, prev[1]),
                             AttitudeChange(g.aircraftBank, prev[2])};
        bool fast = false;
        for (double c : changes) {
            double size = std::fabs(c);
            fast = fast || (g.frameDelta > 0.0 ? size / g.frameDelta > kKnockRate : size > 0.0);
        }
        if (fast) StartEffectSound(PlatRand() % 2 == 0 ? TURBULENCE2 : TURBULENCE1, 0);
    }
}

static void CopySettingsToContext() {
    HostgateContext& g = g_hostgate;
    const MainState& m = g_main;
    g.headLatencyRate = m.ViewTurbOn ? m.ViewTurbRate : 0.0;
    g.groundTurbulenceRate = m.GroundTurbOn ? m.GroundTurbRate : 0.0;
    g.overspeedTurbulenceRate = m.GroundTurbOn ? m.GroundTurbRate : 0.0;
    g.buffetingRate = m.BuffetTurbOn ? m.BuffetTurbRate : 0.0;
    g.spotTurbulenceRate = m.GroundTurbOn ? m.SpotTurbRate : 0.0;
    g.walkingSpeed = m.RunningSpeed;
    g.walkerActive = m.ExternalViewActive;
    g.useMouseInSpot = m.UseMouseInSpot;
    g.wheelZoomEnabled = m.EnableWheelZoom;
}

static void RunPilotView() {
    if (g_main.TowerModeActive && g_aircraft.onGround == 0.0) {
        g_main.TowerModeActive = 0;
        g_hostgate.TowerModeActive = 0;
        g_hostgate.restoreEyeRequest = 1;
        SendHostEvent(kEventTowerOff, 0);
    }
    CopySettingsToContext();
    double prevAttitude[3] = {g_hostgate.prevAircraftAttitude[0], g_hostgate.prevAircraftAttitude[1],
                              g_hostgate.prevAircraftAttitude[2]};
    SyncHostFrame(&g_hostgate);
    if (g_main.ElapsedTime > kSoundStartSeconds) DecideEffectSounds(prevAttitude);
}

// [SECTION] The tick

// The fly-by (also the approach view while the aircraft is high), else the
// approach camera on its point, else no eye point this frame.
static void RunEyePointCamera() {
    const bool high = g_aircraft.heightAboveGround > g_main.ApproachTransAlt;
    if (g_main.FlyByActive || (g_main.ApproachActive && high)) {
        StepFlyBy();
    } else if (g_main.ApproachActive) {
        SetEyePoint(g_main.ApproachPoint);
    }
}

void CameraTick() {
    // Float on purpose: the frame time has the resolution of a float holding
    // the uptime in milliseconds.
    float now = float(PlatClockMs());
    float frameTime = (now - g_main.LastTickMs) / 1000.0f;
    g_main.LastTickMs = now;
    if (frameTime > 1.0f) frameTime = 1.0f;
    g_main.FrameTime = frameTime;
    g_main.ElapsedTime += frameTime;

    if (!g_main.InternalViewActive) g_main.ExternalViewActive = 0;
    if (g_main.ElapsedTime < kWarmUpSeconds) return;

    PollJoysticks();
    EmitJoystickButtons();

    ReadAircraft(&g_aircraft);
    if (g_aircraft.heightAboveGround > kWalkerMaxHeightFeet) g_main.ExternalViewActive = 0;

    g_hostgate.commandDispatch = DispatchCommand;

    // The tracked pose turns the cockpit head only while no view mode aims it.
    TickHeadTracking(&g_hostgate, g_main.InternalViewActive && !g_main.ExternalViewActive &&
                                      !g_main.TrafficViewActive && !g_main.LookAtViewActive);

    if (!g_main.InternalViewActive) {
        StopLoopingSounds();
    } else {
        RunPilotView();
    }

    // The camera position record's address is derived from globalData on
    // every SetEyePoint, so there is nothing to refresh here.

    if (!g_main.FirstPositionTaken) {
        g_main.ApproachPoint = g_aircraft.position;
        g_main.FirstPositionTaken = 1;
    }
    if (g_aircraft.heightAboveGround > g_main.ApproachTransAlt) PlaceApproachPoint();

    RunEyePointCamera();
    UpdateTrafficView();
    UpdateLookAtView();
}
