// scenario_input.cpp - scenario commands for the input side of the input layer.
#include "scenario.h"

ScenarioTable InputScenarioCommands() {
    return {nullptr, 0};
}

ScenarioTable InputPrintCommands() {
    return {nullptr, 0};
}
