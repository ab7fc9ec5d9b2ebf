// joysticks.h - game controller buttons through DirectInput: up to four
// controllers, 128 buttons each, each change delivered as a press or release.
#pragma once

#include "platform/platform.h"

inline constexpr int kJoystickSlotCount = 4;

struct JoystickSlot {
    PlatJoystick device;  // null when the slot is empty
    std::uint8_t previous[kJoystickButtons];  // 0 or 1, as the poll before the last left them
    std::uint8_t current[kJoystickButtons];   // 0 or 1, as the last poll read them
};

// Key code of button index (0..127) of slot (0..3): button 1 of joystick 1 is 310.
constexpr int JoystickKeyCode(int slot, int index) {
    return 310 + 200 * slot + index;
}

// 0 on success, the failing call's negative result otherwise.
int StartDirectInput();
void StopDirectInput();
// Read the controllers' button states; 0 on success.
int PollJoysticks();
// Hand the button changes found by the last poll to the input layer.
void EmitJoystickButtons();
// Poll, then post each change to the window as a joystick button message.
void PostJoystickButtons(PlatWindow window);

// The slots, for inspection.
int JoystickCount();
const JoystickSlot& JoystickSlotAt(int slot);
