// key_dialogs.h - the key assignment dialogs.
#pragma once

#include "platform/platform.h"

void OpenKeyAssignmentDialog(PlatWindow owner);
