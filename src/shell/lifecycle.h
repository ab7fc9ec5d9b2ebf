// lifecycle.h - the module's entry point, start-up and shut-down.
#pragma once

#include "platform/platform.h"

enum ModuleEntryReason : std::uint32_t {
    kProcessDetach = 0,
    kProcessAttach = 1,
    kThreadAttach = 2,
    kThreadDetach = 3,
};

// What the library entry point does; always answers 1 (TRUE).
int ModuleEntry(PlatInstance instance, std::uint32_t reason);
int StartModule();
void StopModule();

// Module file path less its last two components (file name, then its folder).
void DeriveSimFolder(const char* modulePath, char* folder, std::size_t size);
// "%s\Skyvane2004.cfg" in SimFolder.
void ConfigFilePath(char* path, std::size_t size);
