// walker_view_test.cpp - the walker view on the substitute host: engagement
// beside the aircraft, walking on the sphere, standing on objects, the eye
// and look controls, and the host records he writes. Expected values worked
// out by hand or in python (math.trunc, the rotation matrices written out).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "host/host_access.h"
#include "hostsim/host_process.h"
#include "hostsim/sim_objects.h"
#include "input/input.h"
#include "input/key_bindings.h"
#include "pilotview/walker_view.h"
#include "test_host.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kR = 6367310.0;

// Metres north or east as degrees at a latitude, by the textbook formulas.
double NorthDegrees(double metres) {
    return metres / kR * 180.0 / kPi;
}
double EastDegrees(double metres, double latitude) {
    return metres / (kR * std::cos(latitude * kPi / 180.0)) * 180.0 / kPi;
}

class WalkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(&g, 0, sizeof g);
        LocateHostModules(&g);
        g.frameDelta = 0.1;
        g.walkerActive = 1;
        Aircraft(47.5, 8.5, 0.0, 400.0);
    }
    static void Aircraft(double lat, double lon, double heading, double groundMetres) {
        hostsim::SetVariable(71, lat * 111130.52399516014);
        hostsim::SetVariable(72, lon / 360.0 * 16777216.0 * 16777216.0);
        hostsim::SetVariable(73, groundMetres + 2.0);
        hostsim::SetVariable(86, heading);
        hostsim::SetVariable(2, groundMetres * 256.0);
    }
    int Frame() { return UpdateWalkerView(&g); }
    HostView HostRecord() const {
        HostView v;
        hostsim::Read(view, v.bytes, kHostViewSize);
        return v;
    }
    // Frames with one pilot flag held.
    void Hold(int HostgateContext::*flag, int frames) {
        g.*flag = 1;
        for (int i = 0; i < frames; i++) Frame();
        g.*flag = 0;
    }

    TestHost host;
    HostgateContext g;
    HostAddr view = hostsim::ViewAddress(3);
};

TEST_F(WalkerTest, EngagesTenMetresLeftAndAheadOfTheAircraft) {
    const struct {
        double heading;
        double east, north;  // of the walker from the aircraft, metres
    } cases[] = {{0.0, -10.0, 10.0}, {90.0, 10.0, 10.0}, {180.0, 10.0, -10.0}, {270.0, -10.0, -10.0}};
    for (const auto& c : cases) {
        std::memset(&g, 0, sizeof g);
        LocateHostModules(&g);
        g.walkerActive = 1;
        Aircraft(47.5, 8.5, c.heading, 400.0);
        ASSERT_EQ(Frame(), 1);
        EXPECT_EQ(g.walkerEngaged, 1);
        EXPECT_NEAR(g.walkerLatitude, 47.5 + NorthDegrees(c.north), 1e-9) << c.heading;
        EXPECT_NEAR(g.walkerLongitude, 8.5 + EastDegrees(c.east, 47.5), 1e-9) << c.heading;
        EXPECT_EQ(g.walkerHeading, c.heading);
        EXPECT_EQ(g.groundElevation, 400.0);
        EXPECT_EQ(g.walkerStandAltitude, 400.0);
        EXPECT_EQ(g.walkerEyeHeight, 1.7);
        EXPECT_EQ(g.walkerZoom, 1.0);
        EXPECT_EQ(ViewGet<std::int32_t>(HostRecord(), kViewType), 1250);
    }
}

TEST_F(WalkerTest, HeadingNinetyWalksDueEastAndAHundredMetresIsTheTextbookLongitude) {
    Aircraft(47.5, 8.5, 90.0, 400.0);
    Frame();
    const double lat0 = g.walkerLatitude, lon0 = g.walkerLongitude;
    g.walkingSpeed = 5.0, g.frameDelta = 0.5;
    Hold(&HostgateContext::pilotForward, 40);  // 40 x 2.5 m
    EXPECT_NEAR(g.walkerLatitude, lat0, 1e-12);
    EXPECT_NEAR(g.walkerLongitude - lon0, EastDegrees(100.0, lat0), 1e-11);
    EXPECT_NEAR((g.walkerLongitude - lon0) * kPi / 180.0, 100.0 / (kR * std::cos(lat0 * kPi / 180.0)), 1e-13);
}

