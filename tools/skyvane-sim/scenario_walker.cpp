// scenario_walker.cpp - scenario commands for the walker view: scenery in the
// substitute host (boxes, roofs, ramps, nested steps, hostile drawing
// blocks), the probe run by hand, and prints of the walker's state and of
// the host records he wrote.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "host/host_access.h"
#include "host/host_records.h"
#include "host/hostgate.h"
#include "hostsim/host_process.h"
#include "hostsim/sim_objects.h"
#include "pilotview/walker_view.h"
#include "scenario.h"

namespace {

// A place: LAT LON in degrees, or "near EAST NORTH" in metres from the aircraft.
// Answers how many arguments it took, 0 on error.
std::size_t ParsePlace(const Args& a, std::size_t at, double* lat, double* lon) {
    if (at < a.size() && a[at] == "near") {
        double east = 0, north = 0;
        if (at + 2 >= a.size() || !ParseDouble(a[at + 1], &east) || !ParseDouble(a[at + 2], &north)) return 0;
        const hostsim::Aircraft& plane = hostsim::Plane();
        MoveOnSphere(plane.latitude, plane.longitude, east, north, lat, lon);
        return 3;
    }
    if (at + 1 >= a.size() || !ParseDouble(a[at], lat) || !ParseDouble(a[at + 1], lon)) return 0;
    return 2;
}

bool ParseAll(const Args& a, std::size_t from, double* out, std::size_t count) {
    if (a.size() != from + count) return false;
    for (std::size_t i = 0; i < count; i++) {
        if (!ParseDouble(a[from + i], &out[i])) return false;
    }
    return true;
}

const char* const kObjectUsage =
    "object box PLACE ALT EAST NORTH HEIGHT [SUBDIVISIONS] | roof PLACE ALT WIDTH LENGTH EAVES RIDGE | "
    "ramp PLACE ALT WIDTH LENGTH HEIGHT | steps PLACE ALT LEVELS SIZE STEP | hostile KIND PLACE ALT "
    "(PLACE: LAT LON or near EAST NORTH)";

bool ObjectCommand(Scenario& s, const Args& a) {
    const std::string& kind = a[0];
    std::size_t at = 1;
    int hostile = -1;
    if (kind == "hostile") {
        for (int k = 0; k < hostsim::kHostileCount; k++) {
            if (a.size() > 1 && a[1] == hostsim::kHostileNames[k]) hostile = k;
        }
        if (hostile < 0) return ScenarioError(s, "hostile kinds: self-loop fan escape million unreadable skip-loop zero-length");
        at = 2;
    }
    double lat = 0, lon = 0;
    const std::size_t used = ParsePlace(a, at, &lat, &lon);
    if (used == 0) return ScenarioError(s, "%s", kObjectUsage);
    at += used;
    double v[6] = {};
    int index = -1;
    if (kind == "box" && ParseAll(a, at, v, 4)) {
        index = hostsim::AddBox(lat, lon, v[0], v[1], v[2], v[3]);
    } else if (kind == "box" && ParseAll(a, at, v, 5)) {
        index = hostsim::AddBox(lat, lon, v[0], v[1], v[2], v[3], int(v[4]));
    } else if (kind == "roof" && ParseAll(a, at, v, 5)) {
        index = hostsim::AddRoof(lat, lon, v[0], v[1], v[2], v[3], v[4]);
    } else if (kind == "ramp" && ParseAll(a, at, v, 4)) {
        index = hostsim::AddRamp(lat, lon, v[0], v[1], v[2], v[3]);
    } else if (kind == "steps" && ParseAll(a, at, v, 4)) {
        index = hostsim::AddSteps(lat, lon, v[0], int(v[1]), v[2], v[3]);
    } else if (kind == "hostile" && ParseAll(a, at, v, 1)) {
        index = hostsim::AddHostile(hostsim::HostileBlock(hostile), lat, lon, v[0]);
    } else {
        return ScenarioError(s, "%s", kObjectUsage);
    }
    if (index < 0) return ScenarioError(s, "no room for more objects");
    return true;
}

bool ObjectsCommand(Scenario& s, const Args& a) {
    if (a[0] != "clear") return ScenarioError(s, "objects clear");
    hostsim::ClearObjects();
    return true;
}

bool GeoRecordCommand(Scenario& s, const Args& a) {
    if (a[0] != "off") return ScenarioError(s, "geo-record off");
    hostsim::DetachGeoRecords();
    return true;
}

// probe PLACE: the probe run by hand over the objects as they stand.
bool ProbeCommand(Scenario& s, const Args& a) {
    double lat = 0, lon = 0;
    if (ParsePlace(a, 0, &lat, &lon) != a.size()) return ScenarioError(s, "probe LAT LON | probe near EAST NORTH");
    HostgateContext g{};
    LocateHostModules(&g);
    ObjectProbe probe;
    InitObjectProbe(&probe, lat, lon, 0.0);
    const int result = ProbeObjectSurface(&g, &probe);
    if (probe.bestDistance < kProbeNoHit) {
        Emit(s, "probe hit %.4f", kProbeRayHeight - probe.bestDistance);
    } else {
        Emit(s, "probe none result %d", result);
    }
    Emit(s, "probe objects %d records %d triangles %d cut %d", probe.objectsLooked, probe.recordsVisited,
         probe.trianglesTested, probe.tracesCut);
    return true;
}

const ScenarioCommand kWalkerCommands[] = {
    {"object", 3, 10, ObjectCommand, kObjectUsage},
    {"objects", 1, 1, ObjectsCommand, "objects clear"},
    {"geo-record", 1, 1, GeoRecordCommand, "geo-record off"},
    {"probe", 2, 3, ProbeCommand, "probe LAT LON | probe near EAST NORTH"},
};

// [SECTION] print ...

bool PrintWalker(Scenario& s, const Args&) {
    const HostgateContext& g = g_hostgate;
    Emit(s, "walker active %d engaged %d keep %d", g.walkerActive, g.walkerEngaged, g.walkerKeepPosition);
    Emit(s, "walker position %.7f %.7f", g.walkerLatitude, g.walkerLongitude);
    Emit(s, "walker stand-altitude %.4f", g.walkerStandAltitude);
    Emit(s, "walker surface %.4f on-object %d", g.walkerSurfaceAltitude, g.walkerOnObject);
    Emit(s, "walker ground-elevation %.4f", g.groundElevation);
    Emit(s, "walker eye-height %.4f", g.walkerEyeHeight);
    Emit(s, "walker eye-altitude %.4f", g.walkerEyeAltitude);
    Emit(s, "walker attitude pitch %.4f heading %.4f bank %.4f", g.walkerPitch, g.walkerHeading, g.walkerBank);
    Emit(s, "walker zoom %.4f bob %.4f", g.walkerZoom, g.walkerBob);
    Emit(s, "walker speeds forward %.4f side %.4f", g.walkerForwardSpeed, g.walkerSideSpeed);
    return true;
}

// A split fixed-point pair as the simulator reads it: signed 32.32.
double FixedPoint(std::uint32_t fraction, std::uint32_t integer) {
    return double(std::int32_t(integer)) + fraction / 4294967296.0;
}

void EmitPosition(Scenario& s, const char* what, const std::uint32_t w[6]) {
    Emit(s, "walker-host %s words %u %d %u %d %u %d", what, w[0], std::int32_t(w[1]), w[2], std::int32_t(w[3]), w[4],
         std::int32_t(w[5]));
    Emit(s, "walker-host %s lat %.7f lon %.7f alt %.4f", what, FixedPoint(w[0], w[1]) / 111130.52399516014,
         FixedPoint(w[2], w[3]) * 360.0 / 4294967296.0, FixedPoint(w[4], w[5]));
}

template <typename T>
T Field(const HostView& v, std::uint32_t offset) {
    return ViewGet<T>(v, offset);
}

bool PrintWalkerHost(Scenario& s, const Args&) {
    const HostAddr addr = hostsim::ViewAddress(std::int32_t(hostsim::Read32(kHostViewLayoutKind)));
    if (addr == 0) {
        Emit(s, "walker-host none");
        return true;
    }
    HostView v;
    hostsim::Read(addr, v.bytes, kHostViewSize);
    Emit(s, "walker-host view type %d step %d spot-zoom-word %d", Field<std::int32_t>(v, kViewType),
         Field<std::int32_t>(v, kViewDirectionStep), Field<std::int16_t>(v, kViewSpotZoom));
    std::uint32_t words[6];
    std::memcpy(words, v.bytes + kViewEyePositionA, sizeof words);
    EmitPosition(s, "view-position-a", words);
    std::memcpy(words, v.bytes + kViewEyePositionB, sizeof words);
    EmitPosition(s, "view-position-b", words);
    Emit(s, "walker-host view angles pitch %d heading %d bank %d", Field<std::int32_t>(v, kViewEyePitch),
         Field<std::int32_t>(v, kViewEyeHeading), Field<std::int32_t>(v, kViewEyeBank));
    for (std::uint32_t row = 0; row < 3; row++) {
        const std::uint32_t at = kViewMatrix + 16 * row;
        Emit(s, "walker-host view matrix %u %.6f %.6f %.6f", row, double(Field<float>(v, at)),
             double(Field<float>(v, at + 4)), double(Field<float>(v, at + 8)));
    }
    hostsim::Read(hostsim::kSimGlobalBase + kGlobalEyePosition, words, sizeof words);
    EmitPosition(s, "eye-position", words);
    hostsim::Read(hostsim::kSimGlobalBase + kGlobalEyeAttitude, words, 12);
    Emit(s, "walker-host eye-attitude %u %u %u", words[0], words[1], words[2]);
    const HostAddr geo = Field<std::uint32_t>(v, kViewGeoRecord);
    if (geo == 0) {
        Emit(s, "walker-host geo none");
    } else {
        double d[5];
        hostsim::Read(geo + 0xA0, d, 24);
        hostsim::Read(geo + 0x128, d + 3, 16);
        std::uint32_t fixed[2];
        hostsim::Read(geo + 0x138, fixed, 8);
        Emit(s, "walker-host geo lat %.7f lon %.7f alt-km %.7f", d[0], d[1], d[2]);
        Emit(s, "walker-host geo u %.9f v %.9f fixed %u %u", d[3], d[4], fixed[0], fixed[1]);
    }
    float m[16];
    hostsim::Read(hostsim::kSimG3dBase + kG3dProjectionMatrix, m, sizeof m);
    for (int row = 0; row < 4; row++) {
        Emit(s, "walker-host projection %d %.6f %.6f %.6f %.6f", row, double(m[4 * row]), double(m[4 * row + 1]),
             double(m[4 * row + 2]), double(m[4 * row + 3]));
    }
    return true;
}

bool PrintObjects(Scenario& s, const Args&) {
    const auto& objects = hostsim::Objects();
    for (std::size_t i = 0; i < objects.size(); i++) {
        const hostsim::ObjectOutline& o = objects[i];
        Emit(s, "object %u %s lat %.7f lon %.7f alt %.3f size %.3f %.3f top %.3f", unsigned(i), o.kind, o.lat, o.lon,
             o.alt, o.east, o.north, o.top);
    }
    Emit(s, "objects %u", unsigned(objects.size()));
    return true;
}

const ScenarioCommand kWalkerPrints[] = {
    {"walker", 0, 0, PrintWalker, "print walker"},
    {"walker-host", 0, 0, PrintWalkerHost, "print walker-host"},
    {"objects", 0, 0, PrintObjects, "print objects"},
};

}  // namespace

ScenarioTable WalkerScenarioCommands() {
    return {kWalkerCommands, int(sizeof kWalkerCommands / sizeof kWalkerCommands[0])};
}

ScenarioTable WalkerPrintCommands() {
    return {kWalkerPrints, int(sizeof kWalkerPrints / sizeof kWalkerPrints[0])};
}
