// command_dispatch.h - the named commands that are not pilot motions.
#pragma once

#include "input/key_bindings.h"

// Carry out the fired binding's command; 1 when it was one of ours.
int DispatchCommand(int, int, KeyBinding* binding);
