// pilot_view.cpp - the cockpit pilot view engine: every frame on the virtual
// cockpit or the spot view it moves the eye and head from the pilot's keys
// and the preset glides, adds head latency, turbulence, buffeting and
// overspeed shake, takes over what the user changed with the host's own
// controls and writes the result into the host's view record.
// Touches: HostgateContext; the active host view and host variables through the seam.
#include "pilotview/pilot_view.h"

#include <cmath>
#include <cstdint>
#include <numbers>

#include "camera/angle_fold.h"
#include "camera/geometry.h"
#include "host/host_access.h"

// [SECTION] Small operations

double WrapAngle360(double a) {
    return FoldDownTo360(FoldUpFromNegative(a));
}

double AngleDifference(double a, double b) {
    double d = WrapAngle360(a) - WrapAngle360(b);
    while (d < -180.0) d += 360.0;
    while (d > 180.0) d -= 360.0;
    return d;
}

int StepToward(double* value, double target, double rate, double time) {
    if (*value == target) return 0;
    double step = rate * time;
    if (target > *value) {
        *value += step;
        if (*value > target) {
            *value = target;
            return 1;
        }
    } else {
        *value -= step;
        if (*value < target) {
            *value = target;
            return 1;
        }
    }
    return 0;
}

int StepAngleToward(double* value, double target, double rate, double time) {
    if (*value == target) return 0;
    double before = AngleDifference(target, *value);
    if (before == 0.0) return 0;
    bool up = before >= 0.0;
    *value += up ? rate * time : -(rate * time);
    // Passing the target turns the short way round about (0 counting as positive).
    if ((AngleDifference(target, *value) >= 0.0) != up) {
        *value = target;
        return 1;
    }
    return 0;
}

// [SECTION] View rotations
//
// The view's matrix turns row vectors (p' = p x M), rows as the host stores
// them; RotationX/Y/Z turn a point as RotateX/Y/Z of the geometry do. No
// translation is involved, so 3 x 3 stands for the host's 4 x 4.

struct Mat3 {
    double m[3][3];
};

static Mat3 Multiply(const Mat3& a, const Mat3& b) {
    Mat3 r{};
    for (int i = 0; i < 3; i++) {
        for (int j = 0; j < 3; j++) {
            for (int k = 0; k < 3; k++) r.m[i][j] += a.m[i][k] * b.m[k][j];
        }
    }
    return r;
}

static Mat3 RotationX(double a) {
    double c = std::cos(a), s = std::sin(a);
    return Mat3{{{1.0, 0.0, 0.0}, {0.0, c, s}, {0.0, -s, c}}};
}

static Mat3 RotationY(double a) {
    double c = std::cos(a), s = std::sin(a);
    return Mat3{{{c, 0.0, -s}, {0.0, 1.0, 0.0}, {s, 0.0, c}}};
}

static Mat3 RotationZ(double a) {
    double c = std::cos(a), s = std::sin(a);
    return Mat3{{{c, s, 0.0}, {-s, c, 0.0}, {0.0, 0.0, 1.0}}};
}

static Vec3 Transform(Vec3 p, const Mat3& t) {
    const auto& m = t.m;
    return Vec3{p.x * m[0][0] + p.y * m[1][0] + p.z * m[2][0], p.x * m[0][1] + p.y * m[1][1] + p.z * m[2][1],
                p.x * m[0][2] + p.y * m[1][2] + p.z * m[2][2]};
}

static std::uint32_t MatrixOffset(int row, int column) {
    return kViewMatrix + 16u * std::uint32_t(row) + 4u * std::uint32_t(column);
}

// An element that is not a finite number counts as 0, as a host variable
// does: adopted, it would leave NaN in the head angles for good.
static Mat3 ReadMatrix(const HostView& view) {
    Mat3 r{};
    for (int i = 0; i < 3; i++) {
        for (int j = 0; j < 3; j++) {
            float element = ViewGet<float>(view, MatrixOffset(i, j));
            r.m[i][j] = std::isfinite(element) ? element : 0.0f;
        }
    }
    return r;
}

// The fourth word of each row is the host's and stays.
static void WriteMatrix(HostView* view, const Mat3& r) {
    for (int i = 0; i < 3; i++) {
        for (int j = 0; j < 3; j++) ViewSet<float>(view, MatrixOffset(i, j), float(r.m[i][j]));
    }
}

