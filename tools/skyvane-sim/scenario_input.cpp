// scenario_input.cpp - scenario commands for the input subsystem: the
// module's key binding table.
#include "input/key_bindings.h"
#include "scenario.h"

// print bindings: one line per binding in table order, then the count.
static bool PrintBindings(Scenario& s, const Args&) {
    const KeyBindingTable& table = g_keyBindings;
    int count = table.bindings ? table.count : 0;
    if (count > table.capacity) count = table.capacity;
    for (int i = 0; i < count; i++) {
        const KeyBinding& b = table.bindings[i];
        Emit(s, "binding %d %.*s %d modifiers=%d double=%d deadzone=%d", i + 1, int(sizeof b.name) - 1, b.name,
             b.keyCode, b.modifiers, b.doubleFlag, b.deadZone);
    }
    Emit(s, "bindings %d", count);
    return true;
}

static const ScenarioCommand kInputPrints[] = {
    {"bindings", 0, 0, PrintBindings, "print bindings"},
};

ScenarioTable InputPrintCommands() {
    return {kInputPrints, int(sizeof kInputPrints / sizeof kInputPrints[0])};
}
