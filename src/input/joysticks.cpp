// joysticks.cpp - game controllers. DirectInput arrives with the joystick
// work; until then no controller is opened and no button ever changes.
#include "input/joysticks.h"

int StartDirectInput() {
    return 0;
}

void StopDirectInput() {}

int PollJoysticks() {
    return 0;
}

void EmitJoystickButtons() {}
