// scenario_shell.cpp - scenario commands for the module shell: the host's
// set-up, loading and unloading, messages, menus, registry, files, and the
// settings and mode flags.
#include <cstring>
#include <fstream>
#include <sstream>

#include "hostsim/hostsim.h"
#include "scenario.h"
#include "shell/lifecycle.h"
#include "shell/main_state.h"
#include "shell/module_exports.h"
#include "shell/settings.h"

using hostsim::Delivery;
using hostsim::Get;

static constexpr std::uint32_t kDefaultFrameMs = 33;

static const char* DeliveryName(Delivery d) {
    switch (d) {
    case hostsim::kDeliveredToHost: return "host";
    case hostsim::kDeliveredNull: return "null";
    default: return "nowindow";
    }
}

// WINDOW MSG [W [L]] as the send, post and peek commands take them.
static bool ParseMessageArgs(Scenario& s, const Args& a, PlatWindow* window, std::uint32_t* message,
                             PlatWParam* w, PlatLParam* l) {
    if (!ParseWindow(s, a[0], window)) return false;
    if (!ParseMessage(a[1], message)) return ScenarioError(s, "bad message %s", a[1].c_str());
    long long wv = 0, lv = 0;
    if (a.size() > 2 && !ParseNumber(a[2], &wv)) return ScenarioError(s, "bad wParam %s", a[2].c_str());
    if (a.size() > 3 && !ParseNumber(a[3], &lv)) return ScenarioError(s, "bad lParam %s", a[3].c_str());
    *w = PlatWParam(wv);
    *l = PlatLParam(lv);
    return true;
}

static void EmitMessage(Scenario& s, const char* how, PlatWindow window, std::uint32_t message, PlatWParam w,
                        PlatLParam l, Delivery d) {
    Emit(s, "%s %s %s %lld %lld %s", how, WindowName(window).c_str(), MessageName(message).c_str(),
         (long long)w, (long long)l, DeliveryName(d));
}

static void PumpAll(Scenario& s) {
    hostsim::QueuedMessage m;
    Delivery d;
    while (hostsim::PumpOne(&m, &d)) EmitMessage(s, "post", m.window, m.message, m.wParam, m.lParam, d);
}

// [SECTION] Host set-up

static bool ModulePath(Scenario&, const Args& a) {
    Get().modulePath = a[0];
    hostsim::MakeParentFolders(a[0]);
    return true;
}

static bool WindowCommand(Scenario& s, const Args& a) {
    long long menus = 0;
    if (a.size() > 2 && !ParseNumber(a[2], &menus)) return ScenarioError(s, "bad menu count %s", a[2].c_str());
    if (hostsim::FindWindowByName(a[0])) return ScenarioError(s, "window %s exists", a[0].c_str());
    hostsim::CreateWindow(a[0], a[1], int(menus));
    return true;
}

static bool CloseWindow(Scenario& s, const Args& a) {
    PlatWindow window;
    if (!ParseWindow(s, a[0], &window) || !window) return false;
    Get().windows[reinterpret_cast<std::uintptr_t>(window) - 1].alive = false;
    return true;
}

static bool HookFails(Scenario& s, const Args& a) {
    for (const std::string& kind : a) {
        if (kind == "callwndproc") {
            Get().hookFails[1] = true;
        } else if (kind == "getmessage") {
            Get().hookFails[0] = true;
        } else {
            return ScenarioError(s, "hook kinds: callwndproc getmessage");
        }
    }
    return true;
}

static bool Thread(Scenario& s, const Args& a) {
    if (a[0] == "ui") {
        Get().currentThread = hostsim::kUiThreadId;
    } else if (a[0] == "other") {
        Get().currentThread = hostsim::kOtherThreadId;
    } else {
        return ScenarioError(s, "thread ui|other");
    }
    return true;
}

