// key_names.cpp - the key name table.
#include "input/key_names.h"