// Head pitch and heading (degrees, 0..360) that the matrix turns the eye's
// forward axis to: from the direction between two points on that axis.
static void MatrixAngles(const Mat3& m, double* pitch, double* heading) {
    Vec3 nearPoint = Transform(Vec3{0.0, 0.0, 1.0}, m);
    Vec3 farPoint = Transform(Vec3{0.0, 0.0, 2.0}, m);
    Vec3 d = Sub(nearPoint, farPoint);
    double h = std::atan2(d.x, d.z) + std::numbers::pi;
    RotateY(&nearPoint, -h);
    RotateY(&farPoint, -h);
    d = Sub(nearPoint, farPoint);
    double p = d.y == 0.0 ? 0.0 : std::atan2(d.z, d.y) + std::numbers::pi / 2.0;
    *pitch = WrapAngle360(p * kRadToDeg);
    *heading = WrapAngle360(h * kRadToDeg);
}

// [SECTION] This frame's host facts

enum PilotVariable {
    kVarPitch, kVarBank, kVarHeading, kVarOnGround, kVarSpeed, kVarBuffet, kVarAltitude, kVarGround,
    kVarForwardSpeed, kVarOverspeed, kVarCount
};

// In reading order.
static constexpr std::uint32_t kVariableIds[kVarCount] = {77, 79, 86, 60, 832, 349, 73, 2, 551, 68};

// The host fills these in place; one record per variable, 32 bytes apart.
static HostVariableRequest s_requests[kVarCount];

struct PilotFrame {
    HostAddr view;
    bool spot;             // the spot view, else the virtual cockpit
    double var[kVarCount];
    double heightFeet;     // above the ground under the aircraft
    HostView host;         // the host's record as it stands before this frame's write
};

static void ReadVariables(PilotFrame* f) {
    for (int i = 0; i < kVarCount; i++) f->var[i] = ReadHostVariableValue(&s_requests[i], kVariableIds[i]);
    f->heightFeet = f->var[kVarAltitude] * kMetresToFeet - f->var[kVarGround] / 256.0 * kMetresToFeet;
}

static double Clamp(double x, double lo, double hi) {
    return x < lo ? lo : (x > hi ? hi : x);
}

// The speed at which the overspeed indication came on; 0 while it is off.
static void TrackOverspeedReference(HostgateContext* g, const PilotFrame& f) {
    g->currentSpeed = f.var[kVarForwardSpeed] * kFeetToMetres;
    if (f.var[kVarOverspeed] == 0.0) {
        g->overspeedReference = 0.0;
    } else if (g->overspeedReference == 0.0) {
        g->overspeedReference = g->currentSpeed;
    }
}

// [SECTION] Eye and head from the pilot's commands

static constexpr double kEyeLimit = 120.0;       // eye units from the cockpit's reference point
static constexpr double kHeadTurnRate = 35.0;    // degrees per second while a head key is held
static constexpr double kDefaultWalkingSpeed = 5.0;

static void ServeTowerRequests(HostgateContext* g) {
    if (g->saveEyeRequest) {
        g->savedEye[0] = g->eyeX;
        g->savedEye[1] = g->eyeY;
        g->savedEye[2] = g->eyeZ;
        g->eyeX = 0.0;
        g->eyeY = g->towerEyeHeight;
        g->eyeZ = 0.0;
        g->saveEyeRequest = 0;
    }
    if (g->restoreEyeRequest) {
        g->eyeX = g->savedEye[0];
        g->eyeY = g->savedEye[1];
        g->eyeZ = g->savedEye[2];
        g->restoreEyeRequest = 0;
    }
}

// Walking is in the head's frame: forward is where the pilot looks.
static void WalkEye(HostgateContext* g, double x, double z) {
    Vec3 v{x, 0.0, z};
    RotateY(&v, g->headHeading * kDegToRad);
    g->eyeX += v.x;
    g->eyeZ += v.z;
}

