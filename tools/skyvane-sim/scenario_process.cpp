// scenario_process.cpp - scenario commands for the simulator's process in
// the substitute host: the aircraft and its flight, host variables, the
// view records and the module list, the cursor and window size, rand().
#include <cstring>

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
    return true;
}

// rand V ...: the values rand() returns next, in order.
static bool Rand(Scenario& s, const Args& a) {
    std::vector<int> values;
    for (const std::string& text : a) {
        long long v = 0;
        if (!ParseNumber(text, &v) || v < 0 || v > 32767) return ScenarioError(s, "rand values are 0..32767");
        values.push_back(int(v));
    }
    hostsim::FeedRand(values);
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

static const ScenarioCommand kProcessPrints[] = {
    {"aircraft", 0, 0, PrintAircraft, "print aircraft"},
    {"variables", 1, -1, PrintVariables, "print variables ID ..."},
    {"events", 0, 0, PrintEvents, "print events"},
};

ScenarioTable ProcessPrintCommands() {
    return {kProcessPrints, int(sizeof kProcessPrints / sizeof kProcessPrints[0])};
}
