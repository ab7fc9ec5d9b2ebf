// walker_probe_bench.cpp - the cost of the object surface probe and of a
// full camera tick with the pilot walking, over a generated scene of 2,000
// objects and about 216,000 triangles: boxes whose tops are split into 7 x 7
// quads (108 triangles each), 50 m apart on a 40 x 50 grid, each behind its
// bounding sphere, so that nearly all of them are far from the walker. Also
// the worst frames the probe's bounds allow. Build with the native-release
// preset; results go into docs/performance.md.
#include <benchmark/benchmark.h>

#include "frame_fixture.h"
#include "host/host_access.h"
#include "hostsim/sim_objects.h"
#include "pilotview/walker_view.h"

namespace {

constexpr double kLat = 47.5, kLon = 8.5, kGround = 400.0;

// The grid's objects, the walker's spot in the middle of one of them.
void BuildScene() {
    for (int i = 0; i < 2000; i++) {
        double east = (i % 40 - 20) * 50.0, north = (i / 40 - 25) * 50.0;
        double lat = 0, lon = 0;
        MoveOnSphere(kLat, kLon, east, north, &lat, &lon);
        hostsim::AddBox(lat, lon, kGround, 8.0, 8.0, 3.0 + i % 8, 7);
    }
}

void BM_ProbeScene(benchmark::State& state) {
    TestHost host;
    BuildScene();
    HostgateContext g{};
    LocateHostModules(&g);
    ObjectProbe probe;
    InitObjectProbe(&probe, kLat, kLon, 0.0);  // on top of the box at the grid's centre
    for (auto _ : state) {
        // (DoNotOptimize on the double itself garbles it with this library's GCC constraint.)
        benchmark::DoNotOptimize(ProbeObjectSurface(&g, &probe));
        benchmark::ClobberMemory();
    }
    state.counters["records"] = probe.recordsVisited;
    state.counters["triangles"] = probe.trianglesTested;
    state.counters["hit"] = kProbeRayHeight - probe.bestDistance;
}
BENCHMARK(BM_ProbeScene)->Unit(benchmark::kMicrosecond);

// The pilot walks in circles among the objects: engagement done, every tick
// runs the whole camera tick with the walker view and its probe.
void BM_WalkerTick(benchmark::State& state) {
    FlyingModule module;
    hostsim::Plane().latitude = kLat, hostsim::Plane().longitude = kLon;
    hostsim::Plane().ground = kGround / 0.3048, hostsim::Plane().altitude = hostsim::Plane().ground;
    hostsim::Plane().groundSpeed = 0.0;
    hostsim::PublishAircraft();
    BuildScene();
    g_main.InternalViewActive = 1;
    for (int i = 0; i < 200; i++) module.Tick();
    g_main.ExternalViewActive = 1;
    g_hostgate.pilotForward = g_hostgate.pilotHeadRight = 1;
    for (int i = 0; i < 20; i++) module.Tick();
    for (auto _ : state) module.Tick();
}
BENCHMARK(BM_WalkerTick)->Unit(benchmark::kMicrosecond);

// Worst frames: hostile blocks spending the frame's whole record budget
// (loops ended at each trace's limit), or its triangle budget (lists of the
// most triangles a trace may test, all under the ray).
void BM_ProbeRecordBudget(benchmark::State& state) {
    TestHost host;
    for (int i = 0; i < 40; i++) hostsim::AddHostile(hostsim::kHostileSkipLoop, kLat, kLon, kGround);
    HostgateContext g{};
    LocateHostModules(&g);
    ObjectProbe probe;
    InitObjectProbe(&probe, kLat, kLon, 0.0);
    for (auto _ : state) ProbeObjectSurface(&g, &probe);
    state.counters["records"] = probe.recordsVisited;
}
BENCHMARK(BM_ProbeRecordBudget)->Unit(benchmark::kMicrosecond);

void BM_ProbeTriangleBudget(benchmark::State& state) {
    TestHost host;
    // 128 x 128 quads: 32,768 top triangles and 10 more a box.
    for (int i = 0; i < 6; i++) hostsim::AddBox(kLat, kLon, kGround, 20.0, 20.0, 2.0 + i, 128);
    HostgateContext g{};
    LocateHostModules(&g);
    ObjectProbe probe;
    InitObjectProbe(&probe, kLat, kLon, 0.0);
    for (auto _ : state) ProbeObjectSurface(&g, &probe);
    state.counters["triangles"] = probe.trianglesTested;
    state.counters["cut"] = probe.tracesCut;
}
BENCHMARK(BM_ProbeTriangleBudget)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
