// walker_view.cpp - the walker view: the pilot leaves the aircraft, walks on
// a spherical earth with the pilot motion commands, stands on the highest
// object surface under him (or on the ground measured under the aircraft),
// and his eye is written into the host's view, eye and projection records
// every frame. The host's view record is given back when the view ends.
// Touches: HostgateContext; the active host view, host variables, the eye
// records of GLOBAL.DLL and the projection matrix of G3D.DLL through the seam.
#include "pilotview/walker_view.h"

#include <cmath>
#include <cstdint>

#include "host/host_access.h"

namespace {

constexpr double kMinEyeHeight = 1.7;       // metres above the surface
constexpr double kCrouchEyeHeight = 0.75;   // metres above the surface
constexpr double kDefaultWalkingSpeed = 5.0;
constexpr double kTurnRate = 90.0;          // degrees per second
constexpr double kLookRate = 60.0;          // degrees per second, pitch and bank
constexpr double kLookLimit = 60.0;         // degrees either way
constexpr double kFallRate = 10.0;          // metres per second
constexpr double kBobAmplitude = 0.03;      // metres
constexpr double kBobRate = 600.0;          // degrees per second
constexpr double kBobSpeed = 0.5;           // metres per second: slower is standing
constexpr double kMetresPerDegreeNorth = 111130.52399516014;
constexpr double kLongitudeUnitsPerTurn = 16777216.0 * 16777216.0;

// Geographic record that the view points to (offsets in that record).
constexpr std::uint32_t kGeoLatitude = 0xA0;   // double, degrees
constexpr std::uint32_t kGeoLongitude = 0xA8;  // double, degrees
constexpr std::uint32_t kGeoAltitude = 0xB0;   // double, kilometres
constexpr std::uint32_t kGeoU = 0x128;         // double
constexpr std::uint32_t kGeoV = 0x130;         // double
constexpr std::uint32_t kGeoUFixed = 0x138;    // int32, u x 2^30
constexpr std::uint32_t kGeoVFixed = 0x13C;    // int32, v x 2^30
constexpr std::uint32_t kGeoRecordSize = 0x140;

// [SECTION] Matrices
//
// Row-vector matrices (p' = p x M) with the rotations of the cockpit view;
// the view's 3 x 3 is the upper left of these.

struct Mat4 {
    double m[4][4];
};

Mat4 Identity() {
    Mat4 r{};
    for (int i = 0; i < 4; i++) r.m[i][i] = 1.0;
    return r;
}

Mat4 Multiply(const Mat4& a, const Mat4& b) {
    Mat4 r{};
    for (int i = 0; i < 4; i++) {
        for (int j = 0; j < 4; j++) {
            for (int k = 0; k < 4; k++) r.m[i][j] += a.m[i][k] * b.m[k][j];
        }
    }
    return r;
}

Mat4 RotationX(double degrees) {
    const double a = degrees * kDegToRad, c = std::cos(a), s = std::sin(a);
    Mat4 r = Identity();
    r.m[1][1] = c, r.m[1][2] = s, r.m[2][1] = -s, r.m[2][2] = c;
    return r;
}

Mat4 RotationY(double degrees) {
    const double a = degrees * kDegToRad, c = std::cos(a), s = std::sin(a);
    Mat4 r = Identity();
    r.m[0][0] = c, r.m[0][2] = -s, r.m[2][0] = s, r.m[2][2] = c;
    return r;
}

Mat4 RotationZ(double degrees) {
    const double a = degrees * kDegToRad, c = std::cos(a), s = std::sin(a);
    Mat4 r = Identity();
    r.m[0][0] = c, r.m[0][1] = s, r.m[1][0] = -s, r.m[1][1] = c;
    return r;
}

// [SECTION] Engagement

enum EngageVariable { kVarLatitude, kVarLongitude, kVarAltitude, kVarPitch, kVarBank, kVarHeading, kVarGround,
                      kVarCount };
constexpr std::uint32_t kEngageIds[kVarCount] = {71, 72, 73, 77, 79, 86, 2};
HostVariableRequest s_requests[kVarCount];

// (x, z) turned about the vertical axis by the heading: x east, z north.
void TurnByHeading(double x, double z, double headingDeg, double* east, double* north) {
    Vec3 v{x, 0.0, z};
    RotateY(&v, headingDeg * kDegToRad);
    *east = v.x;
    *north = v.z;
}

void Engage(HostgateContext* g, HostAddr view) {
    double v[kVarCount];
    for (int i = 0; i < kVarCount; i++) v[i] = ReadHostVariableValue(&s_requests[i], kEngageIds[i]);
    const double heading = v[kVarHeading];
    if (!g->walkerKeepPosition) {
        // 10 m to the left of the aircraft and 10 m ahead of it.
        double east = 0.0, north = 0.0;
        TurnByHeading(-10.0, 10.0, heading, &east, &north);
        MoveOnSphere(v[kVarLatitude] / kMetresPerDegreeNorth, v[kVarLongitude] / kLongitudeUnitsPerTurn * 360.0,
                     east, north, &g->walkerLatitude, &g->walkerLongitude);
    }
    PlatHostRead(view, g->savedWalkerView.bytes, kHostViewSize);
    g->walkerEngaged = 1;
    g->groundElevation = v[kVarGround] / 256.0;
    if (!g->walkerKeepPosition) {
        g->walkerStandAltitude = g->groundElevation;
        g->walkerHeading = heading;
        g->walkerPitch = 0.0;
        g->walkerBank = 0.0;
        g->walkerZoom = 1.0;
    }
    g->walkerBob = 0.0;
    g->walkerForwardSpeed = 0.0;
    g->walkerSideSpeed = 0.0;
    g->walkerKeepPosition = 0;
}

// [SECTION] The walker's own motion

void StepSpeedsAndEye(HostgateContext* g, double s, double dt) {
    g->walkerForwardSpeed = g->pilotForward ? s : (g->pilotBackward ? -s : 0.0);
    g->walkerSideSpeed = g->pilotStepRight ? s : (g->pilotStepLeft ? -s : 0.0);
    // The floor of 1.7 m holds from the next frame.
    if (g->pilotUp) {
        g->walkerEyeHeight += s * dt;
    } else if (g->pilotDown) {
        g->walkerEyeHeight -= s * dt;
    }
    if (std::fabs(g->walkerForwardSpeed) > kBobSpeed || std::fabs(g->walkerSideSpeed) > kBobSpeed) {
        g->walkerBob = kBobAmplitude * std::sin(g->lastFrameTime * kBobRate * kDegToRad);
    } else {
        g->walkerBob = g->walkerBob * 2.0 * dt;
    }
}

void StepLook(HostgateContext* g, double dt) {
    // Heading is not wrapped: turning round many times keeps counting.
    if (g->pilotHeadRight) {
        g->walkerHeading += kTurnRate * dt;
    } else if (g->pilotHeadLeft) {
        g->walkerHeading -= kTurnRate * dt;
    }
    // The host's pitch is positive looking down.
    if (g->pilotHeadUp) {
        g->walkerPitch -= kLookRate * dt;
        if (g->walkerPitch < -kLookLimit) g->walkerPitch = -kLookLimit;
    } else if (g->pilotHeadDown) {
        g->walkerPitch += kLookRate * dt;
        if (g->walkerPitch > kLookLimit) g->walkerPitch = kLookLimit;
    }
    if (g->pilotTiltRight) {
        g->walkerBank -= kLookRate * dt;
        if (g->walkerBank < -kLookLimit) g->walkerBank = -kLookLimit;
    } else if (g->pilotTiltLeft) {
        g->walkerBank += kLookRate * dt;
        if (g->walkerBank > kLookLimit) g->walkerBank = kLookLimit;
    }
}

// The probe's local frame stands on the sphere (altitude 0) under the
// walker, so the hit's height in that frame is its altitude above sea level.
double SurfaceAltitude(HostgateContext* g, double latitude, double longitude) {
    ObjectProbe probe;
    InitObjectProbe(&probe, latitude, longitude, 0.0);
    ProbeObjectSurface(g, &probe);
    g->walkerOnObject = probe.bestDistance < kProbeNoHit ? 1 : 0;
    return g->walkerOnObject ? kProbeRayHeight - probe.bestDistance : g->groundElevation;
}

void StepPosition(HostgateContext* g, double dt) {
    double latitude = g->walkerLatitude, longitude = g->walkerLongitude;
    if (g->walkerForwardSpeed != 0.0 || g->walkerSideSpeed != 0.0) {
        double east = 0.0, north = 0.0;
        TurnByHeading(g->walkerSideSpeed * dt, g->walkerForwardSpeed * dt, g->walkerHeading, &east, &north);
        MoveOnSphere(g->walkerLatitude, g->walkerLongitude, east, north, &latitude, &longitude);
    }
    const double target = SurfaceAltitude(g, latitude, longitude);
    g->walkerSurfaceAltitude = target;
    g->walkerLatitude = latitude;
    g->walkerLongitude = longitude;
    // Stepping up is instant; stepping off, he falls at 10 m/s onto what is below.
    if (g->walkerStandAltitude <= target) {
        g->walkerStandAltitude = target;
    } else {
        g->walkerStandAltitude -= kFallRate * dt;
        if (g->walkerStandAltitude < target) g->walkerStandAltitude = target;
    }
    g->walkerEyeAltitude =
        g->walkerStandAltitude + g->walkerBob + (g->pilotCrouch ? kCrouchEyeHeight : g->walkerEyeHeight);
}

// [SECTION] Writing to the host

void WriteViewMatrix(HostView* view, const Mat4& m) {
    for (std::uint32_t row = 0; row < 3; row++) {
        for (std::uint32_t column = 0; column < 3; column++) {
            ViewSet<float>(view, kViewMatrix + 16 * row + 4 * column, float(m.m[row][column]));
        }
    }
}

void WriteGeoRecord(const HostgateContext& g, HostAddr record) {
    // The pointer is the host's: a record that cannot be read is not written either.
    if (!PlatHostReadable(record, kGeoRecordSize)) return;
    const double u = (g.walkerLongitude + 180.0) / 360.0 * 0.75;
    const double v = (1.0 - (g.walkerLatitude + 90.0) / 180.0) * 0.5;
    const double altitudeKm = g.walkerEyeAltitude / 1000.0;
    const std::uint32_t uFixed = HostLow32(u * 1073741824.0), vFixed = HostLow32(v * 1073741824.0);
    PlatHostWrite(record + kGeoLatitude, &g.walkerLatitude, 8);
    PlatHostWrite(record + kGeoLongitude, &g.walkerLongitude, 8);
    PlatHostWrite(record + kGeoAltitude, &altitudeKm, 8);
    PlatHostWrite(record + kGeoU, &u, 8);
    PlatHostWrite(record + kGeoV, &v, 8);
    PlatHostWrite(record + kGeoUFixed, &uFixed, 4);
    PlatHostWrite(record + kGeoVFixed, &vFixed, 4);
}

void WriteProjection(const HostgateContext& g, const HostView& view) {
    const double sizeA = ViewGet<std::int32_t>(view, kViewSizeA);
    const double sizeB = ViewGet<std::int32_t>(view, kViewSizeB);
    // A view without a second size figure, or a zoom of 0 (or so small, or
    // not a number, that 0.5 / zoom is not a finite number), would put
    // infinities or NaN into the host's matrix.
    const double aspect = sizeB != 0.0 ? sizeA / sizeB : 1.0;
    const double depth = std::isfinite(0.5 / g.walkerZoom) ? 0.5 / g.walkerZoom : 0.5;
    Mat4 scale = Identity();
    scale.m[1][1] = aspect;
    scale.m[2][2] = depth;
    const Mat4 m = Multiply(Multiply(RotationY(-g.walkerHeading), RotationX(-g.walkerPitch)), scale);
    float out[16];
    for (int i = 0; i < 16; i++) out[i] = float(m.m[i / 4][i % 4]);
    PlatHostWrite(g.projectionMatrix, out, sizeof out);
}

void WriteHost(HostgateContext* g, HostAddr viewAddr, HostView* view) {
    const HostPosition32 eye = ToHostPosition32(g->walkerLatitude, g->walkerLongitude, g->walkerEyeAltitude);
    // Without GLOBAL.DLL there are no eye records; the view still follows the walker.
    if (g->eyePositionRecord != 0) PlatHostWrite(g->eyePositionRecord, &eye, sizeof eye);
    if (g->eyeAttitudeRecord != 0) {
        const std::uint32_t attitude[3] = {HostAngle32(0.0), HostAngle32(0.0), HostAngle32(g->walkerHeading)};
        PlatHostWrite(g->eyeAttitudeRecord, attitude, sizeof attitude);
    }
    ViewSet(view, kViewEyePositionA, eye);
    ViewSet(view, kViewEyePositionB, eye);
    ViewSet<std::int32_t>(view, kViewDirectionStep, 0);
    WriteViewMatrix(view, Multiply(Multiply(RotationY(g->walkerHeading), RotationX(g->walkerPitch)),
                                   RotationZ(g->walkerBank)));
    ViewSet<std::uint32_t>(view, kViewEyePitch, HostLow32(g->walkerPitch / 360.0 * 65535.0));
    ViewSet<std::uint32_t>(view, kViewEyeHeading, HostLow32(g->walkerHeading / 360.0 * 65535.0));
    ViewSet<std::uint32_t>(view, kViewEyeBank, HostLow32(g->walkerBank / 360.0 * 65535.0));
    // The spot zoom field keeps its 64 units per zoom unit while walking.
    ViewSet<std::uint16_t>(view, kViewSpotZoom, HostLow16(g->walkerZoom * 64.0));
    PlatHostWrite(viewAddr, view->bytes, kHostViewSize);
    if (HostAddr geo = ViewGet<std::uint32_t>(*view, kViewGeoRecord)) WriteGeoRecord(*g, geo);
    if (g->projectionMatrix != 0) WriteProjection(*g, *view);
}

}  // namespace

