// camera_tick_bench.cpp - the cost of one full camera tick in the substitute
// host, with the fly-by on and the internal pilot view on. Build with the
// native-release preset; results go into docs/performance.md.
#include <benchmark/benchmark.h>

#include "frame_fixture.h"

static void BM_CameraTickFlyBy(benchmark::State& state) {
    FlyingModule module;
    g_main.FlyByActive = 1;
    g_main.InternalViewActive = 1;
    for (int i = 0; i < 400; i++) module.Tick();  // past the warm-up and the sound start
    for (auto _ : state) module.Tick();
}
BENCHMARK(BM_CameraTickFlyBy);

BENCHMARK_MAIN();
