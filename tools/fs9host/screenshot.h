// screenshot.h - pictures of what the user sees, for a person to look at:
// the scenario commands "screenshot NAME" and "screenshot-menu NAME".
#pragma once

#include <string>

#include "scenario.h"

ScenarioTable ScreenshotCommands();
// A rectangle of the screen (pixels) as the PNG NAME in the screenshot
// folder; blank when it is a single colour. False when it was not written.
bool CaptureScreenArea(const std::string& name, int left, int top, int width, int height, bool* blank);
