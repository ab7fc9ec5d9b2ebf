// scenario_process.cpp - scenario commands for the simulator's process,
// shared by both hosts (both run hostsim/host_process.cpp): the aircraft and
// its flight, host variables and events, the view records and the module
// list, the user's edits of the live view, the cursor and client area,
// rand(), the answers to file dialogs; prints that read host memory.
#include <cmath>
#include <cstring>

#include "host/host_access.h"
#include "host/host_records.h"
#include "hostsim/host_process.h"
#include "scenario.h"

using hostsim::Aircraft;

struct AircraftField {
    const char* name;
    double Aircraft::*field;
};

static const AircraftField kAircraftFields[] = {
    {"lat", &Aircraft::latitude},      {"lon", &Aircraft::longitude},   {"alt", &Aircraft::altitude},
    {"heading", &Aircraft::heading},   {"pitch", &Aircraft::pitch},     {"bank", &Aircraft::bank},
    {"speed", &Aircraft::groundSpeed}, {"vs", &Aircraft::verticalSpeed}, {"turn", &Aircraft::turnRate},
    {"ground", &Aircraft::ground},     {"wind", &Aircraft::wind},       {"g", &Aircraft::gLoad},
    {"buffet", &Aircraft::buffet},
};

// aircraft KEY VALUE ...: lat/lon degrees, alt and ground feet, heading,
// pitch (positive nose down) and bank degrees, speed knots, vs feet per
// minute, turn degrees per second, wind, g, overspeed 0/1, buffet 0..1.
static bool AircraftCommand(Scenario& s, const Args& a) {
    if (a.size() % 2 != 0) return ScenarioError(s, "aircraft KEY VALUE ...");
    Aircraft& plane = hostsim::Plane();
    for (std::size_t i = 0; i < a.size(); i += 2) {
        double value = 0;
        if (!ParseDouble(a[i + 1], &value)) return ScenarioError(s, "bad value %s", a[i + 1].c_str());
        if (a[i] == "overspeed") {
            plane.overspeed = value != 0;
            continue;
        }
        const AircraftField* field = nullptr;
        for (const AircraftField& f : kAircraftFields) {
            if (a[i] == f.name) field = &f;
        }
        if (!field) return ScenarioError(s, "no aircraft field %s", a[i].c_str());
        plane.*(field->field) = value;
    }
    hostsim::PublishAircraft();
    return true;
}

// variable ID VALUE: a host variable set by hand, over the aircraft's;
// variable clear: every variable follows the aircraft again.
static bool VariableCommand(Scenario& s, const Args& a) {
    if (a.size() == 1 && a[0] == "clear") {
        hostsim::ClearVariableOverrides();
        return true;
    }
    long long id = 0;
    double value = 0;
    if (a.size() != 2 || !ParseNumber(a[0], &id) || !ParseDouble(a[1], &value)) {
        return ScenarioError(s, "variable ID VALUE | variable clear");
    }
    hostsim::SetVariable(std::uint32_t(id), value);
    return true;
}

static bool Layout(Scenario& s, const Args& a) {
    long long kind = 0;
    if (!ParseNumber(a[0], &kind)) return ScenarioError(s, "bad layout kind %s", a[0].c_str());
    hostsim::SetLayoutKind(std::int32_t(kind));
    return true;
}

// view-type TYPE [KIND]: the type of the first view of list KIND (default 3).
static bool ViewType(Scenario& s, const Args& a) {
    long long type = 0, kind = 3;
    if (!ParseNumber(a[0], &type) || (a.size() > 1 && !ParseNumber(a[1], &kind))) {
        return ScenarioError(s, "view-type TYPE [KIND]");
    }
    hostsim::SetViewType(std::int32_t(kind), std::int32_t(type));
    return true;
}

