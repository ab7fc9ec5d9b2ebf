// scenario_commands.cpp - scenario commands for the cockpit named commands, view presets and view files.
#include <cstring>

#include "files/number_text.h"
#include "files/view_file.h"
#include "hostsim/hostsim.h"
#include "input/key_bindings.h"
#include "scenario.h"
#include "shell/command_dispatch.h"
#include "shell/command_table.h"

// command NAME: the dispatcher gets a binding of that name, as when a bound
// key fires and the input layer does not take the command itself.
static bool Command(Scenario& s, const Args& a) {
    KeyBinding binding{};
    CopyText(binding.name, sizeof binding.name, a[0].c_str());
    int result = DispatchCommand(0, 0, &binding);
    Emit(s, "command %s -> %d", a[0].c_str(), result);
    return true;
}

// preset I KIND X Y Z PITCH HEADING BANK ZOOM: store a preset directly.
static bool Preset(Scenario& s, const Args& a) {
    long long index = 0, kind = 0;
    double v[7] = {};
    bool ok = ParseNumber(a[0], &index) && index >= 0 && index < kViewPresetCount && ParseNumber(a[1], &kind);
    for (std::size_t i = 0; ok && i < 7; i++) ok = ParseDouble(a[i + 2], &v[i]);
    if (!ok) return ScenarioError(s, "preset I KIND X Y Z PITCH HEADING BANK ZOOM");
    g_viewPresets[index] = ViewPreset{int(kind), {v[0], v[1], v[2]}, {v[3], v[4], v[5]}, v[6]};
    return true;
}

static const ScenarioCommand kCommandCommands[] = {
    {"command", 1, 1, Command, "command NAME"},
    {"preset", 9, 9, Preset, "preset I KIND X Y Z PITCH HEADING BANK ZOOM"},
};

ScenarioTable CommandScenarioCommands() {
    return {kCommandCommands, int(sizeof kCommandCommands / sizeof kCommandCommands[0])};
}

// [SECTION] print ...

static bool PrintPresets(Scenario& s, const Args&) {
    for (int i = 0; i < kViewPresetCount; i++) {
        const ViewPreset& p = g_viewPresets[i];
        Emit(s, "preset %d kind %d eye %.4f %.4f %.4f head %.4f %.4f %.4f zoom %.4f", i, p.kind, p.eye[0], p.eye[1],
             p.eye[2], p.head[0], p.head[1], p.head[2], p.zoom);
    }
    return true;
}

// print dialogs: every file dialog shown so far, then the answers left.
static bool PrintDialogs(Scenario& s, const Args&) {
    const hostsim::Host& host = hostsim::Get();
    for (const hostsim::FileDialogShown& d : host.fileDialogs) {
        Emit(s, "dialog %s %s folder %s", d.save ? "save" : "open", Quote(d.title).c_str(),
             Quote(d.initialFolder).c_str());
    }
    Emit(s, "dialogs %u answers-left %u", unsigned(host.fileDialogs.size()), unsigned(host.fileDialogAnswers.size()));
    return true;
}

// print command-table: the bindable commands in table order.
static bool PrintCommandTable(Scenario& s, const Args&) {
    int n = 0;
    for (; kCommandTable[n].number != 0; n++) {
        Emit(s, "command-table %d %s %s", kCommandTable[n].number, kCommandTable[n].name,
             Quote(kCommandTable[n].description).c_str());
    }
    Emit(s, "command-table count %d", n);
    return true;
}

static const ScenarioCommand kCommandPrints[] = {
    {"presets", 0, 0, PrintPresets, "print presets"},
    {"dialogs", 0, 0, PrintDialogs, "print dialogs"},
    {"command-table", 0, 0, PrintCommandTable, "print command-table"},
};

ScenarioTable CommandPrintCommands() {
    return {kCommandPrints, int(sizeof kCommandPrints / sizeof kCommandPrints[0])};
}
