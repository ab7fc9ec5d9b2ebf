// scenario_traffic.cpp - the substitute host's side of the AI traffic
// commands (the "ai" commands themselves are shared: tools/scenario/
// scenario_traffic.cpp), the scenery padlock point, and prints of the ranked
// list the traffic view built and the head angles written.
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
#include "traffic_driver.h"

using hostsim::AiAircraft;

// [SECTION] The "ai" commands on the substitute host's container

namespace {

class SimTrafficDriver final : public TrafficDriver {
public:
    std::vector<AiAircraft>& Aircraft() override { return hostsim::Traffic().aircraft; }
    int Capacity() override { return hostsim::kSimAiCapacity; }
    // Every state, the loader's included: the loader is the host's own.
    bool SetContainerState(hostsim::ContainerState state) override {
        hostsim::Traffic().state = state;
        return true;
    }
    void Publish() override { hostsim::PublishTraffic(); }
    hostsim::TrafficCalls Calls() override { return hostsim::Traffic().calls; }
};

}  // namespace

void InstallSimTraffic() {
    static SimTrafficDriver driver;
    SetAiTrafficHost(&driver);
}

// [SECTION] The scenery padlock

static bool ParseDoubles(const Args& a, std::size_t first, std::size_t n, double* out) {
    if (a.size() != first + n) return false;
    for (std::size_t i = 0; i < n; i++) {
        if (!ParseDouble(a[first + i], &out[i])) return false;
    }
    return true;
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

static bool PrintLookAt(Scenario& s, const Args&) {
    const GeoPoint& p = g_main.LookAtPoint;
    Emit(s, "lookat active %d set %d", g_main.LookAtViewActive, (p.latitude != 0.0 || p.longitude != 0.0) ? 1 : 0);
    Emit(s, "lookat point lat %.6f lon %.6f alt %.2f", p.latitude * kRadToDeg, p.longitude * kRadToDeg, p.altitude);
    return true;
}

static const ScenarioCommand kTrafficPrints[] = {
    {"traffic", 0, 0, PrintTraffic, "print traffic"},
    {"head", 0, 0, PrintHead, "print head"},
    {"lookat", 0, 0, PrintLookAt, "print lookat"},
};

// Also starts watching the traffic view's lists.
ScenarioTable TrafficPrintCommands() {
    SetTrafficListObserver(KeepList);
    return {kTrafficPrints, int(sizeof kTrafficPrints / sizeof kTrafficPrints[0])};
}
