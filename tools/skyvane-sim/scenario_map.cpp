// scenario_map.cpp - a map of a scenario's flight for a person to look at:
// the aircraft's track, the camera positions the module wrote, the AI
// aircraft's tracks and the pilot's line of sight at chosen moments, drawn
// as an SVG file (plain text, opens in any browser).
//
//   map-record on|off     record each frame from now on (or stop)
//   map-sight             mark the line of sight now
//   map-write FILE.svg    write the map (a real path, not a simulated drive)
//
// While the pilot walks, his path is recorded too and drawn in an inset
// with the scenery around him and the aircraft.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "host/host_access.h"
#include "hostsim/host_process.h"
#include "hostsim/sim_objects.h"
#include "camera/camera_tick.h"
#include "camera/geometry.h"
#include "host/hostgate.h"
#include "host/traffic_list.h"
#include "hostsim/sim_traffic.h"
#include "scenario.h"
#include "shell/main_state.h"

const TrafficRecord* LastTrackedTraffic();

namespace {

struct MapPoint {
    double lat, lon;  // degrees
    double alt;       // feet
};

bool g_recording;
std::vector<MapPoint> g_track;
std::vector<MapPoint> g_cameras;  // each distinct camera position, in order
std::vector<MapPoint> g_walker;   // the walker's eye while the view is his
MapPoint g_parked;                // the aircraft while he walks

struct AiTrack {
    std::string name;
    std::vector<MapPoint> points;
};
std::vector<AiTrack> g_aiTracks;  // by name, in order of first appearance

// The pilot's line of sight at one moment: from the aircraft, along the
// head's direction as the module wrote it, as far as its target.
struct Sight {
    MapPoint from, to;
};
std::vector<Sight> g_sights;

bool MapRecord(Scenario& s, const Args& a) {
    if (a[0] != "on" && a[0] != "off") return ScenarioError(s, "map-record on|off");
    g_recording = a[0] == "on";
    return true;
}

struct Projection {
    double lat0, lon0, cosLat, scale, minX, minY;
    double X(const MapPoint& p) const { return (p.lon - lon0) * cosLat * scale - minX; }
    double Y(const MapPoint& p) const { return -(p.lat - lat0) * scale - minY; }
};

// Equirectangular around the first track point, fitted into 760 x 560.
Projection Fit() {
    Projection p{g_track[0].lat, g_track[0].lon, std::cos(g_track[0].lat * 0.01745329251944), 1.0, 0, 0};
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    auto take = [&](const MapPoint& m) {
        double x = p.X(m), y = p.Y(m);
        minX = std::fmin(minX, x), maxX = std::fmax(maxX, x);
        minY = std::fmin(minY, y), maxY = std::fmax(maxY, y);
    };
    for (const auto* list : {&g_track, &g_cameras}) {
        for (const MapPoint& m : *list) take(m);
    }
    for (const AiTrack& t : g_aiTracks) {
        for (const MapPoint& m : t.points) take(m);
    }
    for (const Sight& sight : g_sights) take(sight.to);
    double span = std::fmax(std::fmax(maxX - minX, maxY - minY), 1e-9);
    p.scale = std::fmin(760.0 / span, 560.0 / span);
    p.minX = minX * p.scale - 20;
    p.minY = minY * p.scale - 20;
    return p;
}

// The walker's path (green) in a 300 x 300 inset, north up, with the
// aircraft (blue) and the objects whose outline is near him (grey).
void WriteWalkerInset(std::FILE* f) {
    const double x0 = 480, y0 = 20, size = 300;
    const double lat0 = g_parked.lat, lon0 = g_parked.lon, cosLat = std::cos(lat0 * 0.01745329251944);
    auto east = [&](double lon) { return (lon - lon0) * cosLat * 111130.52399516014; };
    auto north = [&](double lat) { return (lat - lat0) * 111130.52399516014; };
    double span = 20.0;  // metres from the aircraft to the inset's edge, at least
    for (const MapPoint& m : g_walker) span = std::fmax(span, std::fmax(std::fabs(east(m.lon)), std::fabs(north(m.lat))));
    span *= 1.15;
    auto X = [&](double e) { return x0 + size / 2 + e / span * size / 2; };
    auto Y = [&](double n) { return y0 + size / 2 - n / span * size / 2; };
    std::fprintf(f, "<rect x=\"%.0f\" y=\"%.0f\" width=\"%.0f\" height=\"%.0f\" fill=\"#fbfaf5\" "
                    "stroke=\"#888\"/>\n", x0, y0, size, size);
    for (const hostsim::ObjectOutline& o : hostsim::Objects()) {
        const double e = east(o.lon), n = north(o.lat);
        if (o.east <= 0 || std::fabs(e) > span || std::fabs(n) > span) continue;
        std::fprintf(f, "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"#bbb\"/>"
                        "<text x=\"%.1f\" y=\"%.1f\" font-size=\"10\">%s</text>\n",
                     X(e - o.east / 2), Y(n + o.north / 2), o.east / span * size / 2, o.north / span * size / 2,
                     X(e + o.east / 2) + 2, Y(n), o.kind);
    }
    std::fprintf(f, "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"6\" fill=\"#1f5fa8\"/>\n", X(0), Y(0));
    std::fprintf(f, "<polyline fill=\"none\" stroke=\"#2a8c3a\" stroke-width=\"2\" points=\"");
    for (const MapPoint& m : g_walker) std::fprintf(f, "%.1f,%.1f ", X(east(m.lon)), Y(north(m.lat)));
    std::fprintf(f, "\"/>\n<text x=\"%.0f\" y=\"%.0f\">on foot: green path, %u points; blue: aircraft; "
                    "%.0f m a side</text>\n", x0, y0 + size + 16, unsigned(g_walker.size()), 2 * span);
}

void WriteTrafficLayer(std::FILE* f, const Projection& p) {
    for (const AiTrack& t : g_aiTracks) {
        std::fprintf(f, "<polyline fill=\"none\" stroke=\"#8a8a8a\" stroke-width=\"1.5\" points=\"");
        for (const MapPoint& m : t.points) std::fprintf(f, "%.1f,%.1f ", p.X(m), p.Y(m));
        const MapPoint& end = t.points.back();
        std::fprintf(f, "\"/><text x=\"%.1f\" y=\"%.1f\" fill=\"#555\">%s</text>\n", p.X(end) + 5, p.Y(end) + 14,
                     t.name.c_str());
    }
    for (std::size_t i = 0; i < g_sights.size(); i++) {
        const Sight& sight = g_sights[i];
        std::fprintf(f, "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"#2a9d3a\" stroke-width=\"2\" "
                        "stroke-dasharray=\"6 3\"/><text x=\"%.1f\" y=\"%.1f\" fill=\"#2a9d3a\">%u</text>\n",
                     p.X(sight.from), p.Y(sight.from), p.X(sight.to), p.Y(sight.to), p.X(sight.to) + 4,
                     p.Y(sight.to) - 4, unsigned(i + 1));
    }
}

// The head's direction in the local east-up-north frame: head pitch and
// heading, then the aircraft's bank, pitch and heading (degrees, pitch
// positive down), as the pilot view composes the view.
Vec3 SightDirection() {
    const HostgateContext& g = g_hostgate;
    const AircraftSnapshot& a = g_aircraft;
    Vec3 d = {0.0, 0.0, 1.0};
    RotateX(&d, g.headPitch * kDegToRad);
    RotateY(&d, g.headHeading * kDegToRad);
    RotateZ(&d, a.bank * kDegToRad);
    RotateX(&d, a.pitch * kDegToRad);
    RotateY(&d, a.heading * kDegToRad);
    return d;
}

// How far the target lies, horizontally: the tracked aircraft, else the
// padlock point, else a fixed 2 km.
double SightLength(const MapPoint& from) {
    if (g_main.TrafficViewActive) {
        if (const TrafficRecord* t = LastTrackedTraffic()) return std::hypot(t->relative.x, t->relative.z);
    }
    const GeoPoint& look = g_main.LookAtPoint;
    if (g_main.LookAtViewActive && (look.latitude != 0.0 || look.longitude != 0.0)) {
        // The picked point's longitude may come in the -360..0 range.
        double dLon = std::remainder(look.longitude * kRadToDeg - from.lon, 360.0);
        double north = (look.latitude * kRadToDeg - from.lat) * 111130.52399516014;
        double east = dLon * 111130.52399516014 * std::cos(from.lat * kDegToRad);
        return std::hypot(north, east);
    }
    return 2000.0;
}

bool MapSight(Scenario& s, const Args&) {
    const hostsim::Aircraft& a = hostsim::Plane();
    MapPoint from{a.latitude, a.longitude, a.altitude};
    Vec3 d = SightDirection();
    double horizontal = std::hypot(d.x, d.z);
    double length = SightLength(from);
    double east = horizontal > 0 ? d.x / horizontal * length : 0.0;
    double north = horizontal > 0 ? d.z / horizontal * length : 0.0;
    MapPoint to{from.lat + north / 111130.52399516014,
                from.lon + east / (111130.52399516014 * std::cos(from.lat * kDegToRad)), from.alt};
    g_sights.push_back(Sight{from, to});
    Emit(s, "map-sight %u length %.0f", unsigned(g_sights.size()), length);
    return true;
}

bool MapWrite(Scenario& s, const Args& a) {
    if (g_track.empty()) return ScenarioError(s, "nothing recorded: map-record on, then frames");
    std::FILE* f = std::fopen(a[0].c_str(), "w");
    if (!f) return ScenarioError(s, "cannot write %s", a[0].c_str());
    Projection p = Fit();
    std::fprintf(f, "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"800\" height=\"640\" "
                    "font-family=\"sans-serif\" font-size=\"13\">\n");
    std::fprintf(f, "<rect width=\"800\" height=\"640\" fill=\"#f4f1e8\"/>\n<polyline fill=\"none\" "
                    "stroke=\"#1f5fa8\" stroke-width=\"2\" points=\"");
    for (const MapPoint& m : g_track) std::fprintf(f, "%.1f,%.1f ", p.X(m), p.Y(m));
    std::fprintf(f, "\"/>\n");
    // Numbers only while they stay readable.
    bool numbered = g_cameras.size() <= 40;
    for (std::size_t i = 0; i < g_cameras.size(); i++) {
        const MapPoint& c = g_cameras[i];
        std::fprintf(f, "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"%d\" fill=\"#c8402a\"/>", p.X(c), p.Y(c),
                     numbered ? 5 : 2);
        if (numbered) std::fprintf(f, "<text x=\"%.1f\" y=\"%.1f\">%u</text>", p.X(c) + 7, p.Y(c) - 7, unsigned(i + 1));
        std::fprintf(f, "\n");
    }
    WriteTrafficLayer(f, p);
    if (!g_walker.empty()) WriteWalkerInset(f);
    std::fprintf(f, "<text x=\"20\" y=\"610\">blue: aircraft track (north up, %u frames); red: camera "
                    "positions written by the module, numbered in order</text>\n",
                 unsigned(g_track.size()));
    if (!g_aiTracks.empty() || !g_sights.empty()) {
        std::fprintf(f, "<text x=\"20\" y=\"628\">grey: AI aircraft tracks, named at their end; green: the "
                        "pilot's line of sight as the module turned the head, numbered in order</text>\n");
    }
    std::fprintf(f, "</svg>\n");
    std::fclose(f);
    Emit(s, "map %s frames %u cameras %u walker %u", a[0].c_str(), unsigned(g_track.size()),
         unsigned(g_cameras.size()), unsigned(g_walker.size()));
    return true;
}

const ScenarioCommand kMapCommands[] = {
    {"map-record", 1, 1, MapRecord, "map-record on|off"},
    {"map-write", 1, 1, MapWrite, "map-write FILE.svg"},
    {"map-sight", 0, 0, MapSight, "map-sight"},
};

}  // namespace

