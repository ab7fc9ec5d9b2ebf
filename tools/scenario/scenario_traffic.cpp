// scenario_traffic.cpp - the scenario commands for the simulator's AI
// traffic that every host runs: add, move, fly, rename, remove, hide and
// break AI aircraft, break the container, and print how often the module
// reached into it. They reach the traffic only through TrafficDriver, so
// their output is the same on every host.
#include <cstdint>
#include <string>
#include <vector>

#include "scenario.h"
#include "traffic_driver.h"

using hostsim::AiAircraft;

static TrafficDriver* g_trafficHost;

TrafficDriver& AiTrafficHost() {
    return *g_trafficHost;
}

void SetAiTrafficHost(TrafficDriver* driver) {
    g_trafficHost = driver;
}

// [SECTION] ai ...

static bool ParseDoubles(const Args& a, std::size_t first, std::size_t n, double* out) {
    if (a.size() != first + n) return false;
    for (std::size_t i = 0; i < n; i++) {
        if (!ParseDouble(a[first + i], &out[i])) return false;
    }
    return true;
}

static AiAircraft* FindAi(const std::string& name) {
    for (AiAircraft& a : AiTrafficHost().Aircraft()) {
        if (a.name == name) return &a;
    }
    return nullptr;
}

static AiAircraft* Named(Scenario& s, const std::string& name) {
    AiAircraft* a = FindAi(name);
    if (!a) ScenarioError(s, "no AI aircraft %s", name.c_str());
    return a;
}

static bool AiAdd(Scenario& s, const Args& a) {
    double v[3];
    if (!ParseDoubles(a, 2, 3, v)) return ScenarioError(s, "ai add NAME LAT LON ALT");
    if (FindAi(a[1])) return ScenarioError(s, "AI aircraft %s exists", a[1].c_str());
    std::vector<AiAircraft>& all = AiTrafficHost().Aircraft();
    if (all.size() >= std::size_t(AiTrafficHost().Capacity())) {
        return ScenarioError(s, "the container holds %d aircraft at most", AiTrafficHost().Capacity());
    }
    all.push_back(AiAircraft{a[1], v[0], v[1], v[2], 0.0, 0.0, 0.0, 0, hostsim::kAiWhole});
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
    std::vector<AiAircraft>& all = AiTrafficHost().Aircraft();
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
            if (AiTrafficHost().SetContainerState(st.state)) return true;
            return ScenarioError(s, "this host cannot make the container %s", st.name);
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
        AiTrafficHost().Publish();
        return true;
    }
    return ScenarioError(s, "ai add|move|fly|rename|remove|hide|show|break|container ...");
}

static const ScenarioCommand kAiCommands[] = {
    {"ai", 2, 5, Ai, "ai add|move|fly|rename|remove|hide|show|break|container ..."},
};

ScenarioTable AiTrafficCommands() {
    return {kAiCommands, int(sizeof kAiCommands / sizeof kAiCommands[0])};
}

// [SECTION] print ...

static bool PrintTrafficHost(Scenario& s, const Args&) {
    const hostsim::TrafficCalls c = AiTrafficHost().Calls();
    Emit(s, "traffic-host module-lookups %ld export-lookups %ld getter %ld count %ld get %ld record %ld stray %ld",
         c.moduleLookups, c.exportLookups, c.getterCalls, c.countCalls, c.getCalls, c.recordCalls, c.strayCalls);
    return true;
}

static const ScenarioCommand kAiPrints[] = {
    {"traffic-host", 0, 0, PrintTrafficHost, "print traffic-host"},
};

ScenarioTable AiTrafficPrintCommands() {
    return {kAiPrints, int(sizeof kAiPrints / sizeof kAiPrints[0])};
}