static bool Clock(Scenario& s, const Args& a) {
    long long ms = 0;
    if (!ParseNumber(a[0], &ms)) return ScenarioError(s, "bad time %s", a[0].c_str());
    Get().clockMs = std::uint32_t(ms);
    return true;
}

static bool Wait(Scenario& s, const Args& a) {
    long long ms = 0;
    if (!ParseNumber(a[0], &ms) || ms < 0) return ScenarioError(s, "bad time %s", a[0].c_str());
    Get().clockMs += std::uint32_t(ms);
    return true;
}

// [SECTION] Registry and files

static bool Registry(Scenario& s, const Args& a) {
    const std::string& what = a[0];
    if (what == "set" && a.size() == 3) {
        hostsim::SetRegString(kSettingsKey, a[1], a[2]);
    } else if (what == "set-bytes" && a.size() == 3) {
        // A value of n bytes of '7' without terminator, to test sizes.
        long long n = 0;
        if (!ParseNumber(a[2], &n) || n < 0 || n > 4096) return ScenarioError(s, "bad size");
        hostsim::RegKey& key = hostsim::CreateRegKey(kSettingsKey);
        key.values.push_back(hostsim::RegValue{a[1], std::vector<std::uint8_t>(std::size_t(n), '7')});
    } else if (what == "access" && a.size() == 2) {
        if (a[1] == "normal") {
            Get().regAccess = hostsim::kRegNormal;
        } else if (a[1] == "denied") {
            Get().regAccess = hostsim::kRegDenied;
        } else if (a[1] == "readonly") {
            Get().regAccess = hostsim::kRegReadOnly;
        } else {
            return ScenarioError(s, "registry access normal|denied|readonly");
        }
    } else if (what == "delete-key" && a.size() == 1) {
        auto& keys = Get().regKeys;
        for (std::size_t i = 0; i < keys.size(); i++) {
            if (keys[i].path == kSettingsKey) keys.erase(keys.begin() + long(i));
        }
    } else {
        return ScenarioError(s, "registry set NAME TEXT | set-bytes NAME N | access MODE | delete-key");
    }
    return true;
}

static bool File(Scenario& s, const Args& a) {
    std::string text;
    if (a.size() == 2 && a[1].rfind("<<", 0) == 0) {
        if (!TakeHereDocument(s, a[1].substr(2), &text)) return false;
    } else if (a.size() == 2) {
        text = a[1];
    } else {
        return ScenarioError(s, "file PATH <<END ... END | file PATH TEXT");
    }
    hostsim::MakeParentFolders(a[0]);
    std::ofstream out(hostsim::RealPath(a[0]), std::ios::binary);
    out << text;
    return bool(out) ? true : ScenarioError(s, "cannot write %s", a[0].c_str());
}

static bool DeleteFile(Scenario&, const Args& a) {
    std::remove(hostsim::RealPath(a[0]).c_str());
    return true;
}

// [SECTION] The module

static bool Start(Scenario&, const Args&) {
    hostsim::LoadModule();
    return true;
}

static bool Stop(Scenario&, const Args&) {
    hostsim::UnloadModule();
    return true;
}

static bool LinkageCall(Scenario& s, const Args& a) {
    if (a[0] == "init") {
        Linkage.init();
    } else if (a[0] == "deinit") {
        Linkage.deinit();
    } else {
        return ScenarioError(s, "linkage init|deinit");
    }
    return true;
}

// [SECTION] Messages

static bool Send(Scenario& s, const Args& a) {
    PlatWindow window;
    std::uint32_t message;
    PlatWParam w;
    PlatLParam l;
    if (!ParseMessageArgs(s, a, &window, &message, &w, &l)) return false;
    EmitMessage(s, "send", window, message, w, l, hostsim::SendMessage(window, message, w, l));
    return true;
}

static bool Post(Scenario& s, const Args& a) {
    PlatWindow window;
    std::uint32_t message;
    PlatWParam w;
    PlatLParam l;
    if (!ParseMessageArgs(s, a, &window, &message, &w, &l)) return false;
    hostsim::PostMessage(window, message, w, l);
    PumpAll(s);
    return true;
}

