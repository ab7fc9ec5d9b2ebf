// command_dispatch.cpp - carries out the named commands that the input layer
// does not handle itself: mode toggles, dialogs, ground picks, traffic
// selection and the ten cockpit view presets.
#include "shell/command_dispatch.h"

#include <cstring>

#include "camera/approach.h"
#include "dialogs/setup_dialog.h"
#include "files/view_file.h"
#include "host/hostgate.h"
#include "pilotview/pilot_view.h"
#include "shell/commands.h"
#include "shell/main_state.h"

namespace {

constexpr std::size_t kNameSize = sizeof(KeyBinding::name);

// Both preset commands read the digit at a fixed place, where it follows the
// pattern in the table's names; a prefixed name reads another character.
constexpr int kStoreDigitAt = 14;   // "SetCockpitView" is 14 long
constexpr int kRecallDigitAt = 11;  // "CockpitView" is 11 long

int PresetNumber(const char* name, int position) {
    int number = static_cast<signed char>(name[position]) - '0';
    return number < 0 ? 0 : number > 9 ? 9 : number;
}

bool IsEmpty(const ViewPreset& preset) {
    return preset.eye[0] == 0.0 && preset.eye[1] == 0.0 && preset.eye[2] == 0.0;
}

int StorePreset(const char* name) {
    if (!g_main.InternalViewActive) return 0;
    const HostgateContext& g = g_hostgate;
    ViewPreset& preset = g_viewPresets[PresetNumber(name, kStoreDigitAt)];
    if (g_main.ExternalViewActive) {
        preset = ViewPreset{1, {g.walkerLatitude, g.walkerLongitude, g.walkerStandAltitude},
                            {g.walkerPitch, g.walkerHeading, g.walkerBank}, g.walkerZoom};
    } else {
        preset = ViewPreset{0, {g.eyeTarget[0], g.eyeTarget[1], g.eyeTarget[2]},
                            {g.headTarget[0], g.headTarget[1], g.headTarget[2]}, g.zoomTarget};
    }
    return 1;
}

void RecallCockpitPreset(const ViewPreset& preset) {
    HostgateContext& g = g_hostgate;
    g_main.InternalViewActive = 1;
    g_main.ExternalViewActive = 0;
    for (int i = 0; i < 3; i++) {
        g.eyeTarget[i] = preset.eye[i];
        g.headTarget[i] = preset.head[i];
    }
    g.zoomTarget = preset.zoom;
    if (!g_main.SmoothView) {
        // Already there: the transition finds nothing left to move.
        g.eyeX = preset.eye[0], g.eyeY = preset.eye[1], g.eyeZ = preset.eye[2];
        g.headPitch = preset.head[0], g.headHeading = preset.head[1], g.headBank = preset.head[2];
        g.zoom = preset.zoom;
    }
    StartViewTransition(&g);
}

// The walker takes the stored place when it engages, so nothing moves now.
void RecallWalkerPreset(const ViewPreset& preset) {
    HostgateContext& g = g_hostgate;
    g_main.InternalViewActive = 1;
    g_main.ExternalViewActive = 1;
    g.walkerLatitude = preset.eye[0];
    g.walkerLongitude = preset.eye[1];
    g.walkerStandAltitude = preset.eye[2];
    g.walkerPitch = preset.head[0];
    g.walkerHeading = preset.head[1];
    g.walkerBank = preset.head[2];
    g.walkerZoom = preset.zoom;
    g.walkerKeepPosition = 1;
}

int RecallPreset(const char* name) {
    if (!g_main.InternalViewActive) return 0;
    const ViewPreset& preset = g_viewPresets[PresetNumber(name, kRecallDigitAt)];
    if (IsEmpty(preset)) return 1;
    if (preset.kind == 0) RecallCockpitPreset(preset);
    if (preset.kind == 1) RecallWalkerPreset(preset);
    return 1;
}

int PickLookAtPoint(const char*) {
    GeoPoint point{};
    if (PickGroundPoint(&point)) g_main.LookAtPoint = point;
    return 1;
}

int PickApproachPoint(const char*) {
    GeoPoint point{};
    if (PickGroundPoint(&point)) {
        point.altitude += g_main.ApproachViewY;
        g_main.ApproachPoint = point;
    }
    return 1;
}

// Presses are counted without limit here; the traffic view wraps the index.
int NextTraffic(const char*) {
    g_main.TrafficIndex = int(unsigned(g_main.TrafficIndex) + 1u);
    return 1;
}

int NearestTraffic(const char*) {
    g_main.TrafficIndex = 0;
    return 1;
}

template <void (*Toggle)()>
int Run(const char*) {
    Toggle();
    return 1;
}

int Setup(const char*) {
    OpenSetupDialog(g_shell.HostMainWindow);
    return 1;
}

int LoadPreset(const char*) {
    LoadViewFileCommand(g_shell.HostMainWindow);
    return 1;
}

// A pattern either flips a plain flag of MainState or runs an action.
struct Pattern {
    const char* text;
    int MainState::*flag;
    int (*run)(const char* name);
};

// Order matters: every "SetCockpitView" name also contains "CockpitView".
const Pattern kPatterns[] = {
    {"ToggleFlyBy", nullptr, Run<ToggleFlyBy>},
    {"ToggleHeadLatency", &MainState::ViewTurbOn, nullptr},
    {"ToggleGroundTurbulence", &MainState::GroundTurbOn, nullptr},
    {"ToggleBuffeting", &MainState::BuffetTurbOn, nullptr},
    {"ToggleInternalView", &MainState::InternalViewActive, nullptr},
    {"ToggleExternalView", nullptr, Run<ToggleExternalView>},
    {"ToggleApproachView", nullptr, Run<ToggleApproachView>},
    {"ToggleWheelZoom", &MainState::EnableWheelZoom, nullptr},
    {"ToggleUseMouseInSpot", &MainState::UseMouseInSpot, nullptr},
    {"Setup", nullptr, Setup},
    {"LoadPreset", nullptr, LoadPreset},
    {"SetCockpitView", nullptr, StorePreset},
    {"CockpitView", nullptr, RecallPreset},
    {"ToggleTrafficView", nullptr, Run<ToggleTrafficView>},
    {"ToggleTrafficLock", nullptr, Run<ToggleTrafficLock>},
    {"ToggleLookAtView", nullptr, Run<ToggleLookAtView>},
    {"ToggleTowerMode", nullptr, Run<ToggleTowerMode>},
    {"SetLookAtView", nullptr, PickLookAtPoint},
    {"SetApproachPosition", nullptr, PickApproachPoint},
    {"NextTraffic", nullptr, NextTraffic},
    {"NearestTraffic", nullptr, NearestTraffic},
};

}  // namespace

int DispatchCommand(int, int, KeyBinding* binding) {
    if (!binding) return 0;
    // A terminated copy: the binding's name need not end inside its field.
    char name[kNameSize + 1] = {};
    std::memcpy(name, binding->name, kNameSize);
    for (const Pattern& pattern : kPatterns) {
        if (!std::strstr(name, pattern.text)) continue;
        if (!pattern.flag) return pattern.run(name);
        g_main.*pattern.flag = !(g_main.*pattern.flag);
        return 1;
    }
    return 0;
}
