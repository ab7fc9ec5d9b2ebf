// key_names.cpp - the key name table. It is constant-initialised read-only
// data: nothing runs at start-up, so it is usable from any static initialiser.
#include "input/key_names.h"

#include <cstring>

// The 40 rows of joystick N, whose codes start at B. Sliders 3 and 4 have
// no display name: the assignment dialog does not offer them.
#define SV_JOY_AXIS(N, B, AXIS, K) {"JOYSTICK_" #N "_AXIS_" #AXIS, "Joystick " #N " Axis " #AXIS, (B) + (K)}
#define SV_JOY_BUTTON(N, B, K) {"JOYSTICK_" #N "_BUTTON_" #K, "Joystick " #N " Button " #K, (B) + 9 + (K)}
#define SV_JOYSTICK_ROWS(N, B)                                                                        \
    SV_JOY_AXIS(N, B, X, 0), SV_JOY_AXIS(N, B, Y, 1), SV_JOY_AXIS(N, B, Z, 2), SV_JOY_AXIS(N, B, RX, 3), \
        SV_JOY_AXIS(N, B, RY, 4), SV_JOY_AXIS(N, B, RZ, 5),                                          \
        {"JOYSTICK_" #N "_SLIDER_1", "Joystick " #N " Slider 1", (B) + 6},                           \
        {"JOYSTICK_" #N "_SLIDER_2", "Joystick " #N " Slider 2", (B) + 7},                           \
        {"JOYSTICK_" #N "_SLIDER_3", "", (B) + 8}, {"JOYSTICK_" #N "_SLIDER_4", "", (B) + 9},        \
        SV_JOY_BUTTON(N, B, 1), SV_JOY_BUTTON(N, B, 2), SV_JOY_BUTTON(N, B, 3), SV_JOY_BUTTON(N, B, 4), \
        SV_JOY_BUTTON(N, B, 5), SV_JOY_BUTTON(N, B, 6), SV_JOY_BUTTON(N, B, 7), SV_JOY_BUTTON(N, B, 8), \
        SV_JOY_BUTTON(N, B, 9), SV_JOY_BUTTON(N, B, 10), SV_JOY_BUTTON(N, B, 11),                     \
        SV_JOY_BUTTON(N, B, 12), SV_JOY_BUTTON(N, B, 13), SV_JOY_BUTTON(N, B, 14),                    \
        SV_JOY_BUTTON(N, B, 15), SV_JOY_BUTTON(N, B, 16), SV_JOY_BUTTON(N, B, 17),                    \
        SV_JOY_BUTTON(N, B, 18), SV_JOY_BUTTON(N, B, 19), SV_JOY_BUTTON(N, B, 20),                    \
        SV_JOY_BUTTON(N, B, 21), SV_JOY_BUTTON(N, B, 22), SV_JOY_BUTTON(N, B, 23),                    \
        SV_JOY_BUTTON(N, B, 24), SV_JOY_BUTTON(N, B, 25), SV_JOY_BUTTON(N, B, 26),                    \
        SV_JOY_BUTTON(N, B, 27), SV_JOY_BUTTON(N, B, 28), SV_JOY_BUTTON(N, B, 29),                    \
        SV_JOY_BUTTON(N, B, 30)

constexpr KeyNameRow kKeyNameTable[kKeyNameRowCount + 1] = {
    {"NONE", "None", 0},
    {"1", "1", 49},
    {"2", "2", 50},
    {"3", "3", 51},
    {"4", "4", 52},
    {"5", "5", 53},
    {"6", "6", 54},
    {"7", "7", 55},
    {"8", "8", 56},
    {"9", "9", 57},
    {"0", "0", 48},
    {"F1", "F1", 112},
    {"F2", "F2", 113},
    {"F3", "F3", 114},
    {"F4", "F4", 115},
    {"F5", "F5", 116},
    {"F6", "F6", 117},
    {"F7", "F7", 118},
    {"F8", "F8", 119},
    {"F9", "F9", 120},
    {"F10", "F10", 121},
    {"F11", "F11", 122},
    {"F12", "F12", 123},
    {"NUMPAD_1", "Numpad 1", 97},
    {"NUMPAD_2", "Numpad 2", 98},
    {"NUMPAD_3", "Numpad 3", 99},
    {"NUMPAD_4", "Numpad 4", 100},
    {"NUMPAD_5", "Numpad 5", 101},
    {"NUMPAD_6", "Numpad 6", 102},
    {"NUMPAD_7", "Numpad 7", 103},
    {"NUMPAD_8", "Numpad 8", 104},
    {"NUMPAD_9", "Numpad 9", 105},
    {"NUMPAD_0", "Numpad 0", 96},
    {"TAB", "Tab", 9},
    {"SPACE", "Space", 32},
    {"RETURN", "Return", 13},
    {"UP", "Up arrow", 38},
    {"DOWN", "Down arrow", 40},
    {"RIGHT", "Right arrow", 39},
    {"LEFT", "Left arrow", 37},
    {"PAGE_UP", "Page up", 33},
    {"PAGE_DOWN", "Page down", 34},
    {"HOME", "Home", 36},
    {"END", "End", 35},
    {"MOUSE_BUTTON_0", "Left mouse button", 1000},
    {"MOUSE_BUTTON_1", "Right mouse button", 1001},
    {"MOUSE_BUTTON_2", "Middle mouse button", 1002},
    {"MOUSE_WHEEL_UP", "Mouse wheel up", 1004},
    {"MOUSE_WHEEL_DOWN", "Mouse wheel down", 1005},
    SV_JOYSTICK_ROWS(1, 300),
    SV_JOYSTICK_ROWS(2, 500),
    SV_JOYSTICK_ROWS(3, 700),
    SV_JOYSTICK_ROWS(4, 900),
    {"", "", kKeyNameEndCode},
};

#undef SV_JOYSTICK_ROWS
#undef SV_JOY_BUTTON
#undef SV_JOY_AXIS

// A row miscounted in the list above would shift every later row; the end row
// would then be missing or zero-filled.
static_assert(kKeyNameTable[kKeyNameRowCount].keyCode == kKeyNameEndCode);
static_assert(kKeyNameTable[kKeyNameRowCount - 1].keyCode == 939);

// Lookups stop at the end row; the bound only guards against a table edited
// without one.
const KeyNameRow* FindKeyName(const char* keyName) {
    if (!keyName) return nullptr;
    for (int i = 0; i < kKeyNameRowCount && kKeyNameTable[i].keyCode != kKeyNameEndCode; i++) {
        if (std::strcmp(kKeyNameTable[i].keyName, keyName) == 0) return &kKeyNameTable[i];
    }
    return nullptr;
}

const KeyNameRow* FindKeyCode(int keyCode) {
    for (int i = 0; i < kKeyNameRowCount && kKeyNameTable[i].keyCode != kKeyNameEndCode; i++) {
        if (kKeyNameTable[i].keyCode == keyCode) return &kKeyNameTable[i];
    }
    return nullptr;
}
