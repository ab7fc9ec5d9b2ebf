// setup_dialog.h - the setup and about dialogs.
#pragma once

#include "platform/platform.h"

void OpenSetupDialog(PlatWindow owner);
void OpenAboutDialog(PlatWindow owner);
