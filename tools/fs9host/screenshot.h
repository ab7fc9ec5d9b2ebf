// screenshot.h - pictures of what the user sees, for a person to look at:
// the scenario commands "screenshot NAME" and "screenshot-menu NAME".
#pragma once

#include "scenario.h"

ScenarioTable ScreenshotCommands();
