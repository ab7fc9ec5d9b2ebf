// commands_test.cpp - the command table and the dispatcher: substring
// matching in pattern order, the toggles it reaches, ground picks, and
// storing and recalling the cockpit view presets.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "camera/approach.h"
#include "camera/camera_tick.h"
#include "files/view_file.h"
#include "host/hostgate.h"
#include "hostsim/host_process.h"
#include "shell/command_dispatch.h"
#include "shell/command_table.h"
#include "shell/settings.h"
#include "test_host.h"

namespace {

// The names at the seams of the table, in the order the key dialog lists them.
TEST(CommandTableTest, FiftyFourRecordsInOrderThenAnAllZeroEnd) {
    int count = 0;
    while (kCommandTable[count].number != 0) count++;
    EXPECT_EQ(count, 54);
    const CommandRecord zero{};
    EXPECT_EQ(std::memcmp(&kCommandTable[54], &zero, sizeof zero), 0);
    for (auto [at, name] : {std::pair{2, "ToggleFlyBy"}, {20, "SetApproachPosition"}, {33, "PilotTiltLeft"},
                            {34, "SetCockpitView0"}, {44, "CockpitView0"}, {53, "CockpitView9"}}) {
        EXPECT_STREQ(kCommandTable[at].name, name) << at;
    }
}

class DispatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(&g_main, 0, sizeof g_main);
        SetDefaultSettings(&g_main);
        std::memset(&g_hostgate, 0, sizeof g_hostgate);
        ClearViewPresets();
        g_main.InternalViewActive = 1, g_shell.HostMainWindow = host.main;
    }
    static int Fire(const std::string& name) {
        KeyBinding binding{};
        std::memcpy(binding.name, name.data(), name.size() < 32 ? name.size() : 32);
        return DispatchCommand(0, 0, &binding);
    }
    // The whole module state, to show that a command changed nothing.
    struct Snapshot {
        MainState main = g_main;
        HostgateContext gate = g_hostgate;
        std::array<ViewPreset, kViewPresetCount> presets = std::to_array(g_viewPresets);
        bool Same() const {
            return !std::memcmp(&main, &g_main, sizeof main) && !std::memcmp(&gate, &g_hostgate, sizeof gate) &&
                   !std::memcmp(presets.data(), g_viewPresets, sizeof presets);
        }
    };
    TestHost host;
};

TEST_F(DispatchTest, EveryTableCommandButTheInputLayersOwnIsTaken) {
    for (int i = 0; kCommandTable[i].number != 0; i++) {
        std::string name = kCommandTable[i].name;
        bool own = name.rfind("Pilot", 0) == 0 || name.rfind("ToggleMouse", 0) == 0;
        g_main.InternalViewActive = 1;
        EXPECT_EQ(Fire(name), own ? 0 : 1) << name;
    }
}

TEST_F(DispatchTest, PlainTogglesFlipOnlyTheirOwnFlag) {
    const struct { const char* name; int MainState::*flag; } cases[] = {
        {"ToggleHeadLatency", &MainState::ViewTurbOn},      {"ToggleGroundTurbulence", &MainState::GroundTurbOn},
        {"ToggleBuffeting", &MainState::BuffetTurbOn},       {"ToggleInternalView", &MainState::InternalViewActive},
        {"ToggleWheelZoom", &MainState::EnableWheelZoom},    {"ToggleUseMouseInSpot", &MainState::UseMouseInSpot},
    };
    for (const auto& c : cases) {
        const int before = g_main.*c.flag;
        Snapshot other;
        ASSERT_EQ(Fire(c.name), 1);
        EXPECT_EQ(g_main.*c.flag, !before) << c.name;
        g_main.*c.flag = before;
        EXPECT_TRUE(other.Same()) << c.name << " changed something else";
    }
}

