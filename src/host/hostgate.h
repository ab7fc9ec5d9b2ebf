// hostgate.h - HostgateContext: the single context of the host-access,
// pilot-view and input layers, passed by pointer to their operations.
// Plain ints used as 0/1 flags and doubles in the units noted. Zeroed once at
// start-up. Field groups are added by the layers that own them.
#pragma once

#include <cstdint>

#include "platform/platform.h"

struct KeyBinding;
struct KeyBindingTable;

// Fired-binding handler the camera tick installs for the input layer.
using CommandDispatchFn = int (*)(int, int, KeyBinding* binding);

struct HostgateContext {
    // --- tower mode, shared by the command toggles and the pilot view
    int TowerModeActive;      // copy of the mode flag
    double towerEyeHeight;    // copy of the TowerHeight setting, eye length units
    int saveEyeRequest;       // tower on: save the eye and lift it on the next update
    int restoreEyeRequest;    // tower off: put the saved eye back on the next update
    double savedEye[3];       // eye offset saved when the tower was switched on

    // --- input layer
    KeyBindingTable* keyBindingTable;   // the module's bindings; may be null
    CommandDispatchFn commandDispatch;  // null until the first full camera tick
};

extern HostgateContext g_hostgate;
