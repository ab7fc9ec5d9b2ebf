// key_dialogs.h - the key assignment dialogs: the list of bindings, the
// command chooser and the key capture box. They edit the module's binding
// table in place, so the input layer sees a change at once.
#pragma once

#include "input/key_bindings.h"
#include "platform/platform.h"

// The list of bindings, modal, owned by owner; returns when "Close" ends it.
void OpenKeyAssignmentDialog(PlatWindow owner);
// The command chooser, then the capture box for the chosen command; 1 when
// "OK" ended the chooser with a selection (a captured key was appended to
// the table), 0 on "Cancel".
int ChooseCommandAndCapture(PlatWindow parent);
// The capture box: 1 when a key, mouse button or joystick button was taken
// (its key code and modifier word written into the record), 0 when cancelled.
int CaptureKey(PlatWindow parent, KeyBinding* record);
