// scenario_traffic.cpp - scenario commands for the AI traffic of the
// substitute host (its container and aircraft), the scenery padlock point,
// and prints of the ranked list the traffic view built, the head angles
// written and the host's record of the module's container calls.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "camera/geometry.h"
#include "camera/traffic_view.h"
#include "host/hostgate.h"
#include "hostsim/sim_traffic.h"
#include "scenario.h"
#include "shell/main_state.h"

using hostsim::AiAircraft;

// [SECTION] ai ...

static bool ParseDoubles(const Args& a, std::size_t first, std::size_t n, double* out) {
    if (a.size() != first + n) return false;
    for (std::size_t i = 0; i < n; i++) {
        if (!ParseDouble(a[first + i], &out[i])) return false;
    }
    return true;
}

static AiAircraft* Named(Scenario& s, const std::string& name) {
    AiAircraft* a = hostsim::FindAi(name);
    if (!a) ScenarioError(s, "no AI aircraft %s", name.c_str());
    return a;
}

static bool AiAdd(Scenario& s, const Args& a) {
    double v[3];
    if (!ParseDoubles(a, 2, 3, v)) return ScenarioError(s, "ai add NAME LAT LON ALT");
    if (hostsim::FindAi(a[1])) return ScenarioError(s, "AI aircraft %s exists", a[1].c_str());
    if (hostsim::Traffic().aircraft.size() >= std::size_t(hostsim::kSimAiCapacity)) {
        return ScenarioError(s, "the container holds %d aircraft at most", hostsim::kSimAiCapacity);
    }
    hostsim::Traffic().aircraft.push_back(AiAircraft{a[1], v[0], v[1], v[2], 0.0, 0.0, 0.0, 0, hostsim::kAiWhole});
    return true;
}

static bool AiMove(Scenario& s, const Args& a) {
    double v[3];
    if (!ParseDoubles(a, 2, 3, v)) return ScenarioError(s, "ai move NAME LAT LON ALT");
    AiAircraft* ai = Named(s, a[1]);
    if (!ai) return false;
    ai->latitude = v[0], ai->longitude = v[1], ai->altitude = v[2];
    return true;
}

static bool AiFly(Scenario& s, const Args& a) {
    double v[3];
    if (!ParseDoubles(a, 2, 3, v)) return ScenarioError(s, "ai fly NAME SPEED HEADING CLIMB");
    AiAircraft* ai = Named(s, a[1]);
    if (!ai) return false;
    ai->speed = v[0], ai->heading = v[1], ai->climb = v[2];
    return true;
}

static bool AiRename(Scenario& s, const Args& a) {
    if (a.size() != 3) return ScenarioError(s, "ai rename NAME NEW-NAME");
    AiAircraft* ai = Named(s, a[1]);
    if (!ai) return false;
    ai->name = a[2];
    return true;
}

static bool AiRemove(Scenario& s, const Args& a) {
    if (a.size() != 2) return ScenarioError(s, "ai remove NAME");
    auto& all = hostsim::Traffic().aircraft;
    for (std::size_t i = 0; i < all.size(); i++) {
        if (all[i].name == a[1]) {
            all.erase(all.begin() + long(i));
            return true;
        }
    }
    return ScenarioError(s, "no AI aircraft %s", a[1].c_str());
}

// ai hide NAME [WORD]: the data's word at 0x40 (default 1); ai show NAME: 0.
static bool AiHide(Scenario& s, const Args& a) {
    long long word = a[0] == "show" ? 0 : 1;
    if (a.size() > 3 || (a.size() == 3 && (a[0] == "show" || !ParseNumber(a[2], &word)))) {
        return ScenarioError(s, "ai hide NAME [WORD] | ai show NAME");
    }
    AiAircraft* ai = Named(s, a[1]);
    if (!ai) return false;
    ai->hiddenWord = std::uint32_t(word);
    return true;
}

static bool AiBreak(Scenario& s, const Args& a) {
    static const struct {
        const char* name;
        hostsim::AiBreak how;
    } kBreaks[] = {{"none", hostsim::kAiWhole},          {"object", hostsim::kAiNullObject},
                   {"table", hostsim::kAiNullTable},     {"entry", hostsim::kAiNullEntry},
                   {"record", hostsim::kAiNullRecord},   {"data", hostsim::kAiNullData}};
    if (a.size() != 3) return ScenarioError(s, "ai break NAME none|object|table|entry|record|data");
    AiAircraft* ai = Named(s, a[1]);
    if (!ai) return false;
    for (const auto& b : kBreaks) {
        if (a[2] == b.name) {
            ai->broken = b.how;
            return true;
        }
    }
    return ScenarioError(s, "ai break NAME none|object|table|entry|record|data");
}

static bool AiContainer(Scenario& s, const Args& a) {
    static const struct {
        const char* name;
        hostsim::ContainerState state;
    } kStates[] = {{"normal", hostsim::kContainerNormal},         {"unloaded", hostsim::kContainerUnloaded},
                   {"no-linkage", hostsim::kContainerNoLinkage},  {"null-getter", hostsim::kContainerNullGetter},
                   {"null", hostsim::kContainerNull},             {"null-table", hostsim::kContainerNullTable}};
    for (const auto& st : kStates) {
        if (a.size() == 2 && a[1] == st.name) {
            hostsim::Traffic().state = st.state;
            return true;
        }
    }
    return ScenarioError(s, "ai container normal|unloaded|no-linkage|null-getter|null|null-table");
}

