// input_test.cpp - the input layer on the substitute host: binding matching
// with modifiers, repeats and DOUBLE, window filters, mouse capture, mouse
// motion and the wheel. Expected values worked out by hand.
#include <gtest/gtest.h>

#include <cstring>

#include "host/host_access.h"
#include "hostsim/host_process.h"
#include "input/input.h"
#include "pilotview/pilot_view.h"
#include "test_host.h"

namespace {

constexpr int kShift = 1, kControl = 2, kInverse = 8;
constexpr int kVkA = 0x41;

// Records what reaches the command dispatcher.
int g_dispatched = 0;
int g_dispatchAnswer = 1;
char g_lastName[32];

int RecordDispatch(int, int, KeyBinding* binding) {
    g_dispatched++;
    std::memcpy(g_lastName, binding->name, sizeof g_lastName);
    return g_dispatchAnswer;
}

class InputTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(&g, 0, sizeof g);
        std::memset(bindings, 0, sizeof bindings);
        LocateHostModules(&g);
        g.frameDelta = 0.05;
        hostsim::SetViewType(3, 2);
        // The pilot view takes the host's view over once, as on the first frame.
        UpdatePilotView(&g, 1);
        g.zoom = g.zoomTarget = 1.0;
        g.headPitch = g.headHeading = g.headBank = 0.0;
        g.headTarget[0] = g.headTarget[1] = g.headTarget[2] = 0.0;
        g.keyBindingTable = &table;
        g.commandDispatch = RecordDispatch;
        g_dispatched = 0;
        g_dispatchAnswer = 1;
        g_lastName[0] = 0;
    }
    void Bind(const char* name, int keyCode, int modifiers, int doubleFlag = 0) {
        KeyBinding& b = bindings[table.count++];
        std::strncpy(b.name, name, sizeof b.name - 1);
        b.keyCode = keyCode, b.modifiers = modifiers, b.doubleFlag = doubleFlag;
    }
    int Send(PlatWindow w, std::uint32_t message, PlatWParam wParam = 0) {
        return InterpretInput(&g, w, message, wParam, 0);
    }
    int Key(std::uint32_t message, int vk = kVkA) { return Send(host.child, message, PlatWParam(vk)); }
    int MoveTo(int x, int y) {
        hostsim::TheScreen().cursorX = x, hostsim::TheScreen().cursorY = y;
        return Send(host.child, kMsgMouseMove);
    }
    int Wheel(int notches) {
        return Send(host.child, kMsgMouseWheel, PlatWParam(std::uint16_t(notches * 120)) << 16);
    }

    TestHost host;
    HostgateContext g;
    KeyBinding bindings[8];
    KeyBindingTable table = {8, 0, bindings};
};

TEST_F(InputTest, ModifierWordMustMatchExactlyAndInverseNeverFires) {
    Bind("ShiftCommand", kVkA, kShift);
    Bind("PlainCommand", 'B', 0);
    Bind("InverseCommand", 'C', kShift | kInverse);
    hostsim::Get().keysDown[0x10] = true;
    hostsim::Get().keysDown[0x11] = true;
    EXPECT_EQ(Key(kMsgKeyDown), 0);
    hostsim::Get().keysDown[0x11] = false;
    EXPECT_EQ(Key(kMsgKeyDown, 'B'), 0);
    EXPECT_EQ(Key(kMsgKeyDown, 'C'), 0);
    EXPECT_EQ(g_dispatched, 0);
    EXPECT_EQ(Key(kMsgKeyDown), 1);
    EXPECT_STREQ(g_lastName, "ShiftCommand");
    hostsim::Get().keysDown[0x10] = false;
    EXPECT_EQ(Key(kMsgKeyDown, 'B'), 1);
    EXPECT_EQ(g_dispatched, 2);
}

