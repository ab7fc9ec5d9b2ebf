// router_test.cpp - the hooks, the message router and the module menu, on the
// shell alone: the subsystems it calls are recorders (tests/fakes), so the
// order and arguments of every call can be checked.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "fakes/subsystem_fakes.h"
#include "host/hostgate.h"
#include "hostsim/hostsim.h"
#include "input/key_bindings.h"
#include "shell/lifecycle.h"
#include "shell/main_state.h"
#include "shell/router.h"
#include "test_host.h"

namespace {

const char kSettingsKeyPath[] = "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\9.0\\Skyvane";

// [SECTION] Helpers

// The module's globals as a freshly loaded library has them; the tests share one process.
void FreshGlobals() {
    std::memset(&g_main, 0, sizeof g_main);
    std::memset(&g_shell, 0, sizeof g_shell);
    std::memset(&g_hostgate, 0, sizeof g_hostgate);
}

std::string Join(const std::vector<std::string>& lines, const char* glue = " | ") {
    std::string out;
    for (std::size_t i = 0; i < lines.size(); i++) out += (i ? glue : "") + lines[i];
    return out;
}

std::string Calls() {
    return Join(g_fakes.calls);
}

std::string Text(int v) {
    return std::to_string(v);
}
std::string Text(double v) {
    return std::to_string(v);
}
std::string Text(const char* v) {
    return std::string("\"") + v + "\"";
}
std::string Text(const void* v) {
    return v ? "set" : "null";
}

using FieldList = std::vector<std::pair<std::string, std::string>>;

#define FIELD(object, name) {#name, Text(object.name)}

FieldList Fields(const MainState& s) {
    return {
        FIELD(s, FlyByActive),        FIELD(s, FlyByDuration),      FIELD(s, FlyByRelAltitude),
        FIELD(s, FlyByMinDistance),   FIELD(s, FlyByAngle),         FIELD(s, FlyByCameraPlacement),
        FIELD(s, FlyByTravelling),    FIELD(s, ApproachActive),     FIELD(s, ApproachViewX),
        FIELD(s, ApproachViewZ),      FIELD(s, ApproachViewY),      FIELD(s, ApproachTransAlt),
        FIELD(s, InternalViewActive), FIELD(s, EnableWheelZoom),    FIELD(s, UseMouseInSpot),
        FIELD(s, SmoothView),         FIELD(s, ViewTurbRate),       FIELD(s, GroundTurbRate),
        FIELD(s, BuffetTurbRate),     FIELD(s, SpotTurbRate),       FIELD(s, RunningSpeed),
        FIELD(s, ViewTurbOn),         FIELD(s, GroundTurbOn),       FIELD(s, BuffetTurbOn),
        FIELD(s, SoundOn),            FIELD(s, MaxTracks),          FIELD(s, MaxTrackDistance),
        FIELD(s, TowerHeight),        FIELD(s, GroundTurbSoundOn),  FIELD(s, ViewTurbSoundOn),
        FIELD(s, ExternalViewActive), FIELD(s, TrafficViewActive),  FIELD(s, TrafficLockActive),
        FIELD(s, TrafficIndex),       FIELD(s, TrafficLockId),      FIELD(s, LookAtViewActive),
        FIELD(s, TowerModeActive),
    };
}

FieldList Fields(const HostgateContext& g) {
    return {
        FIELD(g, TowerModeActive),  FIELD(g, towerEyeHeight), FIELD(g, saveEyeRequest),
        FIELD(g, restoreEyeRequest), FIELD(g, savedEye[0]),   FIELD(g, savedEye[1]),
        FIELD(g, savedEye[2]),      FIELD(g, keyBindingTable), {"commandDispatch", Text(g.commandDispatch != nullptr)},
    };
}

#undef FIELD

// "name: got X (expected Y)" for every field that differs; "" when none.
template <typename T>
std::string Diff(const T& got, const T& expected) {
    FieldList a = Fields(got), b = Fields(expected);
    std::vector<std::string> out;
    for (std::size_t i = 0; i < a.size(); i++) {
        if (a[i].second != b[i].second) {
            out.push_back(a[i].first + ": got " + a[i].second + " (expected " + b[i].second + ")");
        }
    }
    return Join(out, "; ");
}

std::uintptr_t Index(PlatWindow window) {
    return reinterpret_cast<std::uintptr_t>(window) - 1;
}

hostsim::Menu& MenuAt(PlatMenu menu) {
    hostsim::Menu* m = hostsim::MenuOf(menu);
    EXPECT_NE(m, nullptr) << "menu handle is not a live menu";
    static hostsim::Menu none;
    return m ? *m : none;
}

// The host's top-level menu at `position` of the window's menu bar.
hostsim::Menu& TopMenu(PlatWindow window, int position) {
    hostsim::Menu& bar = MenuAt(hostsim::WindowOf(window)->menuBar);
    return MenuAt(bar.items.at(std::size_t(position)).popup);
}

int LiveMenus() {
    int n = 0;
    for (const hostsim::Menu& m : hostsim::Get().menus) n += m.alive ? 1 : 0;
    return n;
}

// One line per item: "30720 Activate Fly-by [x]", "---" for a separator,
// "popup <title>" for a submenu.
std::string Describe(const hostsim::Menu& menu) {
    std::vector<std::string> lines;
    for (const hostsim::MenuItem& item : menu.items) {
        if (item.flags & kMenuSeparator) {
            lines.push_back(item.id == 0 ? "---" : "--- with id " + std::to_string(item.id));
        } else if (item.flags & kMenuPopup) {
            lines.push_back("popup " + item.text);
        } else {
            std::uint32_t other = item.flags & ~std::uint32_t(kMenuChecked);
            lines.push_back(std::to_string(item.id) + " " + item.text + ((item.flags & kMenuChecked) ? " [x]" : "") +
                            (other ? " flags " + std::to_string(other) : ""));
        }
    }
    return Join(lines, "\n");
}

// The module popup as it must look for the given check marks, in the order
// fly-by, approach, internal, external, traffic, padlock, wheel zoom, mouse, sound.
std::string ExpectedPopup(const bool (&checked)[9]) {
    auto item = [&](int id, const char* text, int mark) {
        return std::to_string(id) + " " + text + (mark >= 0 && checked[mark] ? " [x]" : "");
    };
    return Join({item(30720, "Activate Fly-by", 0), item(30721, "Activate Approach View", 1), "---",
                 item(30723, "Internal pilot view", 2), item(30724, "External pilot view", 3), "---",
                 item(30725, "Traffic track view", 4), item(30726, "Scenery padlock view", 5), "---",
                 item(30727, "Enable wheel zoom in VC", 6), item(30728, "Use mouse in Spot view", 7),
                 item(30729, "Sound on", 8), "---", item(30731, "Save view config...", -1),
                 item(30730, "Load view config...", -1), "---", item(30722, "Setup...", -1),
                 item(30734, "Keys...", -1), item(30733, "About...", -1)},
                "\n");
}

const char kHostItems[] = "40301 Host item 1\n40302 Host item 2";

hostsim::Delivery PostAndPump(PlatWindow window, std::uint32_t message, PlatWParam w, PlatLParam l) {
    hostsim::PostMessage(window, message, w, l);
    hostsim::QueuedMessage taken;
    hostsim::Delivery delivery = hostsim::kDeliveredNoWindow;
    EXPECT_TRUE(hostsim::PumpOne(&taken, &delivery));
    return delivery;
}

const char* DeliveryName(hostsim::Delivery d) {
    switch (d) {
    case hostsim::kDeliveredToHost: return "to host";
    case hostsim::kDeliveredNull: return "null";
    case hostsim::kDeliveredNoWindow: return "no window";
    }
    return "?";
}

// Started module on a fresh host with main (FS98MAIN, five menus) and child.
class RouterTest : public ::testing::Test {
protected:
    TestHost host;