TEST_F(DispatchTest, SubstringCaseSensitiveFirstPatternWinsWithinTheName) {
    g_main.FlyByActive = 0, g_main.ApproachActive = 1;
    EXPECT_EQ(Fire("XToggleFlyBy"), 1);
    EXPECT_EQ(g_main.FlyByActive + 2 * g_main.ApproachActive, 1);
    EXPECT_EQ(Fire("NextTrafficToggleFlyBy"), 1);
    EXPECT_EQ(g_main.FlyByActive + g_main.TrafficIndex, 0) << "ToggleFlyBy is tried first";
    Snapshot before;
    EXPECT_EQ(Fire("toggleflyby") + Fire("PilotForward") + Fire(""), 0);
    EXPECT_TRUE(before.Same());
    // A name filling its whole field matches; the byte after it would
    // complete a pattern and must not be read.
    EXPECT_EQ(Fire(std::string(21, 'A') + "ToggleFlyBy"), 1);
    KeyBinding cut{};
    std::memcpy(cut.name, (std::string(22, 'A') + "ToggleFlyB").data(), 32);
    cut.keyCode = 'y';
    EXPECT_EQ(DispatchCommand(0, 0, &cut), 0);
}

// The tower toggle is the menu's; its events are shown by the router test and a scenario.
TEST_F(DispatchTest, TrafficAndPadlockExclusions) {
    Fire("ToggleTrafficView");
    for (int i = 0; i < 2; i++) Fire("NextTraffic");
    Fire("ToggleTrafficLock");
    std::strcpy(g_main.TrafficLockId, "AI 12");
    g_main.LookAtPoint = GeoPoint{0.1, 0.2, 300.0};
    Fire("ToggleLookAtView");
    EXPECT_EQ(g_main.LookAtViewActive, 1);
    EXPECT_EQ(g_main.TrafficViewActive + g_main.TrafficLockActive + g_main.TrafficIndex + g_main.TrafficLockId[0], 0);
    Fire("ToggleTrafficView");
    EXPECT_EQ(g_main.LookAtViewActive, 0);
    EXPECT_EQ(g_main.LookAtPoint.altitude, 300.0) << "the padlock point stays";
}

TEST_F(DispatchTest, GroundPicksSetPointsOnlyWhenPicked) {
    ViewSet<std::int32_t>(&g_hostgate.savedView, kViewType, kViewTypeVirtualCockpit);
    g_hostgate.zoom = 1.0, g_hostgate.headPitch = 30.0;
    g_aircraft = {};
    g_aircraft.position = {0.8, -2.1, 3000.0};
    g_aircraft.heightAboveGround = 100.0, g_aircraft.groundElevation = 400.0;
    hostsim::TheScreen() = hostsim::Screen{612, 434, 100, 50, 1024, 768};
    GeoPoint picked{};
    ASSERT_EQ(PickGroundPoint(&picked), 1);
    g_main.ApproachViewY = 25.0;
    Fire("SetApproachPosition");
    Fire("SetLookAtView");
    EXPECT_EQ(g_main.ApproachPoint.latitude, picked.latitude);
    EXPECT_EQ(g_main.ApproachPoint.altitude, 425.0);
    EXPECT_EQ(std::memcmp(&g_main.LookAtPoint, &picked, sizeof picked), 0);

    g_hostgate.headPitch = -10.0;  // above the horizon: nothing to pick
    Snapshot before;
    EXPECT_EQ(Fire("SetApproachPosition") + Fire("SetLookAtView"), 2);
    EXPECT_TRUE(before.Same());
}

// [SECTION] Presets

