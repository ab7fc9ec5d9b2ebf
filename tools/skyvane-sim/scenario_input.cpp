// scenario_input.cpp - scenario commands for the input side of the input
// layer that only the substitute host can make: the asynchronous key state;
// prints of the input layer's state and of the bindings that are held. (Key
// presses, buttons, motion and the wheel through the host's queue are host
// commands: tools/scenario/scenario_user_input.cpp.)
#include <cstdint>
#include <cstring>
#include <string>

#include "host/hostgate.h"
#include "hostsim/host_process.h"
#include "hostsim/hostsim.h"
#include "input/key_bindings.h"
#include "platform/platform.h"
#include "input/input.h"
#include "scenario.h"

// [SECTION] Commands

static bool SetKeyState(Scenario& s, const Args& a, bool down) {
    int vk = 0;
    if (!ParseVirtualKey(s, a[0], &vk)) return false;
    hostsim::Get().keysDown[vk] = down;
    return true;
}

static bool KeyDownCommand(Scenario& s, const Args& a) { return SetKeyState(s, a, true); }
static bool KeyUpCommand(Scenario& s, const Args& a) { return SetKeyState(s, a, false); }

static const ScenarioCommand kInputCommands[] = {
    {"key-down", 1, 1, KeyDownCommand, "key-down VK"},
    {"key-up", 1, 1, KeyUpCommand, "key-up VK"},
};

ScenarioTable InputScenarioCommands() {
    return {kInputCommands, int(sizeof kInputCommands / sizeof kInputCommands[0])};
}

// [SECTION] print ...

// "PilotStepRight" -> "step-right": the flag's name in the print.
static std::string FlagLabel(const char* command) {
    std::string label;
    for (const char* c = command + 5; *c; c++) {  // past "Pilot"
        if (*c >= 'A' && *c <= 'Z') {
            if (!label.empty()) label += '-';
            label += char(*c - 'A' + 'a');
        } else {
            label += *c;
        }
    }
    return label;
}

static bool PrintInput(Scenario& s, const Args&) {
    const HostgateContext& g = g_hostgate;
    Emit(s, "input mouse-look %d", g.mouseLookOn);
    Emit(s, "input mouse-move %d", g.mouseMoveOn);
    Emit(s, "input last-cursor %d %d", int(g.lastCursorX), int(g.lastCursorY));
    for (const PilotFlagName& f : kPilotFlags) Emit(s, "input pilot-%s %d", FlagLabel(f.name).c_str(), g.*(f.flag));
    Emit(s, "input capture %s", Host().WindowName(reinterpret_cast<HostWindow>(hostsim::Get().capture)).c_str());
    return true;
}

// The bindings that fired and are not yet released, in table order.
static bool PrintFired(Scenario& s, const Args&) {
    const KeyBindingTable* table = g_hostgate.keyBindingTable;
    int shown = 0;
    for (int i = 0; table && i < table->count && i < table->capacity; i++) {
        const KeyBinding& b = table->bindings[i];
        if (b.active) Emit(s, "fired %s rearm %d", Quote(b.name).c_str(), b.rearm), shown++;
    }
    if (shown == 0) Emit(s, "fired none");
    return true;
}

static const ScenarioCommand kInputPrints[] = {
    {"input", 0, 0, PrintInput, "print input"},
    {"fired", 0, 0, PrintFired, "print fired"},
};

ScenarioTable InputPrintCommands() {
    return {kInputPrints, int(sizeof kInputPrints / sizeof kInputPrints[0])};
}
