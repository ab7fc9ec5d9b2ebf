// scenario_module.cpp - scenario commands only the substitute host can run:
// host conditions a real system does not let a script set (failing hooks,
// another thread, the clock, registry access), and prints of the module's
// own state (settings, mode flags, shell state, key bindings).
#include <cstdio>
#include <string>

#include "hostsim/hostsim.h"
#include "input/key_bindings.h"
#include "scenario.h"
#include "shell/lifecycle.h"
#include "shell/main_state.h"
#include "shell/settings.h"

using hostsim::Get;

// [SECTION] Host conditions

static bool ModulePath(Scenario&, const Args& a) {
    Get().modulePath = a[0];
    hostsim::MakeParentFolders(a[0]);
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
    if (a[0] != "ui" && a[0] != "other") return ScenarioError(s, "thread ui|other");
    Get().currentThread = a[0] == "ui" ? hostsim::kUiThreadId : hostsim::kOtherThreadId;
    return true;
}

static bool Clock(Scenario& s, const Args& a) {
    long long ms = 0;
    if (!ParseNumber(a[0], &ms)) return ScenarioError(s, "bad time %s", a[0].c_str());
    Get().clockMs = std::uint32_t(ms);
    return true;
}

static bool RegistryAccess(Scenario& s, const Args& a) {
    if (a[0] == "normal") {
        Get().regAccess = hostsim::kRegNormal;
    } else if (a[0] == "denied") {
        Get().regAccess = hostsim::kRegDenied;
    } else if (a[0] == "readonly") {
        Get().regAccess = hostsim::kRegReadOnly;
    } else {
        return ScenarioError(s, "registry-access normal|denied|readonly");
    }
    return true;
}

// registry-bytes NAME N: a value of N bytes of '7' without terminator, to
// test the size the module reads.
static bool RegistryBytes(Scenario& s, const Args& a) {
    long long n = 0;
    if (!ParseNumber(a[1], &n) || n < 0 || n > 4096) return ScenarioError(s, "bad size %s", a[1].c_str());
    hostsim::RegKey& key = hostsim::CreateRegKey(kSettingsKey);
    key.values.push_back(hostsim::RegValue{a[0], std::vector<std::uint8_t>(std::size_t(n), '7')});
    return true;
}

// install-file WINDOWS-PATH REAL-PATH: copy a real file (for instance the
// release package's starter configuration) into the simulated drives.
static bool InstallFile(Scenario& s, const Args& a) {
    std::FILE* in = std::fopen(a[1].c_str(), "rb");
    if (!in) return ScenarioError(s, "cannot read %s", a[1].c_str());
    std::string text;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, in)) > 0;) text.append(buf, n);
    std::fclose(in);
    return Host().PutFile(a[0], text) ? true : ScenarioError(s, "cannot write %s", a[0].c_str());
}

static const ScenarioCommand kModuleCommands[] = {
    {"install-file", 2, 2, InstallFile, "install-file WINDOWS-PATH REAL-PATH"},
    {"module-path", 1, 1, ModulePath, "module-path WINDOWS-PATH"},
    {"hook-fails", 1, 2, HookFails, "hook-fails callwndproc|getmessage ..."},
    {"thread", 1, 1, Thread, "thread ui|other"},
    {"clock", 1, 1, Clock, "clock MS"},
    {"registry-access", 1, 1, RegistryAccess, "registry-access normal|denied|readonly"},
    {"registry-bytes", 2, 2, RegistryBytes, "registry-bytes NAME N"},
};

ScenarioTable ModuleScenarioCommands() {
    return {kModuleCommands, int(sizeof kModuleCommands / sizeof kModuleCommands[0])};
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
    Emit(s, "shell HostMainWindow %s", Host().WindowName(reinterpret_cast<HostWindow>(g_shell.HostMainWindow)).c_str());
    Emit(s, "shell HostThreadId 0x%X", g_shell.HostThreadId);
    Emit(s, "shell hook callwndproc %s", g_shell.callWndProcHook ? "installed" : "none");
    Emit(s, "shell hook getmessage %s", g_shell.getMessageHook ? "installed" : "none");
    return true;
}

static bool PrintRegistryWrites(Scenario& s, const Args&) {
    const auto& writes = Get().regWrites;
    for (std::size_t i = 0; i < writes.size(); i++) Emit(s, "registry-write %u %s", unsigned(i + 1), writes[i].c_str());
    Emit(s, "registry-writes %u", unsigned(writes.size()));
    return true;
}
// print bindings: one line per binding in table order, then the count.
static bool PrintBindings(Scenario& s, const Args&) {
    const KeyBindingTable& table = g_keyBindings;
    int count = table.bindings ? table.count : 0;
    if (count > table.capacity) count = table.capacity;
    for (int i = 0; i < count; i++) {
        const KeyBinding& b = table.bindings[i];
        Emit(s, "binding %d %.*s %d modifiers=%d double=%d deadzone=%d", i + 1, int(sizeof b.name) - 1, b.name,
             b.keyCode, b.modifiers, b.doubleFlag, b.deadZone);
    }
    Emit(s, "bindings %d", count);
    return true;
}

static const ScenarioCommand kModulePrints[] = {
    {"settings", 0, 0, PrintSettings, "print settings"},
    {"flags", 0, -1, PrintFlags, "print flags [NAME...]"},
    {"shell", 0, 0, PrintShell, "print shell"},
    {"registry-writes", 0, 0, PrintRegistryWrites, "print registry-writes"},
    {"bindings", 0, 0, PrintBindings, "print bindings"},
};

ScenarioTable ModulePrintCommands() {
    return {kModulePrints, int(sizeof kModulePrints / sizeof kModulePrints[0])};
}