TEST_F(InputTest, RepeatsFireEachTimeWithoutDoubleOnceAndOnReleaseWithDouble) {
    Bind("Repeated", kVkA, 0);
    for (int i = 0; i < 3; i++) EXPECT_EQ(Key(kMsgKeyDown), 1);
    EXPECT_EQ(g_dispatched, 3);
    EXPECT_EQ(Key(kMsgKeyUp), 1);
    EXPECT_EQ(g_dispatched, 3);

    Bind("Held", 'D', 0, 1);
    for (int i = 0; i < 3; i++) EXPECT_EQ(Key(kMsgKeyDown, 'D'), 1);
    EXPECT_EQ(g_dispatched, 4);
    EXPECT_EQ(Key(kMsgKeyUp, 'D'), 1);
    EXPECT_EQ(g_dispatched, 5);
    EXPECT_STREQ(g_lastName, "Held");
    EXPECT_EQ(bindings[1].active, 0);
}

TEST_F(InputTest, ReleaseIsConsumedOnlyWhenItsPressWas) {
    Bind("Refused", kVkA, 0, 1);
    g_dispatchAnswer = 0;
    EXPECT_EQ(Key(kMsgKeyDown), 0);
    EXPECT_EQ(Key(kMsgKeyUp), 0);
    EXPECT_EQ(g_dispatched, 1);  // no second run on the release
}

TEST_F(InputTest, ClicksOnlyInTheChildWindowKeysInBoth) {
    Bind("Clicked", kKeyCodeMouseLeft, 0);
    Bind("Typed", kVkA, 0);
    EXPECT_EQ(Send(host.main, kMsgLButtonDown), 0);
    EXPECT_EQ(g_dispatched, 0);
    EXPECT_EQ(Send(host.main, kMsgKeyDown, kVkA), 1);
    EXPECT_STREQ(g_lastName, "Typed");
}

TEST_F(InputTest, ConsumedButtonTakesAndReleasesTheCapture) {
    Bind("Clicked", kKeyCodeMouseRight, 0);
    EXPECT_EQ(Send(host.child, kMsgLButtonDown), 0);
    EXPECT_EQ(hostsim::Get().capture, nullptr);
    EXPECT_EQ(Send(host.child, kMsgRButtonDown), 1);
    EXPECT_EQ(hostsim::Get().capture, host.child);
    EXPECT_EQ(Send(host.child, kMsgRButtonUp), 1);
    EXPECT_EQ(hostsim::Get().capture, nullptr);
}

TEST_F(InputTest, ButtonClickNamesGoOnToTheDispatcherAndAreNotConsumed) {
    Bind("ButtonClickLeft", kKeyCodeMouseLeft, 0);
    g_dispatchAnswer = 0;
    EXPECT_EQ(Send(host.child, kMsgLButtonDown), 0);
    EXPECT_STREQ(g_lastName, "ButtonClickLeft");
    EXPECT_EQ(hostsim::Get().capture, nullptr);
}

TEST_F(InputTest, OwnCommandsNeedASuitedViewAndFlipTheirFlags) {
    Bind("PilotCrouch", kVkA, 0);
    Bind("ToggleMouseLook", 'L', 0);
    EXPECT_EQ(Key(kMsgKeyDown), 1);
    EXPECT_EQ(g.pilotCrouch, 1);
    EXPECT_EQ(g_dispatched, 0);
    hostsim::SetViewType(3, 3);
    g_dispatchAnswer = 0;
    EXPECT_EQ(Key(kMsgKeyDown, 'L'), 0);
    EXPECT_EQ(g.mouseLookOn, 0);
    EXPECT_EQ(g_dispatched, 1);
    hostsim::SetViewType(3, 2);
    g.mouseLookOn = 1, g.lastCursorX = 5, g.lastCursorY = 6;
    EXPECT_EQ(Key(kMsgKeyDown, 'L'), 1);
    EXPECT_EQ(g.mouseLookOn, 0);
    EXPECT_EQ(g.lastCursorX, 0);
    EXPECT_EQ(g.lastCursorY, 0);
}

TEST_F(InputTest, MouseLookRecordsFirstThenTurnsTheHead) {
    EXPECT_EQ(MoveTo(100, 100), 0);  // neither mode on
    g.mouseLookOn = 1;
    g.zoom = g.zoomTarget = 2.0;
    EXPECT_EQ(MoveTo(100, 100), 1);
    EXPECT_EQ(g.headHeading, 0.0);
    EXPECT_EQ(g.lastCursorX, 100);
    EXPECT_EQ(MoveTo(120, 90), 1);
    EXPECT_NEAR(g.headHeading, 1.5, 1e-9);  // 20 x 0.15 / 2
    EXPECT_NEAR(g.headTarget[1], 1.5, 1e-9);
    EXPECT_NEAR(g.headPitch, -0.75, 1e-9);
    EXPECT_EQ(g.lastCursorY, 90);
}