static bool Peek(Scenario& s, const Args& a) {
    PlatWindow window;
    std::uint32_t message;
    PlatWParam w;
    PlatLParam l;
    if (!ParseMessageArgs(s, a, &window, &message, &w, &l)) return false;
    hostsim::PostMessage(window, message, w, l);
    Delivery seen;
    hostsim::PeekFirst(&seen);
    EmitMessage(s, "peek", window, message, w, l, seen);
    return true;
}

static bool Pump(Scenario& s, const Args&) {
    PumpAll(s);
    return true;
}

// frame [N [MS [WINDOW]]]: N frame messages sent to the main window (or
// WINDOW), the clock advanced by MS before each.
static bool Frame(Scenario& s, const Args& a) {
    long long count = 1, ms = kDefaultFrameMs;
    if (!a.empty() && (!ParseNumber(a[0], &count) || count < 0)) return ScenarioError(s, "bad count");
    if (a.size() > 1 && (!ParseNumber(a[1], &ms) || ms < 0)) return ScenarioError(s, "bad time");
    PlatWindow main = hostsim::FindWindowByName("main");
    if (a.size() > 2 && !ParseWindow(s, a[2], &main)) return false;
    long long reached = 0;
    for (long long i = 0; i < count; i++) {
        Get().clockMs += std::uint32_t(ms);
        if (hostsim::SendMessage(main, kMsgHostFrame, 0, 0) == hostsim::kDeliveredToHost) reached++;
    }
    Emit(s, "frames %lld host %lld", count, reached);
    return true;
}

static bool MenuOpen(Scenario& s, const Args&) {
    PlatWindow main = hostsim::FindWindowByName("main");
    PlatWParam bar = reinterpret_cast<PlatWParam>(PlatWindowMenuBar(main));
    EmitMessage(s, "send", main, kMsgInitMenu, 0, 0, hostsim::SendMessage(main, kMsgInitMenu, bar, 0));
    return true;
}

// menu-choose ID: the WM_COMMAND a menu choice posts to the main window.
static bool MenuChoose(Scenario& s, const Args& a) {
    long long id = 0;
    if (!ParseNumber(a[0], &id)) return ScenarioError(s, "bad id %s", a[0].c_str());
    hostsim::PostMessage(hostsim::FindWindowByName("main"), kMsgCommand, PlatWParam(id), 0);
    PumpAll(s);
    return true;
}

static const ScenarioCommand kShellCommands[] = {
    {"module-path", 1, 1, ModulePath, "module-path WINDOWS-PATH"},
    {"window", 2, 3, WindowCommand, "window NAME CLASS [TOP-MENUS]"},
    {"close-window", 1, 1, CloseWindow, "close-window NAME"},
    {"hook-fails", 1, 2, HookFails, "hook-fails callwndproc|getmessage ..."},
    {"thread", 1, 1, Thread, "thread ui|other"},
    {"clock", 1, 1, Clock, "clock MS"},
    {"wait", 1, 1, Wait, "wait MS"},
    {"registry", 1, 3, Registry, "registry set NAME TEXT | set-bytes NAME N | access MODE | delete-key"},
    {"file", 2, 2, File, "file PATH <<END | file PATH TEXT"},
    {"delete-file", 1, 1, DeleteFile, "delete-file PATH"},
    {"start", 0, 0, Start, "start"},
    {"stop", 0, 0, Stop, "stop"},
    {"linkage", 1, 1, LinkageCall, "linkage init|deinit"},
    {"send", 2, 4, Send, "send WINDOW MSG [W [L]]"},
    {"post", 2, 4, Post, "post WINDOW MSG [W [L]]"},
    {"peek", 2, 4, Peek, "peek WINDOW MSG [W [L]]"},
    {"pump", 0, 0, Pump, "pump"},
    {"frame", 0, 3, Frame, "frame [N [MS [WINDOW]]]"},
    {"menu-open", 0, 0, MenuOpen, "menu-open"},
    {"menu-choose", 1, 1, MenuChoose, "menu-choose ID"},
};