static void HoldTargetsAtCurrent(HostgateContext* g) {
    g->eyeTarget[0] = g->eyeX;
    g->eyeTarget[1] = g->eyeY;
    g->eyeTarget[2] = g->eyeZ;
    g->headTarget[0] = g->headPitch;
    g->headTarget[1] = g->headHeading;
    g->headTarget[2] = g->headBank;
}

// 1 when a command was held: the eye or head moved under the pilot's hand.
// Tilt and crouch belong to the walker and do nothing here.
static int MovePilot(HostgateContext* g, double dt) {
    const double d = g->walkingSpeed * dt;
    const double turn = kHeadTurnRate * dt;
    if (g->pilotForward) WalkEye(g, 0.0, d);
    if (g->pilotBackward) WalkEye(g, 0.0, -d);
    if (g->pilotStepRight) WalkEye(g, d, 0.0);
    if (g->pilotStepLeft) WalkEye(g, -d, 0.0);
    if (g->pilotUp) g->eyeY += d;
    if (g->pilotDown) g->eyeY -= d;
    if (g->pilotHeadRight) g->headHeading += turn;
    if (g->pilotHeadLeft) g->headHeading -= turn;
    if (g->pilotHeadUp) g->headPitch -= turn;  // the host's pitch is positive looking down
    if (g->pilotHeadDown) g->headPitch += turn;
    int held = g->pilotForward | g->pilotBackward | g->pilotStepRight | g->pilotStepLeft | g->pilotUp |
               g->pilotDown | g->pilotHeadRight | g->pilotHeadLeft | g->pilotHeadUp | g->pilotHeadDown;
    if (held) HoldTargetsAtCurrent(g);
    return held != 0;
}

static void ClampEye(HostgateContext* g) {
    g->eyeX = Clamp(g->eyeX, -kEyeLimit, kEyeLimit);
    g->eyeY = Clamp(g->eyeY, -kEyeLimit, kEyeLimit);
    g->eyeZ = Clamp(g->eyeZ, -kEyeLimit, kEyeLimit);
}

// Rates are per half second, so a glide takes half a second whatever its length.
static void SmoothTowardTargets(HostgateContext* g, double dt) {
    const double time = 2.0 * dt;
    StepToward(&g->eyeX, g->eyeTarget[0], g->eyeRate[0], time);
    StepToward(&g->eyeY, g->eyeTarget[1], g->eyeRate[1], time);
    StepToward(&g->eyeZ, g->eyeTarget[2], g->eyeRate[2], time);
    StepAngleToward(&g->headPitch, g->headTarget[0], g->headRate[0], time);
    StepAngleToward(&g->headHeading, g->headTarget[1], g->headRate[1], time);
    StepAngleToward(&g->headBank, g->headTarget[2], g->headRate[2], time);
    StepToward(&g->zoom, g->zoomTarget, g->zoomRate, time);
}

// [SECTION] Host view changes

template <typename T>
static bool FieldDiffers(const HostView& a, const HostView& b, std::uint32_t offset) {
    return ViewGet<T>(a, offset) != ViewGet<T>(b, offset);
}

// The fields the user's host controls move.
static bool HostViewChanged(const HostView& host, const HostView& saved) {
    bool changed = FieldDiffers<std::int32_t>(host, saved, kViewType) ||
                   FieldDiffers<std::int16_t>(host, saved, kViewZoom) ||
                   FieldDiffers<std::int16_t>(host, saved, kViewSpotHeading) ||
                   FieldDiffers<std::int16_t>(host, saved, kViewSpotZoom) ||
                   FieldDiffers<std::int32_t>(host, saved, kViewSpotHorizontal) ||
                   FieldDiffers<std::int32_t>(host, saved, kViewSpotVertical) ||
                   FieldDiffers<std::uint8_t>(host, saved, kViewHostByteA) ||
                   FieldDiffers<std::uint8_t>(host, saved, kViewHostByteB);
    for (int axis = 0; axis < 3; axis++) {
        changed = changed || FieldDiffers<std::int16_t>(host, saved, kViewEyeOffset + 2u * std::uint32_t(axis));
    }
    for (int i = 0; i < 3; i++) {
        for (int j = 0; j < 3; j++) changed = changed || FieldDiffers<float>(host, saved, MatrixOffset(i, j));
    }
    return changed;
}