TEST(WalkerSphere, MovesFoldTheLongitudeIntoPlusMinus180) {
    const struct {
        double lat, lon, east, north;
        double wantLat, wantLon;
    } cases[] = {
        {0.0, 179.9999, 100.0, 0.0, 0.0, 179.9999 + EastDegrees(100.0, 0.0) - 360.0},
        {0.0, -179.9999, -100.0, 0.0, 0.0, -179.9999 - EastDegrees(100.0, 0.0) + 360.0},
        {60.0, 10.0, 0.0, 100.0, 60.0 + NorthDegrees(100.0), 10.0},
        {60.0, 10.0, 50.0, 0.0, 60.0, 10.0 + 50.0 / (kR * 0.5) * 180.0 / kPi},
        {0.0, 0.0, 2.5e9, 0.0, 0.0, std::remainder(2.5e9 / kR * 180.0 / kPi, 360.0)},
    };
    for (const auto& c : cases) {
        double lat = 0, lon = 0;
        MoveOnSphere(c.lat, c.lon, c.east, c.north, &lat, &lon);
        EXPECT_NEAR(lat, c.wantLat, 1e-9) << c.lon << " " << c.east;
        EXPECT_NEAR(lon, c.wantLon, 1e-6) << c.lon << " " << c.east;
        EXPECT_TRUE(lon >= -180.0 && lon <= 180.0) << lon;
    }
}

TEST_F(WalkerTest, SpeedsPreferForwardAndRightAndTheStepIsTurnedByTheHeading) {
    Frame();
    const double lat0 = g.walkerLatitude, lon0 = g.walkerLongitude;
    g.pilotForward = g.pilotBackward = g.pilotStepRight = g.pilotStepLeft = 1;
    g.walkingSpeed = 4.0;
    Frame();
    EXPECT_EQ(g.walkerForwardSpeed, 4.0);
    EXPECT_EQ(g.walkerSideSpeed, 4.0);
    // Heading 0: 0.4 m north and 0.4 m east.
    EXPECT_NEAR(g.walkerLatitude - lat0, NorthDegrees(0.4), 1e-12);
    EXPECT_NEAR(g.walkerLongitude - lon0, EastDegrees(0.4, lat0), 1e-12);
    g.pilotForward = g.pilotStepRight = 0;
    Frame();
    EXPECT_EQ(g.walkerForwardSpeed, -4.0);
    EXPECT_EQ(g.walkerSideSpeed, -4.0);
    g.pilotBackward = g.pilotStepLeft = 0;
    const double lat1 = g.walkerLatitude, lon1 = g.walkerLongitude;
    Frame();
    EXPECT_EQ(g.walkerLatitude, lat1) << "standing still keeps the position exactly";
    EXPECT_EQ(g.walkerLongitude, lon1);
}

TEST_F(WalkerTest, GroundElevationIsTheOneUnderTheAircraftAtEngagement) {
    Frame();
    Aircraft(47.5, 8.5, 0.0, 900.0);  // the ground under the aircraft changes after engagement
    g.frameDelta = 1.0;
    Hold(&HostgateContext::pilotForward, 200);  // a kilometre away
    EXPECT_EQ(g.groundElevation, 400.0);
    EXPECT_EQ(g.walkerStandAltitude, 400.0);
    EXPECT_EQ(g.walkerOnObject, 0);
    g.walkerActive = 0;
    Frame();
    g.walkerActive = 1;
    Frame();
    EXPECT_EQ(g.groundElevation, 900.0) << "measured again at the next engagement";
}

