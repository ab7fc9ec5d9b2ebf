// scenario_pilot.cpp - scenario commands for the cockpit pilot view: the
// pilot motion flags and a print of the engine's state. (The user's edits of
// the live host view and its print are host commands:
// tools/scenario/scenario_process.cpp.)
#include <cstdint>

#include "host/host_access.h"
#include "host/host_records.h"
#include "host/hostgate.h"
#include "hostsim/host_process.h"
#include "input/input.h"
#include "scenario.h"

// pilot COMMAND 0|1: a pilot motion flag as its key would leave it.
static bool PilotCommand(Scenario& s, const Args& a) {
    long long on = 0;
    if (!ParseNumber(a[1], &on) || (on != 0 && on != 1)) return ScenarioError(s, "pilot COMMAND 0|1");
    for (const PilotFlagName& f : kPilotFlags) {
        if (a[0] == f.name) {
            g_hostgate.*(f.flag) = int(on);
            return true;
        }
    }
    return ScenarioError(s, "no pilot command %s", a[0].c_str());
}

static const ScenarioCommand kPilotCommands[] = {
    {"pilot", 2, 2, PilotCommand, "pilot COMMAND 0|1"},
};

ScenarioTable PilotScenarioCommands() {
    return {kPilotCommands, int(sizeof kPilotCommands / sizeof kPilotCommands[0])};
}

// [SECTION] print ...

static void EmitTriple(Scenario& s, const char* what, const double v[3]) {
    Emit(s, "pilot %s %.6f %.6f %.6f", what, v[0], v[1], v[2]);
}

static bool PrintPilot(Scenario& s, const Args&) {
    const HostgateContext& g = g_hostgate;
    const double eye[3] = {g.eyeX, g.eyeY, g.eyeZ};
    const double head[3] = {g.headPitch, g.headHeading, g.headBank};
    EmitTriple(s, "eye", eye);
    EmitTriple(s, "eye-target", g.eyeTarget);
    EmitTriple(s, "eye-rate", g.eyeRate);
    EmitTriple(s, "head", head);
    EmitTriple(s, "head-target", g.headTarget);
    EmitTriple(s, "head-rate", g.headRate);
    Emit(s, "pilot zoom %.6f", g.zoom);
    Emit(s, "pilot zoom-target %.6f", g.zoomTarget);
    Emit(s, "pilot zoom-rate %.6f", g.zoomRate);
    EmitTriple(s, "latency", g.latencyOffset);
    EmitTriple(s, "turbulence", g.turbulenceOffset);
    EmitTriple(s, "overspeed", g.overspeedOffset);
    Emit(s, "pilot overspeed-reference %.6f", g.overspeedReference);
    Emit(s, "pilot spot-pitch %.6f", g.spotPitch);
    Emit(s, "pilot spot-heading %.6f", g.spotHeading);
    Emit(s, "pilot spot-zoom %.6f", g.spotZoom);
    Emit(s, "pilot spot-distance %.6f", g.spotDistance);
    Emit(s, "pilot spot-shake %.6f %.6f", g.spotShake[0], g.spotShake[1]);
    Emit(s, "pilot buffet %.6f", g.buffetIntensity);
    return true;
}

static const ScenarioCommand kPilotPrints[] = {
    {"pilot", 0, 0, PrintPilot, "print pilot"},
};

ScenarioTable PilotPrintCommands() {
    return {kPilotPrints, int(sizeof kPilotPrints / sizeof kPilotPrints[0])};
}
