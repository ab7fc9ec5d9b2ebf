// view_file.cpp - the view preset table. View files and their dialogs are
// not built yet: the load and save commands do nothing.
#include "files/view_file.h"

#include <cstring>

ViewPreset g_viewPresets[kViewPresetCount];

void ClearViewPresets() {
    std::memset(g_viewPresets, 0, sizeof g_viewPresets);
}

void LoadViewFileCommand(PlatWindow) {}
void SaveViewFileCommand(PlatWindow) {}