static bool ModuleList(Scenario& s, const Args& a) {
    static const struct {
        const char* name;
        hostsim::ModuleListShape shape;
    } kShapes[] = {{"normal", hostsim::kModulesNormal},
                   {"unreadable", hostsim::kModulesUnreadable},
                   {"empty", hostsim::kModulesEmpty},
                   {"duplicate-global", hostsim::kModulesDuplicateGlobal},
                   {"lower-case", hostsim::kModulesLowerCase}};
    for (const auto& shape : kShapes) {
        if (a[0] == shape.name) {
            hostsim::SetModuleList(shape.shape);
            return true;
        }
    }
    return ScenarioError(s, "module-list normal|unreadable|empty|duplicate-global|lower-case");
}

static bool Cursor(Scenario& s, const Args& a) {
    long long x = 0, y = 0;
    if (!ParseNumber(a[0], &x) || !ParseNumber(a[1], &y)) return ScenarioError(s, "cursor X Y");
    hostsim::TheScreen().cursorX = std::int32_t(x);
    hostsim::TheScreen().cursorY = std::int32_t(y);
    return true;
}

// client X Y W H: the main window's client area on the screen.
static bool Client(Scenario& s, const Args& a) {
    long long v[4] = {};
    for (int i = 0; i < 4; i++) {
        if (!ParseNumber(a[std::size_t(i)], &v[i])) return ScenarioError(s, "client X Y WIDTH HEIGHT");
    }
    hostsim::TheScreen() = hostsim::Screen{hostsim::TheScreen().cursorX, hostsim::TheScreen().cursorY,
                                           std::int32_t(v[0]), std::int32_t(v[1]), std::int32_t(v[2]),
                                           std::int32_t(v[3])};
    return Host().PlaceClientArea() ? true : ScenarioError(s, "the host cannot place its windows there");
}

// rand V ...: the values rand() returns next, in order.
static bool Rand(Scenario& s, const Args& a) {
    std::vector<int> values;
    for (const std::string& text : a) {
        long long v = 0;
        if (!ParseNumber(text, &v) || v < 0 || v > 32767) return ScenarioError(s, "rand values are 0..32767");
        values.push_back(int(v));
    }
    return Host().FeedRand(values) ? true : ScenarioError(s, "the host's C library cannot draw these values");
}

// [SECTION] The live view, as the user edits it between frames

// The first view of the live layout list; 0 when the kind names no list.
static HostAddr LiveView() {
    return hostsim::ViewAddress(std::int32_t(hostsim::Read32(kHostViewLayoutKind)));
}

// The host's 16-bit word of a value: truncated toward zero, low 16 bits (the
// module's own rule); values beyond what a 64-bit integer holds are refused.
static bool Word16(double value, std::uint16_t* word) {
    if (!(std::fabs(value) < 9.0e18)) return false;
    *word = std::uint16_t(std::uint64_t(std::int64_t(value)));
    return true;
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
    std::uint16_t w[3] = {};
    long long number = 0;
    if (field == "eye" && n == 3 && ParseDoubles(a, 1, v) && Word16(v[0] * 256.0, &w[0]) &&
        Word16(v[1] * 256.0, &w[1]) && Word16(v[2] * 256.0, &w[2])) {
        for (std::uint32_t axis = 0; axis < 3; axis++) WriteField(view, kViewEyeOffset + 2 * axis, w[axis]);
    } else if (field == "zoom" && n == 1 && ParseDoubles(a, 1, v) && Word16(v[0] * 64.0, &w[0])) {
        WriteField(view, kViewZoom, w[0]);
    } else if (field == "spot-heading" && n == 1 && ParseDoubles(a, 1, v) && Word16(v[0] / 360.0 * 65536.0, &w[0])) {
        WriteField(view, kViewSpotHeading, w[0]);
    } else if (field == "step" && n == 1 && ParseNumber(a[1], &number)) {
        WriteField<std::int32_t>(view, kViewDirectionStep, std::int32_t(number));
    } else if (field == "type" && n == 1 && ParseNumber(a[1], &number)) {
        WriteField<std::int32_t>(view, kViewType, std::int32_t(number));
    } else {
        return ScenarioError(s, "host-view zoom Z | step N | eye X Y Z | spot-heading DEG | type T");
    }
    return true;
}

