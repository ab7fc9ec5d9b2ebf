// view_file.h - the ten cockpit view presets and their view files.
#pragma once

#include "platform/platform.h"
#include "shell/main_state.h"

struct ViewPreset {
    int kind;        // 0 cockpit, 1 walker; others recall nothing
    double eye[3];   // eye offset (kind 0) or walker latitude, longitude, altitude
    double head[3];  // pitch, heading, bank in degrees
    double zoom;
};

inline constexpr int kViewPresetCount = 10;

extern ViewPreset g_viewPresets[kViewPresetCount];

void ClearViewPresets();

// Write all ten presets, one "View.I=..." line each with CR LF line ends.
// Nothing is written when the file cannot be created.
void SaveViewFile(const char* path);

// Read the presets a view file names; the others keep their values.
// Lines are cut after 1023 characters (the rest is read as a line of its
// own) and a last line without a line end is dropped. Only lines beginning
// "View." count; an index outside 0..9 ends the reading. Fields longer than
// 127 characters are converted from their first 127 characters; the rest of
// such a field, up to its comma, is skipped.
void LoadViewFile(const char* path);

// The open (save = 0) or save file dialog for view files, opening in folder.
// On OK: 1, path holds the chosen file and folder becomes its folder (the
// path cut at its last backslash). On cancel: 0 and nothing changes.
int ChooseViewFile(PlatWindow owner, int save, char (&path)[kPathSize], char (&folder)[kPathSize]);

// Menu commands: choose a file with the dialog, then load or save it.
void LoadViewFileCommand(PlatWindow owner);
void SaveViewFileCommand(PlatWindow owner);