ScenarioTable ShellScenarioCommands() {
    return {kShellCommands, int(sizeof kShellCommands / sizeof kShellCommands[0])};
}

// [SECTION] print ...

static bool PrintSettings(Scenario& s, const Args&) {
    for (const SettingInfo& info : kSettings) {
        char text[300];
        FormatSetting(&g_main, info, text, sizeof text);
        Emit(s, "setting %s %s", info.name, text);
    }
    return true;
}

struct FlagRow {
    const char* name;
    const int* value;
};

static const FlagRow kFlagRows[] = {
    {"FlyByActive", &g_main.FlyByActive},
    {"ApproachActive", &g_main.ApproachActive},
    {"InternalViewActive", &g_main.InternalViewActive},
    {"ExternalViewActive", &g_main.ExternalViewActive},
    {"TrafficViewActive", &g_main.TrafficViewActive},
    {"TrafficLockActive", &g_main.TrafficLockActive},
    {"LookAtViewActive", &g_main.LookAtViewActive},
    {"TowerModeActive", &g_main.TowerModeActive},
    {"EnableWheelZoom", &g_main.EnableWheelZoom},
    {"UseMouseInSpot", &g_main.UseMouseInSpot},
    {"SoundOn", &g_main.SoundOn},
    {"TrafficIndex", &g_main.TrafficIndex},
};

// print flags [NAME...]: the mode flags, all or the ones named.
static bool PrintFlags(Scenario& s, const Args& a) {
    for (const std::string& name : a) {
        bool known = name == "TrafficLockId";
        for (const FlagRow& row : kFlagRows) known = known || name == row.name;
        if (!known) return ScenarioError(s, "no flag %s", name.c_str());
    }
    auto wanted = [&a](const char* name) {
        if (a.empty()) return true;
        for (const std::string& n : a) {
            if (n == name) return true;
        }
        return false;
    };
    for (const FlagRow& row : kFlagRows) {
        if (wanted(row.name)) Emit(s, "flag %s %d", row.name, *row.value);
    }
    if (wanted("TrafficLockId")) Emit(s, "flag TrafficLockId %s", Quote(g_main.TrafficLockId).c_str());
    return true;
}

static bool PrintShell(Scenario& s, const Args&) {
    char config[kPathSize];
    ConfigFilePath(config, sizeof config);
    Emit(s, "shell SimFolder %s", Quote(g_shell.SimFolder).c_str());
    Emit(s, "shell ConfigFile %s", Quote(config).c_str());
    Emit(s, "shell ViewFileFolder %s", Quote(g_shell.ViewFileFolder).c_str());
    Emit(s, "shell HostMainWindow %s", WindowName(g_shell.HostMainWindow).c_str());
    Emit(s, "shell HostThreadId 0x%X", g_shell.HostThreadId);
    Emit(s, "shell hook callwndproc %s", g_shell.callWndProcHook ? "installed" : "none");
    Emit(s, "shell hook getmessage %s", g_shell.getMessageHook ? "installed" : "none");
    return true;
}

static bool PrintRegistry(Scenario& s, const Args&) {
    const hostsim::RegKey* key = hostsim::FindRegKey(kSettingsKey);
    if (!key) {
        Emit(s, "registry key absent");
        return true;
    }
    for (const hostsim::RegValue& value : key->values) {
        std::string text(value.data.begin(), value.data.end());
        if (!text.empty() && text.back() == 0) text.pop_back();
        Emit(s, "registry %s %s", value.name.c_str(), Quote(text).c_str());
    }
    Emit(s, "registry values %zu", key->values.size());
    return true;
}

