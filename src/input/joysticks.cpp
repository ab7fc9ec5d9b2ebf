// joysticks.cpp - game controllers. DirectInput arrives with the joystick
// work; until then no controller is opened.
#include "input/joysticks.h"

int StartDirectInput() {
    return 0;
}

void StopDirectInput() {}
