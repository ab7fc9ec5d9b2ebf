// key_dialogs_test.cpp - the list of bindings, the command chooser and the
// key capture box on the substitute host's dialog model. A scripted user
// acts on each dialog as it comes up; expectations are the rows, keys and
// modifier words worked out by hand.
#include <gtest/gtest.h>

#include <strings.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "host/hostgate.h"
#include "hostsim/sim_dialogs.h"
#include "hostsim/sim_joysticks.h"
#include "input/input.h"
#include "input/joysticks.h"
#include "input/key_bindings.h"
#include "input/key_dialogs.h"
#include "shell/command_dispatch.h"
#include "shell/command_table.h"
#include "shell/main_state.h"
#include "test_host.h"

namespace {

constexpr int kVkShift = 0x10, kVkControl = 0x11, kVkAlt = 0x12, kVkEscape = 0x1B, kVkF1 = 0x70, kVkF2 = 0x71,
              kVkF10 = 0x79;
const char* const kCfg = "C:\\FS9\\Skyvane2004.cfg";

using Action = std::function<void()>;

void Press(int vk) {
    hostsim::Key(vk, true);
}

void Release(int vk) {
    hostsim::Key(vk, false);
}

class KeyDialogsTest : public ::testing::Test {
protected:
    void Start(const std::string& config, int joysticks = 0) {
        host.WriteFile(kCfg, config);
        hostsim::AttachJoysticks(joysticks);
        hostsim::LoadModule();
    }
    void TearDown() override { hostsim::SetDialogUser(nullptr); }

