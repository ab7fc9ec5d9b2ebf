// camera_tick_bench.cpp - the cost of one full camera tick in the substitute
// host: with the fly-by and the internal pilot view on, over the virtual
// cockpit with every pilot view effect running, with the traffic view
// ranking 512 AI aircraft, and with the effect sound bank loaded and
// looping. Build with the native-release preset; results go
// into docs/performance.md.
#include <benchmark/benchmark.h>

#include <string>

#include "camera/traffic_view.h"
#include "frame_fixture.h"
#include "hostsim/host_process.h"
#include "hostsim/sim_traffic.h"
#include "sound/effect_sounds.h"
#include "wav_builder.h"

static void BM_CameraTickFlyBy(benchmark::State& state) {
    FlyingModule module;
    g_main.FlyByActive = 1;
    g_main.InternalViewActive = 1;
    for (int i = 0; i < 400; i++) module.Tick();  // past the warm-up and the sound start
    for (auto _ : state) module.Tick();
}
BENCHMARK(BM_CameraTickFlyBy);

// The pilot view engine over the virtual cockpit with every effect on: the
// aircraft turns (head latency) in buffeting air (impulses every few frames),
// with overspeed shaking past 1.2 times the speed it came on at.
static void BM_CameraTickCockpit(benchmark::State& state) {
    FlyingModule module;
    g_main.InternalViewActive = 1;
    g_main.ViewTurbOn = g_main.GroundTurbOn = g_main.BuffetTurbOn = 1;
    g_main.ViewTurbRate = g_main.GroundTurbRate = g_main.BuffetTurbRate = 1.0;
    g_main.SpotTurbRate = 0.5;
    hostsim::Plane().turnRate = 3.0;
    hostsim::Plane().buffet = 0.1;
    hostsim::Plane().overspeed = 1;
    hostsim::PublishAircraft();
    for (int i = 0; i < 400; i++) module.Tick();
    hostsim::Plane().groundSpeed = 150.0;  // past 1.2 times the 120 knots it came on at
    for (auto _ : state) module.Tick();
}
BENCHMARK(BM_CameraTickCockpit);

// 512 AI aircraft within 15 nm of the user aircraft, in the container in a
// shuffled order of distance, all offered: every tick lists, measures, sorts
// and turns the head. The cockpit view engine runs too, as in the others.
static void AddTraffic(int count) {
    for (int i = 0; i < count; i++) {
        double spread = double((i * 7919) % count) / count;  // distance order unlike host order
        hostsim::Traffic().aircraft.push_back(hostsim::AiAircraft{"AI " + std::to_string(i),
                                                                  47.3 + 0.3 * spread, 8.4 + 0.3 * ((i * 31) % 97) / 97.0,
                                                                  4000.0 + 10.0 * (i % 50), 0, 0, 0, 0,
                                                                  hostsim::kAiWhole});
    }
    hostsim::PublishTraffic();
}

static void BM_CameraTickTraffic512(benchmark::State& state) {
    FlyingModule module;
    AddTraffic(512);
    g_main.InternalViewActive = 1;
    g_main.FlyByActive = 0;
    g_main.TrafficViewActive = 1;
    for (int i = 0; i < 400; i++) module.Tick();
    for (auto _ : state) module.Tick();
}
BENCHMARK(BM_CameraTickTraffic512);

// The traffic view alone on the same traffic: list, rank, choose, aim.
static void BM_UpdateTrafficView512(benchmark::State& state) {
    FlyingModule module;
    AddTraffic(512);
    g_main.TrafficViewActive = 1;
    for (int i = 0; i < 400; i++) module.Tick();
    for (auto _ : state) UpdateTrafficView();
}
BENCHMARK(BM_UpdateTrafficView512);

// The effect sound bank loaded with twelve one-second files: the wind loops
// over a spot view, and every tick services the thirteen slots (twelve 3D
// buffers placed deferred, one commit) on the simulated device.
static void BM_CameraTickSoundBank(benchmark::State& state) {
    FlyingModule module;
    for (int slot = 1; slot < kEffectSoundSlots; ++slot) {
        Bytes file = PcmWav(Ramp(44100));
        module.host.WriteFile(std::string("C:\\FS9\\Skyvane\\Sound\\") + EffectSoundFile(slot),
                              std::string(file.begin(), file.end()));
    }
    g_main.InternalViewActive = 1;
    hostsim::SetViewType(3, 4);
    hostsim::Plane().wind = 7.0;
    for (int i = 0; i < 400; i++) module.Tick();
    if (!g_main.EffectSounds.slots[WIND_4_9].looping) state.SkipWithError("the wind does not loop");
    for (auto _ : state) module.Tick();
}
BENCHMARK(BM_CameraTickSoundBank);

BENCHMARK_MAIN();
