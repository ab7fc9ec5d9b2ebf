// command_table.h - the names of every command a key, mouse button or
// joystick button can be bound to, with the text the key dialogs show.
#pragma once

#include <cstdint>

struct CommandRecord {
    char name[32];         // as written in the binding file
    std::int32_t number;   // nonzero; 0 marks the end record
    char description[64];  // shown in the key assignment dialogs
};

inline constexpr int kCommandCount = 54;

// kCommandCount records in menu order, then one all-zero end record.
extern const CommandRecord kCommandTable[kCommandCount + 1];
