// flyby_approach_test.cpp - fly-by placement and travelling, the derived
// approach point, the fly-by/approach hand-over and the ground pick.
// Positions are checked as east/north metres on the tangent plane at a
// reference point of a 6367310 m sphere; expected values by hand or python.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>

#include "camera/approach.h"
#include "camera/camera_tick.h"
#include "camera/flyby.h"
#include "host/host_access.h"
#include "hostsim/host_process.h"
#include "shell/main_state.h"
#include "shell/settings.h"
#include "test_host.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kLat0 = 0.8, kLon0 = -2.1;  // radians; west, so longitudes keep their range
constexpr HostAddr kRecord = hostsim::kSimGlobalBase + 0x3000 + 0xD50;

// p seen from the earth's centre on the tangent plane at the reference point.
void ExpectAt(const GeoPoint& p, double east, double north, double tol, const char* what) {
    const double up[3] = {std::cos(kLat0) * std::cos(kLon0), std::cos(kLat0) * std::sin(kLon0), std::sin(kLat0)};
    const double e[3] = {-std::sin(kLon0), std::cos(kLon0), 0.0};
    const double n[3] = {-std::sin(kLat0) * std::cos(kLon0), -std::sin(kLat0) * std::sin(kLon0), std::cos(kLat0)};
    const double at[3] = {std::cos(p.latitude) * std::cos(p.longitude), std::cos(p.latitude) * std::sin(p.longitude),
                          std::sin(p.latitude)};
    auto dot = [](const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
    EXPECT_NEAR(6367310.0 * dot(at, e) / dot(at, up), east, tol) << what;
    EXPECT_NEAR(6367310.0 * dot(at, n) / dot(at, up), north, tol) << what;
}

// Latitude and longitude of the camera position record.
GeoPoint EyePoint() {
    auto value = [](HostAddr at) {
        auto integer = std::int32_t(hostsim::Read32(at + 4));
        double fraction = hostsim::Read32(at) / 4294967295.0;
        return integer < 0 ? integer - fraction : integer + fraction;
    };
    return {value(kRecord) / 10001700.0 * (kPi / 2), value(kRecord + 8) / 2147483648.0 * kPi, 0.0};
}

class CameraModeTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(&g_main, 0, sizeof g_main);
        SetDefaultSettings(&g_main);
        std::memset(&g_hostgate, 0, sizeof g_hostgate);
        g_shell.HostMainWindow = host.main;
        LocateHostModules(&g_hostgate);
        g_aircraft = {};
        g_aircraft.position = {kLat0, kLon0, 3000.0};
        g_main.FlyByAngle = 0, g_main.FlyByMinDistance = 50, g_main.FlyByDuration = 10, g_main.FrameTime = 0.05f;
    }
    TestHost host;
};

TEST_F(CameraModeTest, FlyByStepDistanceTimerAndSide) {
    const struct { double speed, distance; } cases[] = {{120.0, 308.66666666666669}, {5.0, 15.24}};
    for (const auto& c : cases) {
        g_main.FlyByTimer = 0.0f, g_aircraft.speed = c.speed;
        StepFlyBy();
        EXPECT_NEAR(g_main.FlyByDistance, c.distance, 1e-9) << c.speed;
        EXPECT_EQ(g_main.FlyByTimer, 10.0f);
    }
    g_aircraft.speed = 120.0;
    StepFlyBy();
    EXPECT_NEAR(g_main.FlyByDistance, 15.24, 1e-9) << "not due yet";
    g_hostgate.viewTouched = 1;
    StepFlyBy();
    EXPECT_NEAR(g_main.FlyByDistance, 308.66666666666669, 1e-9) << "the cockpit resets the timer";

    // Still in the cockpit: re-placed on every tick. The random placement 2 is shown by a scenario.
    const struct { int placement, side; } sides[] = {{1, -1}, {0, +1}, {7, +1}, {1, -1}, {7, -1}};
    for (const auto& s : sides) {
        g_main.FlyByCameraPlacement = s.placement;
        StepFlyBy();
        EXPECT_EQ(g_main.FlyBySide, s.side) << "placement " << s.placement;
    }
}