// The walker's eye as the module wrote it into the live view (signed 32.32
// words), while that view is his.
static void RecordWalker(const hostsim::Aircraft& a) {
    const HostAddr view = hostsim::ViewAddress(std::int32_t(hostsim::Read32(kHostViewLayoutKind)));
    if (view == 0 || hostsim::Read32(view + kViewType) != std::uint32_t(kViewTypeWalker)) return;
    std::uint32_t w[6];
    hostsim::Read(view + kViewEyePositionA, w, sizeof w);
    MapPoint m{(std::int32_t(w[1]) + w[0] / 4294967296.0) / 111130.52399516014,
               (std::int32_t(w[3]) + w[2] / 4294967296.0) * 360.0 / 4294967296.0,
               (std::int32_t(w[5]) + w[4] / 4294967296.0) * 3.28084};
    if (g_walker.empty()) g_parked = MapPoint{a.latitude, a.longitude, a.altitude};
    if (g_walker.empty() || std::fabs(g_walker.back().lat - m.lat) > 1e-8 ||
        std::fabs(g_walker.back().lon - m.lon) > 1e-8) {
        g_walker.push_back(m);
    }
}

// Called by the substitute host's driver after every frame message.
void MapAfterFrame() {
    if (!g_recording) return;
    const hostsim::Aircraft& a = hostsim::Plane();
    g_track.push_back(MapPoint{a.latitude, a.longitude, a.altitude});
    RecordWalker(a);
    for (const hostsim::AiAircraft& ai : hostsim::Traffic().aircraft) {
        AiTrack* track = nullptr;
        for (AiTrack& t : g_aiTracks) {
            if (t.name == ai.name) track = &t;
        }
        if (!track) track = &g_aiTracks.emplace_back(AiTrack{ai.name, {}});
        track->points.push_back(MapPoint{ai.latitude, ai.longitude, ai.altitude});
    }
    hostsim::CameraPosition c = hostsim::ReadCameraPosition();
    if (c.words[1] == 0 && c.words[3] == 0 && c.words[0] == 0 && c.words[2] == 0) return;
    MapPoint m{c.latitude, c.longitude, c.altitude};
    if (g_cameras.empty() || std::fabs(g_cameras.back().lat - m.lat) > 1e-7 ||
        std::fabs(g_cameras.back().lon - m.lon) > 1e-7) {
        g_cameras.push_back(m);
    }
}

ScenarioTable MapScenarioCommands() {
    return {kMapCommands, int(sizeof kMapCommands / sizeof kMapCommands[0])};
}