static bool PrintRegistryWrites(Scenario& s, const Args&) {
    const auto& writes = Get().regWrites;
    for (std::size_t i = 0; i < writes.size(); i++) Emit(s, "registry-write %zu %s", i + 1, writes[i].c_str());
    Emit(s, "registry-writes %zu", writes.size());
    return true;
}

static void PrintMenuTree(Scenario& s, PlatMenu menu, const std::string& prefix, int depth) {
    const hostsim::Menu* m = hostsim::MenuOf(menu);
    if (!m || depth > 4) return;
    for (std::size_t i = 0; i < m->items.size(); i++) {
        const hostsim::MenuItem& item = m->items[i];
        std::string at = prefix + std::to_string(i + 1);
        if (item.flags & kMenuSeparator) {
            Emit(s, "menu %s separator", at.c_str());
        } else if (item.flags & kMenuPopup) {
            Emit(s, "menu %s popup %s", at.c_str(), Quote(item.text).c_str());
            PrintMenuTree(s, item.popup, at + ".", depth + 1);
        } else {
            Emit(s, "menu %s item %u %s%s", at.c_str(), item.id, Quote(item.text).c_str(),
                 (item.flags & kMenuChecked) ? " checked" : "");
        }
    }
}

// print menu [N [WINDOW]]: the menu bar of the main window (or of WINDOW),
// or only its N-th top-level menu; N = 0 is the whole bar.
static bool PrintMenu(Scenario& s, const Args& a) {
    PlatWindow window = hostsim::FindWindowByName("main");
    if (a.size() > 1 && !ParseWindow(s, a[1], &window)) return false;
    PlatMenu bar = PlatWindowMenuBar(window);
    if (!bar) {
        Emit(s, "menu none");
        return true;
    }
    if (a.empty() || a[0] == "0") {
        PrintMenuTree(s, bar, "", 0);
        return true;
    }
    long long n = 0;
    if (!ParseNumber(a[0], &n) || n < 0) return ScenarioError(s, "bad menu number %s", a[0].c_str());
    PlatMenu sub = PlatSubMenu(bar, int(n - 1));
    if (!sub) {
        Emit(s, "menu %lld none", n);
        return true;
    }
    PrintMenuTree(s, sub, std::to_string(n) + ".", 1);
    return true;
}

static bool PrintMessageBoxes(Scenario& s, const Args&) {
    for (const std::string& text : Get().messageBoxes) Emit(s, "msgbox %s", Quote(text).c_str());
    Emit(s, "msgboxes %zu", Get().messageBoxes.size());
    return true;
}

static bool PrintFile(Scenario& s, const Args& a) {
    std::ifstream in(hostsim::RealPath(a[0]), std::ios::binary);
    if (!in) {
        Emit(s, "file %s absent", a[0].c_str());
        return true;
    }
    std::stringstream buffer;
    buffer << in.rdbuf();
    std::string text = buffer.str();
    std::size_t lines = 0, start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        Emit(s, "file-line %zu %s", ++lines, Quote(line).c_str());
        if (end == std::string::npos) break;
        start = end + 1;
    }
    Emit(s, "file %s bytes %zu lines %zu", a[0].c_str(), text.size(), lines);
    return true;
}

static const ScenarioCommand kShellPrints[] = {
    {"settings", 0, 0, PrintSettings, "print settings"},
    {"flags", 0, -1, PrintFlags, "print flags [NAME...]"},
    {"shell", 0, 0, PrintShell, "print shell"},
    {"registry", 0, 0, PrintRegistry, "print registry"},
    {"registry-writes", 0, 0, PrintRegistryWrites, "print registry-writes"},
    {"menu", 0, 2, PrintMenu, "print menu [N [WINDOW]]"},
    {"msgboxes", 0, 0, PrintMessageBoxes, "print msgboxes"},
    {"file", 1, 1, PrintFile, "print file PATH"},
};

ScenarioTable ShellPrintCommands() {
    return {kShellPrints, int(sizeof kShellPrints / sizeof kShellPrints[0])};
}
