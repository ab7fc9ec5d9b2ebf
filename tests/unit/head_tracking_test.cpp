// head_tracking_test.cpp - head tracking: the datagram and settings
// parsers, the tracker over real loopback UDP (mapping, glides, recentre,
// bad datagrams, a port in use), the tracked pose on top of the cockpit
// view, the input layer's two commands and the module's start and stop.
// Expected values worked out by hand; the view rows from the head's axes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "frame_fixture.h"
#include "host/host_access.h"
#include "input/head_tracking.h"
#include "input/input.h"
#include "pilotview/pilot_view.h"
#include "test_host.h"
#include "udp_sender.h"
#include "view_record_fixture.h"

namespace {

constexpr double kPose[6] = {10.0, -5.0, 20.0, 30.0, 15.0, -10.0};

std::vector<std::uint8_t> PoseDatagram(const double pose[6]) {
    std::vector<std::uint8_t> bytes(48);
    UdpSender::PoseBytes(pose, bytes.data());
    return bytes;
}

// [SECTION] Datagram parser

TEST(HeadTrackDatagram, BytesAreSixLittleEndianDoublesInTrackerOrder) {
    std::vector<std::uint8_t> bytes(48, 0);
    bytes[6] = 0xF0, bytes[7] = 0x3F;    // x = 1.0: 0x3FF0000000000000
    bytes[46] = 0x04, bytes[47] = 0xC0;  // roll = -2.5: 0xC004000000000000
    double pose[6] = {9, 9, 9, 9, 9, 9};
    ASSERT_EQ(ParseHeadTrackDatagram(bytes.data(), bytes.size(), pose), 1);
    const double want[6] = {1.0, 0.0, 0.0, 0.0, 0.0, -2.5};
    for (int i = 0; i < 6; i++) EXPECT_EQ(pose[i], want[i]) << i;
}

TEST(HeadTrackDatagram, OtherSizesNonFiniteAndInsaneValuesLeaveThePose) {
    struct Case {
        const char* what;
        std::size_t size;
        int axis;      // -1: the pose as it is
        double value;  // put into that axis
        int valid;
    };
    const Case cases[] = {
        {"48 bytes", 48, -1, 0.0, 1},         {"empty", 0, -1, 0.0, 0},
        {"47 bytes", 47, -1, 0.0, 0},         {"49 bytes", 49, -1, 0.0, 0},
        {"96 bytes", 96, -1, 0.0, 0},         {"NaN x", 48, 0, NAN, 0},
        {"NaN roll", 48, 5, NAN, 0},          {"inf yaw", 48, 3, INFINITY, 0},
        {"-inf z", 48, 2, -INFINITY, 0},      {"x at the limit", 48, 0, -200.0, 1},
        {"x past the limit", 48, 0, 200.001, 0}, {"yaw at the limit", 48, 3, 180.0, 1},
        {"pitch past the limit", 48, 4, -180.001, 0}, {"roll 1e300", 48, 5, 1e300, 0},
    };
    for (const Case& c : cases) {
        double sent[6];
        std::memcpy(sent, kPose, sizeof sent);
        if (c.axis >= 0) sent[c.axis] = c.value;
        std::vector<std::uint8_t> bytes = PoseDatagram(sent);
        bytes.resize(c.size, 0);
        const double before[6] = {1, 2, 3, 4, 5, 6};
        double pose[6];
        std::memcpy(pose, before, sizeof pose);
        EXPECT_EQ(ParseHeadTrackDatagram(bytes.data(), bytes.size(), pose), c.valid) << c.what;
        const double* want = c.valid ? sent : before;
        for (int i = 0; i < 6; i++) EXPECT_EQ(pose[i], want[i]) << c.what << " axis " << i;
    }
}

// [SECTION] Settings file

TEST(HeadTrackConfig, LinesAreReadLeniencyIncludedAndHeldWithinRanges) {
    struct Case {
        const char* text;
        int taken;
        int enabled, port;
        double scaleX, scaleRoll;
        int invertYaw;
    };
    const Case cases[] = {
        {"", 0, 0, 4242, 1.0, 1.0, 0},
        {"[HeadTracking]\r\nEnabled=1\r\nPort=5555\r\n", 2, 1, 5555, 1.0, 1.0, 0},
        {"  enabled = 7 \n PORT=4243", 2, 1, 4243, 1.0, 1.0, 0},
        {"; Enabled=1\n# Port=1\n// not a key=1\nEnabled\n", 0, 0, 4242, 1.0, 1.0, 0},
        {"Port=0\n", 1, 0, 4242, 1.0, 1.0, 0},
        {"Port=65536\n", 1, 0, 4242, 1.0, 1.0, 0},
        {"Port=65535\n", 1, 0, 65535, 1.0, 1.0, 0},
        {"Port=four\n", 1, 0, 4242, 1.0, 1.0, 0},
        {"ScaleX=2.5\nScaleRoll=-1\nInvertYaw=1\n", 3, 0, 4242, 2.5, 0.0, 1},
        {"ScaleX=1e999\nscaleroll=0.25x\ninvertyaw=-3", 3, 0, 4242, 10.0, 0.25, 1},
        {"ScaleX=nan\nScaleRoll=.5\n", 2, 0, 4242, 0.0, 0.5, 0},
        {"Enabled=1\nEnabled=0\nColour=red\nScaleXY=3\n", 2, 0, 4242, 1.0, 1.0, 0},
        {"Port=4300\nPort=", 2, 0, 4242, 1.0, 1.0, 0},
    };
    for (const Case& c : cases) {
        HeadTrackConfig config;
        SetDefaultHeadTrackConfig(&config);
        const std::string text = c.text;
        EXPECT_EQ(ParseHeadTrackConfig(text.data(), text.data() + text.size(), &config), c.taken) << c.text;
        EXPECT_EQ(config.enabled, c.enabled) << c.text;
        EXPECT_EQ(config.port, c.port) << c.text;
        EXPECT_EQ(config.scale[kTrackX], c.scaleX) << c.text;
        EXPECT_EQ(config.scale[kTrackRoll], c.scaleRoll) << c.text;
        EXPECT_EQ(config.invert[kTrackYaw], c.invertYaw) << c.text;
        EXPECT_EQ(config.scale[kTrackY], 1.0) << c.text;
    }
}

TEST(HeadTrackConfig, LongLinesAndAMissingLastLineEndAreBounded) {
    HeadTrackConfig config;
    SetDefaultHeadTrackConfig(&config);
    std::string text = "ScalePitch=" + std::string(500, '3') + "\nPort=" + std::string(300, ' ') + "4444";
    EXPECT_EQ(ParseHeadTrackConfig(text.data(), text.data() + text.size(), &config), 2);
    EXPECT_EQ(config.scale[kTrackPitch], 10.0) << "a huge number is held at the top";
    EXPECT_EQ(config.port, 4242) << "the number lies past what is read of the value";
}

// [SECTION] The tracker over the loopback interface

class HeadTrackerTest : public ::testing::Test {
protected:
    void SetUp() override {
        port = UdpSender::FreePort();
        ASSERT_NE(port, 0);
        SetDefaultHeadTrackConfig(&config);
        config.enabled = 1;
        config.port = port;
        ResetHeadTracker(&t, config);
    }
    void TearDown() override { CloseHeadTracker(&t); }
    void Step(std::uint32_t ms, int applies = 1) {
        now += ms;
        StepHeadTracker(&t, now, applies);
    }
    void Send(const double pose[6]) { ASSERT_TRUE(sender.SendPose(port, pose)); }
    // Socket open, then the pose fresh for long enough to glide all the way in.
    void Tracking(const double pose[6]) {
        Step(0);
        ASSERT_EQ(t.socketState, kTrackSocketOpen);
        Send(pose);
        Step(500);
        ASSERT_EQ(t.weight, 1.0);
    }
    void ExpectOffsets(const double eye[3], const double head[3], const char* what) {
        for (int i = 0; i < 3; i++) {
            EXPECT_NEAR(t.eye[i], eye[i], 1e-12) << what << " eye " << i;
            EXPECT_NEAR(t.head[i], head[i], 1e-12) << what << " head " << i;
        }
    }

