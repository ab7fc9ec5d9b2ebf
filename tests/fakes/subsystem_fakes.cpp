// subsystem_fakes.cpp - the subsystems the shell calls, as recorders. The real
// headers are included so every signature is checked against the shell's use.
#include "fakes/subsystem_fakes.h"

#include <string>

#include "camera/camera_tick.h"
#include "dialogs/setup_dialog.h"
#include "files/view_file.h"
#include "host/host_access.h"
#include "host/traffic_list.h"
#include "hostsim/hostsim.h"
#include "input/head_tracking.h"
#include "input/input.h"
#include "input/joysticks.h"
#include "input/key_dialogs.h"
#include "sound/effect_sounds.h"

SubsystemFakes g_fakes;

void ResetFakes() {
    g_fakes = SubsystemFakes{};
}

static std::string WindowName(PlatWindow window) {
    const hostsim::Window* w = hostsim::WindowOf(window);
    return !window ? "null" : w ? w->name : "dead";
}

static void Record(const std::string& call) {
    g_fakes.calls.push_back(call);
    if (g_fakes.onCall) g_fakes.onCall(call);
}

int InterpretInput(HostgateContext* g, PlatWindow window, std::uint32_t message, PlatWParam wParam,
                   PlatLParam lParam) {
    g_fakes.context = g;
    Record("InterpretInput " + WindowName(window) + " " + std::to_string(message) + " " + std::to_string(wParam) +
           " " + std::to_string(lParam));
    return g_fakes.inputResult;
}

int SetActiveViewVirtualCockpit(HostgateContext* g) {
    g_fakes.context = g;
    Record("SetActiveViewVirtualCockpit");
    return 1;
}

int LoadKeyBindings(const char* path, const char* section, KeyBindingTable* table) {
    g_fakes.table = table;
    Record(std::string("LoadKeyBindings ") + path + " " + section);
    return 0;
}

// The shell's own tests check the file it writes: always allowed here.
int KeyBindingFileMayBeReplaced() { return 1; }

// Leaves a mark in the file so a test can tell which file it was given.
int SaveKeyBindings(std::FILE* file, const char* section, const KeyBindingTable* table) {
    g_fakes.table = table;
    if (file) std::fprintf(file, "fake bindings [%s]", section);
    Record(std::string("SaveKeyBindings ") + section);
    return 1;
}

int StartDirectInput() {
    Record("StartDirectInput");
    return 0;
}

void SendHostEvent(std::uint32_t eventId, std::uint32_t parameter) {
    Record("SendHostEvent " + std::to_string(eventId) + " " + std::to_string(parameter));
}

void CameraTick() { Record("CameraTick"); }
void StopDirectInput() { Record("StopDirectInput"); }
void StartHeadTracking() { Record("StartHeadTracking"); }
void StopHeadTracking() { Record("StopHeadTracking"); }
void ClearViewPresets() { Record("ClearViewPresets"); }
// Forgetting the container binding has no order of its own to check.
void ResetTrafficList() {}
void PauseEffectSounds() { Record("PauseEffectSounds"); }
void ResumeEffectSounds() { Record("ResumeEffectSounds"); }
void ReleaseEffectSoundBank() {}
void OpenSetupDialog(PlatWindow owner) { Record("OpenSetupDialog " + WindowName(owner)); }
void OpenAboutDialog(PlatWindow owner) { Record("OpenAboutDialog " + WindowName(owner)); }
void OpenKeyAssignmentDialog(PlatWindow owner) { Record("OpenKeyAssignmentDialog " + WindowName(owner)); }
void LoadViewFileCommand(PlatWindow owner) { Record("LoadViewFileCommand " + WindowName(owner)); }
void SaveViewFileCommand(PlatWindow owner) { Record("SaveViewFileCommand " + WindowName(owner)); }
