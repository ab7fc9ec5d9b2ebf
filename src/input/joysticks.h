// joysticks.h - game controller buttons through DirectInput.
#pragma once

// 0 on success, the failing call's negative result otherwise.
int StartDirectInput();
void StopDirectInput();
