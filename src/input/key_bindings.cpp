// key_bindings.cpp - the configuration file's key bindings.
#include "input/key_bindings.h"

int LoadKeyBindings(const char*, const char*, KeyBindingTable*) {
    return 0;
}

int SaveKeyBindings(std::FILE*, const char*, const KeyBindingTable*) {
    return 1;
}
