// command_dispatch.h - the named commands that are not pilot motions.
#pragma once

#include "input/key_bindings.h"

// Carry out the fired binding's command. The name matches a command when it
// contains that command's pattern; the first pattern in dispatch order
// decides. 1 when a command was carried out, 0 when no pattern matches or a
// preset command finds the internal view off. The two ints are ignored.
int DispatchCommand(int, int, KeyBinding* binding);