TEST_F(WalkerTest, SteppingOntoABoxLiftsAtOnceAndSteppingOffFallsAtTenMetresASecond) {
    Frame();
    // A 6 x 7 x 3 m box whose centre is 10 m north of the walker.
    hostsim::AddBox(g.walkerLatitude + NorthDegrees(10.0), g.walkerLongitude, 400.0, 6.0, 7.0, 3.0);
    g.walkingSpeed = 5.0, g.frameDelta = 0.2;  // 1 m a frame, never within 0.5 m of an edge
    g.pilotForward = 1;
    std::vector<double> stand;
    for (int metre = 1; metre <= 15; metre++) {
        Frame();
        stand.push_back(g.walkerStandAltitude);
    }
    const double want[15] = {400, 400, 400, 400, 400, 400, 403, 403, 403, 403, 403, 403, 403, 401, 400};
    for (int i = 0; i < 15; i++) EXPECT_NEAR(stand[std::size_t(i)], want[i], 1e-4) << "after " << i + 1 << " m";
    EXPECT_NEAR(g.walkerEyeAltitude, 400.0 + g.walkerBob + 1.7, 1e-9);
}

TEST_F(WalkerTest, CrouchIsThreeQuartersOfAMetreWhateverTheEyeHeight) {
    Frame();
    for (double eye : {1.7, 3.0, 12.5}) {
        g.walkerEyeHeight = eye;
        g.pilotCrouch = 1;
        Frame();
        EXPECT_DOUBLE_EQ(g.walkerEyeAltitude, 400.75) << eye;
        g.pilotCrouch = 0;
        Frame();
        EXPECT_DOUBLE_EQ(g.walkerEyeAltitude, 400.0 + eye) << eye;
    }
}

TEST_F(WalkerTest, PilotDownNeverTakesTheEyeBelowOnePointSevenForMoreThanAFrame) {
    Frame();
    g.walkingSpeed = 5.0, g.frameDelta = 0.1;
    g.walkerEyeHeight = 2.2;
    g.pilotDown = 1;
    Frame();
    EXPECT_DOUBLE_EQ(g.walkerEyeHeight, 1.7);
    for (int i = 0; i < 10; i++) {
        Frame();
        // Floored at the start of each frame, lowered by 0.5 within it.
        EXPECT_DOUBLE_EQ(g.walkerEyeHeight, 1.2);
        EXPECT_DOUBLE_EQ(g.walkerEyeAltitude, 401.2);
    }
    g.pilotDown = 0;
    Frame();
    EXPECT_EQ(g.walkerEyeHeight, 1.7);
    Hold(&HostgateContext::pilotUp, 4);
    EXPECT_DOUBLE_EQ(g.walkerEyeHeight, 3.7);
}

TEST_F(WalkerTest, PitchAndBankStopAtSixtyAndTheHeadingTurnsOnWithoutWrapping) {
    Frame();
    g.frameDelta = 0.25;  // 15 degrees a frame for looking, 22.5 for turning
    const struct {
        int HostgateContext::*flag;
        double HostgateContext::*angle;
        double want;
    } cases[] = {
        {&HostgateContext::pilotHeadUp, &HostgateContext::walkerPitch, -60.0},
        {&HostgateContext::pilotHeadDown, &HostgateContext::walkerPitch, 60.0},
        {&HostgateContext::pilotTiltRight, &HostgateContext::walkerBank, -60.0},
        {&HostgateContext::pilotTiltLeft, &HostgateContext::walkerBank, 60.0},
        {&HostgateContext::pilotHeadRight, &HostgateContext::walkerHeading, 22.5 * 20},
        {&HostgateContext::pilotHeadLeft, &HostgateContext::walkerHeading, 0.0},
    };
    for (const auto& c : cases) {
        Hold(c.flag, 20);
        EXPECT_EQ(g.*(c.angle), c.want);
    }
    g.walkerPitch = 10.0;
    Hold(&HostgateContext::pilotHeadUp, 1);
    EXPECT_EQ(g.walkerPitch, -5.0);
}