    void SetUp() override {
        FreshGlobals();
        ResetFakes();
        hostsim::LoadModule();
        g_fakes.calls.clear();
    }

    int Route(PlatWindow window, std::uint32_t message, PlatWParam w = 0, PlatLParam l = 0) {
        return RouteHostMessage(window, message, w, l);
    }

    void OpenMenu() {
        EXPECT_EQ(hostsim::SendMessage(host.main, kMsgInitMenu, 0, 0), hostsim::kDeliveredToHost)
            << "the menu opening must still reach the host";
    }

    hostsim::Menu& FourthMenu() { return TopMenu(host.main, 3); }

    // The module popup: the last item of the fourth menu, after its separator.
    std::string Popup() {
        hostsim::Menu& menu = FourthMenu();
        if (menu.items.empty() || !(menu.items.back().flags & kMenuPopup)) return "<no popup>";
        return Describe(MenuAt(menu.items.back().popup));
    }
};

// [SECTION] Frame message

TEST_F(RouterTest, FrameRunsCameraTickOnceAndIsNeverConsumed) {
    g_fakes.inputResult = 1;  // even when input would consume everything
    g_main.InternalViewActive = 1;
    const PlatWindow windows[] = {host.main, host.child, nullptr};
    for (PlatWindow window : windows) {
        g_fakes.calls.clear();
        EXPECT_EQ(Route(window, kMsgHostFrame), 0) << "window " << window;
        EXPECT_EQ(Calls(), "CameraTick") << "window " << window;
    }
}

TEST_F(RouterTest, FrameThroughTheHooksTicksOnceAndReachesTheHost) {
    g_fakes.inputResult = 1;
    EXPECT_EQ(hostsim::SendMessage(host.main, kMsgHostFrame, 0, 0), hostsim::kDeliveredToHost);
    EXPECT_EQ(Calls(), "CameraTick");

    g_fakes.calls.clear();
    hostsim::PostMessage(host.main, kMsgHostFrame, 0, 0);
    hostsim::Delivery seen;
    ASSERT_TRUE(hostsim::PeekFirst(&seen));
    EXPECT_EQ(Calls(), "") << "a peeked frame must not tick";
    hostsim::QueuedMessage taken;
    hostsim::Delivery delivery;
    ASSERT_TRUE(hostsim::PumpOne(&taken, &delivery));
    EXPECT_EQ(delivery, hostsim::kDeliveredToHost);
    EXPECT_EQ(Calls(), "CameraTick");
}

// [SECTION] Input messages

struct InputMessage {
    std::uint32_t message;
    bool mouse;
};

const InputMessage kInputMessages[] = {
    {kMsgKeyDown, false},     {kMsgKeyUp, false},       {kMsgMouseMove, true},   {kMsgLButtonDown, true},
    {kMsgLButtonUp, true},    {kMsgRButtonDown, true},  {kMsgRButtonUp, true},   {kMsgMButtonDown, true},
    {kMsgMButtonUp, true},    {kMsgMouseWheel, true},
};

TEST_F(RouterTest, KeysAlwaysAndMouseOnlyWithInternalViewReachInput) {
    g_fakes.inputResult = 1;
    for (int internal = 0; internal <= 1; internal++) {
        g_main.InternalViewActive = internal;
        for (const InputMessage& m : kInputMessages) {
            for (PlatWindow window : {host.main, host.child}) {
                g_fakes.calls.clear();
                g_fakes.inputContext = nullptr;
                int got = Route(window, m.message, 0x70, 0x3B0001);
                bool routed = !m.mouse || internal;
                std::string expected = routed ? "InterpretInput " + hostsim::WindowOf(window)->name + " " +
                                                    std::to_string(m.message) + " 112 3866625"
                                              : "";
                SCOPED_TRACE(::testing::Message() << "message 0x" << std::hex << m.message << std::dec
                                                  << ", internal view " << internal << ", window "
                                                  << hostsim::WindowOf(window)->name);
                EXPECT_EQ(Calls(), expected);
                EXPECT_EQ(got, routed ? 1 : 0);
                if (routed) {
                    EXPECT_EQ(g_fakes.inputContext, &g_hostgate) << "input got another context";
                }
            }
        }
    }
}

TEST_F(RouterTest, OtherMessagesNeverReachInput) {
    g_fakes.inputResult = 1;
    g_main.InternalViewActive = 1;
    // Character, system key, double clicks, X buttons, horizontal wheel, joystick.
    const std::uint32_t messages[] = {0x0102, 0x0104, 0x0105, 0x0203, 0x0206, 0x0209,
                                      0x020B, 0x020C, 0x020E, kMsgJoystickButtonDown, kMsgTimer};
    for (std::uint32_t message : messages) {
        g_fakes.calls.clear();
        EXPECT_EQ(Route(host.main, message, 0x70, 1), 0) << "message 0x" << std::hex << message;
        EXPECT_EQ(Calls(), "") << "message 0x" << std::hex << message;
    }
}

TEST_F(RouterTest, RouterReturnsWhatInputAnswers) {
    for (int result : {0, 1, 2}) {
        g_fakes.inputResult = result;
        EXPECT_EQ(Route(host.main, kMsgKeyDown, 0x41, 0), result);
    }
}

TEST_F(RouterTest, InputMessagesAreNeverMenuCommands) {
    // WM_KEYDOWN carrying a command id in wParam must not run the command.
    g_fakes.inputResult = 0;
    MainState before = g_main;
    Route(host.main, kMsgKeyDown, 30723, 0);
    EXPECT_EQ(Diff(g_main, before), "");
}

// [SECTION] Hooks

TEST_F(RouterTest, CallHookNeutralisesExactlyTheConsumedMessages) {
    for (int result : {0, 1}) {
        g_fakes.inputResult = result;
        HookCallRecord record{0x3B0001, 0x70, kMsgKeyDown, host.child};
        EXPECT_EQ(CallWndProcHook(0, 1, reinterpret_cast<PlatLParam>(&record)), 0);
        EXPECT_EQ(record.window, result ? nullptr : host.child) << "input answered " << result;
        EXPECT_EQ(record.message, result ? kMsgNull : kMsgKeyDown) << "input answered " << result;
        EXPECT_EQ(record.wParam, 0x70u);
        EXPECT_EQ(record.lParam, 0x3B0001);
    }
}

TEST_F(RouterTest, MessageHookNeutralisesExactlyTheConsumedRemovedMessages) {
    for (int result : {0, 1}) {
        g_fakes.inputResult = result;
        HookQueuedMessage msg{host.child, kMsgKeyUp, 0x70, 0x3B0001, 5, 6, 7};
        EXPECT_EQ(GetMessageHook(0, 1, reinterpret_cast<PlatLParam>(&msg)), 0);
        EXPECT_EQ(msg.window, result ? nullptr : host.child) << "input answered " << result;
        EXPECT_EQ(msg.message, result ? kMsgNull : kMsgKeyUp) << "input answered " << result;
        EXPECT_EQ(msg.wParam, 0x70u);
        EXPECT_EQ(msg.lParam, 0x3B0001);
    }
}

TEST_F(RouterTest, HooksLeaveNonActionCodesAndPeekedMessagesAlone) {
    g_fakes.inputResult = 1;
    for (int code : {-1, 1, 3}) {
        HookCallRecord record{0, 0x70, kMsgKeyDown, host.main};
        CallWndProcHook(code, 1, reinterpret_cast<PlatLParam>(&record));
        EXPECT_EQ(record.message, kMsgKeyDown) << "call hook, code " << code;
        EXPECT_EQ(record.window, host.main) << "call hook, code " << code;

        HookQueuedMessage msg{host.main, kMsgKeyDown, 0x70, 0, 0, 0, 0};
        GetMessageHook(code, 1, reinterpret_cast<PlatLParam>(&msg));
        EXPECT_EQ(msg.message, kMsgKeyDown) << "message hook, code " << code;
    }
    HookQueuedMessage peeked{host.main, kMsgKeyDown, 0x70, 0, 0, 0, 0};
    GetMessageHook(0, 0, reinterpret_cast<PlatLParam>(&peeked));
    EXPECT_EQ(peeked.message, kMsgKeyDown);
    EXPECT_EQ(peeked.window, host.main);
    EXPECT_EQ(Calls(), "") << "a message was routed";
}

TEST_F(RouterTest, HostDeliversConsumedInputAsNullMessage) {
    struct Case {
        int result;
        hostsim::Delivery delivery;
    };
    for (Case c : {Case{1, hostsim::kDeliveredNull}, Case{0, hostsim::kDeliveredToHost}}) {
        g_fakes.inputResult = c.result;
        hostsim::Delivery sent = hostsim::SendMessage(host.child, kMsgKeyDown, 0x41, 0);
        hostsim::Delivery pumped = PostAndPump(host.child, kMsgKeyUp, 0x41, 0);
        EXPECT_EQ(sent, c.delivery) << "sent: got " << DeliveryName(sent) << " (expected "
                                    << DeliveryName(c.delivery) << ")";
        EXPECT_EQ(pumped, c.delivery) << "posted: got " << DeliveryName(pumped) << " (expected "
                                      << DeliveryName(c.delivery) << ")";
    }
}

TEST_F(RouterTest, PeekedMessageIsRoutedOnlyWhenTaken) {
    g_fakes.inputResult = 1;
    hostsim::PostMessage(host.main, kMsgKeyDown, 0x41, 0);
    hostsim::Delivery seen;
    ASSERT_TRUE(hostsim::PeekFirst(&seen));
    EXPECT_EQ(seen, hostsim::kDeliveredToHost);
    EXPECT_EQ(Calls(), "");
    ASSERT_EQ(hostsim::Get().queue.size(), 1u);

    hostsim::QueuedMessage taken;
    hostsim::Delivery delivery;
    ASSERT_TRUE(hostsim::PumpOne(&taken, &delivery));
    EXPECT_EQ(delivery, hostsim::kDeliveredNull);
    EXPECT_EQ(Calls(), "InterpretInput main 256 65 0");
}

// [SECTION] Menu commands

struct CommandCase {
    const char* name;
    std::uint32_t id;
    void (*arrange)(MainState& s, HostgateContext& g);  // state before the command
    void (*effect)(MainState& s, HostgateContext& g);   // what the command changes
    int result;
    std::vector<std::string> calls;
};

void Nothing(MainState&, HostgateContext&) {}

void TrackedTraffic(MainState& s) {
    s.TrafficIndex = 3;
    s.TrafficLockActive = 1;
    std::strcpy(s.TrafficLockId, "N123");
}

void ForgetTraffic(MainState& s) {
    s.TrafficIndex = 0;
    s.TrafficLockActive = 0;
    s.TrafficLockId[0] = 0;
}

const CommandCase kCommandCases[] = {
    {"FlyByOnEndsApproach", 30720, [](MainState& s, HostgateContext&) { s.FlyByActive = 0; s.ApproachActive = 1; },
     [](MainState& s, HostgateContext&) { s.FlyByActive = 1; s.ApproachActive = 0; }, 1, {}},
    {"FlyByOffKeepsApproach", 30720, [](MainState& s, HostgateContext&) { s.FlyByActive = 1; s.ApproachActive = 1; },
     [](MainState& s, HostgateContext&) { s.FlyByActive = 0; }, 1, {}},
    {"ApproachOnEndsFlyBy", 30721, [](MainState& s, HostgateContext&) { s.ApproachActive = 0; s.FlyByActive = 1; },
     [](MainState& s, HostgateContext&) { s.ApproachActive = 1; s.FlyByActive = 0; }, 1, {}},
    {"ApproachOffKeepsFlyBy", 30721, [](MainState& s, HostgateContext&) { s.ApproachActive = 1; s.FlyByActive = 1; },
     [](MainState& s, HostgateContext&) { s.ApproachActive = 0; }, 1, {}},
    {"Setup", 30722, Nothing, Nothing, 1, {"OpenSetupDialog main"}},
    {"InternalViewOn", 30723, [](MainState& s, HostgateContext&) { s.InternalViewActive = 0; },
     [](MainState& s, HostgateContext&) { s.InternalViewActive = 1; }, 1, {}},
    {"InternalViewOffKeepsExternal", 30723,
     [](MainState& s, HostgateContext&) { s.InternalViewActive = 1; s.ExternalViewActive = 1; },
     [](MainState& s, HostgateContext&) { s.InternalViewActive = 0; }, 1, {}},
    {"ExternalViewOnSetsInternalAndCockpit", 30724,
     [](MainState& s, HostgateContext&) { s.ExternalViewActive = 0; s.InternalViewActive = 0; },
     [](MainState& s, HostgateContext&) { s.ExternalViewActive = 1; s.InternalViewActive = 1; }, 1,
     {"SetActiveViewVirtualCockpit"}},
    {"ExternalViewOffKeepsInternal", 30724,
     [](MainState& s, HostgateContext&) { s.ExternalViewActive = 1; s.InternalViewActive = 1; },
     [](MainState& s, HostgateContext&) { s.ExternalViewActive = 0; }, 1, {}},
    {"TrafficViewOnEndsPadlockKeepsTarget", 30725,
     [](MainState& s, HostgateContext&) { s.TrafficViewActive = 0; s.LookAtViewActive = 1; TrackedTraffic(s); },
     [](MainState& s, HostgateContext&) { s.TrafficViewActive = 1; s.LookAtViewActive = 0; }, 1, {}},
    {"TrafficViewOffForgetsTarget", 30725,
     [](MainState& s, HostgateContext&) { s.TrafficViewActive = 1; TrackedTraffic(s); },
     [](MainState& s, HostgateContext&) { s.TrafficViewActive = 0; ForgetTraffic(s); }, 1, {}},
    {"PadlockOnEndsTrafficAndForgetsTarget", 30726,
     [](MainState& s, HostgateContext&) { s.LookAtViewActive = 0; s.TrafficViewActive = 1; TrackedTraffic(s); },
     [](MainState& s, HostgateContext&) { s.LookAtViewActive = 1; s.TrafficViewActive = 0; ForgetTraffic(s); }, 1,
     {}},
    {"PadlockOffKeepsTarget", 30726,
     [](MainState& s, HostgateContext&) { s.LookAtViewActive = 1; TrackedTraffic(s); },
     [](MainState& s, HostgateContext&) { s.LookAtViewActive = 0; }, 1, {}},
    {"WheelZoomOff", 30727, [](MainState& s, HostgateContext&) { s.EnableWheelZoom = 1; },
     [](MainState& s, HostgateContext&) { s.EnableWheelZoom = 0; }, 1, {}},
    {"WheelZoomOn", 30727, [](MainState& s, HostgateContext&) { s.EnableWheelZoom = 0; },
     [](MainState& s, HostgateContext&) { s.EnableWheelZoom = 1; }, 1, {}},
    {"MouseInSpotOn", 30728, [](MainState& s, HostgateContext&) { s.UseMouseInSpot = 0; },
     [](MainState& s, HostgateContext&) { s.UseMouseInSpot = 1; }, 1, {}},
    {"SoundOffPauses", 30729, [](MainState& s, HostgateContext&) { s.SoundOn = 1; },
     [](MainState& s, HostgateContext&) { s.SoundOn = 0; }, 1, {"PauseEffectSounds"}},
    {"SoundOnResumes", 30729, [](MainState& s, HostgateContext&) { s.SoundOn = 0; },
     [](MainState& s, HostgateContext&) { s.SoundOn = 1; }, 1, {"ResumeEffectSounds"}},
    {"LoadViewFile", 30730, Nothing, Nothing, 0, {"LoadViewFileCommand main"}},
    {"SaveViewFile", 30731, Nothing, Nothing, 0, {"SaveViewFileCommand main"}},
    {"About", 30733, Nothing, Nothing, 1, {"OpenAboutDialog main"}},
    {"Keys", 30734, Nothing, Nothing, 0, {"OpenKeyAssignmentDialog main"}},
    {"TowerOnSavesEye", 30735,
     [](MainState& s, HostgateContext& g) { s.TowerModeActive = 0; s.TowerHeight = 42.5; g.towerEyeHeight = 1; },
     [](MainState& s, HostgateContext& g) {
         s.TowerModeActive = 1;
         g.TowerModeActive = 1;
         g.towerEyeHeight = 42.5;
         g.saveEyeRequest = 1;
     },
     1, {"SendHostEvent 66063 0"}},
    {"TowerOffRestoresEye", 30735,
     [](MainState& s, HostgateContext& g) { s.TowerModeActive = 1; g.TowerModeActive = 1; s.TowerHeight = 7.0; },
     [](MainState& s, HostgateContext& g) {
         s.TowerModeActive = 0;
         g.TowerModeActive = 0;
         g.towerEyeHeight = 7.0;
         g.restoreEyeRequest = 1;
     },
     1, {"SendHostEvent 66062 0"}},
    {"Unused30732", 30732, Nothing, Nothing, 0, {}},
    {"Unused30736", 30736, Nothing, Nothing, 0, {}},
    {"Unused30719", 30719, Nothing, Nothing, 0, {}},
    {"Zero", 0, Nothing, Nothing, 0, {}},
};

void PrintTo(const CommandCase& c, std::ostream* os) {
    *os << c.name << " (" << c.id << ")";
}

class RouterCommandTest : public RouterTest, public ::testing::WithParamInterface<CommandCase> {
protected:
    // Arranges the case; returns the state the command must leave.
    std::pair<MainState, HostgateContext> Arrange() {
        GetParam().arrange(g_main, g_hostgate);
        MainState s = g_main;
        HostgateContext g = g_hostgate;
        GetParam().effect(s, g);
        return {s, g};
    }
};

TEST_P(RouterCommandTest, ActsAndAnswers) {
    const CommandCase& c = GetParam();
    auto [expectedMain, expectedGate] = Arrange();
    int got = Route(host.main, kMsgCommand, c.id, 0);
    EXPECT_EQ(got, c.result) << "result";
    EXPECT_EQ(Calls(), Join(c.calls));
    EXPECT_EQ(Diff(g_main, expectedMain), "");
    EXPECT_EQ(Diff(g_hostgate, expectedGate), "");
    if (!g_fakes.calls.empty() && g_fakes.calls[0] == "SetActiveViewVirtualCockpit") {
        EXPECT_EQ(g_fakes.cockpitContext, &g_hostgate) << "the cockpit view got another context";
    }
}

TEST_P(RouterCommandTest, ThroughTheHostWithNotificationCodeInHighWord) {
    // Accelerators send 1 in the high word; only the low word is the id.
    const CommandCase& c = GetParam();
    auto [expectedMain, expectedGate] = Arrange();
    hostsim::Delivery expected = c.result ? hostsim::kDeliveredNull : hostsim::kDeliveredToHost;
    hostsim::Delivery got = PostAndPump(host.main, kMsgCommand, (PlatWParam(1) << 16) | c.id, 0);
    EXPECT_EQ(got, expected) << "got " << DeliveryName(got) << " (expected " << DeliveryName(expected) << ")";
    EXPECT_EQ(Calls(), Join(c.calls));
    EXPECT_EQ(Diff(g_main, expectedMain), "");
    EXPECT_EQ(Diff(g_hostgate, expectedGate), "");
}

TEST_P(RouterCommandTest, DoesNothingForTheChildWindow) {
    const CommandCase& c = GetParam();
    Arrange();
    MainState before = g_main;
    HostgateContext gateBefore = g_hostgate;
    EXPECT_EQ(Route(host.child, kMsgCommand, c.id, 0), 0);
    EXPECT_EQ(Calls(), "");
    EXPECT_EQ(Diff(g_main, before), "");
    EXPECT_EQ(Diff(g_hostgate, gateBefore), "");
}

INSTANTIATE_TEST_SUITE_P(Ids, RouterCommandTest, ::testing::ValuesIn(kCommandCases),
                         [](const ::testing::TestParamInfo<CommandCase>& p) { return p.param.name; });

// [SECTION] Module menu

TEST_F(RouterTest, MenuIsAppendedToTheFourthTopLevelMenu) {
    OpenMenu();
    EXPECT_EQ(Describe(FourthMenu()), std::string(kHostItems) + "\n---\npopup Sky&vane 2004");
    for (int position : {0, 1, 2, 4}) {
        EXPECT_EQ(TopMenu(host.main, position).items.size(), 2u) << "top-level menu " << position << " changed";
    }
    // Defaults: fly-by, wheel zoom and sound on.
    const bool checked[9] = {true, false, false, false, false, false, true, false, true};
    EXPECT_EQ(Popup(), ExpectedPopup(checked));
}

TEST_F(RouterTest, EachCheckMarkFollowsItsOwnFlag) {
    int* const flags[9] = {&g_main.FlyByActive,       &g_main.ApproachActive,   &g_main.InternalViewActive,
                           &g_main.ExternalViewActive, &g_main.TrafficViewActive, &g_main.LookAtViewActive,
                           &g_main.EnableWheelZoom,   &g_main.UseMouseInSpot,   &g_main.SoundOn};
    for (int only = 0; only < 9; only++) {
        bool checked[9] = {};
        for (int i = 0; i < 9; i++) *flags[i] = (i == only);
        checked[only] = true;
        OpenMenu();
        EXPECT_EQ(Popup(), ExpectedPopup(checked)) << "only flag " << only << " set";
    }
    // Everything on: the file and dialog items still carry no mark.
    for (int* flag : flags) *flag = 1;
    g_main.TowerModeActive = 1;
    OpenMenu();
    const bool all[9] = {true, true, true, true, true, true, true, true, true};
    EXPECT_EQ(Popup(), ExpectedPopup(all));
}

TEST_F(RouterTest, MenuChecksShowTheFlagsAtEachOpening) {
    g_main.FlyByActive = 0;
    g_main.ApproachActive = 1;
    g_main.InternalViewActive = 1;
    g_main.ExternalViewActive = 1;
    g_main.TrafficViewActive = 1;
    g_main.LookAtViewActive = 1;
    g_main.EnableWheelZoom = 0;
    g_main.UseMouseInSpot = 1;
    g_main.SoundOn = 0;
    g_main.TowerModeActive = 1;
    OpenMenu();
    const bool first[9] = {false, true, true, true, true, true, false, true, false};
    EXPECT_EQ(Popup(), ExpectedPopup(first));

    // The host's own menu choices change the flags; the next opening shows them.
    for (std::uint32_t id : {30720u, 30725u, 30727u, 30729u}) PostAndPump(host.main, kMsgCommand, id, 0);
    OpenMenu();
    // Fly-by on ends approach; traffic off; wheel zoom on; sound on.
    const bool second[9] = {true, false, true, true, false, true, true, true, true};
    EXPECT_EQ(Popup(), ExpectedPopup(second));
}

TEST_F(RouterTest, ReopeningTheMenuKeepsOneModulePopup) {
    OpenMenu();
    int liveAfterFirst = LiveMenus();
    for (int i = 0; i < 3; i++) OpenMenu();
    EXPECT_EQ(Describe(FourthMenu()), std::string(kHostItems) + "\n---\npopup Sky&vane 2004");
    EXPECT_EQ(LiveMenus(), liveAfterFirst) << "an earlier popup was left alive";
}

TEST_F(RouterTest, MenuOpeningOfOtherWindowsBuildsNothing) {
    int live = LiveMenus();
    EXPECT_EQ(Route(host.child, kMsgInitMenu), 0);
    EXPECT_EQ(Route(nullptr, kMsgInitMenu), 0);
    EXPECT_EQ(Describe(FourthMenu()), kHostItems);
    EXPECT_EQ(LiveMenus(), live);
}

// [SECTION] Without a main window, or with a short menu bar

class RouterWithoutMainWindowTest : public ::testing::Test {
protected:
    TestHost host;
    void SetUp() override {
        FreshGlobals();
        ResetFakes();
        hostsim::Get().windows[Index(host.main)].alive = false;
        hostsim::LoadModule();
        g_fakes.calls.clear();
    }
};

TEST_F(RouterWithoutMainWindowTest, NullWindowIsNeverTheMainWindow) {
    ASSERT_EQ(g_shell.HostMainWindow, nullptr);
    int live = LiveMenus();
    MainState before = g_main;
    for (std::uint32_t id : {30720u, 30722u, 30723u, 30735u}) {
        EXPECT_EQ(RouteHostMessage(nullptr, kMsgCommand, id, 0), 0) << "id " << id;
    }
    EXPECT_EQ(RouteHostMessage(nullptr, kMsgInitMenu, 0, 0), 0);
    EXPECT_EQ(Diff(g_main, before), "");
    EXPECT_EQ(Calls(), "");
    EXPECT_EQ(LiveMenus(), live) << "a menu was built";
}

TEST_F(RouterWithoutMainWindowTest, InputAndFramesStillRoute) {
    g_fakes.inputResult = 1;
    EXPECT_EQ(RouteHostMessage(host.child, kMsgKeyDown, 0x41, 0), 1);
    EXPECT_EQ(RouteHostMessage(nullptr, kMsgHostFrame, 0, 0), 0);
    EXPECT_EQ(Calls(), "InterpretInput child 256 65 0 | CameraTick");
}

class RouterShortMenuBarTest : public ::testing::Test {
protected:
    TestHost host;
    PlatWindow small = nullptr;
    void SetUp() override {
        FreshGlobals();
        ResetFakes();
        small = hostsim::CreateWindow("small", "FS98MAIN", 3);
        hostsim::Get().windows[Index(host.main)].alive = false;
        hostsim::LoadModule();
        g_fakes.calls.clear();
    }
};

TEST_F(RouterShortMenuBarTest, MenuOpeningAddsNothingAndCommandsStillWork) {
    ASSERT_EQ(g_shell.HostMainWindow, small);
    std::vector<std::string> before;
    for (int position = 0; position < 3; position++) before.push_back(Describe(TopMenu(small, position)));
    int live = LiveMenus();

    EXPECT_EQ(hostsim::SendMessage(small, kMsgInitMenu, 0, 0), hostsim::kDeliveredToHost);
    EXPECT_EQ(hostsim::SendMessage(small, kMsgInitMenu, 0, 0), hostsim::kDeliveredToHost);

    EXPECT_EQ(MenuAt(hostsim::WindowOf(small)->menuBar).items.size(), 3u);
    for (int position = 0; position < 3; position++) {
        EXPECT_EQ(Describe(TopMenu(small, position)), before[std::size_t(position)]) << "menu " << position;
    }
    EXPECT_EQ(LiveMenus(), live) << "a popup was left alive";

    EXPECT_EQ(hostsim::SendMessage(small, kMsgCommand, 30723, 0), hostsim::kDeliveredNull);
    EXPECT_EQ(g_main.InternalViewActive, 1);
}

// [SECTION] Start-up and shut-down calls into the subsystems

class LifecycleCallsTest : public ::testing::Test {
protected:
    TestHost host;
    void SetUp() override {
        FreshGlobals();
        ResetFakes();
    }
    static bool BothHooks() { return hostsim::Get().hooks[0].proc && hostsim::Get().hooks[1].proc; }
};

TEST_F(LifecycleCallsTest, StartUpCallsRunInOrderOnTheReadyState) {
    hostsim::SetRegString(kSettingsKeyPath, "InternalViewActive", "1");
    struct {
        bool hooks = false;
        int internalView = -1;
        PlatWindow mainWindow = nullptr;
        double eyeHeight = -1;
        const KeyBindingTable* table = nullptr;
        std::string viewFolder;
        const KeyBindingTable* tableAtDirectInput = nullptr;
    } seen;
    g_fakes.onCall = [&](const std::string& call) {
        if (call == "ClearViewPresets") {
            seen.hooks = BothHooks();
            seen.internalView = g_main.InternalViewActive;
            seen.mainWindow = g_shell.HostMainWindow;
            g_hostgate.towerEyeHeight = 9.0;  // the context is zeroed after the presets are cleared
        } else if (call.rfind("LoadKeyBindings", 0) == 0) {
            seen.eyeHeight = g_hostgate.towerEyeHeight;
            seen.table = g_hostgate.keyBindingTable;
        } else if (call == "StartDirectInput") {
            seen.viewFolder = g_shell.ViewFileFolder;
            seen.tableAtDirectInput = g_hostgate.keyBindingTable;
        }
    };
    hostsim::LoadModule();

    EXPECT_EQ(Calls(), "ClearViewPresets | LoadKeyBindings C:\\FS9\\Skyvane2004.cfg Keyboard | StartDirectInput");
    EXPECT_TRUE(seen.hooks) << "hooks not yet installed when the presets were cleared";
    EXPECT_EQ(seen.internalView, 1) << "settings not yet read when the presets were cleared";
    EXPECT_EQ(seen.mainWindow, host.main);
    EXPECT_EQ(seen.eyeHeight, 0.0) << "hostgate context not zeroed between presets and key bindings";
    EXPECT_EQ(seen.table, nullptr) << "the context had a table before the bindings were loaded";
    EXPECT_EQ(g_fakes.loadedTable, &g_keyBindings);
    EXPECT_EQ(seen.tableAtDirectInput, &g_keyBindings);
    EXPECT_EQ(seen.viewFolder, "C:\\FS9");
}

TEST_F(LifecycleCallsTest, ShutDownStopsInputThenSavesSettingsThenBindings) {
    hostsim::LoadModule();
    g_fakes.calls.clear();
    struct {
        std::size_t writesAtStop = 99, writesAtBindings = 99;
        bool hooksAtStop = false, hooksAtBindings = true;
    } seen;
    g_fakes.onCall = [&](const std::string& call) {
        if (call == "StopDirectInput") {
            seen.writesAtStop = hostsim::Get().regWrites.size();
            seen.hooksAtStop = BothHooks();
        } else if (call.rfind("SaveKeyBindings", 0) == 0) {
            seen.writesAtBindings = hostsim::Get().regWrites.size();
            seen.hooksAtBindings = hostsim::Get().hooks[0].proc || hostsim::Get().hooks[1].proc;
        }
    };
    hostsim::UnloadModule();

    EXPECT_EQ(Calls(), "StopDirectInput | SaveKeyBindings Keyboard");
    EXPECT_EQ(seen.writesAtStop, 0u) << "settings saved before input stopped";
    EXPECT_TRUE(seen.hooksAtStop) << "hooks removed before input stopped";
    EXPECT_EQ(seen.writesAtBindings, 30u) << "settings not all saved before the bindings";
    EXPECT_FALSE(seen.hooksAtBindings) << "hooks still installed when the bindings were saved";
    EXPECT_EQ(g_fakes.savedTable, &g_keyBindings);
    EXPECT_EQ(host.ReadFile("C:\\FS9\\Skyvane2004.cfg"), "fake bindings [Keyboard]");
}

}  // namespace
