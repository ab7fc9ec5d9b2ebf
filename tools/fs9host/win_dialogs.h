// win_dialogs.h - the module's dialogs in fs9host: the real dialog
// windows under wine, acted on as a user would (typed characters, button
// clicks, keyboard and mouse input through SendInput) by the shared
// "dialog" commands, and pictured by "screenshot-dialog".
#pragma once

#include <windows.h>

#include <cstdint>

#include "scenario.h"

// Makes the dialog commands reach this host's dialogs.
void InstallWinDialogs();
// The host's watch on activated dialogs asks this first: true when the
// dialog is one of the module's (it is then left to the script, which
// starts acting on it from inside its modal loop).
bool ClaimModuleDialog(HWND dialog);
// The main window got WM_NCLBUTTONDOWN with HTSYSMENU.
void NoteSystemMenuClick();
// Let time pass inside the innermost module dialog's loop; false when none
// is open.
bool WaitInDialog(std::uint32_t ms);
// "screenshot-dialog NAME.png".
ScenarioTable WineDialogCommands();
