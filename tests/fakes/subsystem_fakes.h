// subsystem_fakes.h - recording stand-ins for everything the shell calls in
// the other subsystems. Each call appends one line to the call log, with its
// arguments as text ("InterpretInput main 256 112 0"); windows are written by
// their host name ("main", "child"), "null" for none and "dead" for a handle
// the host does not know.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/hostgate.h"
#include "input/key_bindings.h"

struct SubsystemFakes {
    std::vector<std::string> calls;
    int inputResult = 0;  // what InterpretInput answers
    // Seen at the last call that takes them, to check the shell passes its own.
    const HostgateContext* context = nullptr;
    const KeyBindingTable* table = nullptr;
    // Runs right after a call is logged: lets a test look at the module's
    // state at that moment of start-up or shut-down.
    std::function<void(const std::string& call)> onCall;
};

extern SubsystemFakes g_fakes;

// Empty log, InterpretInput answering 0, no observer.
void ResetFakes();
