// hostile_numbers_test.cpp - huge, NaN and infinite numbers from the host,
// from view files and from the mouse: every angle fold answers at once and as
// its loop would, every conversion into a host integer is defined, and one
// bad value does not poison the pilot view. Expected words worked out with
// exact integer arithmetic (python) or by hand.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "camera/angle_fold.h"
#include "camera/camera_tick.h"
#include "camera/geometry.h"
#include "files/view_file.h"
#include "frame_fixture.h"
#include "host/host_access.h"
#include "hostsim/host_process.h"
#include "input/input.h"
#include "pilotview/pilot_view.h"
#include "shell/command_dispatch.h"
#include "test_host.h"
#include "view_record_fixture.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// [SECTION] Angle folds against the loops they replace

// The loops as they were written, for angles they finish in reasonable time.
double LoopDownTo360(double a) { while (a > 360.0) a -= 360.0; return a; }
double LoopDownBelow360(double a) { while (a >= 360.0) a -= 360.0; return a; }
double LoopUpFromNegative(double a) { while (a < 0.0) a += 360.0; return a; }

std::vector<double> AnglesTheLoopsFinish() {
    std::vector<double> angles = {0.0, -0.0, 360.0, -360.0, 720.0, -720.0, 1080.0, 359.9999999999999,
                                  360.0000000000001, 1e-300, -1e-300, -1e-20, 1e-20, 719.9999999999999,
                                  -719.9999999999999, 540.0, -540.0, 180.0, -180.0, 36000.0, -36000.0,
                                  1e6 + 0.1, -1e6 - 0.1, 4.9e-324, -4.9e-324, 1234567.890123, -7654321.5};
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> wide(-2e6, 2e6), narrow(-1.0, 1.0);
    std::uniform_int_distribution<int> turns(-5000, 5000);
    for (int i = 0; i < 3000; i++) {
        angles.push_back(wide(rng));
        angles.push_back(turns(rng) * 360.0);                    // whole turns
        angles.push_back(turns(rng) * 360.0 + narrow(rng) * 1e-9);  // just beside them
    }
    return angles;
}

TEST(AngleFolds, GiveTheLoopsResultsToTheBit) {
    for (double a : AnglesTheLoopsFinish()) {
        ASSERT_TRUE(SameBits(FoldDownTo360(a), LoopDownTo360(a))) << a;
        ASSERT_TRUE(SameBits(FoldDownBelow360(a), LoopDownBelow360(a))) << a;
        ASSERT_TRUE(SameBits(FoldUpFromNegative(a), LoopUpFromNegative(a))) << a;
        double wrapped = LoopDownTo360(LoopUpFromNegative(a));
        ASSERT_TRUE(SameBits(WrapAngle360(a), wrapped)) << a;
        double half = LoopDownBelow360(LoopUpFromNegative(a));
        ASSERT_TRUE(SameBits(Wrap180(a), half > 180.0 ? half - 360.0 : half)) << a;
    }
}

// Angles no loop could finish: answered at once, within one turn; 1e300 is
// a whole number of turns (exactly), 6e180 is 48 past one, DBL_MAX 128.
TEST(AngleFolds, HugeAnglesFoldAtOnceAndInfinitiesBecomeNaN) {
    const struct { double in, downTo360, wrap360; } cases[] = {
        {1e12, 280.0, 280.0},       {6e180, 48.0, 48.0},       {1e300, 360.0, 360.0},
        {-1e300, -1e300, 0.0},      {DBL_MAX, 128.0, 128.0},   {-DBL_MAX, -DBL_MAX, 232.0},
        {1152921504606846976.0, 136.0, 136.0},  // 2^60, where each step of the loop would round
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        double wrapped = WrapAngle360(c.in);
        EXPECT_EQ(WrapAngle360(c.in), c.wrap360);
        EXPECT_FALSE(std::signbit(wrapped)) << "a whole number of turns below zero gives +0";
        if (c.in > 0) EXPECT_EQ(FoldDownTo360(c.in), c.downTo360);
        double half = Wrap180(c.in);
        EXPECT_TRUE(half >= -180.0 && half <= 180.0) << half;
    }
    for (double bad : {kInf, -kInf, kNaN}) {
        EXPECT_TRUE(std::isnan(WrapAngle360(bad)));
        EXPECT_TRUE(std::isnan(Wrap180(bad)));
        EXPECT_TRUE(std::isnan(AngleDifference(bad, 10.0)));
        EXPECT_TRUE(std::isnan(AngleDifference(10.0, bad)));
    }
    EXPECT_EQ(AngleDifference(1e300, 350.0), 10.0);
    EXPECT_EQ(AngleDifference(-1e12, 90.0), -10.0);  // -1e12 folds to 80
}

