// key_names.h - the fixed vocabulary of key names used in the binding file.
#pragma once

struct KeyNameRow {
    char keyName[32];      // the file's word for the key
    char displayName[64];  // what the key assignment dialog shows
    int keyCode;
};

inline constexpr int kKeyNameRowCount = 209;
// Key code of the row that closes the table; it names no key.
inline constexpr int kKeyNameEndCode = 0xFFFF;

// The rows in file order, then the end row (empty names, kKeyNameEndCode).
extern const KeyNameRow kKeyNameTable[kKeyNameRowCount + 1];

// First row whose key name equals the word exactly (case counts); null if none.
const KeyNameRow* FindKeyName(const char* keyName);
// First row with the key code; null if none (the end row is never found).
const KeyNameRow* FindKeyCode(int keyCode);
