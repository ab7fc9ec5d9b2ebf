// setup_dialog.cpp - setup and about dialogs; not built yet, their menu items do nothing.
#include "dialogs/setup_dialog.h"

void OpenSetupDialog(PlatWindow) {}
void OpenAboutDialog(PlatWindow) {}
