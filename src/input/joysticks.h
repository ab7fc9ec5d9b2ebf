// joysticks.h - game controller buttons through DirectInput.
#pragma once

// 0 on success, the failing call's negative result otherwise.
int StartDirectInput();
void StopDirectInput();
// Read the controllers' button states; 0 on success.
int PollJoysticks();
// Post the button changes found by the last poll as input messages.
void EmitJoystickButtons();