// [SECTION] The snapshot's track on a hostile heading

class HostileFrames : public ::testing::Test {
protected:
    void SetUp() override {
        // Standing still: the track is the heading folded, nothing added.
        hostsim::Plane().groundSpeed = 0.0;
        hostsim::PublishAircraft();
        for (int i = 0; i < 3; i++) module.Tick(500);  // 1.0 + 0.5 + 0.5 s: past the warm-up
        ASSERT_GE(g_main.ElapsedTime, 2.0);
    }
    FlyingModule module;
};

TEST_F(HostileFrames, AHugeHeadingFoldsWithinTheFrame) {
    const struct { double heading, track; } cases[] = {
        {1e9, 280.0},    {1e12, 280.0},   {6e180, 48.0}, {1e300, 360.0}, {-1e300, 0.0},
        {360.0, 360.0},  {720.0, 360.0},  {-720.0, 0.0}, {kInf, 0.0},    {-kInf, 0.0}, {kNaN, 0.0},
    };
    for (const auto& c : cases) {
        hostsim::SetVariable(86, c.heading);
        module.Tick();
        EXPECT_TRUE(SameBits(g_aircraft.track, c.track)) << "heading " << c.heading << ": got " << g_aircraft.track;
    }
}

// [SECTION] Conversions into host integers

TEST(HostConversions, OneRuleForEveryDouble) {
    // In the 64-bit range the words are the truncation's low bits; beyond it
    // the exact whole number's low bits; NaN and the infinities give 0.
    const struct { double in; std::uint32_t low32; std::uint16_t low16; } cases[] = {
        {-1.9, 0xFFFFFFFFu, 0xFFFF},
        {4294967296.0 + 5.7, 5u, 5},
        {-9223372036854775808.0, 0u, 0},           // -2^63 still fits
        {9223372036854775808.0, 0u, 0},            // 2^63 does not
        {9223372036854777856.0, 0x800u, 0x800},    // 2^63 + 2048
        {-9223372036854779904.0, 0xFFFFF000u, 0xF000},  // -(2^63 + 4096)
        {1e19, 0x89E80000u, 0},
        {-1e19, 0x76180000u, 0},
        {1e300, 0u, 0},
        {DBL_MAX, 0u, 0},
        {kNaN, 0u, 0},
        {kInf, 0u, 0},
        {-kInf, 0u, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HostLow32(c.in), c.low32) << c.in;
        EXPECT_EQ(HostLow16(c.in), c.low16) << c.in;
    }
    // 1e12 degrees is 1.1930464708333332e19 host units, beyond 64 bits.
    EXPECT_EQ(HostAngle32(1e12), 0x218AE800u);
    EXPECT_EQ(HostAngle32(-1e12), 0xDE751800u);
    EXPECT_EQ(HostAngle32(kNaN), 0u);

    for (double bad : {kNaN, kInf, -kInf}) {
        std::int32_t integer = 7;
        std::uint32_t fraction = 7;
        HostSplit32(bad, &integer, &fraction);
        EXPECT_EQ(integer, 0) << bad;
        EXPECT_EQ(fraction, 0u) << bad;
    }
    std::int32_t integer = 0;
    std::uint32_t fraction = 1;
    HostSplit32(-1e19, &integer, &fraction);
    EXPECT_EQ(std::uint32_t(integer), 0x76180000u);
    EXPECT_EQ(fraction, 0u);
}

TEST(HostConversions, ANaNEyePointWritesZeroWords) {
    TestHost host;
    g_hostgate = HostgateContext{};
    LocateHostModules(&g_hostgate);
    SetEyePoint(GeoPoint{kNaN, kInf, -kInf});
    hostsim::CameraPosition c = hostsim::ReadCameraPosition();
    for (int i : {0, 1, 2, 3}) EXPECT_EQ(c.words[i], 0u) << "word " << i;
    EXPECT_EQ(c.words[5] & 0xFFFF, 0u);
}

// [SECTION] Host variables and records that are not numbers

