// joysticks_test.cpp - controller buttons: which controllers take the four
// slots, when a change is reported, what a failing read leaves behind, and
// the key codes of the buttons.
#include "input/joysticks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/hostgate.h"
#include "hostsim/sim_joysticks.h"
#include "input/key_bindings.h"
#include "shell/main_state.h"
#include "test_host.h"

namespace {

using hostsim::JoystickAt;
using hostsim::SetJoystickButton;

class Joysticks : public ::testing::Test {
protected:
    void SetUp() override { hostsim::ResetJoysticks(); }
    void TearDown() override {
        StopDirectInput();
        hostsim::ResetJoysticks();
    }

    // Start with n controllers and poll until every slot is acquired
    // (each poll acquires one slot and ends there).
    void StartWith(int n) {
        hostsim::AttachJoysticks(n);
        ASSERT_EQ(StartDirectInput(), 0);
        for (int i = 0; i <= kJoystickSlotCount; ++i) PollJoysticks();
    }

    // Post the changes and take them from the queue: "+code" pressed, "-code" released.
    std::string Posted() {
        host.queue().clear();
        PostJoystickButtons(host.main);
        std::string out;
        for (const hostsim::QueuedMessage& m : host.queue()) {
            EXPECT_EQ(m.window, host.main);
            EXPECT_EQ(m.lParam, 0);
            out += (out.empty() ? "" : " ") + std::string(m.message == kMsgJoystickButtonDown ? "+" : "-") +
                   std::to_string(m.wParam);
        }
        host.queue().clear();
        return out;
    }

    struct Host : TestHost {
        std::vector<hostsim::QueuedMessage>& queue() { return hostsim::Get().queue; }
    } host;
};

TEST_F(Joysticks, OnlyTheFirstFourControllersTakeSlots) {
    StartWith(5);
    EXPECT_EQ(JoystickCount(), 4);
    EXPECT_FALSE(JoystickAt(4)->created);
    for (int i = 0; i < 5; ++i) SetJoystickButton(i, 0, true);
    EXPECT_EQ(Posted(), "+310 +510 +710 +910");

    StopDirectInput();
    EXPECT_EQ(JoystickCount(), 0);
    EXPECT_FALSE(hostsim::Joysticks().created);
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(JoystickAt(i)->created) << i;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(JoystickSlotAt(i).device, nullptr) << i;
}

TEST_F(Joysticks, ControllerFailingASetUpStepLeavesItsSlotToTheNext) {
    for (hostsim::SetupStep step : {hostsim::kStepCreate, hostsim::kStepInfo, hostsim::kStepFormat,
                                    hostsim::kStepCapabilities, hostsim::kStepObjects}) {
        hostsim::ResetJoysticks();
        hostsim::AttachJoysticks(3);
        JoystickAt(1)->failStep = step;
        ASSERT_EQ(StartDirectInput(), 0);
        EXPECT_EQ(JoystickCount(), 2) << step;
        EXPECT_FALSE(JoystickAt(1)->created) << step;
        for (int i = 0; i < 3; ++i) PollJoysticks();
        SetJoystickButton(2, 4, true);
        EXPECT_EQ(Posted(), "+514") << step;
        StopDirectInput();
    }
}

TEST_F(Joysticks, WithoutDirectInputNothingIsRead) {
    hostsim::AttachJoysticks(1);
    hostsim::Joysticks().createFails = true;
    EXPECT_EQ(StartDirectInput(), hostsim::kSimFail);
    SetJoystickButton(0, 0, true);
    EXPECT_EQ(Posted(), "");

    hostsim::Joysticks().createFails = false;
    hostsim::Joysticks().enumFails = true;
    EXPECT_EQ(StartDirectInput(), hostsim::kSimFail);
    EXPECT_EQ(JoystickCount(), 0);
}

TEST_F(Joysticks, ButtonHeldWhenCaptureOpensReportsOnlyItsRelease) {
    StartWith(1);
    SetJoystickButton(0, 2, true);
    PollJoysticks();
    PollJoysticks();
    EXPECT_EQ(Posted(), "");
    SetJoystickButton(0, 2, false);
    EXPECT_EQ(Posted(), "-312");
    EXPECT_EQ(Posted(), "");
}

TEST_F(Joysticks, FailedReadEndsThePollAndLaterSlotsReportAgain) {
    for (int failState = 0; failState < 2; ++failState) {
        hostsim::ResetJoysticks();
        StartWith(3);
        for (int i = 0; i < 3; ++i) SetJoystickButton(i, 0, true);
        EXPECT_EQ(Posted(), "+310 +510 +710");
        (failState ? JoystickAt(1)->failState : JoystickAt(1)->failPoll) = true;
        for (int i = 0; i < 3; ++i) SetJoystickButton(i, 1, true);
        EXPECT_EQ(Posted(), "+311 +510 +710") << failState;
        JoystickAt(1)->failState = JoystickAt(1)->failPoll = false;
        EXPECT_EQ(Posted(), "+511 +711") << failState;
        StopDirectInput();
    }
}

TEST_F(Joysticks, LostControllerIsAcquiredUntilItAnswersAndReadOnTheNextPoll) {
    StartWith(2);
    hostsim::LoseJoystick(0, 2);
    SetJoystickButton(0, 0, true);
    SetJoystickButton(1, 0, true);
    const int before = JoystickAt(0)->acquireCalls;
    EXPECT_EQ(Posted(), "");
    EXPECT_EQ(JoystickAt(0)->acquireCalls - before, 3);
    EXPECT_EQ(Posted(), "+310 +510");
}

TEST_F(Joysticks, KeyCodesCountFrom310By200PerJoystick) {
    EXPECT_EQ(JoystickKeyCode(0, 30), 340);
    EXPECT_EQ(JoystickKeyCode(3, 90), 1000);
    EXPECT_EQ(JoystickKeyCode(3, 29), 939);
    StartWith(4);
    SetJoystickButton(0, 30, true);
    SetJoystickButton(3, 90, true);
    SetJoystickButton(3, 127, true);
    EXPECT_EQ(Posted(), "+340 +1000 +1037");
}

// Records "+name" for a press and "-name" for a release reaching the bindings.
std::string g_dispatched;
int RecordDispatch(int, int, KeyBinding* binding) {
    g_dispatched += (g_dispatched.empty() ? "" : " ") + std::string(binding->active ? "-" : "+") + binding->name;
    return 1;
}

TEST_F(Joysticks, EmitHandsEachChangeToTheBindings) {
    KeyBinding store[2] = {};
    std::strcpy(store[0].name, "First");
    store[0].keyCode = 310, store[0].doubleFlag = 1;
    std::strcpy(store[1].name, "Fourth");
    store[1].keyCode = 939, store[1].doubleFlag = 1;
    KeyBindingTable table = {2, 2, store};
    const HostgateContext saved = g_hostgate;
    const PlatWindow savedWindow = g_shell.HostMainWindow;
    g_hostgate.keyBindingTable = &table;
    g_hostgate.commandDispatch = RecordDispatch;
    g_shell.HostMainWindow = host.main;
    g_dispatched.clear();

    StartWith(4);
    SetJoystickButton(0, 0, true);
    SetJoystickButton(3, 29, true);
    PollJoysticks();
    EmitJoystickButtons();
    SetJoystickButton(0, 0, false);
    PollJoysticks();
    EmitJoystickButtons();
    EXPECT_EQ(g_dispatched, "+First +Fourth -First");

    g_hostgate = saved;
    g_shell.HostMainWindow = savedWindow;
}

}  // namespace
