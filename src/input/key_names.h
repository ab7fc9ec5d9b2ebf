// key_names.h - the fixed vocabulary of key names used in the binding file.
#pragma once

struct KeyNameRow {
    char keyName[32];      // the file's word for the key
    char displayName[64];  // what the key assignment dialog shows
    int keyCode;
};