static void AdoptSpotView(HostgateContext* g, const HostView& host) {
    g->spotHeading = ViewGet<std::int16_t>(host, kViewSpotHeading) / 65536.0 * 360.0;
    g->spotZoom = ViewGet<std::int16_t>(host, kViewSpotZoom) / 64.0;
    double v = ViewGet<std::int32_t>(host, kViewSpotVertical) / 256.0;
    double hz = ViewGet<std::int32_t>(host, kViewSpotHorizontal) / 256.0;
    g->spotPitch = v == 0.0 ? 0.0 : (std::atan2(-hz, -v) + std::numbers::pi / 2.0) * kRadToDeg;
    // Small differences are the host's rounding: keep the module's distance.
    double length = std::sqrt(v * v + hz * hz);
    if (std::fabs(g->spotDistance - length) > 0.2) g->spotDistance = length;
}

// The record's cockpit fields still carry the tracked pose the last
// cockpit write added (through a spot view too): that is not the user's,
// and taking it would count it twice (0 without tracking, and x - 0 is x).
// Where tracking added to an axis and the host left its words as written,
// the module's own eye stays: taken back from the truncated word it would
// creep by up to 1/256 each time.
static void AdoptEye(HostgateContext* g, const HostView& host, const HostView& written) {
    double* eye[3] = {&g->eyeX, &g->eyeY, &g->eyeZ};
    for (std::uint32_t axis = 0; axis < 3; axis++) {
        const std::uint32_t base = kViewBaseEye + 2 * axis, offset = kViewEyeOffset + 2 * axis;
        const double tracked = g->writtenTrackedEye[axis];
        if (tracked != 0.0 && !FieldDiffers<std::int16_t>(host, written, base) &&
            !FieldDiffers<std::int16_t>(host, written, offset)) {
            continue;
        }
        int words = ViewGet<std::int16_t>(host, base) + ViewGet<std::int16_t>(host, offset);
        *eye[axis] = words / 256.0 - tracked;
    }
}

// A head angle moves by what the host's view turned since the previous frame,
// so its own angle range is kept; one lost to NaN or an infinity (a zoom of
// 0 in the host's record divides the mouse's motion by 0) starts again from
// the host's angle.
static double AdoptAngle(double head, double host, double previous) {
    double adopted = head + AngleDifference(host, previous);
    return std::isfinite(adopted) ? adopted : host;
}

// Take the host's eye, head and zoom.
static void AdoptHostView(HostgateContext* g, const PilotFrame& f) {
    const HostView& host = f.host;
    const double* trackedHead = g->writtenTrackedHead;
    AdoptEye(g, host, g->savedView);
    g->savedView = host;
    Mat3 m = ReadMatrix(host);
    if (g->TowerModeActive) m = Multiply(m, RotationX(g->aircraftPitch * kDegToRad));
    double pitch = 0.0, heading = 0.0;
    MatrixAngles(m, &pitch, &heading);
    heading += ViewGet<std::int32_t>(host, kViewDirectionStep) * 45.0;
    g->headPitch = AdoptAngle(g->headPitch, pitch - trackedHead[0], g->prevHead[0]);
    g->headHeading = AdoptAngle(g->headHeading, heading - trackedHead[1], g->prevHead[1]);
    g->headBank = AdoptAngle(g->headBank, 0.0, g->prevHead[2]);
    g->zoom = ViewGet<std::int16_t>(host, kViewZoom) / 64.0;
    HoldTargetsAtCurrent(g);
    g->zoomTarget = g->zoom;
    AdoptSpotView(g, host);
}

// [SECTION] Effects

static constexpr double kLatencyDecay = 0.9;  // per frame
static constexpr double kLatencyLimit = 20.0;  // degrees
static constexpr double kNearGroundFeet = 5.0;
static constexpr double kShortestImpulse = 0.05;  // seconds

static void StepEffectOffsets(HostgateContext* g, double dt) {
    for (int i = 0; i < 3; i++) {
        StepToward(&g->turbulenceOffset[i], g->turbulenceTarget[i], g->turbulenceRate[i], dt);
        StepToward(&g->overspeedOffset[i], g->overspeedTarget[i], g->overspeedRate[i], dt);
    }
    for (double& offset : g->latencyOffset) offset *= kLatencyDecay;
}