    int port = 0;
    std::uint32_t now = 1000;
    HeadTrackConfig config;
    HeadTracker t;
    UdpSender sender;
};

TEST_F(HeadTrackerTest, PoseMapsToCentimetresAsEyeUnitsPitchDownAndBankLeft) {
    struct Case {
        const char* what;
        double scale[6];
        int invert[6];
        double eye[3], head[3];  // pitch, heading, bank
    };
    // Tracker: right, up and forward positive, yaw right, pitch up, roll right.
    const Case cases[] = {
        {"as sent", {1, 1, 1, 1, 1, 1}, {0, 0, 0, 0, 0, 0}, {0.1, -0.05, 0.2}, {-15.0, 30.0, 10.0}},
        {"scaled and inverted", {2, 0, 0.5, 0.5, 2, 1}, {0, 1, 0, 1, 0, 1}, {0.2, 0.0, 0.1}, {-30.0, -15.0, -10.0}},
    };
    for (const Case& c : cases) {
        std::memcpy(config.scale, c.scale, sizeof config.scale);
        std::memcpy(config.invert, c.invert, sizeof config.invert);
        CloseHeadTracker(&t);
        ResetHeadTracker(&t, config);
        Tracking(kPose);
        ExpectOffsets(c.eye, c.head, c.what);
        EXPECT_EQ(t.applied, 1) << c.what;
    }
}

TEST_F(HeadTrackerTest, NewestValidDatagramWinsAndBadOnesAreCountedAndIgnored) {
    Step(0);
    const double first[6] = {1, 1, 1, 1, 1, 1}, newest[6] = {2, 2, 2, 2, 2, 2};
    Send(first);
    Send(newest);
    std::vector<std::uint8_t> bytes = PoseDatagram(kPose);
    ASSERT_TRUE(sender.SendBytes(port, bytes.data(), 47));
    bytes.push_back(0);
    ASSERT_TRUE(sender.SendBytes(port, bytes.data(), 49));
    ASSERT_TRUE(sender.SendBytes(port, bytes.data(), 0));
    double nan[6] = {0, 0, NAN, 0, 0, 0};
    Send(nan);
    std::vector<std::uint8_t> big(2000, 0);
    ASSERT_TRUE(sender.SendBytes(port, big.data(), big.size()));
    Step(20);
    EXPECT_EQ(t.accepted, 2u);
    EXPECT_EQ(t.rejected, 5u);
    for (int i = 0; i < 6; i++) EXPECT_EQ(t.pose[i], 2.0) << i;
    EXPECT_EQ(t.poseMs, now);
}

TEST_F(HeadTrackerTest, QuietTrackerGlidesToZeroFromHalfASecondOverHalfASecond) {
    Tracking(kPose);
    const std::uint32_t sent = now;
    struct Case {
        std::uint32_t age;  // ms since the pose arrived
        double weight;
    };
    const Case cases[] = {{300, 1.0}, {500, 1.0}, {600, 0.8}, {750, 0.5}, {900, 0.2}, {1000, 0.0}, {1400, 0.0}};
    for (const Case& c : cases) {
        Step(sent + c.age - now);
        EXPECT_NEAR(t.weight, c.weight, 1e-12) << c.age;
        EXPECT_NEAR(t.head[1], 30.0 * c.weight, 1e-9) << c.age << ": heading glides, no jump";
    }
    EXPECT_EQ(t.applied, 0);
    EXPECT_EQ(t.head[1], 0.0);
    // The tracker comes back: the pose glides in at the same pace.
    Send(kPose);
    Step(100);
    EXPECT_NEAR(t.weight, 0.2, 1e-12);
    EXPECT_NEAR(t.eye[2], 0.2 * 0.2, 1e-12);
    // Quiet again halfway in: the glide out starts from where it stands.
    const std::uint32_t back = t.poseMs;
    for (const Case& c : {Case{600, 0.2}, Case{750, 0.2}, Case{950, 0.1}}) {
        Step(back + c.age - now);
        EXPECT_NEAR(t.weight, c.weight, 1e-12) << "quiet again, " << c.age;
    }
}

TEST_F(HeadTrackerTest, PoseUpToHalfASecondOldKeepsGlidingIn) {
    Step(0);
    Send(kPose);
    Step(20);
    EXPECT_NEAR(t.weight, 0.04, 1e-12);
    Step(430);
    EXPECT_NEAR(t.weight, 0.9, 1e-12) << "0.43 s old is still fresh";
    Step(40);
    EXPECT_NEAR(t.weight, 0.98, 1e-12);
    Step(40);
    EXPECT_NEAR(t.weight, 0.98, 1e-12) << "0.51 s old: gliding out, from 0.98 at the most";
    Step(40);
    EXPECT_NEAR(t.weight, 0.9, 1e-12);
}

TEST_F(HeadTrackerTest, RecentreMakesThePoseZeroAndTurnsTheShortWay) {
    const double there[6] = {5, 6, -7, 170, -20, 30};
    Tracking(there);
    RecentreHeadTracker(&t);
    Step(10);
    const double zero[3] = {0, 0, 0};
    ExpectOffsets(zero, zero, "recentred");
    const double moved[6] = {8, 6, -9, -170, -25, 35};
    Send(moved);
    Step(10);
    const double eye[3] = {0.03, 0.0, -0.02}, head[3] = {5.0, 20.0, -5.0};
    ExpectOffsets(eye, head, "from the new centre");
}

TEST_F(HeadTrackerTest, RecentreBeforeAnyPoseKeepsTheCentreAtZero) {
    Step(0);
    RecentreHeadTracker(&t);
    Tracking(kPose);
    const double eye[3] = {0.1, -0.05, 0.2}, head[3] = {-15.0, 30.0, 10.0};
    ExpectOffsets(eye, head, "centre untouched");
}

TEST_F(HeadTrackerTest, PortInUseMeansNoTrackingUntilSwitchedOnAgain) {
    {
        PortHolder other(port);
        ASSERT_TRUE(other.held());
        Step(0);
        EXPECT_EQ(t.socketState, kTrackSocketFailed);
        Send(kPose);
        Step(500);
        EXPECT_EQ(t.accepted, 0u);
        EXPECT_EQ(t.applied, 0);
    }
    Step(16);
    EXPECT_EQ(t.socketState, kTrackSocketFailed) << "no retry every tick";
    ToggleHeadTracker(&t);
    Step(16);
    EXPECT_EQ(t.socketState, kTrackSocketClosed) << "switched off";
    ToggleHeadTracker(&t);
    Step(16);
    EXPECT_EQ(t.socketState, kTrackSocketOpen) << "switching on tries the port again";
}

TEST_F(HeadTrackerTest, SwitchedOffGlidesOutAndAnotherViewModeDropsThePoseAtOnce) {
    Tracking(kPose);
    ToggleHeadTracker(&t);
    EXPECT_EQ(t.socketState, kTrackSocketClosed);
    Step(100);
    EXPECT_NEAR(t.weight, 0.8, 1e-12);
    Step(400);
    EXPECT_EQ(t.weight, 0.0);
    ToggleHeadTracker(&t);
    Step(0);
    Send(kPose);
    Step(500);
    EXPECT_EQ(t.weight, 1.0);
    Send(kPose);
    Step(16, 0);
    EXPECT_EQ(t.weight, 0.0);
    EXPECT_EQ(t.applied, 0);
    Send(kPose);
    Step(50, 1);
    EXPECT_NEAR(t.weight, 0.1, 1e-12) << "back in the cockpit view it glides in";
}

TEST_F(HeadTrackerTest, TrackerSwitchedOnWithoutSettingsOpensNothing) {
    HeadTracker never{};  // as before start-up: no settings, port 0
    ToggleHeadTracker(&never);
    StepHeadTracker(&never, now, 1);
    EXPECT_EQ(never.socketState, kTrackSocketFailed) << "port 0 would bind anywhere";
    EXPECT_EQ(never.socket, kNoUdpSocket);
}

TEST_F(HeadTrackerTest, DisabledTrackerOpensNothing) {
    config.enabled = 0;
    ResetHeadTracker(&t, config);
    PortHolder other(port);  // were it opened, it would fail
    Step(0);
    Step(500);
    EXPECT_EQ(t.socketState, kTrackSocketClosed);
    EXPECT_EQ(t.applied, 0);
}

// [SECTION] The tracked pose in the cockpit view

// The view's rows (right, up, forward) for a head turned by heading H
// (right +), pitched by P (down +), then rolled by B (left +): the forward
// axis from H and P, the right and up axes tilted about it by B.
void HeadAxes(double p, double h, double b, double rows[3][3]) {
    const double r = 0.017453292519943295;
    p *= r, h *= r, b *= r;
    const double forward[3] = {std::cos(p) * std::sin(h), -std::sin(p), std::cos(p) * std::cos(h)};
    const double right0[3] = {std::cos(h), 0.0, -std::sin(h)};
    const double up0[3] = {std::sin(p) * std::sin(h), std::cos(p), std::sin(p) * std::cos(h)};
    for (int i = 0; i < 3; i++) {
        rows[0][i] = std::cos(b) * right0[i] + std::sin(b) * up0[i];
        rows[1][i] = std::cos(b) * up0[i] - std::sin(b) * right0[i];
        rows[2][i] = forward[i];
    }
}

class TrackedCockpitTest : public ViewRecordTest {
protected:
    void SetUp() override {
        ViewRecordTest::SetUp();
        ASSERT_EQ(UpdatePilotView(&g, 1), 1);  // the host's view taken over
        g.trackedPoseOn = 1;
        const double eye[3] = {0.1, -0.05, 0.2}, head[3] = {-15.0, 30.0, 10.0};
        std::memcpy(g.trackedEye, eye, sizeof eye);
        std::memcpy(g.trackedHead, head, sizeof head);
    }
    float HostMatrix(int row, int column) const { return HostField<float>(kViewMatrix + 16 * row + 4 * column); }
};

TEST_F(TrackedCockpitTest, PoseIsWrittenOnTopOfTheEngineStateWhichItLeavesAlone) {
    g.eyeX = g.eyeTarget[0] = 1.0;
    g.headPitch = g.headTarget[0] = 5.0, g.headHeading = g.headTarget[1] = 40.0;
    UpdatePilotView(&g, 1);
    EXPECT_EQ(HostField<std::int16_t>(kViewEyeOffset), 281) << "(1.0 + 0.1) x 256 = 281.6";
    EXPECT_EQ(HostField<std::int16_t>(kViewEyeOffset + 2), -12) << "-0.05 x 256 = -12.8";
    EXPECT_EQ(HostField<std::int16_t>(kViewEyeOffset + 4), 51) << "0.2 x 256 = 51.2";
    EXPECT_EQ(HostField<std::int16_t>(kViewHeadHeading), 12743) << "70 / 360 x 65536 = 12743.1";
    double rows[3][3];
    HeadAxes(5.0 - 15.0, 40.0 + 30.0, 10.0, rows);
    for (int i = 0; i < 3; i++) {
        for (int j = 0; j < 3; j++) EXPECT_NEAR(HostMatrix(i, j), rows[i][j], 1e-6) << i << "," << j;
    }
    EXPECT_EQ(g.eyeX, 1.0);
    EXPECT_EQ(g.headPitch, 5.0);
    EXPECT_EQ(g.headHeading, 40.0);
    EXPECT_EQ(g.headBank, 0.0);
}

TEST_F(TrackedCockpitTest, EyeLimitHoldsForTheSum) {
    g.eyeY = g.eyeTarget[1] = -119.98;
    g.eyeZ = g.eyeTarget[2] = 119.9;
    UpdatePilotView(&g, 1);
    EXPECT_EQ(HostField<std::int16_t>(kViewEyeOffset + 2), -30720) << "-120.03 held at -120";
    EXPECT_EQ(HostField<std::int16_t>(kViewEyeOffset + 4), 30720) << "120.1 held at 120";
    EXPECT_NEAR(g.writtenTrackedEye[1], -0.02, 1e-9) << "only what was added";
    EXPECT_NEAR(g.writtenTrackedEye[2], 0.1, 1e-9);
}

TEST_F(TrackedCockpitTest, HostChangesAreTakenWithoutTheTrackedPose) {
    g.eyeX = g.eyeTarget[0] = 1.0;
    UpdatePilotView(&g, 1);
    // The user moves the eye one unit right with the host's keys.
    SetHostField<std::int16_t>(kViewEyeOffset, std::int16_t(281 + 256));
    UpdatePilotView(&g, 1);
    EXPECT_NEAR(g.eyeX, 537.0 / 256.0 - 0.1, 1e-9) << "the host's eye less what tracking added";
    EXPECT_EQ(g.eyeY, 0.0) << "an axis the host left as written keeps the module's eye, not -12 / 256 + 0.05";
    EXPECT_NEAR(AngleDifference(g.headHeading, 0.0), 0.0, 1e-4) << "the tracked yaw is not taken as the user's";
    EXPECT_NEAR(AngleDifference(g.headPitch, 0.0), 0.0, 1e-4);
    EXPECT_EQ(HostField<std::int16_t>(kViewEyeOffset), 537) << "and written back with it";
}

TEST_F(TrackedCockpitTest, ThroughTheSpotViewAndBackThePoseIsNotTakenAsTheUsers) {
    g.eyeX = g.eyeTarget[0] = 1.0;
    UpdatePilotView(&g, 1);
    hostsim::SetViewType(3, 4);  // the host keeps the cockpit fields as written
    UpdatePilotView(&g, 1);
    hostsim::SetViewType(3, 2);
    UpdatePilotView(&g, 1);
    EXPECT_EQ(g.eyeX, 1.0);
    EXPECT_NEAR(AngleDifference(g.headHeading, 0.0), 0.0, 1e-4);
    EXPECT_EQ(HostField<std::int16_t>(kViewEyeOffset), 281) << "not 1.2 x 256";
    EXPECT_NEAR(HostField<std::int16_t>(kViewHeadHeading), 5461, 1) << "not 60 degrees";
}

TEST_F(TrackedCockpitTest, SpotViewAndAPoseSwitchedOffWriteNoTrackedPose) {
    hostsim::SetViewType(3, 4);
    SetHostField<std::int16_t>(kViewEyeOffset, 7);
    UpdatePilotView(&g, 1);
    EXPECT_EQ(HostField<std::int16_t>(kViewEyeOffset), 7) << "the spot view's eye is the host's";

    hostsim::SetViewType(3, 2);
    g.trackedPoseOn = 0;
    UpdatePilotView(&g, 1);
    g.eyeX = g.eyeTarget[0] = 1.0;
    UpdatePilotView(&g, 1);
    EXPECT_EQ(HostField<std::int16_t>(kViewEyeOffset), 256) << "nothing added";
}

// [SECTION] The input layer's commands

int g_dispatched;
int CountDispatch(int, int, KeyBinding*) {
    return ++g_dispatched, 0;
}

TEST(HeadTrackCommands, BoundNamesSwitchAndRecentreInTheInputLayersViews) {
    TestHost host;
    HostgateContext g;
    std::memset(&g, 0, sizeof g);
    LocateHostModules(&g);
    HeadTracker& t = g_headTracker;
    HeadTrackConfig config;
    SetDefaultHeadTrackConfig(&config);
    ResetHeadTracker(&t, config);
    t.havePose = 1;
    t.pose[kTrackYaw] = 12.0;
    KeyBinding bindings[3] = {};
    std::strcpy(bindings[0].name, "ToggleHeadTracking"), bindings[0].keyCode = 'T';
    std::strcpy(bindings[1].name, "RecentreHeadTracking"), bindings[1].keyCode = 'R';
    std::strcpy(bindings[2].name, "toggleheadtracking"), bindings[2].keyCode = 'L';
    KeyBindingTable table = {3, 3, bindings};
    g.keyBindingTable = &table;
    g.commandDispatch = CountDispatch;
    g_dispatched = 0;
    auto press = [&](int vk) {
        int consumed = InterpretInput(&g, host.child, kMsgKeyDown, PlatWParam(vk), 0);
        InterpretInput(&g, host.child, kMsgKeyUp, PlatWParam(vk), 0);
        return consumed;
    };

    EXPECT_EQ(press('T'), 1);
    EXPECT_EQ(t.active, 1);
    EXPECT_EQ(press('R'), 1);
    EXPECT_EQ(t.centre[kTrackYaw], 12.0);
    EXPECT_EQ(press('L'), 0) << "names match exactly";
    EXPECT_EQ(g_dispatched, 1) << "and the dispatcher does not know the other spelling";
    hostsim::SetViewType(3, 3);
    EXPECT_EQ(press('T'), 0) << "outside the input layer's views";
    EXPECT_EQ(t.active, 1);
    hostsim::SetViewType(3, 4);
    EXPECT_EQ(press('T'), 1) << "the spot view is one of them";
    EXPECT_EQ(t.active, 0);
    CloseHeadTracker(&t);
}

// [SECTION] Start, the camera tick, stop

TEST(HeadTrackModule, StartReadsTheFileAndOpensNothingBeforeTheFirstTick) {
    TestHost host;
    host.WriteFile("C:\\FS9\\Skyvane2004-HeadTracking.cfg", "Enabled=1\r\nPort=4343\r\nInvertRoll=1\r\n");
    hostsim::LoadModule();
    EXPECT_EQ(g_headTracker.active, 1);
    EXPECT_EQ(g_headTracker.config.port, 4343);
    EXPECT_EQ(g_headTracker.config.invert[kTrackRoll], 1);
    EXPECT_EQ(g_headTracker.socketState, kTrackSocketClosed);
    hostsim::UnloadModule();
    host.WriteFile("C:\\FS9\\Skyvane2004-HeadTracking.cfg", "");
    hostsim::LoadModule();
    EXPECT_EQ(g_headTracker.active, 0);
    EXPECT_EQ(g_headTracker.config.port, 4242);
    hostsim::UnloadModule();
}

TEST(HeadTrackModule, TickAppliesThePoseOnlyInThePlainCockpitViewAndStopFreesThePort) {
    const int port = UdpSender::FreePort();
    ASSERT_NE(port, 0);
    struct Case {
        const char* what;
        int internal, external, traffic, lookAt;
        double altitude;  // feet; the walker needs the ground
        int applied;
    };
    const Case cases[] = {
        {"cockpit", 1, 0, 0, 0, 3500.0, 1}, {"internal view off", 0, 0, 0, 0, 3500.0, 0},
        {"walker", 1, 1, 0, 0, 0.0, 0},     {"traffic view", 1, 0, 1, 0, 3500.0, 0},
        {"padlock", 1, 0, 0, 1, 3500.0, 0},
    };
    UdpSender sender;
    for (const Case& c : cases) {
        FlyingModule module;
        module.host.WriteFile("C:\\FS9\\Skyvane2004-HeadTracking.cfg",
                              "Enabled=1\nPort=" + std::to_string(port) + "\n");
        hostsim::UnloadModule();
        hostsim::LoadModule();
        hostsim::Plane().altitude = c.altitude;
        hostsim::PublishAircraft();
        g_main.InternalViewActive = c.internal, g_main.ExternalViewActive = c.external;
        g_main.TrafficViewActive = c.traffic, g_main.LookAtViewActive = c.lookAt;
        for (int i = 0; i < 200; i++) {
            sender.SendPose(port, kPose);
            module.Tick(16);
        }
        EXPECT_EQ(g_headTracker.socketState, kTrackSocketOpen) << c.what;
        EXPECT_EQ(g_hostgate.trackedPoseOn, c.applied) << c.what;
        EXPECT_EQ(g_hostgate.trackedHead[1], c.applied ? 30.0 : 0.0) << c.what;
    }
    PortHolder after(port);
    EXPECT_TRUE(after.held()) << "stop closed the module's socket";
}

}  // namespace
