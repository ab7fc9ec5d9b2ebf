// hostsim.cpp - state and driving of the substitute host.
#include "hostsim/hostsim.h"

#include <strings.h>
#include <sys/stat.h>

#include <cstring>

#include "hostsim/sim_dialogs.h"
#include "hostsim/sim_files.h"
#include "hostsim/sim_joysticks.h"
#include "hostsim/sim_sound.h"
#include "shell/lifecycle.h"
#include "sound/effect_sounds.h"

namespace hostsim {

static Host g_host;

static PlatInstance ModuleInstance() {
    return reinterpret_cast<PlatInstance>(std::uintptr_t(0x10000000));
}

Host& Get() {
    return g_host;
}

void Reset(const std::string& root) {
    g_host = Host{};
    g_host.root = root;
    g_host.modulePath = "C:\\FS9\\Modules\\Skyvane2004.dll";
    g_host.hostPath = "C:\\FS9\\fs9.exe";
    g_host.currentThread = kUiThreadId;
    g_host.clockMs = 600000;  // the machine has been up for ten minutes
    MakeParentFolders(g_host.modulePath);
    ResetJoysticks();
    // The previous process's sound bank goes with its simulated device.
    ReleaseEffectSoundBank();
    ResetSound();
    ResetDialogs();
    ResetFiles();
}

std::string RealPath(const std::string& windowsPath) {
    std::string converted;
    for (char c : windowsPath) {
        if (c == ':') continue;  // the drive letter becomes a folder
        converted += (c == '\\') ? '/' : c;
    }
    std::string out = g_host.root;
    if (converted.empty() || converted[0] != '/') out += '/';
    out += converted;
    return out;
}

void MakeParentFolders(const std::string& windowsPath) {
    if (MemoryFilesOn()) return;  // memory files need no folders
    std::string real = RealPath(windowsPath);
    for (std::size_t i = g_host.root.size() + 1; i < real.size(); i++) {
        if (real[i] != '/') continue;
        ::mkdir(real.substr(0, i).c_str(), 0755);
    }
}

// [SECTION] Registry

static bool SameText(const std::string& a, const std::string& b) {
    return ::strcasecmp(a.c_str(), b.c_str()) == 0;
}

RegKey* FindRegKey(const std::string& path) {
    for (RegKey& key : g_host.regKeys) {
        if (SameText(key.path, path)) return &key;
    }
    return nullptr;
}

RegKey& CreateRegKey(const std::string& path) {
    if (RegKey* key = FindRegKey(path)) return *key;
    g_host.regKeys.push_back(RegKey{path, {}});
    return g_host.regKeys.back();
}

const RegValue* FindRegValue(const RegKey& key, const std::string& name) {
    for (const RegValue& value : key.values) {
        if (SameText(value.name, name)) return &value;
    }
    return nullptr;
}

void SetRegString(const std::string& path, const std::string& name, const std::string& text) {
    RegKey& key = CreateRegKey(path);
    std::vector<std::uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    for (RegValue& value : key.values) {
        if (SameText(value.name, name)) {
            value.data = data;
            return;
        }
    }
    key.values.push_back(RegValue{name, data});
}

// [SECTION] Windows

PlatWindow CreateWindow(const std::string& name, const std::string& className, int topMenus) {
    Window w{name, className, nullptr, true};
    if (topMenus > 0) {
        g_host.menus.push_back(Menu{true, {}});
        std::size_t barIndex = g_host.menus.size() - 1;
        w.menuBar = reinterpret_cast<PlatMenu>(barIndex + 1);
        static const char* const kTitles[] = {"&Flights", "&World", "&Aircraft", "&Views", "&Options", "&Help"};
        for (int i = 0; i < topMenus; i++) {
            g_host.menus.push_back(Menu{true, {}});
            PlatMenu sub = reinterpret_cast<PlatMenu>(g_host.menus.size());
            std::uint32_t base = 40000 + 100 * std::uint32_t(i);
            g_host.menus.back().items = {
                MenuItem{kMenuString, base + 1, nullptr, "Host item 1"},
                MenuItem{kMenuString, base + 2, nullptr, "Host item 2"},
            };
            std::string title = i < 6 ? kTitles[i] : "Menu " + std::to_string(i + 1);
            g_host.menus[barIndex].items.push_back(MenuItem{kMenuPopup, 0, sub, title});
        }
    }
    g_host.windows.push_back(w);
    return reinterpret_cast<PlatWindow>(g_host.windows.size());
}

PlatWindow FindWindowByName(const std::string& name) {
    for (std::size_t i = 0; i < g_host.windows.size(); i++) {
        if (g_host.windows[i].alive && g_host.windows[i].name == name) {
            return reinterpret_cast<PlatWindow>(i + 1);
        }
    }
    return nullptr;
}

const Window* WindowOf(PlatWindow window) {
    std::uintptr_t index = reinterpret_cast<std::uintptr_t>(window);
    if (index == 0 || index > g_host.windows.size()) return nullptr;
    const Window& w = g_host.windows[index - 1];
    return w.alive ? &w : nullptr;
}

Menu* MenuOf(PlatMenu menu) {
    std::uintptr_t index = reinterpret_cast<std::uintptr_t>(menu);
    if (index == 0 || index > g_host.menus.size()) return nullptr;
    Menu& m = g_host.menus[index - 1];
    return m.alive ? &m : nullptr;
}

// [SECTION] Module and messages

// A load after an unload is a fresh image of the module: the sound bank the
// previous one kept until the end of the process goes with it.
void LoadModule() {
    ReleaseEffectSoundBank();
    ModuleEntry(ModuleInstance(), kProcessAttach);
}

void UnloadModule() {
    ModuleEntry(ModuleInstance(), kProcessDetach);
}

static PlatHookProc HookFor(int slot) {
    const Hook& hook = g_host.hooks[slot];
    return (hook.proc && hook.thread == g_host.currentThread) ? hook.proc : nullptr;
}

// The window procedure: all it needs to tell is what arrived.
static Delivery Dispatch(PlatWindow window, std::uint32_t message) {
    if (message == kMsgNull) return kDeliveredNull;
    return WindowOf(window) ? kDeliveredToHost : kDeliveredNoWindow;
}

// As on Windows, a WH_CALLWNDPROC hook sees a sent message but cannot change
// it: whatever the hook writes into its record, the window procedure gets
// the message as it was sent.
Delivery SendMessage(PlatWindow window, std::uint32_t message, PlatWParam wParam, PlatLParam lParam) {
    HookCallRecord record{lParam, wParam, message, window};
    if (PlatHookProc proc = HookFor(1)) {
        proc(0, 1, reinterpret_cast<PlatLParam>(&record));  // sent by the current thread
    }
    return Dispatch(window, message);
}

void PostMessage(PlatWindow window, std::uint32_t message, PlatWParam wParam, PlatLParam lParam) {
    g_host.queue.push_back(QueuedMessage{window, message, wParam, lParam});
}

static HookQueuedMessage ToMsg(const QueuedMessage& q) {
    return HookQueuedMessage{q.window, q.message, q.wParam, q.lParam, g_host.clockMs, 0, 0};
}

bool PeekFirst(Delivery* seen) {
    if (g_host.queue.empty()) return false;
    HookQueuedMessage msg = ToMsg(g_host.queue.front());
    if (PlatHookProc proc = HookFor(0)) proc(0, 0, reinterpret_cast<PlatLParam>(&msg));
    // A peeked message stays queued as it was posted.
    *seen = (msg.message == kMsgNull) ? kDeliveredNull : kDeliveredToHost;
    return true;
}

bool PumpOne(QueuedMessage* taken, Delivery* delivery) {
    if (g_host.queue.empty()) return false;
    *taken = g_host.queue.front();
    g_host.queue.erase(g_host.queue.begin());
    HookQueuedMessage msg = ToMsg(*taken);
    if (PlatHookProc proc = HookFor(0)) proc(0, 1, reinterpret_cast<PlatLParam>(&msg));
    *delivery = Dispatch(msg.window, msg.message);
    return true;
}

}  // namespace hostsim
