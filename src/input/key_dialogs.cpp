// key_dialogs.cpp - key assignment dialogs; not built yet, the menu item does nothing.
#include "input/key_dialogs.h"

void OpenKeyAssignmentDialog(PlatWindow) {}