TEST_F(InputTest, WalkerTypeWithoutWalkerConsumesMotionAndChangesNothing) {
    hostsim::SetViewType(3, 1250);
    g.mouseLookOn = 1, g.lastCursorX = 10, g.lastCursorY = 10;
    EXPECT_EQ(MoveTo(50, 70), 1);
    EXPECT_EQ(g.headHeading, 0.0);
    EXPECT_EQ(g.headPitch, 0.0);
    EXPECT_EQ(g.walkerHeading, 0.0);
    EXPECT_EQ(g.lastCursorX, 50);
}

// The walker looks with the mouse and zooms with the wheel by the formulas
// of the cockpit: both scale with the pilot view's `zoom` (motion divides
// by it, the wheel steps from it), not with the walker's own zoom.
TEST_F(InputTest, WalkerLooksAndZoomsFromThePilotViewsZoom) {
    hostsim::SetViewType(3, 1250);
    g.walkerActive = 1, g.mouseLookOn = 1;
    g.zoom = 2.0, g.walkerZoom = 5.0, g.walkerHeading = 10.0, g.walkerPitch = 1.0;
    EXPECT_EQ(MoveTo(100, 100), 1);
    EXPECT_EQ(g.walkerHeading, 10.0) << "the first motion only records";
    EXPECT_EQ(MoveTo(140, 80), 1);
    EXPECT_NEAR(g.walkerHeading, 13.0, 1e-12);  // 10 + 40 x 0.15 / 2
    EXPECT_NEAR(g.walkerPitch, -0.5, 1e-12);    // 1 - 20 x 0.15 / 2
    EXPECT_EQ(g.headHeading, 0.0);
    const struct { double zoom; int notches; double want; } wheel[] = {
        {2.0, 1, 2.4}, {2.0, -2, 1.2}, {30.0, 1, 32.0}, {0.3, -1, 0.25}, {1.0, 0, 1.0},
    };
    for (const auto& w : wheel) {
        g.zoom = w.zoom, g.walkerZoom = 5.0;
        EXPECT_EQ(Wheel(w.notches), 1);
        EXPECT_NEAR(g.walkerZoom, w.want, 1e-12) << w.zoom << " " << w.notches;
        EXPECT_EQ(g.zoom, w.zoom) << "the cockpit's zoom is left alone";
    }
    // The walker's type without the walker: consumed, nothing changes.
    g.walkerActive = 0, g.walkerZoom = 5.0;
    EXPECT_EQ(Wheel(1), 1);
    EXPECT_EQ(g.walkerZoom, 5.0);
}

TEST_F(InputTest, WheelZoomAndSpotDistanceStopAtTheirLimits) {
    g.wheelZoomEnabled = 1;
    g.zoom = 30.0;
    EXPECT_EQ(Wheel(1), 1);
    EXPECT_DOUBLE_EQ(g.zoom, 32.0);
    EXPECT_DOUBLE_EQ(g.zoomTarget, 32.0);
    EXPECT_EQ(Wheel(-1), 1);
    EXPECT_NEAR(g.zoom, 25.6, 1e-9);

    hostsim::SetViewType(3, 4);
    g.useMouseInSpot = 1, g.spotDistance = 2.0;
    hostsim::Get().keysDown[0x10] = true;
    EXPECT_EQ(Wheel(1), 1);
    EXPECT_DOUBLE_EQ(g.spotDistance, 1.524);
}

TEST_F(InputTest, VirtualCockpitIsWrittenIntoTheActiveView) {
    hostsim::SetViewType(3, 4);
    EXPECT_EQ(SetActiveViewVirtualCockpit(&g), 1);
    EXPECT_EQ(std::int32_t(hostsim::Read32(hostsim::ViewAddress(3) + kViewType)), 2);
}

}  // namespace