TEST_F(DispatchTest, StoreTakesTheTargetsIntoTheNumberAtAFixedPlace) {
    const struct { const char* name; int preset; } cases[] = {
        {"SetCockpitView3", 3}, {"SetCockpitView", 0}, {"SetCockpitView:", 9},
        {"SetCockpitView\xE9", 0}, {"XSetCockpitView1", 9},
    };
    for (const auto& c : cases) {
        ClearViewPresets();
        g_viewPresets[c.preset] = ViewPreset{0, {7, 7, 7}, {7, 7, 7}, 7};
        g_hostgate.eyeTarget[2] = g_hostgate.headTarget[1] = g_hostgate.zoomTarget = 2.0;
        ASSERT_EQ(Fire(c.name), 1);
        for (int i = 0; i < kViewPresetCount; i++) EXPECT_EQ(g_viewPresets[i].zoom, i == c.preset ? 2 : 0) << c.name;
        EXPECT_EQ(g_viewPresets[c.preset].eye[0], 0.0) << c.name;
        EXPECT_EQ(g_hostgate.eyeTarget[0], 0.0) << c.name << " acted as a recall";
    }
}

TEST_F(DispatchTest, RecallOnlyWithTheInternalViewAndANonEmptyKnownPreset) {
    g_viewPresets[0] = ViewPreset{0, {0, 0, 0}, {10, 20, 30}, 2};  // empty: eye at 0
    g_viewPresets[1] = ViewPreset{2, {1, 1, 1}, {10, 20, 30}, 2};  // kind that recalls nothing
    g_viewPresets[2] = ViewPreset{0, {0, 0, 1e-9}, {0, 0, 0}, 1};
    Snapshot before;
    EXPECT_EQ(Fire("CockpitView") + Fire("CockpitView1"), 2);
    g_main.InternalViewActive = 0;
    EXPECT_EQ(Fire("CockpitView2") + Fire("SetCockpitView2"), 0);
    g_main.InternalViewActive = 1;
    EXPECT_TRUE(before.Same());
    EXPECT_EQ(Fire("CockpitView2"), 1);
    EXPECT_EQ(g_hostgate.eyeTarget[2], 1e-9);
}

TEST_F(DispatchTest, WalkerPresetStoredOutsideSwitchesTheExternalViewOn) {
    HostgateContext& g = g_hostgate;
    g_main.ExternalViewActive = 1;
    g.walkerLatitude = 47.5, g.walkerLongitude = -122.25, g.walkerStandAltitude = 120.0;
    g.walkerPitch = -5.0, g.walkerHeading = 270.0, g.walkerBank = 1.0, g.walkerZoom = 0.75;
    const HostgateContext stored = g;
    ASSERT_EQ(Fire("SetCockpitView8"), 1);
    EXPECT_EQ(g_viewPresets[8].kind, 1);

    g_main.ExternalViewActive = 0;
    std::memset(&g, 0, sizeof g);  // all but the walker fields were 0 already
    ASSERT_EQ(Fire("CockpitView8"), 1);
    EXPECT_EQ(g_main.ExternalViewActive + g_main.InternalViewActive + g.walkerKeepPosition, 3);
    g.walkerKeepPosition = 0;
    EXPECT_EQ(std::memcmp(&g, &stored, sizeof g), 0) << "walker fields back, nothing else touched";
}

TEST_F(DispatchTest, CockpitRecallJumpsOrLeavesTheWayToTheTransition) {
    g_viewPresets[1] = ViewPreset{0, {10, -20, 30}, {15, 300, 5}, 1.5};
    for (int smooth = 0; smooth <= 1; smooth++) {
        std::memset(&g_hostgate, 0, sizeof g_hostgate);
        g_hostgate.zoom = 1.0, g_main.SmoothView = smooth, g_main.ExternalViewActive = 1;
        ASSERT_EQ(Fire("CockpitView1"), 1);
        EXPECT_EQ(g_main.ExternalViewActive, 0);
        // smooth is the share of the way still to go.
        EXPECT_EQ(g_hostgate.eyeY, -20.0 * (1 - smooth)) << smooth;
        EXPECT_EQ(g_hostgate.zoom, 1.5 - 0.5 * smooth) << smooth;
        EXPECT_EQ(g_hostgate.eyeRate[2], 30.0 * smooth) << smooth;
        EXPECT_EQ(g_hostgate.headRate[1], 60.0 * smooth) << smooth << ": the short way round";
    }
}

}  // namespace
