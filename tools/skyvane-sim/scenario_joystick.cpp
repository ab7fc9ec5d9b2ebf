// scenario_joystick.cpp - scenario commands for the joystick side of the
// input layer: simulated controllers of the substitute host (attached before
// the module loads, as DirectInput enumerates them at start-up) and a print
// of the button states the module holds.
#include <string>

#include "hostsim/sim_joysticks.h"
#include "input/joysticks.h"
#include "scenario.h"

// SLOT is the attachment index (0 first); BUTTON counts from 1 as the key
// names do (JOYSTICK_1_BUTTON_3 is slot 0 button 3).
static bool ParseSlot(Scenario& s, const std::string& text, hostsim::SimJoystick** joystick) {
    long long slot = 0;
    if (!ParseNumber(text, &slot) || !(*joystick = hostsim::JoystickAt(int(slot)))) {
        return ScenarioError(s, "no controller %s attached", text.c_str());
    }
    return true;
}

static bool Attach(Scenario& s, const Args& a) {
    long long n = 0;
    if (!ParseNumber(a[0], &n) || n < 0 || n > 16) return ScenarioError(s, "bad controller count %s", a[0].c_str());
    hostsim::AttachJoysticks(int(n));
    return true;
}

static bool SetButton(Scenario& s, const Args& a, bool down) {
    hostsim::SimJoystick* joystick = nullptr;
    long long button = 0;
    if (!ParseSlot(s, a[0], &joystick)) return false;
    if (!ParseNumber(a[1], &button) || button < 1 || button > kJoystickButtons) {
        return ScenarioError(s, "button 1-128: %s", a[1].c_str());
    }
    joystick->buttons[button - 1] = down;
    return true;
}

static bool Press(Scenario& s, const Args& a) {
    return SetButton(s, a, true);
}

static bool Release(Scenario& s, const Args& a) {
    return SetButton(s, a, false);
}

// fail-poll / fail-state SLOT [off]
static bool SetFailure(Scenario& s, const Args& a, bool hostsim::SimJoystick::*flag) {
    hostsim::SimJoystick* joystick = nullptr;
    if (!ParseSlot(s, a[0], &joystick)) return false;
    if (a.size() > 1 && a[1] != "off") return ScenarioError(s, "expected off, got %s", a[1].c_str());
    joystick->*flag = a.size() == 1;
    return true;
}

static bool FailPoll(Scenario& s, const Args& a) {
    return SetFailure(s, a, &hostsim::SimJoystick::failPoll);
}

static bool FailState(Scenario& s, const Args& a) {
    return SetFailure(s, a, &hostsim::SimJoystick::failState);
}

// lose SLOT [N]: Acquire answers input lost N times before it succeeds.
static bool Lose(Scenario& s, const Args& a) {
    hostsim::SimJoystick* joystick = nullptr;
    long long n = 0;
    if (!ParseSlot(s, a[0], &joystick)) return false;
    if (a.size() > 1 && (!ParseNumber(a[1], &n) || n < 0)) return ScenarioError(s, "bad count %s", a[1].c_str());
    joystick->lost = true;
    joystick->acquired = false;
    joystick->lostAcquires = int(n);
    return true;
}

// fail-setup SLOT create|info|format|capabilities|objects
static bool FailSetup(Scenario& s, const Args& a) {
    static const char* const kSteps[] = {"none", "create", "info", "format", "capabilities", "objects"};
    hostsim::SimJoystick* joystick = nullptr;
    if (!ParseSlot(s, a[0], &joystick)) return false;
    for (int i = 0; i < 6; ++i) {
        if (a[1] == kSteps[i]) {
            joystick->failStep = hostsim::SetupStep(i);
            return true;
        }
    }
    return ScenarioError(s, "steps: none create info format capabilities objects");
}

static const char* const kUsage = "joystick attach N | press SLOT BUTTON | release SLOT BUTTON | fail-poll SLOT [off]"
                                  " | fail-state SLOT [off] | lose SLOT [N] | fail-setup SLOT STEP";

static bool Joystick(Scenario& s, const Args& a) {
    static const ScenarioSubCommand kSubs[] = {
        {"attach", 1, 1, Attach},         {"press", 2, 2, Press},         {"release", 2, 2, Release},
        {"fail-poll", 1, 2, FailPoll},    {"fail-state", 1, 2, FailState}, {"lose", 1, 2, Lose},
        {"fail-setup", 2, 2, FailSetup},
    };
    return RunSubCommand(s, a, kSubs, sizeof kSubs / sizeof kSubs[0], kUsage);
}

static const ScenarioCommand kJoystickCommands[] = {
    {"joystick", 1, 3, Joystick, kUsage},
};

ScenarioTable JoystickScenarioCommands() {
    return {kJoystickCommands, int(sizeof kJoystickCommands / sizeof kJoystickCommands[0])};
}

// "joysticks N", then per filled slot "joystick SLOT pressed B ..." with the
// buttons (from 1) the module's last poll saw down.
static bool PrintJoysticks(Scenario& s, const Args&) {
    Emit(s, "joysticks %d", JoystickCount());
    for (int slot = 0; slot < kJoystickSlotCount; ++slot) {
        const JoystickSlot& js = JoystickSlotAt(slot);
        if (!js.device) continue;
        std::string pressed;
        for (int b = 0; b < kJoystickButtons; ++b) {
            if (js.current[b]) pressed += " " + std::to_string(b + 1);
        }
        Emit(s, "joystick %d pressed%s", slot, pressed.empty() ? " none" : pressed.c_str());
    }
    return true;
}

static const ScenarioCommand kJoystickPrints[] = {
    {"joysticks", 0, 0, PrintJoysticks, "print joysticks"},
};

ScenarioTable JoystickPrintCommands() {
    return {kJoystickPrints, int(sizeof kJoystickPrints / sizeof kJoystickPrints[0])};
}
