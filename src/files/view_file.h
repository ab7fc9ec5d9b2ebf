// view_file.h - the ten cockpit view presets and their view files.
#pragma once

#include "platform/platform.h"

struct ViewPreset {
    int kind;        // 0 cockpit, 1 walker; others recall nothing
    double eye[3];   // eye offset (kind 0) or walker latitude, longitude, altitude
    double head[3];  // pitch, heading, bank in degrees
    double zoom;
};

inline constexpr int kViewPresetCount = 10;

extern ViewPreset g_viewPresets[kViewPresetCount];

void ClearViewPresets();
// Menu commands: choose a file with the dialog, then load or save it.
void LoadViewFileCommand(PlatWindow owner);
void SaveViewFileCommand(PlatWindow owner);
