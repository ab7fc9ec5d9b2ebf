// lifecycle.cpp - start-up and shut-down, run from the library entry point on
// the host's user-interface thread while the loader lock is held: nothing
// here may wait for another thread.
#include "shell/lifecycle.h"

#include <cstdio>
#include <cstring>

#include "files/file_replace.h"
#include "files/number_text.h"
#include "files/view_file.h"
#include "host/hostgate.h"
#include "host/traffic_list.h"
#include "input/head_tracking.h"
#include "input/joysticks.h"
#include "input/key_bindings.h"
#include "shell/main_state.h"
#include "shell/router.h"
#include "shell/settings.h"

ShellState g_shell;
HostgateContext g_hostgate;

static KeyBinding g_keyBindingStore[kKeyBindingCapacity];
KeyBindingTable g_keyBindings = {kKeyBindingCapacity, 0, g_keyBindingStore};

// Whether shut-down may rewrite the configuration file (see
// KeyBindingFileMayBeReplaced); decided when start-up reads it.
static int s_replaceConfigFile;

static void WriteKeyboardSection(std::FILE* file, const void* table) {
    SaveKeyBindings(file, "Keyboard", static_cast<const KeyBindingTable*>(table));
}

static void CutAtLastBackslash(char* text) {
    char* cut = std::strrchr(text, '\\');
    if (cut) *cut = 0;
}

void DeriveSimFolder(const char* modulePath, char* folder, std::size_t size) {
    CopyText(folder, size, modulePath);
    CutAtLastBackslash(folder);
    CutAtLastBackslash(folder);
}

// "%s\Skyvane2004.cfg"; a folder too long for the path is cut, like the
// formatted print into a 260-byte buffer would cut it.
void ConfigFilePath(char* path, std::size_t size) {
    CopyText(path, size, g_shell.SimFolder);
    std::size_t used = std::strlen(path);
    CopyText(path + used, size - used, "\\Skyvane2004.cfg");
}

int StartModule() {
    char modulePath[kPathSize] = {};
    PlatModuleFileName(g_shell.instance, modulePath, sizeof modulePath);
    DeriveSimFolder(modulePath, g_shell.SimFolder, sizeof g_shell.SimFolder);

    std::memset(&g_main, 0, sizeof g_main);
    SetDefaultSettings(&g_main);
    LoadSettings(&g_main);

    g_shell.HostMainWindow = PlatFindWindowByClass("FS98MAIN");
    if (!g_shell.HostMainWindow) PlatMessageBox(nullptr, "FS window not found");

    g_shell.HostThreadId = PlatCurrentThreadId();
    g_shell.callWndProcHook = PlatInstallHook(kHookCallWndProc, CallWndProcHook, g_shell.HostThreadId);
    g_shell.getMessageHook = PlatInstallHook(kHookGetMessage, GetMessageHook, g_shell.HostThreadId);
    if (!g_shell.callWndProcHook) PlatMessageBox(nullptr, "Skyvane: Unable to set hook");
    if (!g_shell.getMessageHook) PlatMessageBox(nullptr, "Skyvane: Unable to set hook");

    ClearViewPresets();
    std::memset(&g_hostgate, 0, sizeof g_hostgate);
    ResetTrafficList();

    // The bindings load into an empty table, also when the host loads the
    // module a second time into the same process.
    g_keyBindings.count = 0;
    char configPath[kPathSize];
    ConfigFilePath(configPath, sizeof configPath);
    LoadKeyBindings(configPath, "Keyboard", &g_keyBindings);
    s_replaceConfigFile = KeyBindingFileMayBeReplaced();
    g_hostgate.keyBindingTable = &g_keyBindings;

    std::snprintf(g_shell.ViewFileFolder, sizeof g_shell.ViewFileFolder, "%s", g_shell.SimFolder);
    StartDirectInput();
    StartHeadTracking();
    return 1;
}

void StopModule() {
    StopDirectInput();
    StopHeadTracking();
    SaveSettings(&g_main);
    if (g_shell.callWndProcHook) PlatRemoveHook(g_shell.callWndProcHook);
    if (g_shell.getMessageHook) PlatRemoveHook(g_shell.getMessageHook);
    g_shell.callWndProcHook = nullptr;
    g_shell.getMessageHook = nullptr;

    // A file the module could not read keeps what the user put there.
    if (!s_replaceConfigFile) return;
    char configPath[kPathSize];
    ConfigFilePath(configPath, sizeof configPath);
    ReplaceTextFile(configPath, WriteKeyboardSection, &g_keyBindings);
}

int ModuleEntry(PlatInstance instance, std::uint32_t reason) {
    if (reason == kProcessAttach) {
        g_shell.instance = instance;
        StartModule();
    } else if (reason == kProcessDetach) {
        StopModule();
    }
    return 1;
}