TEST(HostVariables, NotFiniteReadsAsZero) {
    TestHost host;
    HostVariableRequest request{};
    for (double bad : {kNaN, kInf, -kInf}) {
        hostsim::SetVariable(832, bad);
        EXPECT_EQ(ReadHostVariableValue(&request, 832), 0.0) << bad;
    }
    hostsim::SetVariable(832, -DBL_MAX);
    EXPECT_EQ(ReadHostVariableValue(&request, 832), -DBL_MAX) << "finite values stay as they are";
}

// The words the fly-by writes after some frames with one variable forced.
std::vector<std::uint32_t> FlyByWords(std::uint32_t variable, double value) {
    FlyingModule module;
    g_main.FlyByActive = 1;
    g_main.InternalViewActive = 1;
    hostsim::SetVariable(variable, value);
    for (int i = 0; i < 80; i++) module.Tick(40);
    hostsim::CameraPosition c = hostsim::ReadCameraPosition();
    return std::vector<std::uint32_t>(c.words, c.words + 6);
}

TEST(HostVariables, NaNAndInfinitiesFlyAsZeroWould) {
    for (std::uint32_t id : {832u, 71u, 72u, 73u, 77u, 86u}) {
        const std::vector<std::uint32_t> zero = FlyByWords(id, 0.0);
        for (double bad : {kNaN, kInf, -kInf}) EXPECT_EQ(FlyByWords(id, bad), zero) << "variable " << id << " = " << bad;
    }
}

TEST(HostVariables, HugeFiniteValuesConvertWithoutTrouble) {
    // Nothing to compare with: the frames must simply run (the sanitizers
    // stop the test at an undefined conversion) and write whole words.
    for (std::uint32_t id : {832u, 71u, 72u, 73u, 2u}) {
        for (double huge : {DBL_MAX, -DBL_MAX, 1e300, 6e180}) FlyByWords(id, huge);
    }
}

class HostileViewRecord : public ViewRecordTest {
protected:
    std::vector<std::uint8_t> Record() const {
        std::vector<std::uint8_t> bytes(kHostViewSize);
        hostsim::Read(view, bytes.data(), kHostViewSize);
        return bytes;
    }
};

// One NaN in the matrix (row 2, column 1, at 0x74) is taken as 0: the head
// stays a number, and the record written back is the one a 0 there gives.
TEST_F(HostileViewRecord, ANaNInTheMatrixIsTakenAsZero) {
    SetHostField<float>(0x74, 0.0f);
    ASSERT_EQ(UpdatePilotView(&g, 1), 1);
    const std::vector<std::uint8_t> withZero = Record();
    const double headings[2] = {g.headPitch, g.headHeading};

    std::memset(&g, 0, sizeof g);
    LocateHostModules(&g);
    g.frameDelta = 0.05;
    hostsim::BuildRecords();  // the host's record as it was
    SetHostField<float>(0x74, std::numeric_limits<float>::quiet_NaN());
    ASSERT_EQ(UpdatePilotView(&g, 1), 1);
    EXPECT_EQ(Record(), withZero);
    EXPECT_EQ(g.headPitch, headings[0]);
    EXPECT_EQ(g.headHeading, headings[1]);
    // The next frames keep the module's own numbers.
    for (int i = 0; i < 5; i++) ASSERT_EQ(UpdatePilotView(&g, 1), 1);
    EXPECT_TRUE(std::isfinite(g.headPitch) && std::isfinite(g.headHeading));
}

// A view file holding 1e300 and 1e999 (read as the largest double) recalled
// at once: the eye stops at 120 units, the head heading folds (DBL_MAX is
// 128 degrees past whole turns), and a zoom whose word overflows writes 0.
TEST(HostileViewFile, HugePresetsRecallIntoDefinedWords) {
    TestHost host;
    hostsim::LoadModule();
    g_main.InternalViewActive = 1;
    g_main.SmoothView = 0;
    LocateHostModules(&g_hostgate);
    g_hostgate.frameDelta = 0.05;
    ASSERT_EQ(UpdatePilotView(&g_hostgate, 1), 1);  // the host's view taken once

    host.WriteFile("C:\\FS9\\huge.skv", "View.1=0,1e300,1e999,-1e999,0,1e999,0,1e999\r\n");
    LoadViewFile("C:\\FS9\\huge.skv");
    EXPECT_EQ(g_viewPresets[1].eye[1], DBL_MAX);
    EXPECT_EQ(g_viewPresets[1].eye[2], -DBL_MAX);
    KeyBinding recall{};
    std::strcpy(recall.name, "CockpitView1");
    EXPECT_EQ(DispatchCommand(0, 0, &recall), 1);

    const HostAddr view = hostsim::ViewAddress(3);
    auto word = [view](std::uint32_t offset) {
        std::uint16_t w = 0;
        hostsim::Read(view + offset, &w, sizeof w);
        return w;
    };
    EXPECT_EQ(word(kViewEyeOffset), 0x7800);      // 120 x 256
    EXPECT_EQ(word(kViewEyeOffset + 2), 0x7800);
    EXPECT_EQ(word(kViewEyeOffset + 4), 0x8800);  // -120 x 256
    EXPECT_EQ(word(kViewZoom), 0);                // DBL_MAX x 64 is infinite
    EXPECT_EQ(word(kViewHeadHeading), 23301);     // 128 / 360 x 65536 = 23301.69
    hostsim::UnloadModule();
}