TEST_F(CameraModeTest, FlyByPlacementAngleSidePitchAndTravelling) {
    g_main.FlyByDistance = 300.0;
    g_aircraft.heading = 7.0;
    const double s15 = 300.0 * std::sin(kPi / 12), c15 = 300.0 * std::cos(kPi / 12);
    const struct { int angle, side, travelling; double track, east, north; const char* what; } cases[] = {
        {0, -1, 0, 90.0, 300.0, 0.0, "angle 0 on the track line whatever the side"},
        {15, +1, 0, 0.0, s15, c15, "right of a northbound track is east"},
        {15, -1, 0, 0.0, -s15, c15, "left"},
        {15, +1, 1, 0.0, 0.0, c15, "travelling starts on the track line"},
    };
    for (const auto& c : cases) {
        g_main.FlyByAngle = c.angle, g_main.FlyBySide = c.side, g_main.FlyByTravelling = c.travelling;
        g_aircraft.track = c.track;
        PlaceFlyByCamera();
        ExpectAt(g_main.FlyByPoint, c.east, c.north, 0.02, c.what);
        ExpectAt(EyePoint(), c.east, c.north, 0.02, c.what);
        EXPECT_EQ(g_main.FlyByPoint.altitude, 3000.0) << c.what;
        EXPECT_EQ(g_main.FlyByHeading, 7.0);
    }
    // Nose down 10 degrees at 300 m: 52.09 m lower, half of it applied.
    g_main.FlyByAngle = g_main.FlyByTravelling = 0, g_main.FlyByRelAltitude = 100;
    g_aircraft.track = 0.0, g_aircraft.pitch = 10.0;
    PlaceFlyByCamera();
    EXPECT_NEAR(g_main.FlyByPoint.altitude, 3000.0 + 100.0 - 85.45678308251576, 1e-6);
    ExpectAt(g_main.FlyByPoint, 0.0, 295.4423259036624, 0.02, "pitched");
}

TEST_F(CameraModeTest, TravellingCameraSlidesSidewaysAsTheAircraftNears) {
    g_main.FlyByPoint = {kLat0, kLon0, 1000.0}, g_main.FlyBySide = +1;
    const double radiansPerMetre = 1.0 / 111120.0 * kPi / 180.0;  // a minute of arc per nautical mile
    const struct { double heading, away, east, north; const char* what; } cases[] = {
        {0.0, 5.0, 10.24, 0.0, "15.24 - 5 m right of a northbound heading"},
        {90.0, 5.0, 0.0, -10.24, "right of an eastbound heading is south"},
        {0.0, 20.0, 0.0, 0.0, "beyond the travel: on the placement point"},
    };
    for (const auto& c : cases) {
        g_main.FlyByHeading = c.heading;
        g_aircraft.position = {kLat0 + c.away * radiansPerMetre, kLon0, 3000.0};
        TravelFlyByCamera();
        ExpectAt(EyePoint(), c.east, c.north, 0.01, c.what);
        EXPECT_EQ(hostsim::Read32(kRecord + 20) & 0xFFFF, 304u) << "placement altitude";
    }
}

