// hostsim.h - the substitute host: a small stand-in for the simulator that the
// native build runs the module in. It owns what the module reaches through
// the platform seam (windows, menus, hooks, registry, files, clock, message
// boxes; modal dialogs in sim_dialogs.h) and drives the module as the
// simulator would: it loads and unloads it and delivers sent and queued
// messages through the module's hooks.
//
// platform/sim implements the seam on this state; tests and skyvane-sim use
// the driver functions below.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace hostsim {

inline constexpr std::uint32_t kUiThreadId = 0x1D4C;
inline constexpr std::uint32_t kOtherThreadId = 0x2210;

// [SECTION] Registry

struct RegValue {
    std::string name;
    std::vector<std::uint8_t> data;  // as stored, terminator included for REG_SZ
};

struct RegKey {
    std::string path;  // full path under HKEY_LOCAL_MACHINE, as created
    std::vector<RegValue> values;  // in creation order
};

enum RegAccess {
    kRegNormal,
    kRegDenied,    // full access is refused: the key cannot be opened or created
    kRegReadOnly,  // opens and reads, but no value can be set
};

// [SECTION] Windows and menus

struct Window {
    std::string name;       // the scenario's name for it ("main", "child", ...)
    std::string className;  // FS98MAIN, FS98CHILD, ...
    PlatMenu menuBar;       // null for windows without a menu
    bool alive;
};

struct MenuItem {
    std::uint32_t flags;  // PlatMenuFlags
    std::uint32_t id;     // command id; 0 for separators and popups
    PlatMenu popup;       // submenu, null for plain items
    std::string text;
};

struct Menu {
    bool alive;
    std::vector<MenuItem> items;
};

// [SECTION] Messages

enum Delivery {
    kDeliveredToHost,    // the window procedure received it unchanged
    kDeliveredNull,      // the hook turned it into a null message
    kDeliveredNoWindow,  // the target window does not exist
};

struct Hook {
    PlatHookProc proc;    // null when not installed
    std::uint32_t thread;
};

struct QueuedMessage {
    PlatWindow window;
    std::uint32_t message;
    PlatWParam wParam;
    PlatLParam lParam;
};

// [SECTION] File dialogs

// What the user does with the next file dialog: choose path, or cancel.
struct FileDialogAnswer {
    bool ok;
    std::string path;  // Windows path
};

// A file dialog as the module set it up.
struct FileDialogShown {
    PlatWindow owner;
    bool save;
    std::string title;
    std::string initialFolder;
    std::string filter;  // the pairs with their zeros, final double zero left off
    std::string defaultExtension;
    std::uint32_t flags;
};

// [SECTION] The host

struct Host {
    std::string root;        // real folder that holds the simulated drives
    std::string modulePath;  // Windows path of the module file
    std::string hostPath;    // Windows path of the host executable
    std::uint32_t clockMs;

    // registry (HKEY_LOCAL_MACHINE)
    std::vector<RegKey> regKeys;
    RegAccess regAccess;
    std::vector<std::string> regOpenKeys;  // open handles: index + 1 is the handle
    std::vector<std::string> regWrites;    // value names in the order they were set

    // windows, menus, hooks
    std::vector<Window> windows;  // index + 1 is the handle
    std::vector<Menu> menus;      // index + 1 is the handle
    Hook hooks[2];                // [0] WH_GETMESSAGE, [1] WH_CALLWNDPROC
    bool hookFails[2];
    std::uint32_t currentThread;
    std::vector<QueuedMessage> queue;

    std::vector<std::string> messageBoxes;

    // keyboard and mouse
    bool keysDown[256];     // the asynchronous key state, by virtual key
    PlatWindow capture;     // the window holding the mouse capture, or null

    // file dialogs: answers taken first to last (none left = cancel), and
    // every dialog shown in order; Reset empties both
    std::vector<FileDialogAnswer> fileDialogAnswers;
    std::vector<FileDialogShown> fileDialogs;
};

Host& Get();

// Fresh host whose drives live under `root` (an existing real folder):
// clock at 0, empty registry, no windows, module at C:\FS9\Modules.
void Reset(const std::string& root);

// Real path of a Windows path: "C:\FS9\x.cfg" -> root + "/C/FS9/x.cfg".
std::string RealPath(const std::string& windowsPath);
// Create the real folders that hold the file.
void MakeParentFolders(const std::string& windowsPath);

// Registry driving.
RegKey* FindRegKey(const std::string& path);
RegKey& CreateRegKey(const std::string& path);
void SetRegString(const std::string& path, const std::string& name, const std::string& text);
const RegValue* FindRegValue(const RegKey& key, const std::string& name);

// Windows. topMenus > 0 gives the window a menu bar with that many
// top-level menus, each with a few items of its own.
PlatWindow CreateWindow(const std::string& name, const std::string& className, int topMenus);
PlatWindow FindWindowByName(const std::string& name);
const Window* WindowOf(PlatWindow window);
Menu* MenuOf(PlatMenu menu);

// Module loading: the library entry point with process attach / detach.
void LoadModule();
void UnloadModule();

// A message sent on the user-interface thread: WH_CALLWNDPROC hook, then the
// window procedure, which gets the message unchanged whatever the hook did.
Delivery SendMessage(PlatWindow window, std::uint32_t message, PlatWParam wParam, PlatLParam lParam);
// A message posted to the queue.
void PostMessage(PlatWindow window, std::uint32_t message, PlatWParam wParam, PlatLParam lParam);
// The host's loop looks at the first queued message without removing it
// (WH_GETMESSAGE with PM_NOREMOVE). Returns false when the queue is empty.
bool PeekFirst(Delivery* seen);
// The host's loop takes the first queued message (WH_GETMESSAGE with
// PM_REMOVE) and dispatches it. Returns false when the queue is empty.
bool PumpOne(QueuedMessage* taken, Delivery* delivery);

}  // namespace hostsim