// file-dialog PATH | file-dialog cancel: what the user does in the next file
// dialog; with nothing queued a dialog is cancelled.
static bool FileDialog(Scenario&, const Args& a) {
    bool cancel = a[0] == "cancel";
    Host().AnswerFileDialog(!cancel, cancel ? "" : a[0]);
    return true;
}

static const ScenarioCommand kProcessCommands[] = {
    {"aircraft", 2, -1, AircraftCommand, "aircraft KEY VALUE ..."},
    {"variable", 1, 2, VariableCommand, "variable ID VALUE | variable clear"},
    {"layout", 1, 1, Layout, "layout KIND"},
    {"view-type", 1, 2, ViewType, "view-type TYPE [KIND]"},
    {"module-list", 1, 1, ModuleList, "module-list SHAPE"},
    {"cursor", 2, 2, Cursor, "cursor X Y"},
    {"client", 4, 4, Client, "client X Y WIDTH HEIGHT"},
    {"rand", 1, -1, Rand, "rand V ..."},
    {"host-view", 2, 4, HostViewCommand, "host-view zoom Z | step N | eye X Y Z | spot-heading DEG | type T"},
    {"file-dialog", 1, 1, FileDialog, "file-dialog PATH | file-dialog cancel"},
};

ScenarioTable ProcessScenarioCommands() {
    return {kProcessCommands, int(sizeof kProcessCommands / sizeof kProcessCommands[0])};
}

// [SECTION] print ...

static bool PrintAircraft(Scenario& s, const Args&) {
    const Aircraft& plane = hostsim::Plane();
    for (const AircraftField& f : kAircraftFields) Emit(s, "aircraft %s %.6f", f.name, plane.*(f.field));
    Emit(s, "aircraft overspeed %d", plane.overspeed);
    return true;
}

static bool PrintVariables(Scenario& s, const Args& a) {
    for (const std::string& text : a) {
        long long id = 0;
        if (!ParseNumber(text, &id) || id < 0) return ScenarioError(s, "bad variable id %s", text.c_str());
        Emit(s, "variable %lld %.6f", id, hostsim::Variable(std::uint32_t(id)));
    }
    return true;
}

static bool PrintEvents(Scenario& s, const Args&) {
    for (const hostsim::SentEvent& e : hostsim::SentEvents()) Emit(s, "event 0x%X %u", e.id, e.parameter);
    Emit(s, "events %u", unsigned(hostsim::SentEvents().size()));
    return true;
}

// print eye-point: the camera position record's words and what the host
// reads from them; none while nothing has been written into it.
static bool PrintEyePoint(Scenario& s, const Args&) {
    hostsim::CameraPosition c = hostsim::ReadCameraPosition();
    bool written = false;
    for (std::uint32_t word : c.words) written = written || word != 0;
    if (!written) {
        Emit(s, "eye-point none");
        return true;
    }
    Emit(s, "eye-point words 0x%08X 0x%08X 0x%08X 0x%08X 0x%04X", c.words[0], c.words[1], c.words[2], c.words[3],
         unsigned(c.words[5] & 0xFFFF));
    Emit(s, "eye-point lat %.6f lon %.6f alt %.2f", c.latitude, c.longitude, c.altitude);
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

static const ScenarioCommand kProcessPrints[] = {
    {"aircraft", 0, 0, PrintAircraft, "print aircraft"},
    {"variables", 1, -1, PrintVariables, "print variables ID ..."},
    {"events", 0, 0, PrintEvents, "print events"},
    {"eye-point", 0, 0, PrintEyePoint, "print eye-point"},
    {"host-view", 0, 0, PrintHostView, "print host-view"},
};

ScenarioTable ProcessPrintCommands() {
    return {kProcessPrints, int(sizeof kProcessPrints / sizeof kProcessPrints[0])};
}
