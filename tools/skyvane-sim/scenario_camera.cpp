// scenario_camera.cpp - scenario prints of the camera engine's state: the
// aircraft snapshot, the fly-by and approach state and the frame timing.
// (The camera position record as the host reads it is print eye-point, a
// host print: tools/scenario/scenario_process.cpp.)
#include <cstdint>

#include "camera/camera_tick.h"
#include "camera/geometry.h"
#include "host/host_access.h"
#include "host/hostgate.h"
#include "scenario.h"
#include "shell/main_state.h"

ScenarioTable CameraScenarioCommands() {
    return {nullptr, 0};
}

// [SECTION] print ...

static double Degrees(double radians) {
    return radians * kRadToDeg;
}

static bool PrintSnapshot(Scenario& s, const Args&) {
    const AircraftSnapshot& a = g_aircraft;
    Emit(s, "snapshot latitude %.6f", Degrees(a.position.latitude));
    Emit(s, "snapshot longitude %.6f", Degrees(a.position.longitude));
    Emit(s, "snapshot altitude %.2f", a.position.altitude);
    Emit(s, "snapshot pitch %.3f", a.pitch);
    Emit(s, "snapshot bank %.3f", a.bank);
    Emit(s, "snapshot heading %.3f", a.heading);
    Emit(s, "snapshot velocity %.3f %.3f %.3f", a.velocity.x, a.velocity.y, a.velocity.z);
    Emit(s, "snapshot ground %.2f", a.groundElevation);
    Emit(s, "snapshot height %.2f", a.heightAboveGround);
    Emit(s, "snapshot track %.3f", a.track);
    Emit(s, "snapshot g %.3f", a.gLoad);
    Emit(s, "snapshot speed %.3f", a.speed);
    Emit(s, "snapshot wind %.3f", a.windSpeed);
    Emit(s, "snapshot on-ground %.0f", a.onGround);
    Emit(s, "snapshot overspeed %.0f", a.overspeed);
    return true;
}

static void EmitPoint(Scenario& s, const char* what, const GeoPoint& p) {
    Emit(s, "%s lat %.6f lon %.6f alt %.2f", what, Degrees(p.latitude), Degrees(p.longitude), p.altitude);
}

static bool PrintFlyBy(Scenario& s, const Args&) {
    const MainState& m = g_main;
    Emit(s, "flyby timer %.3f", double(m.FlyByTimer));
    Emit(s, "flyby side %d", m.FlyBySide);
    Emit(s, "flyby distance %.2f", m.FlyByDistance);
    EmitPoint(s, "flyby point", m.FlyByPoint);
    Emit(s, "flyby heading %.3f", m.FlyByHeading);
    return true;
}

static bool PrintApproach(Scenario& s, const Args&) {
    const GeoPoint& p = g_main.ApproachPoint;
    Emit(s, "approach set %d", (p.latitude != 0.0 || p.longitude != 0.0) ? 1 : 0);
    EmitPoint(s, "approach point", p);
    return true;
}

static bool PrintTiming(Scenario& s, const Args&) {
    Emit(s, "timing FrameTime %.3f", double(g_main.FrameTime));
    Emit(s, "timing ElapsedTime %.3f", g_main.ElapsedTime);
    return true;
}

static const ScenarioCommand kCameraPrints[] = {
    {"snapshot", 0, 0, PrintSnapshot, "print snapshot"},
    {"flyby", 0, 0, PrintFlyBy, "print flyby"},
    {"approach", 0, 0, PrintApproach, "print approach"},
    {"timing", 0, 0, PrintTiming, "print timing"},
};

ScenarioTable CameraPrintCommands() {
    return {kCameraPrints, int(sizeof kCameraPrints / sizeof kCameraPrints[0])};
}
