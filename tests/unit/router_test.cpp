// router_test.cpp - the hooks, the message router, the module menu and the
// order of start-up and shut-down, on the shell alone: the subsystems it
// calls are recorders (tests/fakes), so the order and arguments of every call
// can be checked. What the host sees of the same (deliveries, the menu's
// layout, the flags) is proven by the scenario tests.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fakes/subsystem_fakes.h"
#include "hostsim/hostsim.h"
#include "input/key_bindings.h"
#include "shell/router.h"
#include "shell/settings.h"
#include "test_host.h"

namespace {

// The module's globals as a freshly loaded library has them; the tests share one process.
void FreshGlobals() {
    std::memset(&g_main, 0, sizeof g_main);
    std::memset(&g_shell, 0, sizeof g_shell);
    std::memset(&g_hostgate, 0, sizeof g_hostgate);
    ResetFakes();
}

void ClearCalls() {
    g_fakes.calls.clear();
    g_fakes.context = nullptr;
}

std::string Calls() {
    std::string out;
    for (const std::string& call : g_fakes.calls) out += (out.empty() ? "" : " | ") + call;
    return out;
}

// Every field, one a line, so that a failed comparison shows the fields that differ.
std::string State(const MainState& s, const HostgateContext& g) {
    std::string out;
    char text[512];
    for (const SettingInfo& info : kSettings) {
        FormatSetting(&s, info, text, sizeof text);
        out += std::string(info.name) + " " + text + "\n";
    }
    std::snprintf(text, sizeof text,
                  "ExternalViewActive %d\nTrafficViewActive %d\nTrafficLockActive %d\nTrafficIndex %d\n"
                  "TrafficLockId \"%.32s\"\nLookAtViewActive %d\nTowerModeActive %d\nhostgate TowerModeActive %d\n"
                  "towerEyeHeight %g\nsaveEyeRequest %d\nrestoreEyeRequest %d\nsavedEye %g %g %g\n"
                  "keyBindingTable %p\ncommandDispatch %d\n",
                  s.ExternalViewActive, s.TrafficViewActive, s.TrafficLockActive, s.TrafficIndex, s.TrafficLockId,
                  s.LookAtViewActive, s.TowerModeActive, g.TowerModeActive, g.towerEyeHeight, g.saveEyeRequest,
                  g.restoreEyeRequest, g.savedEye[0], g.savedEye[1], g.savedEye[2],
                  static_cast<const void*>(g.keyBindingTable), g.commandDispatch != nullptr);
    return out + text;
}

int LiveMenus() {
    int n = 0;
    for (const hostsim::Menu& m : hostsim::Get().menus) n += m.alive ? 1 : 0;
    return n;
}

// The module popup: the last item of the window's fourth menu.
const hostsim::Menu* ModulePopup(PlatWindow window) {
    const hostsim::Menu* fourth = hostsim::MenuOf(PlatSubMenu(PlatWindowMenuBar(window), 3));
    return fourth && !fourth->items.empty() ? hostsim::MenuOf(fourth->items.back().popup) : nullptr;
}

// Started module on a fresh host with main (FS98MAIN, five menus) and child.
class RouterTest : public ::testing::Test {
protected:
    TestHost host;
    void SetUp() override {
        FreshGlobals();
        hostsim::LoadModule();
        g_fakes.calls.clear();
    }
};

TEST_F(RouterTest, KeysAlwaysAndMouseWithTheInternalViewReachInputAndFramesTickOnce) {
    const std::vector<std::uint32_t> groups[] = {
        {kMsgKeyDown, kMsgKeyUp},
        {kMsgMouseMove, kMsgLButtonDown, kMsgLButtonUp, kMsgRButtonDown, kMsgRButtonUp, kMsgMButtonDown,
         kMsgMButtonUp, kMsgMouseWheel},
        // Character, system keys, double clicks, X buttons, horizontal wheel, joystick, timer.
        {0x0102, 0x0104, 0x0105, 0x0203, 0x0206, 0x0209, 0x020B, 0x020C, 0x020E, kMsgJoystickButtonDown, kMsgTimer},
        {kMsgHostFrame},  // never consumed, whatever input would answer
    };
    for (int answer : {0, 1}) {
        for (int internal : {0, 1}) {
            for (PlatWindow window : {host.main, host.child}) {
                const std::string name = hostsim::WindowOf(window)->name;
                for (int group = 0; group < 4; group++) {
                    for (std::uint32_t message : groups[group]) {
                        SCOPED_TRACE(testing::Message() << name << ", internal " << internal << ", " << message);
                        g_fakes.inputResult = answer;
                        g_main.InternalViewActive = internal;
                        ClearCalls();
                        int got = RouteHostMessage(window, message, 0x70, 0x3B0001);
                        bool routed = group == 0 || (group == 1 && internal);
                        const auto in = "InterpretInput " + name + " " + std::to_string(message) + " 112 3866625";
                        EXPECT_EQ(Calls(), group == 3 ? "CameraTick" : routed ? in : "");
                        EXPECT_EQ(got, routed ? answer : 0) << "input answered " << answer;
                        EXPECT_EQ(g_fakes.context, routed ? &g_hostgate : nullptr) << "context given to input";
                    }
                }
            }
        }
    }
}

TEST_F(RouterTest, HooksNeutraliseOnlyTheConsumedMessagesTheyMayRoute) {
    for (int answer : {0, 1}) {
        for (int code : {0, 1, -1}) {
            for (PlatWParam removal : {PlatWParam(0), PlatWParam(1)}) {
                SCOPED_TRACE(testing::Message() << "answer " << answer << ", code " << code << ", removal " << removal);
                g_fakes.inputResult = answer;
                g_fakes.calls.clear();
                HookCallRecord sent{0x3B0001, 0x70, kMsgKeyDown, host.child};
                HookQueuedMessage queued{host.child, kMsgKeyUp, 0x70, 0x3B0001, 5, 6, 7};
                EXPECT_EQ(CallWndProcHook(code, removal, reinterpret_cast<PlatLParam>(&sent)), 0);
                EXPECT_EQ(GetMessageHook(code, removal, reinterpret_cast<PlatLParam>(&queued)), 0);
                // Only action codes are routed; a queued message only when removed, not when peeked.
                bool routeSent = code == 0, routeQueued = code == 0 && removal == 1;
                EXPECT_EQ(Calls(), std::string(routeSent ? "InterpretInput child 256 112 3866625" : "") +
                                       (routeQueued ? " | InterpretInput child 257 112 3866625" : ""));
                EXPECT_EQ(sent.window, routeSent && answer ? nullptr : host.child);
                EXPECT_EQ(sent.message, routeSent && answer ? kMsgNull : kMsgKeyDown);
                EXPECT_EQ(queued.window, routeQueued && answer ? nullptr : host.child);
                EXPECT_EQ(queued.message, routeQueued && answer ? kMsgNull : kMsgKeyUp);
                EXPECT_TRUE(sent.wParam == 0x70 && sent.lParam == 0x3B0001 && queued.wParam == 0x70 &&
                            queued.lParam == 0x3B0001 && queued.time == 5 && queued.cursorX == 6 && queued.cursorY == 7)
                    << "a hook changed another field of the message";
            }
        }
    }
}

struct CommandCase {
    const char* name;
    std::uint32_t id;
    void (*arrange)(MainState& s, HostgateContext& g);  // state before the command
    void (*effect)(MainState& s, HostgateContext& g);   // what the command changes
    int result;
    const char* calls;
};

void Nothing(MainState&, HostgateContext&) {}

void Tracked(MainState& s) { s.TrafficIndex = 3, s.TrafficLockActive = 1, std::strcpy(s.TrafficLockId, "N123"); }
void Forgotten(MainState& s) { s.TrafficIndex = s.TrafficLockActive = s.TrafficLockId[0] = 0; }

// Toggles whose effect the scenario tests do not show, and every call out.
const CommandCase kCommands[] = {
    {"fly-by off keeps approach", kMenuFlyBy, [](auto& s, auto&) { s.FlyByActive = s.ApproachActive = 1; },
     [](auto& s, auto&) { s.FlyByActive = 0; }, 1, ""},
    {"approach off keeps fly-by", kMenuApproach, [](auto& s, auto&) { s.FlyByActive = s.ApproachActive = 1; },
     [](auto& s, auto&) { s.ApproachActive = 0; }, 1, ""},
    {"external view on", kMenuExternalView, Nothing,
     [](auto& s, auto&) { s.ExternalViewActive = s.InternalViewActive = 1; }, 1, "SetActiveViewVirtualCockpit"},
    {"traffic on keeps the target", kMenuTrafficView, [](auto& s, auto&) { s.LookAtViewActive = 1; Tracked(s); },
     [](auto& s, auto&) { s.TrafficViewActive = 1; s.LookAtViewActive = 0; }, 1, ""},
    {"traffic off forgets it", kMenuTrafficView, [](auto& s, auto&) { s.TrafficViewActive = 1; Tracked(s); },
     [](auto& s, auto&) { s.TrafficViewActive = 0; Forgotten(s); }, 1, ""},
    {"padlock on forgets it", kMenuLookAtView, [](auto& s, auto&) { s.TrafficViewActive = 1; Tracked(s); },
     [](auto& s, auto&) { s.LookAtViewActive = 1; s.TrafficViewActive = 0; Forgotten(s); }, 1, ""},
    {"padlock off keeps it", kMenuLookAtView, [](auto& s, auto&) { s.LookAtViewActive = 1; Tracked(s); },
     [](auto& s, auto&) { s.LookAtViewActive = 0; }, 1, ""},
    {"sound off", kMenuSound, Nothing, [](auto& s, auto&) { s.SoundOn = 0; }, 1, "PauseEffectSounds"},
    {"sound on", kMenuSound, [](auto& s, auto&) { s.SoundOn = 0; }, [](auto& s, auto&) { s.SoundOn = 1; }, 1,
     "ResumeEffectSounds"},
    {"tower on", kMenuTowerMode, [](auto& s, auto& g) { s.TowerHeight = 42.5; g.towerEyeHeight = 1; },
     [](auto& s, auto& g) { s.TowerModeActive = g.TowerModeActive = g.saveEyeRequest = 1; g.towerEyeHeight = 42.5; },
     1, "SendHostEvent 66063 0"},
    {"tower off", kMenuTowerMode,
     [](auto& s, auto& g) { s.TowerModeActive = g.TowerModeActive = 1; s.TowerHeight = 7; },
     [](auto& s, auto& g) { s.TowerModeActive = g.TowerModeActive = 0; g.restoreEyeRequest = 1; g.towerEyeHeight = 7; },
     1, "SendHostEvent 66062 0"},
    {"setup", kMenuSetup, Nothing, Nothing, 1, "OpenSetupDialog main"},
    {"about", kMenuAbout, Nothing, Nothing, 1, "OpenAboutDialog main"},
    {"keys", kMenuKeys, Nothing, Nothing, 0, "OpenKeyAssignmentDialog main"},
    {"load views", kMenuLoadViews, Nothing, Nothing, 0, "LoadViewFileCommand main"},
    {"save views", kMenuSaveViews, Nothing, Nothing, 0, "SaveViewFileCommand main"},
    {"below the ids", 30719, Nothing, Nothing, 0, ""}, {"between the ids", 30732, Nothing, Nothing, 0, ""},
    {"above the ids", 30736, Nothing, Nothing, 0, ""},
};

TEST_F(RouterTest, MenuCommandsActOnTheLowWordAndAnswer) {
    const MainState startMain = g_main;
    const HostgateContext startGate = g_hostgate;
    for (const CommandCase& c : kCommands) {
        SCOPED_TRACE(c.name);
        g_main = startMain;
        g_hostgate = startGate;
        c.arrange(g_main, g_hostgate);
        MainState expectedMain = g_main;
        HostgateContext expectedGate = g_hostgate;
        c.effect(expectedMain, expectedGate);
        ClearCalls();
        // Accelerators send 1 in the high word; only the low word is the id.
        EXPECT_EQ(RouteHostMessage(host.main, kMsgCommand, (PlatWParam(1) << 16) | c.id, 0), c.result);
        EXPECT_EQ(Calls(), c.calls);
        EXPECT_EQ(State(g_main, g_hostgate), State(expectedMain, expectedGate));
        EXPECT_EQ(g_fakes.context, c.id == kMenuExternalView ? &g_hostgate : nullptr) << "context given";
    }
}

TEST_F(RouterTest, EachCheckMarkFollowsItsOwnFlag) {
    const struct { int* flag; std::uint32_t id; } marks[] = {
        {&g_main.FlyByActive, kMenuFlyBy}, {&g_main.ApproachActive, kMenuApproach}, {&g_main.SoundOn, kMenuSound},
        {&g_main.InternalViewActive, kMenuInternalView}, {&g_main.ExternalViewActive, kMenuExternalView},
        {&g_main.TrafficViewActive, kMenuTrafficView},   {&g_main.LookAtViewActive, kMenuLookAtView},
        {&g_main.EnableWheelZoom, kMenuWheelZoom},       {&g_main.UseMouseInSpot, kMenuMouseInSpot},
    };
    for (const auto& only : marks) {
        for (const auto& m : marks) *m.flag = m.flag == only.flag;
        hostsim::SendMessage(host.main, kMsgInitMenu, 0, 0);
        const hostsim::Menu* popup = ModulePopup(host.main);
        ASSERT_NE(popup, nullptr);
        std::string checked;
        for (const auto& item : popup->items) checked += item.flags & kMenuChecked ? std::to_string(item.id) + " " : "";
        EXPECT_EQ(checked, std::to_string(only.id) + " ") << "only the flag of " << only.id << " set";
    }
}

TEST_F(RouterTest, MenuIsBuiltForTheMainWindowOnlyAndLeaksNoPopup) {
    // First a main window without a fourth menu: the popup cannot show.
    const PlatWindow main = g_shell.HostMainWindow;
    g_shell.HostMainWindow = hostsim::CreateWindow("small", "FS98MAIN", 3);
    int live = LiveMenus();
    EXPECT_EQ(RouteHostMessage(g_shell.HostMainWindow, kMsgInitMenu, 0, 0), 0);
    EXPECT_EQ(LiveMenus(), live) << "a popup that cannot show was left alive";
    g_shell.HostMainWindow = main;

    EXPECT_EQ(RouteHostMessage(host.main, kMsgInitMenu, 0, 0), 0) << "the menu opening must reach the host";
    live = LiveMenus();
    for (int i = 0; i < 3; i++) RouteHostMessage(host.main, kMsgInitMenu, 0, 0);
    EXPECT_EQ(LiveMenus(), live) << "an earlier popup was left alive";
    EXPECT_EQ(RouteHostMessage(host.child, kMsgInitMenu, 0, 0), 0);
    EXPECT_EQ(RouteHostMessage(nullptr, kMsgInitMenu, 0, 0), 0);
    EXPECT_EQ(LiveMenus(), live) << "a menu was built for another window";
}

// The state each call finds is checked inside the call; the list of calls shows that every check ran.
TEST(LifecycleCalls, StartUpCallsRunInOrderOnTheReadyState) {
    TestHost host;
    FreshGlobals();
    hostsim::SetRegString(kSettingsKey, "InternalViewActive", "1");
    g_fakes.onCall = [&](const std::string& call) {
        if (call == "ClearViewPresets") {
            EXPECT_TRUE(hostsim::Get().hooks[0].proc && hostsim::Get().hooks[1].proc) << "hooks not yet installed";
            EXPECT_EQ(g_main.InternalViewActive, 1) << "settings not yet read when the presets were cleared";
            EXPECT_EQ(g_shell.HostMainWindow, host.main);
            g_hostgate.towerEyeHeight = 9.0;  // the context is cleared after the presets
        } else if (call.rfind("LoadKeyBindings", 0) == 0) {
            EXPECT_EQ(g_hostgate.towerEyeHeight, 0.0) << "context not cleared between the presets and the bindings";
            EXPECT_EQ(g_hostgate.keyBindingTable, nullptr) << "the context had a table before the bindings were loaded";
        } else if (call == "StartDirectInput") {
            EXPECT_STREQ(g_shell.ViewFileFolder, "C:\\FS9");
            EXPECT_EQ(g_hostgate.keyBindingTable, &g_keyBindings);
        }
    };
    hostsim::LoadModule();
    EXPECT_EQ(Calls(), "ClearViewPresets | LoadKeyBindings C:\\FS9\\Skyvane2004.cfg Keyboard | StartDirectInput"
                       " | StartHeadTracking");
    EXPECT_EQ(g_fakes.table, &g_keyBindings);
}

TEST(LifecycleCalls, ShutDownStopsInputThenSavesSettingsThenBindings) {
    TestHost host;
    FreshGlobals();
    hostsim::LoadModule();
    g_fakes.calls.clear();
    g_fakes.onCall = [&](const std::string& call) {
        const hostsim::Host& h = hostsim::Get();
        if (call == "StopDirectInput") {
            EXPECT_EQ(h.regWrites.size(), 0u) << "settings saved before input stopped";
            EXPECT_TRUE(h.hooks[0].proc && h.hooks[1].proc) << "hooks removed before input stopped";
        } else if (call.rfind("SaveKeyBindings", 0) == 0) {
            EXPECT_EQ(h.regWrites.size(), std::size_t(kSettingCount)) << "settings not all saved before the bindings";
            EXPECT_FALSE(h.hooks[0].proc || h.hooks[1].proc) << "hooks still installed when the bindings were saved";
        }
    };
    hostsim::UnloadModule();
    EXPECT_EQ(Calls(), "StopDirectInput | StopHeadTracking | SaveKeyBindings Keyboard");
    EXPECT_EQ(g_fakes.table, &g_keyBindings);
    EXPECT_EQ(host.ReadFile("C:\\FS9\\Skyvane2004.cfg"), "fake bindings [Keyboard]");
}

}  // namespace