TEST_F(CameraModeTest, ApproachPointDerivedFromTheDescentWhileUnset) {
    g_aircraft.velocity = {0.0, -50.0 * std::sin(kPi / 60), 50.0 * std::cos(kPi / 60)};  // 3 degrees down
    g_aircraft.heightAboveGround = 100.0, g_aircraft.groundElevation = 400.0;
    g_main.ApproachViewZ = 25.0, g_main.ApproachViewY = 10.0;
    // 7.62 + 30.48 / tan 3 = 589.213 m ahead; X 25 ft = 7.62 m to the right.
    const struct { double track, x, east, north; } cases[] = {{0.0, 0.0, 0.0, 589.2130462419558},
                                                              {90.0, 25.0, 589.2130462419558, -7.62}};
    for (const auto& c : cases) {
        g_main.ApproachPoint = {}, g_main.ApproachViewX = c.x, g_aircraft.track = c.track;
        PlaceApproachPoint();
        ExpectAt(g_main.ApproachPoint, c.east, c.north, 0.01, "3 degree descent");
        EXPECT_EQ(g_main.ApproachPoint.altitude, 410.0);
    }
    g_main.ApproachPoint = {}, g_aircraft.velocity = {0.0, 0.0, 50.0};
    PlaceApproachPoint();
    EXPECT_EQ(g_main.ApproachPoint.latitude, 0.0) << "level flight derives none";
}

TEST_F(CameraModeTest, ApproachCameraAtOrBelowTheTransitionHeight) {
    g_main.FlyByActive = 0, g_main.ApproachActive = g_main.FirstPositionTaken = 1;
    g_main.ApproachPoint = {kLat0 + 1e-4, kLon0, 1000.0};  // 636.731 m north
    g_main.ApproachTransAlt = 152.4 * 3.28084;
    // The aircraft where the tick reads it, at a height equal to the transition altitude.
    for (auto [id, value] : {std::pair{71, kLat0 * 57.29577951471995 * 111130.0}, {2, 0.0}, {73, 152.4},
                             {72, kLon0 * 57.29577951471995 / 360.0 * 16777216.0 * 16777216.0}}) {
        hostsim::SetVariable(id, value);
    }
    g_main.ElapsedTime = 2.0, hostsim::Get().clockMs = 100000;
    CameraTick();
    EXPECT_EQ(g_main.FlyByTimer, 0.0f) << "no fly-by";
    ExpectAt(EyePoint(), 0.0, 636.731, 0.01, "the approach point");

    hostsim::SetVariable(73, 152.5), hostsim::Get().clockMs += 50;
    CameraTick();
    EXPECT_EQ(g_main.FlyByTimer, 10.0f) << "above it the fly-by runs";
    ExpectAt(EyePoint(), 0.0, 15.24, 0.01, "fly-by at the least distance, track 0");
}

TEST_F(CameraModeTest, PickGroundPointAlongTheCursorRay) {
    g_main.InternalViewActive = 1;
    ViewSet<std::int32_t>(&g_hostgate.savedView, kViewType, kViewTypeVirtualCockpit);
    g_hostgate.zoom = 1.0;
    g_aircraft.heightAboveGround = 100.0, g_aircraft.groundElevation = 400.0;  // 30.48 m up
    hostsim::Screen& screen = hostsim::TheScreen();
    screen = hostsim::Screen{100 + 512, 50 + 384, 100, 50, 1024, 768};  // cursor at the centre

    // Head 30 degrees down, heading east: 30.48 / tan 30 = 52.79 m ahead.
    g_hostgate.headPitch = 30.0, g_aircraft.heading = 90.0;
    GeoPoint p{};
    ASSERT_EQ(PickGroundPoint(&p), 1);
    ExpectAt(p, 52.792908614699385, 0.0, 0.01, "straight ahead");
    EXPECT_EQ(p.altitude, 400.0);

    // Bottom-right corner: u 0.5, v -0.375, depth 1.2; the ground at 81.28 x that.
    screen.cursorX = 100 + 1024, screen.cursorY = 50 + 768;
    g_hostgate.headPitch = g_aircraft.heading = 0.0;
    ASSERT_EQ(PickGroundPoint(&p), 1);
    ExpectAt(p, 40.64, 97.536, 0.01, "corner");

    // Nothing above the horizon: the commands test shows it.
    const GeoPoint before = p;
    ViewSet<std::int32_t>(&g_hostgate.savedView, kViewType, kViewTypeSpot);
    EXPECT_EQ(PickGroundPoint(&p), 0) << "not the virtual cockpit";
    EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0);
}

}  // namespace
