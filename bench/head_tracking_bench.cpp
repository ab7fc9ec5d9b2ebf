// head_tracking_bench.cpp - the cost of head tracking in a camera tick: the
// cockpit tick of camera_tick_bench (every pilot view effect on, the
// aircraft turning in buffeting air past its overspeed reference) without
// and with tracking, a pose datagram arriving every tick, and the send of
// one datagram alone. Build with the native-release preset; results go into
// docs/performance.md.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "frame_fixture.h"
#include "input/head_tracking.h"
#include "udp_sender.h"

static const double kPose[6] = {3.0, -2.0, 5.0, 20.0, -10.0, 4.0};

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

// The module restarted with tracking on at the port; 400 ticks with a pose
// each, so the pose is applied at full weight.
static void StartTracked(FlyingModule& module, const UdpSender& sender, int port) {
    module.host.WriteFile("C:\\FS9\\Skyvane2004-HeadTracking.cfg", "Enabled=1\nPort=" + std::to_string(port) + "\n");
    hostsim::UnloadModule();
    hostsim::LoadModule();
    CockpitWithEffects();
    for (int i = 0; i < 400; i++) {
        sender.SendPose(port, kPose);
        module.Tick();
    }
    hostsim::Plane().groundSpeed = 150.0;  // past 1.2 times the 120 knots the overspeed came on at
}

static void BM_CockpitTick(benchmark::State& state) {
    FlyingModule module;
    CockpitWithEffects();
    for (int i = 0; i < 400; i++) module.Tick();
    hostsim::Plane().groundSpeed = 150.0;
    for (auto _ : state) module.Tick();
}
BENCHMARK(BM_CockpitTick);

// Each iteration sends one pose over the loopback interface, then ticks:
// the tick drains the socket (the datagram, then the empty read that ends
// the drain), glides, maps and adds the pose on top of the cockpit view.
static void BM_CockpitTickTracked(benchmark::State& state) {
    const int port = UdpSender::FreePort();
    UdpSender sender;
    FlyingModule module;
    StartTracked(module, sender, port);
    if (!g_hostgate.trackedPoseOn) state.SkipWithError("the tracked pose is not applied");
    for (auto _ : state) {
        sender.SendPose(port, kPose);
        module.Tick();
    }
}
BENCHMARK(BM_CockpitTickTracked);

// The tracker program's part of the above, to be taken off: one send.
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
