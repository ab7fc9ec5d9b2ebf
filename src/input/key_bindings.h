// key_bindings.h - key bindings in memory and in the configuration file.
#pragma once

#include <cstdio>

struct KeyBinding {
    char name[32];     // command name, case kept
    int keyCode;       // virtual key, 1000-1005 mouse, 300-939 joystick, 0 none
    int modifiers;     // 1 SHIFT, 2 CONTROL, 4 ALT, 8 INVERSE
    int doubleFlag;    // fires on press and again on release
    int active;        // run-time: fired and not yet released
    int rearm;         // run-time: next press fires again
    int deadZone;      // 0..100, kept for the file only
};

struct KeyBindingTable {
    int capacity;
    int count;
    KeyBinding* bindings;
};

inline constexpr int kKeyBindingCapacity = 256;

// The module's table (capacity 256, empty at load).
extern KeyBindingTable g_keyBindings;

// Append the entries of the section to the table; 0 when the file cannot be opened.
int LoadKeyBindings(const char* path, const char* section, KeyBindingTable* table);
// Write the table as the section; always 1.
int SaveKeyBindings(std::FILE* file, const char* section, const KeyBindingTable* table);
// Whether the file the last LoadKeyBindings was given may be rewritten from
// the table without losing what the user put there: 1 when it was read and
// held the section (or nothing at all), or does not exist; 0 when it exists
// but could not be opened, or held no header of the section.
int KeyBindingFileMayBeReplaced();