// [SECTION] The mouse

// A cursor that jumps from x = 2e9 to x = -2e9 moves 4e9 pixels, more than
// an int32 holds.
TEST(HostileMouse, ACursorJumpAcrossTheWholeRangeTurnsTheHeadByItsFullLength) {
    TestHost host;
    HostgateContext g{};
    LocateHostModules(&g);
    g.frameDelta = 0.05;
    ASSERT_EQ(UpdatePilotView(&g, 1), 1);
    g.zoom = g.zoomTarget = 2.0;
    g.headHeading = g.headTarget[1] = 0.0;
    g.headPitch = g.headTarget[0] = 0.0;
    g.mouseLookOn = 1;
    hostsim::TheScreen().cursorX = 2000000000, hostsim::TheScreen().cursorY = -2000000000;
    ASSERT_EQ(InterpretInput(&g, host.child, kMsgMouseMove, 0, 0), 1);  // records the position
    hostsim::TheScreen().cursorX = -2000000000, hostsim::TheScreen().cursorY = 2000000000;
    ASSERT_EQ(InterpretInput(&g, host.child, kMsgMouseMove, 0, 0), 1);
    EXPECT_DOUBLE_EQ(g.headHeading, -4e9 * 0.15 / 2.0);
    EXPECT_DOUBLE_EQ(g.headPitch, 4e9 * 0.15 / 2.0);
}

}  // namespace

namespace {

// A head lost to an infinity (a zoom word of 0 in the host's record divides
// the mouse's motion by 0) comes back when the host's view is taken over
// (before, it stayed NaN for the rest of the session).
TEST(HostileMouse, AHeadLostToAZeroZoomComesBackWithTheHostsView) {
    TestHost host;
    HostgateContext g{};
    LocateHostModules(&g);
    g.frameDelta = 0.05;
    const HostAddr view = hostsim::ViewAddress(3);
    const std::int16_t zeroZoom = 0;
    hostsim::Write(view + kViewZoom, &zeroZoom, sizeof zeroZoom);
    ASSERT_EQ(UpdatePilotView(&g, 1), 1);
    ASSERT_EQ(g.zoom, 0.0);
    g.mouseLookOn = 1;
    hostsim::TheScreen().cursorX = 100, hostsim::TheScreen().cursorY = 100;
    ASSERT_EQ(InterpretInput(&g, host.child, kMsgMouseMove, 0, 0), 1);
    hostsim::TheScreen().cursorX = 110;
    ASSERT_EQ(InterpretInput(&g, host.child, kMsgMouseMove, 0, 0), 1);
    EXPECT_FALSE(std::isfinite(g.headHeading));
    // The matrix written from it is NaN, which never equals itself: the next
    // frame takes the host's view over and the head is a number again.
    ASSERT_EQ(UpdatePilotView(&g, 1), 1);
    EXPECT_TRUE(std::isfinite(g.headHeading) && std::isfinite(g.headPitch));

    // The user turns the view with the host's own controls: heading 90 (the
    // forward axis turned to +x), zoom 1.
    const float turned[3][3] = {{0.0f, 0.0f, -1.0f}, {0.0f, 1.0f, 0.0f}, {1.0f, 0.0f, 0.0f}};
    for (int i = 0; i < 3; i++) hostsim::Write(view + kViewMatrix + 16 * i, turned[i], sizeof turned[i]);
    const std::int16_t zoom = 64;
    hostsim::Write(view + kViewZoom, &zoom, sizeof zoom);
    ASSERT_EQ(UpdatePilotView(&g, 1), 1);
    EXPECT_NEAR(g.headHeading, 90.0, 1e-4);
    EXPECT_EQ(g.headPitch, 0.0);
    EXPECT_EQ(g.zoom, 1.0);
}

}  // namespace