TEST_F(WalkerTest, TheBobFollowsTheClockWhileWalkingAndDiesAwayStanding) {
    Frame();
    g.lastFrameTime = 0.25;  // 150 degrees of the bob
    g.pilotStepLeft = 1;
    Frame();
    EXPECT_NEAR(g.walkerBob, 0.015, 1e-9);  // the module's degree factor is good to 3e-13
    g.pilotStepLeft = 0;
    Frame();
    EXPECT_NEAR(g.walkerBob, 0.015 * 2 * 0.1, 1e-9);
    g.walkingSpeed = 0.5;  // the default comes in only for 0: 0.5 m/s counts as standing
    g.pilotForward = 1;
    Frame();
    EXPECT_NEAR(g.walkerBob, 0.015 * 0.2 * 0.2, 1e-9);
}

TEST_F(WalkerTest, EveryHostRecordGetsTheWalkersEyeInItsUnits) {
    g.walkerKeepPosition = 1;
    g.walkerLatitude = 47.25, g.walkerLongitude = -122.5, g.walkerStandAltitude = 100.0;
    g.walkerHeading = 30.0, g.walkerPitch = 10.0, g.walkerBank = -20.0, g.walkerZoom = 2.0;
    Aircraft(10.0, 10.0, 0.0, 100.0);
    ASSERT_EQ(Frame(), 1);
    const HostView v = HostRecord();
    EXPECT_EQ(ViewGet<std::int32_t>(v, kViewType), 1250);
    EXPECT_EQ(ViewGet<std::int32_t>(v, kViewDirectionStep), 0);
    // Latitude metres 5250917.258.., longitude units -1461481927.11.., altitude 101.7.
    const std::uint32_t want[6] = {1111414339u, 5250917u, 477160447u, std::uint32_t(-1461481927), 3006477106u, 101u};
    std::uint32_t words[6];
    for (std::uint32_t at : {hostsim::kSimGlobalBase + kGlobalEyePosition, view + kViewEyePositionA,
                             view + kViewEyePositionB}) {
        hostsim::Read(at, words, sizeof words);
        for (int i = 0; i < 6; i++) EXPECT_EQ(words[i], want[i]) << std::hex << at << " word " << i;
    }
    hostsim::Read(hostsim::kSimGlobalBase + kGlobalEyeAttitude, words, 12);
    EXPECT_EQ(words[0], 0u);
    EXPECT_EQ(words[1], 0u);
    EXPECT_EQ(words[2], 357913941u);
    EXPECT_EQ(ViewGet<std::int32_t>(v, kViewEyePitch), 1820);
    EXPECT_EQ(ViewGet<std::int32_t>(v, kViewEyeHeading), 5461);
    EXPECT_EQ(ViewGet<std::int32_t>(v, kViewEyeBank), -3640);
    EXPECT_EQ(ViewGet<std::int16_t>(v, kViewSpotZoom), 128);
    // RotY(30) x RotX(10) x RotZ(-20), rows turning row vectors.
    const float matrix[3][3] = {{0.8434933f, -0.2146102f, -0.4924039f},
                                {0.3368241f, 0.9254166f, 0.1736482f},
                                {0.4184120f, -0.3123246f, 0.8528685f}};
    for (std::uint32_t r = 0; r < 3; r++) {
        for (std::uint32_t c = 0; c < 3; c++) {
            EXPECT_NEAR(ViewGet<float>(v, kViewMatrix + 16 * r + 4 * c), matrix[r][c], 1e-6) << r << c;
        }
    }
    // RotY(-30) x RotX(-10) x diag(1, 1024 / 768, 0.5 / 2, 1).
    const float projection[16] = {0.8660254f, 0.1157655f, 0.1231010f, 0, 0,    1.3130770f, -0.0434120f, 0,
                                  -0.5f,      0.2005116f, 0.2132171f, 0, 0,    0,          0,           1};
    float m[16];
    hostsim::Read(hostsim::kSimG3dBase + kG3dProjectionMatrix, m, sizeof m);
    for (int i = 0; i < 16; i++) EXPECT_NEAR(m[i], projection[i], 1e-6) << i;
    const HostAddr geo = hostsim::GeoRecordAddress(3);
    double d[5];
    hostsim::Read(geo + 0xA0, d, 24);
    hostsim::Read(geo + 0x128, d + 3, 16);
    EXPECT_EQ(d[0], 47.25);
    EXPECT_EQ(d[1], -122.5);
    EXPECT_DOUBLE_EQ(d[2], 0.1017);
    EXPECT_DOUBLE_EQ(d[3], 0.11979166666666666);
    EXPECT_DOUBLE_EQ(d[4], 0.11875);
    hostsim::Read(geo + 0x138, words, 8);
    EXPECT_EQ(words[0], 128625322u);
    EXPECT_EQ(words[1], 127506841u);
}