    // The user acts on each dialog that comes up with the next action.
    void Script(std::vector<Action> actions) {
        script = std::move(actions);
        next = 0;
        hostsim::SetDialogUser([this](PlatWindow) {
            if (next < script.size()) script[next++]();
        });
    }
    // The rows of the open list (104 or 105).
    static std::vector<std::vector<std::string>> Rows() {
        std::vector<std::vector<std::string>> rows;
        for (const hostsim::SimListRow& r : hostsim::ControlById(hostsim::TopDialog()->handle, 1044)->rows) {
            rows.push_back(r.texts);
        }
        return rows;
    }
    // Open "Modify..." on the first binding and act in the capture box.
    void CaptureOnFirst(const Action& inCaptureBox) {
        Script({[=] {
                    hostsim::SelectRows(1044, {0});
                    hostsim::Click(1006);
                    hostsim::Click(1017);
                },
                inCaptureBox});
        OpenKeyAssignmentDialog(host.main);
    }
    TestHost host;
    std::vector<Action> script;
    std::size_t next = 0;
};

// [SECTION] The list

TEST_F(KeyDialogsTest, RowsShowNamesKeysAndMarksInTableOrder) {
    Start("[Keyboard]\n"
          "ToggleFlyBy=F1,DOUBLE\n"
          "MyOwnCommand=a,SHIFT,CONTROL,ALT\n"
          "PilotForward=JOYSTICK_1_BUTTON_3\n"
          "ButtonClickLeft=MOUSE_BUTTON_0,INVERSE\n"
          "CockpitView3=\n"
          "Setup=JOYSTICK_1_SLIDER_3\n"
          "NextTraffic=Q\n");
    g_keyBindings.bindings[6].keyCode = 340;  // JOYSTICK_1_BUTTON_31: no key name
    std::vector<std::vector<std::string>> rows;
    std::vector<std::pair<std::string, int>> columns;
    std::vector<PlatLParam> data;
    Script({[&] {
        rows = Rows();
        for (const hostsim::SimListColumn& c : hostsim::ControlById(hostsim::TopDialog()->handle, 1044)->columns) {
            columns.emplace_back(c.text, c.width);
        }
        for (const hostsim::SimListRow& r : hostsim::ControlById(hostsim::TopDialog()->handle, 1044)->rows) {
            data.push_back(r.data);
        }
        hostsim::Click(1017);
    }});
    OpenKeyAssignmentDialog(host.main);
    const std::vector<std::vector<std::string>> expected = {
        {"Toggle Fly-by", "F1", "", "", "", "X"},
        {"MyOwnCommand", "A", "X", "X", "X", ""},
        {"Walk forward", "Joystick 1 Button 3", "", "", "", ""},
        {"ButtonClickLeft", "Left mouse button", "", "", "", ""},
        {"Go to  cockpit view 3", "None", "", "", "", ""},
        {"Show setup dialog box", "", "", "", "", ""},
        {"Track next traffic", "T", "", "", "", ""},  // 340 = 0x154: its low byte is 'T'
    };
    EXPECT_EQ(rows, expected);
    const std::vector<std::pair<std::string, int>> expectedColumns = {
        {"Name", 170}, {"Key", 130}, {"Shift", 40}, {"Control", 50}, {"Alt", 40}, {"Double", 60}};
    EXPECT_EQ(columns, expectedColumns);
    ASSERT_EQ(data.size(), 7u);
    for (int i = 0; i < 7; i++) EXPECT_EQ(data[std::size_t(i)], reinterpret_cast<PlatLParam>(&g_keyBindings.bindings[i]));
}

// Centred on the 1024 x 768 screen: 546 x 406 pixels at 239, 181.
TEST_F(KeyDialogsTest, ListsAreCentredAndTellTheHost) {
    Start("[Keyboard]\n");
    std::vector<std::pair<int, int>> places;
    Script({[&] {
                const hostsim::SimDialog* d = hostsim::TopDialog();
                places.emplace_back(d->x, d->y);
                EXPECT_EQ(d->x, 512 - d->width / 2);
                EXPECT_EQ(d->y, 384 - d->height / 2);
                hostsim::Click(1004);
                hostsim::Click(1017);
            },
            [&] {
                const hostsim::SimDialog* d = hostsim::TopDialog();
                EXPECT_EQ(d->x, 512 - d->width / 2);
                EXPECT_EQ(d->y, 384 - d->height / 2);
                hostsim::Click(1004);
            }});
    OpenKeyAssignmentDialog(host.main);
    EXPECT_EQ(places, (std::vector<std::pair<int, int>>{{239, 181}}));
    EXPECT_EQ(hostsim::Dialogs().systemMenuClicks, 2);
    EXPECT_EQ(hostsim::Dialogs().open.size(), 0u);
}

// Escape, the close box, the disabled Delete, and Modify or Clear without
// exactly one selected row leave everything as it is.
TEST_F(KeyDialogsTest, ButtonsWithoutASelectionAndCancelKeysDoNothing) {
    Start("[Keyboard]\nToggleFlyBy=F1,SHIFT,DOUBLE,NZ30\nSetup=F2\n");
    const std::vector<KeyBinding> before(g_keyBindings.bindings, g_keyBindings.bindings + 2);
    bool openAfter = false;
    Script({[&] {
        hostsim::Key(kVkEscape, true), hostsim::Key(kVkEscape, false);
        hostsim::CloseBox();
        hostsim::Click(1006);
        hostsim::Click(1007);
        hostsim::SelectRows(1044, {0, 1});
        hostsim::Click(1006);
        hostsim::Click(1007);
        hostsim::SelectRows(1044, {0});
        hostsim::Click(1005);
        openAfter = hostsim::DialogIsOpen(hostsim::TopDialog()->handle);
        hostsim::Click(1017);
    }});
    OpenKeyAssignmentDialog(host.main);
    EXPECT_TRUE(openAfter);
    EXPECT_EQ(next, 1u);  // no other dialog came up
    EXPECT_EQ(g_keyBindings.count, 2);
    EXPECT_EQ(std::memcmp(before.data(), g_keyBindings.bindings, 2 * sizeof(KeyBinding)), 0);
}

// Modify keeps the name, DOUBLE and the dead zone; Clear keeps the row and
// writes NONE. Both rewrite the rows in place, keeping the selection.
TEST_F(KeyDialogsTest, ModifyKeepsDoubleAndClearKeepsTheRow) {
    Start("[Keyboard]\nToggleFlyBy=F1,SHIFT,DOUBLE,NZ30\nSetup=F2,ALT\n");
    std::vector<std::vector<std::string>> rows;
    bool stillSelected = false;
    Script({[&] {
                hostsim::SelectRows(1044, {0});
                hostsim::Click(1006);
                hostsim::SelectRows(1044, {1});
                hostsim::Click(1007);
                rows = Rows();
                stillSelected = hostsim::ControlById(hostsim::TopDialog()->handle, 1044)->rows[1].selected;
                hostsim::Click(1017);
            },
            [] {
                Press(kVkControl);
                Press(kVkF10 + 1);  // F11
                Release(kVkF10 + 1);
                Release(kVkControl);
            }});
    OpenKeyAssignmentDialog(host.main);
    EXPECT_EQ(rows, (std::vector<std::vector<std::string>>{{"Toggle Fly-by", "F11", "", "X", "", "X"},
                                                           {"Show setup dialog box", "None", "", "", "", ""}}));
    EXPECT_TRUE(stillSelected);
    const KeyBinding& a = g_keyBindings.bindings[0];
    EXPECT_STREQ(a.name, "ToggleFlyBy");
    EXPECT_EQ(a.keyCode, 122);
    EXPECT_EQ(a.modifiers, 2);
    EXPECT_EQ(a.doubleFlag, 1);
    EXPECT_EQ(a.deadZone, 30);
    const KeyBinding& b = g_keyBindings.bindings[1];
    EXPECT_EQ(b.keyCode, 0);
    EXPECT_EQ(b.modifiers, 0);
    EXPECT_EQ(b.doubleFlag, 0);
    hostsim::UnloadModule();
    EXPECT_EQ(host.ReadFile(kCfg), "[Keyboard]\r\n\r\nToggleFlyBy=F11,CONTROL,DOUBLE,NZ30\r\nSetup=NONE\r\n\r\n");
}

// [SECTION] The chooser

TEST_F(KeyDialogsTest, ChooserListsDescriptionsSortedWithoutRegardToCase) {
    Start("[Keyboard]\n");
    std::vector<std::string> names;
    std::vector<PlatLParam> data;
    Script({[] { hostsim::Click(1004), hostsim::Click(1017); },
            [&] {
                for (const hostsim::SimListRow& r : hostsim::ControlById(hostsim::TopDialog()->handle, 1044)->rows) {
                    names.push_back(r.texts[0]);
                    data.push_back(r.data);
                }
                hostsim::Click(1004);
            }});
    OpenKeyAssignmentDialog(host.main);
    ASSERT_EQ(names.size(), 54u);
    const char* const first[] = {"Crouch", "Define cockpit view 0", "Define cockpit view 1"};
    for (int i = 0; i < 3; i++) EXPECT_EQ(names[std::size_t(i)], first[i]);
    EXPECT_EQ(names[11], "Go to  cockpit view 0");
    EXPECT_EQ(names[36], "Toggle external view");
    EXPECT_EQ(names[37], "Toggle Fly-by");  // f after e, whatever the case
    EXPECT_EQ(names[38], "Toggle ground turbulence");
    EXPECT_EQ(names[53], "Walk forward");
    for (std::size_t i = 1; i < names.size(); i++) EXPECT_LT(::strcasecmp(names[i - 1].c_str(), names[i].c_str()), 0);
    for (std::size_t i = 0; i < names.size(); i++) {
        const CommandRecord* record = reinterpret_cast<const CommandRecord*>(data[i]);
        EXPECT_EQ(names[i], record->description);
        EXPECT_GE(record, &kCommandTable[0]);
        EXPECT_LT(record, &kCommandTable[kCommandCount]);
    }
}

// OK without a selection does nothing and the chooser stays; with a full
// table it does nothing either; Cancel ends it without refilling the list.
TEST_F(KeyDialogsTest, ChooserOkNeedsASelectionAndRoomInTheTable) {
    std::string config = "[Keyboard]\n";
    for (int i = 0; i < 256; i++) config += "Setup=F" + std::to_string(1 + i % 12) + "\n";
    Start(config);
    ASSERT_EQ(g_keyBindings.count, 256);
    std::vector<bool> open;
    Script({[] { hostsim::Click(1004), hostsim::Click(1017); },
            [&] {
                PlatWindow chooser = hostsim::TopDialog()->handle;
                hostsim::Click(1043);
                open.push_back(hostsim::DialogIsOpen(chooser));
                hostsim::SelectRows(1044, {37});
                hostsim::Click(1043);
                open.push_back(hostsim::DialogIsOpen(chooser));
                hostsim::Click(1004);
                open.push_back(hostsim::DialogIsOpen(chooser));
            }});
    OpenKeyAssignmentDialog(host.main);
    EXPECT_EQ(open, (std::vector<bool>{true, true, false}));
    EXPECT_EQ(next, 2u);  // no capture box came up
    EXPECT_EQ(g_keyBindings.count, 256);
    ASSERT_GE(hostsim::Dialogs().closed.size(), 2u);
    EXPECT_EQ(hostsim::Dialogs().closed[0].templateId, 105);
    EXPECT_EQ(hostsim::Dialogs().closed[0].result, 0);
}

// OK with a selection runs the capture box; a capture appends a binding,
// a cancelled capture appends nothing; the chooser ends with 1 either way
// and the list is filled again. The new binding acts at once.
TEST_F(KeyDialogsTest, ChosenCommandWithACapturedKeyIsAppendedAndActsAtOnce) {
    Start("[Keyboard]\nSetup=F1\n");
    std::vector<std::vector<std::string>> rows;
    int flyByBefore = 0, flyByAfter = 0;
    Script({[&] {
                hostsim::Click(1004);
                hostsim::Click(1004);
                rows = Rows();
                flyByBefore = g_main.FlyByActive;
                hostsim::PostMessage(host.main, kMsgKeyDown, kVkF2, 1);
                hostsim::PumpDialogs();
                flyByAfter = g_main.FlyByActive;
                hostsim::Click(1017);
            },
            [] { hostsim::SelectRows(1044, {37}), hostsim::Click(1043); },  // "Toggle Fly-by"
            [] { Press(kVkF2), Release(kVkF2); },
            [] { hostsim::SelectRows(1044, {0}), hostsim::Click(1043); },  // "Crouch"
            [] { Press(kVkEscape), Release(kVkEscape); }});
    g_hostgate.commandDispatch = DispatchCommand;
    OpenKeyAssignmentDialog(host.main);
    EXPECT_EQ(rows, (std::vector<std::vector<std::string>>{{"Show setup dialog box", "F1", "", "", "", ""},
                                                           {"Toggle Fly-by", "F2", "", "", "", ""}}));
    ASSERT_EQ(g_keyBindings.count, 2);
    EXPECT_STREQ(g_keyBindings.bindings[1].name, "ToggleFlyBy");
    EXPECT_EQ(flyByAfter, !flyByBefore);
    std::vector<std::pair<int, long long>> closed;
    for (const hostsim::ClosedDialog& c : hostsim::Dialogs().closed) closed.emplace_back(c.templateId, c.result);
    EXPECT_EQ(closed, (std::vector<std::pair<int, long long>>{{106, 1}, {105, 1}, {106, 0}, {105, 1}, {104, 1}}));
}

// [SECTION] The capture box

TEST_F(KeyDialogsTest, CaptureTakesReleasesWithTheModifiersHeldThen) {
    const struct {
        const char* what;
        Action act;
        int keyCode;
        int modifiers;
    } cases[] = {
        {"F1 released under SHIFT", [] { Press(kVkShift), Press(kVkF1), Release(kVkF1), Release(kVkShift); },
         kVkF1, 1},
        {"SHIFT released before F1 is F1 alone",
         [] { Press(kVkShift), Press(kVkF1), Release(kVkShift), Release(kVkF1); }, kVkF1, 0},
        {"SHIFT alone", [] { Press(kVkShift), Release(kVkShift); }, kVkShift, 0},
        {"CONTROL alone", [] { Press(kVkControl), Release(kVkControl); }, kVkControl, 0},
        {"SHIFT pressed again before F1's release",
         [] { Press(kVkShift), Press(kVkF1), Release(kVkShift), Press(kVkShift), Release(kVkF1), Release(kVkShift); },
         kVkF1, 1},
        {"CONTROL let go before F1, SHIFT kept",
         [] {
             Press(kVkShift), Press(kVkControl), Press(kVkF1), Release(kVkControl), Release(kVkF1), Release(kVkShift);
         },
         kVkF1, 1},
        {"SHIFT let go over two keys", [] { Press(kVkShift), Press('A'), Press('B'), Release(kVkShift), Release('B'); },
         'B', 0},
        {"F1 under CONTROL and SHIFT",
         [] { Press(kVkControl), Press(kVkShift), Press(kVkF1), Release(kVkF1), Release(kVkShift), Release(kVkControl); },
         kVkF1, 3},
        {"F1 under ALT is a system key; ALT's release is taken",
         [] { Press(kVkAlt), Press(kVkF1), Release(kVkF1), Release(kVkAlt); }, kVkAlt, 0},
        {"ALT let go before F1", [] { Press(kVkAlt), Press(kVkF1), Release(kVkAlt), Release(kVkF1); }, kVkF1, 0},
        {"F10 is a system key", [] { Press(kVkF10), Release(kVkF10), Press('Q'), Release('Q'); }, 'Q', 0},
        {"left button under ALT", [] { Press(kVkAlt), hostsim::MouseButton(0, true), hostsim::MouseButton(0, false); },
         1000, 4},
        {"right button", [] { hostsim::MouseButton(1, true), hostsim::MouseButton(1, false); }, 1001, 0},
        {"middle button", [] { hostsim::MouseButton(2, true), hostsim::MouseButton(2, false); }, 1002, 0},
        {"the wheel is not taken", [] { hostsim::MouseWheel(3), Press('Z'), Release('Z'); }, 'Z', 0},
        {"presses are not taken", [] { Press('A'), Press('B'), Release('B'); }, 'B', 0},
    };
    for (const auto& c : cases) {
        Start("[Keyboard]\nToggleFlyBy=F9,DOUBLE,NZ7\n");
        for (bool& down : hostsim::Get().keysDown) down = false;
        CaptureOnFirst(c.act);
        const KeyBinding& b = g_keyBindings.bindings[0];
        EXPECT_EQ(b.keyCode, c.keyCode) << c.what;
        EXPECT_EQ(b.modifiers, c.modifiers) << c.what;
        EXPECT_EQ(b.doubleFlag, 1) << c.what;
        EXPECT_EQ(b.deadZone, 7) << c.what;
        ASSERT_GE(hostsim::Dialogs().closed.size(), 1u);
        EXPECT_EQ(hostsim::Dialogs().closed[0].templateId, 106);
        EXPECT_EQ(hostsim::Dialogs().closed[0].result, 1) << c.what;
        hostsim::UnloadModule();
        hostsim::ResetDialogs();
    }
}

// Escape cancels and leaves the record; without its "KEY" property any
// release ends the box with 0.
TEST_F(KeyDialogsTest, EscapeOrAMissingRecordCancels) {
    const Action cancels[] = {
        [] { Press(kVkShift), Press(kVkEscape), Release(kVkEscape); },
        [] {
            PlatRemoveProperty(hostsim::TopDialog()->handle, "KEY");
            Press(kVkF1), Release(kVkF1);
        },
    };
    for (const Action& cancel : cancels) {
        Start("[Keyboard]\nToggleFlyBy=F9,SHIFT\n");
        for (bool& down : hostsim::Get().keysDown) down = false;
        CaptureOnFirst(cancel);
        EXPECT_EQ(g_keyBindings.bindings[0].keyCode, 0x78);
        EXPECT_EQ(g_keyBindings.bindings[0].modifiers, 1);
        EXPECT_EQ(hostsim::Dialogs().closed[0].result, 0);
        hostsim::UnloadModule();
        hostsim::ResetDialogs();
    }
}

// Opening: the record's address as "KEY", the mouse captured, the text
// control subclassed with its old procedure as "PROC", a 100 ms timer; the
// text control sends releases on to the box.
TEST_F(KeyDialogsTest, CaptureBoxSetsItselfUpAndItsTextForwardsReleases) {
    Start("[Keyboard]\nToggleFlyBy=F9\n");
    PlatLParam keyProperty = 0;
    bool captured = false, subclassed = false, procKept = false;
    std::vector<std::string> calls;
    CaptureOnFirst([&] {
        hostsim::SimDialog* d = hostsim::TopDialog();
        hostsim::SimControl* text = hostsim::ControlById(d->handle, 1040);
        keyProperty = PlatProperty(d->handle, "KEY");
        captured = hostsim::Get().capture == d->handle;
        subclassed = text->proc != nullptr && PlatProperty(text->handle, "PROC") != 0 &&
                     reinterpret_cast<PlatLParam>(text->proc) != PlatProperty(text->handle, "PROC");
        procKept = PlatCallWindowProc(reinterpret_cast<PlatWindowProc>(PlatProperty(text->handle, "PROC")),
                                      text->handle, kMsgSetFont, 0, 0) == 0;
        calls = hostsim::Dialogs().calls;
        ASSERT_EQ(d->timers.size(), 1u);
        EXPECT_EQ(d->timers[0].id, 0u);
        EXPECT_EQ(d->timers[0].periodMs, 100u);
        hostsim::PostMessage(text->handle, kMsgMButtonUp, 0, 0);
        hostsim::PumpDialogs();
    });
    EXPECT_NE(keyProperty, 0);
    EXPECT_TRUE(captured);
    EXPECT_TRUE(subclassed);
    EXPECT_TRUE(procKept);
    EXPECT_EQ(g_keyBindings.bindings[0].keyCode, 1002);
    EXPECT_EQ(hostsim::Get().capture, nullptr);  // released on capture
    const std::vector<std::string> tail = {"dialog 106 open", "property dialog KEY", "subclass 1040",
                                           "property 1040 PROC", "timer 0 100"};
    ASSERT_GE(calls.size(), tail.size());
    EXPECT_EQ(std::vector<std::string>(calls.end() - long(tail.size()), calls.end()), tail);
}

// Joystick buttons come from the timer: one held when the box opens is not
// a press, its release is taken at the next poll after it.
TEST_F(KeyDialogsTest, JoystickButtonsThroughTheTimer) {
    Start("[Keyboard]\nToggleFlyBy=F9\n", 2);
    hostsim::SetJoystickButton(1, 4, true);
    std::vector<bool> open;
    CaptureOnFirst([&] {
        PlatWindow box = hostsim::TopDialog()->handle;
        hostsim::Get().clockMs += 350;
        hostsim::RunDialogTimers();
        open.push_back(hostsim::DialogIsOpen(box));
        hostsim::SetJoystickButton(0, 7, true);
        hostsim::Get().clockMs += 100;
        hostsim::RunDialogTimers();
        open.push_back(hostsim::DialogIsOpen(box));
        hostsim::SetJoystickButton(1, 4, false);
        Press(kVkControl);
        hostsim::Get().clockMs += 100;
        hostsim::RunDialogTimers();
        open.push_back(hostsim::DialogIsOpen(box));
        Release(kVkControl);
    });
    EXPECT_EQ(open, (std::vector<bool>{true, true, false}));
    EXPECT_EQ(g_keyBindings.bindings[0].keyCode, 310 + 200 + 4);  // joystick 2, button index 4
    EXPECT_EQ(g_keyBindings.bindings[0].modifiers, 2);
}

// Whatever the dialogs do to the table, it stays within its capacity and
// comes back from the file as it was, for keys the file can name.
TEST_F(KeyDialogsTest, EditedTableSurvivesTheFile) {
    Start("[Keyboard]\nSetup=F1\nToggleFlyBy=F3,DOUBLE,NZ12\n");
    Script({[] {
                hostsim::Click(1004);
                hostsim::SelectRows(1044, {1});
                hostsim::Click(1006);
                hostsim::SelectRows(1044, {0});
                hostsim::Click(1007);
                hostsim::Click(1004);
                hostsim::Click(1017);
            },
            [] { hostsim::SelectRows(1044, {53}), hostsim::Click(1043); },
            [] { Press(kVkShift), hostsim::MouseButton(1, true), hostsim::MouseButton(1, false), Release(kVkShift); },
            [] {
                Press(kVkAlt), Press('K'), Release('K');
                hostsim::MouseButton(2, true), hostsim::MouseButton(2, false);
                Release(kVkAlt);
            },
            [] { hostsim::SelectRows(1044, {20}), hostsim::Click(1043); },
            [] { Press('7'), Release('7'); }});
    OpenKeyAssignmentDialog(host.main);
    ASSERT_EQ(g_keyBindings.count, 4);
    std::vector<KeyBinding> edited(g_keyBindings.bindings, g_keyBindings.bindings + 4);
    EXPECT_EQ(edited[2].keyCode, 1001);
    EXPECT_EQ(edited[2].modifiers, 1);
    EXPECT_EQ(edited[1].keyCode, 1002);
    EXPECT_EQ(edited[1].modifiers, 4);
    EXPECT_EQ(edited[3].keyCode, '7');
    hostsim::UnloadModule();
    g_keyBindings.count = 0;
    char path[] = "C:\\FS9\\Skyvane2004.cfg";
    ASSERT_EQ(LoadKeyBindings(path, "Keyboard", &g_keyBindings), 1);
    ASSERT_EQ(g_keyBindings.count, 4);
    for (int i = 0; i < 4; i++) {
        const KeyBinding& a = edited[std::size_t(i)];
        const KeyBinding& b = g_keyBindings.bindings[i];
        EXPECT_STREQ(a.name, b.name) << i;
        EXPECT_EQ(a.keyCode, b.keyCode) << i;
        EXPECT_EQ(a.modifiers, b.modifiers) << i;
        EXPECT_EQ(a.doubleFlag, b.doubleFlag) << i;
        EXPECT_EQ(a.deadZone, b.deadZone) << i;
    }
}


// Keys whose codes the file cannot name (no key name, and a byte that is
// white space, ',', '[', from 128 up, or the low byte of a larger code) come
// back from the file as key 0; a key with a name or a printable byte comes
// back as itself. None of them costs a later binding its place: "[" would
// end the section if it were written.
TEST_F(KeyDialogsTest, CapturedKeysTheFileCannotNameCostNoOtherBinding) {
    Start("[Keyboard]\nToggleFlyBy=F1\nSetup=F2,SHIFT\n", 1);
    const struct {
        int key;       // virtual key released in the capture box; < 0: joystick button index -key
        int readBack;  // its key code after a stop and a start
    } keys[] = {
        {0x5B, 0},    // left Windows key: byte '['
        {0xDB, 0},    // the '[' key of a US keyboard: a byte from 128 up
        {0x2C, 0},    // print screen: byte ','
        {0x5D, ']'},  // the applications key: byte ']', printable, comes back
        {0x20, 0x20}, // SPACE has a key name
        {0x14, 0},    // caps lock: a control byte
        {-30, 0},     // joystick 1 button index 30: code 340, low byte 'T'
        {'J', 'J'},
    };
    std::vector<Action> actions;
    const int added = int(sizeof keys / sizeof keys[0]);
    actions.push_back([added] {
        for (int i = 0; i < added; i++) hostsim::Click(1004);
        hostsim::SelectRows(1044, {1});  // "Setup": its key becomes the left Windows key too
        hostsim::Click(1006);
        hostsim::Click(1017);
    });
    for (const auto& k : keys) {
        actions.push_back([] { hostsim::SelectRows(1044, {0}), hostsim::Click(1043); });  // "Crouch"
        const int key = k.key;
        actions.push_back([key] {
            if (key >= 0) {
                Press(key), Release(key);
                return;
            }
            hostsim::SetJoystickButton(0, -key, true);
            hostsim::Get().clockMs += 100;
            hostsim::RunDialogTimers();
            hostsim::SetJoystickButton(0, -key, false);
            hostsim::Get().clockMs += 100;
            hostsim::RunDialogTimers();
        });
    }
    actions.push_back([] { Press(0x5B), Release(0x5B); });
    Script(actions);
    OpenKeyAssignmentDialog(host.main);
    ASSERT_EQ(g_keyBindings.count, 2 + added);
    EXPECT_EQ(g_keyBindings.bindings[1].keyCode, 0x5B);
    EXPECT_EQ(g_keyBindings.bindings[2 + 6].keyCode, 340);

    hostsim::UnloadModule();
    hostsim::LoadModule();
    ASSERT_EQ(g_keyBindings.count, 2 + added);
    EXPECT_STREQ(g_keyBindings.bindings[0].name, "ToggleFlyBy");
    EXPECT_EQ(g_keyBindings.bindings[0].keyCode, 0x70);
    EXPECT_STREQ(g_keyBindings.bindings[1].name, "Setup");
    EXPECT_EQ(g_keyBindings.bindings[1].keyCode, 0);
    EXPECT_EQ(g_keyBindings.bindings[1].modifiers, 0);
    for (int i = 0; i < added; i++) {
        const KeyBinding& b = g_keyBindings.bindings[2 + i];
        EXPECT_STREQ(b.name, "PilotCrouch") << i;
        EXPECT_EQ(b.keyCode, keys[i].readBack) << "key " << keys[i].key;
    }
}

}  // namespace