// [SECTION] Public

void MoveOnSphere(double latitudeDeg, double longitudeDeg, double east, double north, double* newLatitudeDeg,
                  double* newLongitudeDeg) {
    // Degrees stay degrees: a round trip through the module's radian factors,
    // which are not exact inverses, would creep north with every step.
    *newLatitudeDeg = latitudeDeg + north / kEarthRadius * kRadToDeg;
    double longitude = longitudeDeg + east / (kEarthRadius * std::cos(latitudeDeg * kDegToRad)) * kRadToDeg;
    // One fold of any size: fmod, then the last step into -180..180.
    if (longitude > 180.0 || longitude < -180.0) {
        longitude = std::fmod(longitude, 360.0);
        if (longitude > 180.0) longitude -= 360.0;
        if (longitude < -180.0) longitude += 360.0;
    }
    *newLongitudeDeg = longitude;
}

int UpdateWalkerView(HostgateContext* g) {
    const HostAddr viewAddr = FindActiveHostView(g);
    if (viewAddr == 0) return 0;
    if (g->walkerEyeHeight < kMinEyeHeight) g->walkerEyeHeight = kMinEyeHeight;
    if (!g->walkerActive) {
        if (g->walkerEngaged) {
            PlatHostWrite(viewAddr, g->savedWalkerView.bytes, kHostViewSize);
            g->walkerEngaged = 0;
        }
        return 1;
    }
    if (!g->walkerEngaged) Engage(g, viewAddr);

    HostView view = g->savedWalkerView;
    ViewSet<std::int32_t>(&view, kViewType, kViewTypeWalker);
    if (g->walkingSpeed == 0.0) g->walkingSpeed = kDefaultWalkingSpeed;
    const double dt = g->frameDelta;
    StepSpeedsAndEye(g, g->walkingSpeed, dt);
    StepLook(g, dt);
    StepPosition(g, dt);
    WriteHost(g, viewAddr, &view);
    return 1;
}
