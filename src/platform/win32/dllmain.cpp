// dllmain.cpp - the library entry point of the module DLL.
#include <windows.h>

#include "shell/lifecycle.h"
#include "shell/module_exports.h"

HINSTANCE g_win32Instance;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_win32Instance = instance;
    ModuleEntry(reinterpret_cast<PlatInstance>(instance), reason);
    return TRUE;
}