static const struct {
    const char* word;
    ScenarioFn run;
} kAiVerbs[] = {
    {"add", AiAdd},   {"move", AiMove},   {"fly", AiFly},     {"rename", AiRename},       {"remove", AiRemove},
    {"hide", AiHide}, {"show", AiHide},   {"break", AiBreak}, {"container", AiContainer},
};

// ai VERB ...: change the AI traffic; the container in host memory follows.
static bool Ai(Scenario& s, const Args& a) {
    for (const auto& verb : kAiVerbs) {
        if (a[0] != verb.word) continue;
        if (!verb.run(s, a)) return false;
        hostsim::PublishTraffic();
        return true;
    }
    return ScenarioError(s, "ai add|move|fly|rename|remove|hide|show|break|container ...");
}

// lookat-point LAT LON ALT: the padlock point (degrees, feet), as the setup
// dialog's fields would set it.
static bool LookAtPoint(Scenario& s, const Args& a) {
    double v[3];
    if (!ParseDoubles(a, 0, 3, v)) return ScenarioError(s, "lookat-point LAT LON ALT");
    g_main.LookAtPoint = GeoPoint{v[0] * kDegToRad, v[1] * kDegToRad, v[2]};
    return true;
}

static const ScenarioCommand kTrafficCommands[] = {
    {"ai", 2, 5, Ai, "ai add|move|fly|rename|remove|hide|show|break|container ..."},
    {"lookat-point", 3, 3, LookAtPoint, "lookat-point LAT LON ALT"},
};

ScenarioTable TrafficScenarioCommands() {
    return {kTrafficCommands, int(sizeof kTrafficCommands / sizeof kTrafficCommands[0])};
}

// [SECTION] The ranked list as the traffic view last built it

struct SeenList {
    bool seen;                            // a tick has fetched a list
    std::vector<TrafficRecord> records;  // ranked
    int current;                          // index of the tracked aircraft, -1 none
};
static SeenList g_seen;

static void KeepList(const TrafficRecord* records, int count, const TrafficRecord* current) {
    g_seen.seen = true;
    g_seen.records.assign(records, records + count);
    g_seen.current = current ? int(current - records) : -1;
}

// The tracked aircraft of the last tick that fetched a list; null when none.
const TrafficRecord* LastTrackedTraffic() {
    if (g_seen.current < 0 || std::size_t(g_seen.current) >= g_seen.records.size()) return nullptr;
    return &g_seen.records[std::size_t(g_seen.current)];
}

// [SECTION] print ...

static bool PrintTraffic(Scenario& s, const Args&) {
    const MainState& m = g_main;
    if (!g_seen.seen) {
        Emit(s, "traffic none");
        return true;
    }
    Emit(s, "traffic count %u index %d lock %d id %s", unsigned(g_seen.records.size()), m.TrafficIndex,
         m.TrafficLockActive, Quote(m.TrafficLockId).c_str());
    for (std::size_t i = 0; i < g_seen.records.size(); i++) {
        const TrafficRecord& r = g_seen.records[i];
        Emit(s, "traffic rank %u %s distance %.1f excluded %u%s", unsigned(i), Quote(r.name).c_str(), r.distance,
             r.excluded, int(i) == g_seen.current ? " tracked" : "");
    }
    return true;
}

static bool PrintHead(Scenario& s, const Args&) {
    const HostgateContext& g = g_hostgate;
    Emit(s, "head target %.4f %.4f %.4f", g.headTarget[0], g.headTarget[1], g.headTarget[2]);
    Emit(s, "head angles %.4f %.4f %.4f", g.headPitch, g.headHeading, g.headBank);
    Emit(s, "head eye %.4f %.4f %.4f", g.eyeX, g.eyeY, g.eyeZ);
    return true;
}

static bool PrintTrafficHost(Scenario& s, const Args&) {
    const hostsim::TrafficCalls& c = hostsim::Traffic().calls;
    Emit(s, "traffic-host module-lookups %ld export-lookups %ld getter %ld count %ld get %ld record %ld stray %ld",
         c.moduleLookups, c.exportLookups, c.getterCalls, c.countCalls, c.getCalls, c.recordCalls, c.strayCalls);
    return true;
}

static bool PrintLookAt(Scenario& s, const Args&) {
    const GeoPoint& p = g_main.LookAtPoint;
    Emit(s, "lookat active %d set %d", g_main.LookAtViewActive, (p.latitude != 0.0 || p.longitude != 0.0) ? 1 : 0);
    Emit(s, "lookat point lat %.6f lon %.6f alt %.2f", p.latitude * kRadToDeg, p.longitude * kRadToDeg, p.altitude);
    return true;
}

static const ScenarioCommand kTrafficPrints[] = {
    {"traffic", 0, 0, PrintTraffic, "print traffic"},
    {"head", 0, 0, PrintHead, "print head"},
    {"traffic-host", 0, 0, PrintTrafficHost, "print traffic-host"},
    {"lookat", 0, 0, PrintLookAt, "print lookat"},
};

// Also starts watching the traffic view's lists.
ScenarioTable TrafficPrintCommands() {
    SetTrafficListObserver(KeepList);
    return {kTrafficPrints, int(sizeof kTrafficPrints / sizeof kTrafficPrints[0])};
}