// A fresh uniform number in 0..1.
static double Uniform() {
    return PlatRand() / 32767.0;
}

// One shake impulse: its length, then the pitch, heading and bank targets,
// then their rates, drawn in that order. k shortens the impulse and speeds
// it; amplitude scales the targets.
static void DrawImpulse(double k, double amplitude, double* timer, double target[3], double rate[3]) {
    double t = Uniform() * (1.0 - k);
    *timer = t < kShortestImpulse ? kShortestImpulse : t;
    target[0] = amplitude * (200.0 * Uniform() - 100.0) / 20.0;
    target[1] = amplitude * (50.0 * Uniform() - 25.0) / 20.0;
    target[2] = amplitude * (50.0 * Uniform() - 25.0) / 20.0;
    rate[0] = 200.0 * Uniform() * k / 20.0;
    rate[1] = 50.0 * Uniform() * k / 20.0;
    rate[2] = 50.0 * Uniform() * k / 20.0;
}

// Full at about 100 knots.
static double RollingIntensity(const PilotFrame& f) {
    return Clamp(f.var[kVarSpeed] * 0.00054 * 3600.0 / 100.0, 0.0, 1.0);
}

// Rolling on the ground or buffeting in the air share one impulse generator.
static void StepGroundOrBuffetShake(HostgateContext* g, const PilotFrame& f, double dt) {
    g->turbulenceTimer -= dt;
    if (!(g->turbulenceTimer < 0.0)) return;
    double intensity = 0.0, rate = 0.0;
    if (f.var[kVarOnGround] != 0.0) {
        intensity = RollingIntensity(f);
        rate = g->groundTurbulenceRate;
    } else {
        // Below 0.3 the formula passes 1: buffeting is all or nothing.
        double x = f.var[kVarBuffet] / 32768.0;
        intensity = Clamp(x < 0.3 ? (1.0 - x) * 1.5 : 0.0, 0.0, 1.0);
        g->buffetIntensity = intensity;
        rate = g->buffetingRate;
    }
    double k = intensity * rate;
    DrawImpulse(k, k * rate, &g->turbulenceTimer, g->turbulenceTarget, g->turbulenceRate);
}

// The spot view eases from one shake goal to the next along half a sine wave.
static void StepSpotShake(HostgateContext* g, const PilotFrame& f, double dt) {
    g->spotTurbulenceTimer -= dt;
    if (g->spotTurbulenceTimer < 0.0) {
        const double rate = g->spotTurbulenceRate;
        const double k = RollingIntensity(f) * rate;
        g->spotTurbulenceTimer = Clamp(Uniform() * (1.0 - k), 0.5, 2.0);
        g->spotShakeDuration = g->spotTurbulenceTimer;
        g->spotShakeElapsed = 0.0;
        double goal[2];
        goal[0] = k * rate * (100.0 * Uniform() - 50.0) / 20.0;
        goal[1] = k * rate * (100.0 * Uniform() - 50.0) / 50.0;
        for (int i = 0; i < 2; i++) {
            g->spotShakeSpan[i] = goal[i] - g->spotShake[i];
            g->spotShakeStart[i] = g->spotShake[i];
        }
    }
    // Before the first goal there is nothing to ease toward.
    double done = g->spotShakeDuration > 0.0 ? Clamp(g->spotShakeElapsed / g->spotShakeDuration, 0.0, 1.0) : 1.0;
    double ease = (std::sin(done * 3.141592 - 1.570796) + 1.0) / 2.0;
    for (int i = 0; i < 2; i++) g->spotShake[i] = g->spotShakeStart[i] + ease * g->spotShakeSpan[i];
    g->spotShakeElapsed += dt;
}

// Shake only well past the speed at which the overspeed indication came on.
static void StepOverspeedShake(HostgateContext* g, const PilotFrame& f, double dt) {
    if (f.var[kVarOverspeed] == 0.0 || !(g->currentSpeed > g->overspeedReference * 1.2)) {
        for (double& offset : g->overspeedOffset) offset = 0.0;
        return;
    }
    g->overspeedTimer -= dt;
    if (!(g->overspeedTimer < 0.0)) return;
    const double r = g->overspeedTurbulenceRate;
    DrawImpulse(r, r, &g->overspeedTimer, g->overspeedTarget, g->overspeedRate);
}

