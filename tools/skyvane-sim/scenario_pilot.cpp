// scenario_pilot.cpp - scenario commands for the cockpit pilot view: the
// user's edits of the active host view between frames, as with the
// simulator's own view controls; the pilot motion flags; prints of the
// engine's state and of the host view record as written.
#include <cstdint>

#include "host/host_access.h"
#include "host/host_records.h"
#include "host/hostgate.h"
#include "hostsim/host_process.h"
#include "input/input.h"
#include "scenario.h"

// The first view of the live layout list; 0 when the kind names no list.
static HostAddr LiveView() {
    return hostsim::ViewAddress(std::int32_t(hostsim::Read32(kHostViewLayoutKind)));
}

template <typename T>
static void WriteField(HostAddr view, std::uint32_t offset, T value) {
    hostsim::Write(view + offset, &value, sizeof value);
}

static bool ParseDoubles(const Args& a, std::size_t first, double* out) {
    for (std::size_t i = first; i < a.size(); i++) {
        if (!ParseDouble(a[i], &out[i - first])) return false;
    }
    return true;
}

// host-view zoom Z | step N | eye X Y Z | spot-heading DEG | type T: the
// words as the host's own controls would leave them (zoom x 64, the eye
// offset from the cockpit's base point in 1/256 units, 65536 per turn).
static bool HostViewCommand(Scenario& s, const Args& a) {
    HostAddr view = LiveView();
    if (view == 0) return ScenarioError(s, "host-view: the layout kind names no view list");
    const std::string& field = a[0];
    const std::size_t n = a.size() - 1;
    double v[3] = {};
    long long number = 0;
    if (field == "eye" && n == 3 && ParseDoubles(a, 1, v)) {
        for (std::uint32_t axis = 0; axis < 3; axis++) {
            WriteField<std::uint16_t>(view, kViewEyeOffset + 2 * axis, HostLow16(v[axis] * 256.0));
        }
    } else if (field == "zoom" && n == 1 && ParseDoubles(a, 1, v)) {
        WriteField<std::uint16_t>(view, kViewZoom, HostLow16(v[0] * 64.0));
    } else if (field == "spot-heading" && n == 1 && ParseDoubles(a, 1, v)) {
        WriteField<std::uint16_t>(view, kViewSpotHeading, HostLow16(v[0] / 360.0 * 65536.0));
    } else if (field == "step" && n == 1 && ParseNumber(a[1], &number)) {
        WriteField<std::int32_t>(view, kViewDirectionStep, std::int32_t(number));
    } else if (field == "type" && n == 1 && ParseNumber(a[1], &number)) {
        WriteField<std::int32_t>(view, kViewType, std::int32_t(number));
    } else {
        return ScenarioError(s, "host-view zoom Z | step N | eye X Y Z | spot-heading DEG | type T");
    }
    return true;
}


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
    {"host-view", 2, 4, HostViewCommand, "host-view zoom Z | step N | eye X Y Z | spot-heading DEG | type T"},
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

static void EmitWords(Scenario& s, const char* what, const HostView& v, std::uint32_t offset) {
    Emit(s, "host-view %s %d %d %d", what, ViewGet<std::int16_t>(v, offset), ViewGet<std::int16_t>(v, offset + 2),
         ViewGet<std::int16_t>(v, offset + 4));
}

static bool PrintHostView(Scenario& s, const Args&) {
    HostAddr addr = LiveView();
    if (addr == 0) {
        Emit(s, "host-view none");
        return true;
    }
    HostView v;
    hostsim::Read(addr, v.bytes, kHostViewSize);
    Emit(s, "host-view type %d", ViewGet<std::int32_t>(v, kViewType));
    Emit(s, "host-view step %d", ViewGet<std::int32_t>(v, kViewDirectionStep));
    Emit(s, "host-view zoom-word %d", ViewGet<std::int16_t>(v, kViewZoom));
    Emit(s, "host-view spot-zoom-word %d", ViewGet<std::int16_t>(v, kViewSpotZoom));
    Emit(s, "host-view spot-heading-word %d", ViewGet<std::int16_t>(v, kViewSpotHeading));
    Emit(s, "host-view spot-horizontal %d", ViewGet<std::int32_t>(v, kViewSpotHorizontal));
    Emit(s, "host-view spot-vertical %d", ViewGet<std::int32_t>(v, kViewSpotVertical));
    for (std::uint32_t row = 0; row < 3; row++) {
        std::uint32_t at = kViewMatrix + 16 * row;
        Emit(s, "host-view matrix %u %.6f %.6f %.6f", row, double(ViewGet<float>(v, at)),
             double(ViewGet<float>(v, at + 4)), double(ViewGet<float>(v, at + 8)));
    }
    Emit(s, "host-view head-heading-word %d", ViewGet<std::int16_t>(v, kViewHeadHeading));
    EmitWords(s, "base-eye", v, kViewBaseEye);
    EmitWords(s, "eye-offset", v, kViewEyeOffset);
    return true;
}

static const ScenarioCommand kPilotPrints[] = {
    {"pilot", 0, 0, PrintPilot, "print pilot"},
    {"host-view", 0, 0, PrintHostView, "print host-view"},
};

ScenarioTable PilotPrintCommands() {
    return {kPilotPrints, int(sizeof kPilotPrints / sizeof kPilotPrints[0])};
}