// Looking straight ahead the projection is S itself: its depth factor is
// 0.5 / zoom, whatever the sign of a stored zoom, and 0.5 where that
// quotient is not a number the host's matrix could hold.
TEST_F(WalkerTest, TheProjectionDepthIsHalfOverTheZoomWhereThatIsANumber) {
    const struct { double zoom, depth; } cases[] = {
        {2.0, 0.25}, {0.25, 2.0}, {32.0, 0.015625}, {-4.0, -0.125},
        {0.0, 0.5},  {1e-320, 0.5}, {std::nan(""), 0.5}, {-INFINITY, -0.0},
    };
    for (const auto& c : cases) {
        std::memset(&g, 0, sizeof g);
        LocateHostModules(&g);
        g.walkerActive = 1, g.walkerKeepPosition = 1;
        g.walkerLatitude = 47.5, g.walkerLongitude = 8.5, g.walkerZoom = c.zoom;
        ASSERT_EQ(Frame(), 1);
        float m[16];
        hostsim::Read(hostsim::kSimG3dBase + kG3dProjectionMatrix, m, sizeof m);
        EXPECT_EQ(m[10], float(c.depth)) << c.zoom;
        EXPECT_FLOAT_EQ(m[5], 1024.0f / 768.0f) << c.zoom;
        EXPECT_EQ(m[0], 1.0f);
        EXPECT_EQ(m[15], 1.0f);
    }
}

TEST_F(WalkerTest, WithoutGlobalDllOrAGeoRecordOnlyTheViewAndProjectionAreWritten) {
    hostsim::SetModuleList(hostsim::kModulesEmpty);
    std::memset(&g, 0, sizeof g);
    g.walkerActive = 1;
    LocateHostModules(&g);  // finds nothing
    g.projectionMatrix = hostsim::kSimG3dBase + kG3dProjectionMatrix;
    hostsim::DetachGeoRecords();
    ASSERT_EQ(Frame(), 1);
    EXPECT_EQ(ViewGet<std::int32_t>(HostRecord(), kViewType), 1250);
    std::uint8_t global[0x40], geo[0x140];
    hostsim::Read(hostsim::kSimGlobalBase + kGlobalEyePosition, global, sizeof global);
    hostsim::Read(hostsim::GeoRecordAddress(3), geo, sizeof geo);
    EXPECT_EQ(std::count(global, global + sizeof global, 0), long(sizeof global)) << "no eye records to write";
    EXPECT_EQ(std::count(geo, geo + sizeof geo, 0), long(sizeof geo)) << "the view has no geographic record";
    float m[16];
    hostsim::Read(g.projectionMatrix, m, sizeof m);
    EXPECT_EQ(m[15], 1.0f);
}