// The head lags the aircraft's turn; seen from a head turned sideways, a
// pitching aircraft rolls the head. A fifth of it on the ground.
static void LagHead(HostgateContext* g, const PilotFrame& f) {
    const double* prev = g->prevAircraftAttitude;
    if (prev[0] == 0.0 && prev[1] == 0.0 && prev[2] == 0.0) return;
    double r = g->headLatencyRate;
    if (f.heightFeet <= kNearGroundFeet) r *= 0.2;
    Vec3 d{AngleDifference(g->aircraftPitch, prev[0]) * r, AngleDifference(g->aircraftHeading, prev[1]) * r * -3.0,
           AngleDifference(g->aircraftBank, prev[2]) * r};
    RotateY(&d, -g->headHeading * kDegToRad);
    const double turned[3] = {d.x, d.y, d.z};
    for (int i = 0; i < 3; i++) {
        g->latencyOffset[i] = Clamp(g->latencyOffset[i] - turned[i], -kLatencyLimit, kLatencyLimit);
    }
}

// [SECTION] Writing the view

static Mat3 ComposeOrientation(const HostgateContext& g) {
    double p = g.headPitch + g.latencyOffset[0] + g.turbulenceOffset[0] + g.overspeedOffset[0];
    double h = g.headHeading + g.latencyOffset[1] + g.turbulenceOffset[1] + g.overspeedOffset[1];
    double b = g.headBank + g.latencyOffset[2] + g.turbulenceOffset[2] + g.overspeedOffset[2];
    // Only when on: adding a zero would turn a -0 into +0 in the matrix.
    if (g.trackedPoseOn) p += g.trackedHead[0], h += g.trackedHead[1], b += g.trackedHead[2];
    Mat3 m = Multiply(Multiply(RotationZ(b * kDegToRad), RotationX(p * kDegToRad)), RotationY(h * kDegToRad));
    // The tower eye stays level whatever the aircraft's pitch.
    if (g.TowerModeActive) m = Multiply(m, RotationX(-g.aircraftPitch * kDegToRad));
    return m;
}

// The tracked pose rides on the engine's own eye and head; the eye limit
// holds for the sum. What it added is kept for the next adoption.
static void AddTrackedPose(HostgateContext* g, double eye[3], double* headHeading) {
    for (int i = 0; i < 3; i++) g->writtenTrackedEye[i] = g->writtenTrackedHead[i] = 0.0;
    if (!g->trackedPoseOn) return;
    for (int i = 0; i < 3; i++) {
        double sum = Clamp(eye[i] + g->trackedEye[i], -kEyeLimit, kEyeLimit);
        g->writtenTrackedEye[i] = sum - eye[i];
        eye[i] = sum;
        g->writtenTrackedHead[i] = g->trackedHead[i];
    }
    *headHeading += g->trackedHead[1];
}

static void WriteCockpitView(HostgateContext* g) {
    HostView* view = &g->savedView;
    ViewSet<std::int32_t>(view, kViewDirectionStep, 0);
    WriteMatrix(view, ComposeOrientation(*g));
    double eye[3] = {g->eyeX, g->eyeY, g->eyeZ};
    double headHeading = g->headHeading;
    AddTrackedPose(g, eye, &headHeading);
    for (std::uint32_t axis = 0; axis < 3; axis++) {
        double base = ViewGet<std::int16_t>(*view, kViewBaseEye + 2 * axis);
        ViewSet<std::uint16_t>(view, kViewEyeOffset + 2 * axis, HostLow16(eye[axis] * 256.0 - base));
    }
    ViewSet<std::uint16_t>(view, kViewZoom, HostLow16(g->zoom * 64.0));
    ViewSet<std::uint16_t>(view, kViewHeadHeading, HostLow16(headHeading / 360.0 * 65536.0));
}

// The low 16 bits of the truncated value, widened again with their sign.
static std::int32_t SignExtended16(double value) {
    return std::int16_t(HostLow16(value));
}

