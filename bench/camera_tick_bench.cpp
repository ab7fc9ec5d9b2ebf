// camera_tick_bench.cpp - the cost of one full camera tick in the substitute
// host: with the fly-by and the internal pilot view on, over the virtual
// cockpit with every pilot view effect running, and with head tracking on
// and a datagram arriving every tick. Build with the native-release preset;
// results go into docs/performance.md.
#include <benchmark/benchmark.h>

#include <string>

#include "frame_fixture.h"
#include "input/head_tracking.h"
#include "udp_sender.h"

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
static void CockpitWithEffects() {
    g_main.InternalViewActive = 1;
    g_main.ViewTurbOn = g_main.GroundTurbOn = g_main.BuffetTurbOn = 1;
    g_main.ViewTurbRate = g_main.GroundTurbRate = g_main.BuffetTurbRate = 1.0;
    g_main.SpotTurbRate = 0.5;
    hostsim::Plane().turnRate = 3.0;
    hostsim::Plane().buffet = 0.1;
    hostsim::Plane().overspeed = 1;
    hostsim::PublishAircraft();
}

static void BM_CameraTickCockpit(benchmark::State& state) {
    FlyingModule module;
    CockpitWithEffects();
    for (int i = 0; i < 400; i++) module.Tick();
    hostsim::Plane().groundSpeed = 150.0;  // past 1.2 times the 120 knots it came on at
    for (auto _ : state) module.Tick();
}
BENCHMARK(BM_CameraTickCockpit);

// BM_CameraTickCockpit with head tracking on: each iteration sends one pose
// datagram over the loopback interface, then ticks; the tick drains the
// socket (the datagram, then the empty read that ends the drain), glides
// and adds the pose on top of the cockpit view. BM_DatagramSend times the
// send alone, to be taken off.
static const double kPose[6] = {3.0, -2.0, 5.0, 20.0, -10.0, 4.0};

static void BM_CameraTickTracked(benchmark::State& state) {
    const int port = UdpSender::FreePort();
    UdpSender sender;
    FlyingModule module;
    module.host.WriteFile("C:\\FS9\\Skyvane2004-HeadTracking.cfg", "Enabled=1\nPort=" + std::to_string(port) + "\n");
    hostsim::UnloadModule();
    hostsim::LoadModule();
    CockpitWithEffects();
    for (int i = 0; i < 400; i++) {
        sender.SendPose(port, kPose);
        module.Tick();
    }
    hostsim::Plane().groundSpeed = 150.0;
    if (!g_hostgate.trackedPoseOn) state.SkipWithError("the tracked pose is not applied");
    for (auto _ : state) {
        sender.SendPose(port, kPose);
        module.Tick();
    }
}
BENCHMARK(BM_CameraTickTracked);

static void BM_DatagramSend(benchmark::State& state) {
    const int port = UdpSender::FreePort();
    UdpSender sender;
    PlatUdpSocket sink = PlatUdpOpenLoopback(std::uint16_t(port));
    std::uint8_t buf[64];
    int sent = 0;
    for (auto _ : state) {
        sender.SendPose(port, kPose);
        // Emptied now and then, untimed, so every datagram is queued as the
        // module's would be rather than dropped on a full queue.
        if (++sent % 64 == 0) {
            state.PauseTiming();
            while (PlatUdpReceive(sink, buf, int(sizeof buf)) >= 0) {
            }
            state.ResumeTiming();
        }
    }
    PlatUdpClose(sink);
}
BENCHMARK(BM_DatagramSend);

BENCHMARK_MAIN();