TEST_F(WalkerTest, SwitchingOffGivesBackExactlyTheViewSavedAtEngagement) {
    HostView original = HostRecord();
    for (std::uint32_t i = 0x140; i < kHostViewSize; i++) original.bytes[i] = std::uint8_t(i * 7);
    hostsim::Write(view, original.bytes, kHostViewSize);
    Frame();
    g.pilotForward = 1;
    Frame();
    // A host-side change while walking does not survive the next frame.
    hostsim::Write32(view + kViewSizeA, 4000);
    Frame();
    EXPECT_EQ(ViewGet<std::int32_t>(HostRecord(), kViewSizeA), 1024);
    g.walkerActive = 0;
    EXPECT_EQ(Frame(), 1);
    EXPECT_EQ(g.walkerEngaged, 0);
    const HostView after = HostRecord();
    EXPECT_EQ(std::memcmp(after.bytes, original.bytes, kHostViewSize), 0);
    hostsim::Write32(view + kViewSizeA, 4000);
    Frame();
    EXPECT_EQ(ViewGet<std::int32_t>(HostRecord(), kViewSizeA), 4000) << "restored once, then left alone";
}

TEST_F(WalkerTest, AStoredPlaceIsKeptWithItsPitchAndBankAndTheFlagIsUsedOnce) {
    g.walkerKeepPosition = 1;
    g.walkerLatitude = 47.6, g.walkerLongitude = 8.4, g.walkerStandAltitude = 420.0;
    g.walkerHeading = 200.0, g.walkerPitch = 5.0, g.walkerBank = 3.0, g.walkerZoom = 1.5;
    Frame();
    EXPECT_EQ(g.walkerKeepPosition, 0);
    EXPECT_EQ(g.walkerLatitude, 47.6);
    EXPECT_EQ(g.walkerLongitude, 8.4);
    EXPECT_EQ(g.walkerHeading, 200.0);
    EXPECT_EQ(g.walkerPitch, 5.0);
    EXPECT_EQ(g.walkerBank, 3.0);
    EXPECT_EQ(g.walkerZoom, 1.5);
    EXPECT_EQ(g.groundElevation, 400.0);
    EXPECT_DOUBLE_EQ(g.walkerStandAltitude, 419.0) << "kept, then falling toward the ground at 10 m/s";
    g.walkerActive = 0;
    Frame();
    g.walkerActive = 1;
    Frame();
    EXPECT_NEAR(g.walkerLatitude, 47.5 + NorthDegrees(10.0), 1e-9) << "the next engagement starts afresh";
    EXPECT_EQ(g.walkerPitch, 0.0);
}

TEST_F(WalkerTest, NothingHappensWithoutAnActiveViewButTheEyeFloorHoldsWhileOff) {
    hostsim::SetLayoutKind(6);
    EXPECT_EQ(Frame(), 0);
    EXPECT_EQ(g.walkerEngaged, 0);
    EXPECT_EQ(g.walkerEyeHeight, 0.0);
    hostsim::SetLayoutKind(3);
    g.walkerActive = 0;
    EXPECT_EQ(Frame(), 1);
    EXPECT_EQ(g.walkerEyeHeight, 1.7);
    EXPECT_EQ(ViewGet<std::int32_t>(HostRecord(), kViewType), kViewTypeVirtualCockpit);
}

TEST_F(WalkerTest, TogglePilotFromABindingEngagesTheWalkerOnTheNextUpdate) {
    g.walkerActive = 0;
    KeyBinding binding{};
    std::strcpy(binding.name, "TogglePilot");
    ASSERT_EQ(RunInputCommand(&g, &binding, nullptr, kMsgKeyDown, 0, 0), 1);
    EXPECT_EQ(g.walkerActive, 1);
    Frame();
    EXPECT_EQ(g.walkerEngaged, 1);
    EXPECT_EQ(ViewGet<std::int32_t>(HostRecord(), kViewType), 1250);
    ASSERT_EQ(RunInputCommand(&g, &binding, nullptr, kMsgKeyDown, 0, 0), 1) << "the walker's view type takes it too";
    Frame();
    EXPECT_EQ(ViewGet<std::int32_t>(HostRecord(), kViewType), kViewTypeVirtualCockpit);
}

}  // namespace