static void WriteSpotView(HostgateContext* g) {
    HostView* view = &g->savedView;
    Vec3 v{0.0, 0.0, g->spotDistance};
    RotateX(&v, g->spotPitch * kDegToRad);
    ViewSet<std::uint16_t>(view, kViewSpotHeading, HostLow16((g->spotHeading + g->spotShake[0]) / 360.0 * 65536.0));
    ViewSet<std::uint16_t>(view, kViewSpotZoom, HostLow16(g->spotZoom * 64.0));
    ViewSet<std::int32_t>(view, kViewSpotHorizontal, SignExtended16(std::fabs(v.z * 256.0)));
    ViewSet<std::int32_t>(view, kViewSpotVertical, SignExtended16((v.y + g->spotShake[1]) * 256.0));
}

static void WriteView(HostgateContext* g, const PilotFrame& f) {
    if (!f.spot) WriteCockpitView(g);
    ViewSet<std::int32_t>(&g->savedView, kViewHostParameter, ViewGet<std::int32_t>(f.host, kViewHostParameter));
    if (f.spot && g->useMouseInSpot) WriteSpotView(g);
    PlatHostWrite(f.view, g->savedView.bytes, kHostViewSize);
}

// [SECTION] The frame

int UpdatePilotView(HostgateContext* g, int detectChanges) {
    PilotFrame f;
    f.view = FindActiveHostView(g);
    if (f.view == 0) return 0;
    const std::int32_t type = std::int32_t(HostRead32(f.view + kViewType));
    g->hostViewType = type;
    if (type == kViewTypeOtherEye || type == kViewTypeVirtualCockpit) g->viewTouched = 1;
    if (type != kViewTypeVirtualCockpit && type != kViewTypeSpot) return 0;
    f.spot = type == kViewTypeSpot;
    const double dt = g->frameDelta;

    ReadVariables(&f);
    TrackOverspeedReference(g, f);
    ServeTowerRequests(g);
    if (g->walkingSpeed == 0.0) g->walkingSpeed = kDefaultWalkingSpeed;
    // The pilot's own moves are not the user's host controls.
    if (MovePilot(g, dt)) detectChanges = 0;
    ClampEye(g);
    PlatHostRead(f.view, f.host.bytes, kHostViewSize);
    const bool changed = detectChanges && HostViewChanged(f.host, g->savedView);
    SmoothTowardTargets(g, dt);
    StepEffectOffsets(g, dt);
    g->aircraftPitch = f.var[kVarPitch];
    g->aircraftHeading = f.var[kVarHeading];
    g->aircraftBank = f.var[kVarBank];
    StepGroundOrBuffetShake(g, f, dt);
    StepSpotShake(g, f, dt);
    StepOverspeedShake(g, f, dt);
    LagHead(g, f);
    // Without the mouse the spot view is the host's to steer. A record never
    // taken (type 0: mouse or keys came before the first frame) is taken now
    // whatever detectChanges says: writing it back would wipe the host's view.
    bool neverTaken = ViewGet<std::int32_t>(g->savedView, kViewType) == 0;
    if (changed || neverTaken || (f.spot && !g->useMouseInSpot)) AdoptHostView(g, f);
    WriteView(g, f);

    g->prevHead[0] = g->headPitch;
    g->prevHead[1] = g->headHeading;
    g->prevHead[2] = g->headBank;
    g->prevAircraftAttitude[0] = g->aircraftPitch;
    g->prevAircraftAttitude[1] = g->aircraftHeading;
    g->prevAircraftAttitude[2] = g->aircraftBank;
    return 1;
}

int StartViewTransition(HostgateContext* g) {
    double* head[3] = {&g->headPitch, &g->headHeading, &g->headBank};
    const double eye[3] = {g->eyeX, g->eyeY, g->eyeZ};
    for (int i = 0; i < 3; i++) {
        *head[i] = WrapAngle360(*head[i]);
        g->headTarget[i] = WrapAngle360(g->headTarget[i]);
    }
    // Each rate is the component's own distance: all arrive together.
    for (int i = 0; i < 3; i++) {
        g->eyeRate[i] = std::fabs(g->eyeTarget[i] - eye[i]);
        g->headRate[i] = std::fabs(AngleDifference(g->headTarget[i], *head[i]));
    }
    g->zoomRate = std::fabs(g->zoomTarget - g->zoom);
    return UpdatePilotView(g, 0);
}
