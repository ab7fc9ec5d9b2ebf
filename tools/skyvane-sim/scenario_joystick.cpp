// scenario_joystick.cpp - scenario commands for the joystick side of the input layer.
#include "scenario.h"

ScenarioTable JoystickScenarioCommands() {
    return {nullptr, 0};
}

ScenarioTable JoystickPrintCommands() {
    return {nullptr, 0};
}
