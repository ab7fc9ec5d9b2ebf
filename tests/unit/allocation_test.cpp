// allocation_test.cpp - the per-frame path allocates nothing: 1,000 camera
// ticks after the warm-up, with every camera mode that exists switched on,
// make no call to operator new; nor do ticks that rank 512 AI aircraft for
// the traffic view, that hold the scenery padlock, that service the effect
// sound bank loaded and playing, or that take a head tracker datagram each.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

#include "frame_fixture.h"
#include "host/hostgate.h"
#include "hostsim/sim_objects.h"
#include "hostsim/sim_traffic.h"
#include "hostsim/host_process.h"
#include "input/head_tracking.h"
#include "sound/effect_sounds.h"
#include "udp_sender.h"
#include "wav_builder.h"

static long g_allocations;
static bool g_counting;

// Every replaceable form, so each allocation is counted (the module's own
// code uses the nothrow forms) and each block goes back to the allocator
// that made it: a form left to the sanitizer's runtime would hand out
// blocks the replaced delete frees with free(), a mismatch it reports once
// a block outlives the test that made it (the loaded sound bank does).
static void* CountedAlloc(std::size_t size) noexcept {
    if (g_counting) g_allocations++;
    return std::malloc(size ? size : 1);
}
void* operator new(std::size_t size) {
    if (void* p = CountedAlloc(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    if (void* p = CountedAlloc(size)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return CountedAlloc(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return CountedAlloc(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}

TEST(PerFramePath, ThousandTicksAllocateNothing) {
    FlyingModule module;
    g_main.FlyByActive = 1;
    g_main.InternalViewActive = 1;
    for (int i = 0; i < 400; i++) module.Tick();
    g_allocations = 0;
    g_counting = true;
    for (int i = 0; i < 1000; i++) {
        hostsim::Get().clockMs += 16;
        CameraTick();
    }
    g_counting = false;
    EXPECT_EQ(g_allocations, 0) << "heap allocations in 1,000 ticks";
}

// The walker on foot among objects: engagement, walking, the probe over the
// drawing blocks (hostile ones included) and every host write.
TEST(PerFramePath, WalkerTicksAllocateNothing) {
    FlyingModule module;
    hostsim::Plane().altitude = hostsim::Plane().ground;  // parked: the walker may get out
    hostsim::Plane().groundSpeed = 0.0;
    hostsim::PublishAircraft();
    const double groundMetres = hostsim::Plane().ground * 0.3048;
    for (int i = 0; i < 40; i++) {
        hostsim::AddBox(hostsim::Plane().latitude + (i % 8) * 2e-5, hostsim::Plane().longitude + (i / 8) * 3e-5,
                        groundMetres, 6.0, 6.0, 1.0 + i % 3, 3);
    }
    hostsim::AddHostile(hostsim::kHostileSkipLoop, hostsim::Plane().latitude, hostsim::Plane().longitude, 0.0);
    g_main.InternalViewActive = 1;
    // Past the five seconds after which the effect sound bank is created
    // (once, on its first use): the footsteps are requested while walking.
    for (int i = 0; i < 400; i++) module.Tick();
    g_main.ExternalViewActive = 1;
    g_hostgate.pilotForward = 1;
    g_hostgate.pilotHeadRight = 1;
    g_allocations = 0;
    g_counting = true;
    for (int i = 0; i < 1000; i++) module.Tick();
    g_counting = false;
    EXPECT_EQ(g_allocations, 0) << "heap allocations in 1,000 walker ticks";
    EXPECT_EQ(g_hostgate.walkerEngaged, 1);
}

TEST(PerFramePath, TrafficAndPadlockTicksAllocateNothing) {
    FlyingModule module;
    for (int i = 0; i < 512; i++) {
        hostsim::Traffic().aircraft.push_back(hostsim::AiAircraft{"AI " + std::to_string(i), 47.4 + 0.001 * i,
                                                                  8.5, 3000.0 + i, 0, 0, 0, 0, hostsim::kAiWhole});
    }
    hostsim::PublishTraffic();
    g_main.InternalViewActive = 1;
    g_main.TrafficViewActive = 1;
    g_main.TrafficLockActive = 1;  // the name search runs each tick too
    for (int i = 0; i < 400; i++) module.Tick();
    ASSERT_NE(g_main.TrafficLockId[0], 0) << "the view has ranked the traffic";
    g_main.LookAtPoint = GeoPoint{0.8, 0.15, 1000.0};
    g_allocations = 0;
    g_counting = true;
    for (int i = 0; i < 1000; i++) {
        if (i == 500) g_main.LookAtViewActive = 1, g_main.TrafficViewActive = 0;
        hostsim::Get().clockMs += 16;
        CameraTick();
    }
    g_counting = false;
    EXPECT_EQ(g_allocations, 0) << "heap allocations in 1,000 ticks with the traffic view and the padlock";
}

// The effect sound bank loaded (twelve mono files), the wind looping over a
// spot view, then screech requests over the virtual cockpit: each tick
// services the thirteen slots and makes its requests without allocating.
TEST(PerFramePath, ServicingTheLoadedSoundBankAllocatesNothing) {
    FlyingModule module;
    for (int slot = 1; slot < kEffectSoundSlots; ++slot) {
        Bytes file = PcmWav(Ramp(22050));
        module.host.WriteFile(std::string("C:\\FS9\\Skyvane\\Sound\\") + EffectSoundFile(slot),
                              std::string(file.begin(), file.end()));
    }
    g_main.InternalViewActive = 1;
    g_main.ViewTurbOn = g_main.ViewTurbSoundOn = 1;
    hostsim::SetViewType(3, 4);
    hostsim::Plane().wind = 7.0;
    hostsim::Plane().gLoad = 2.5;
    for (int i = 0; i < 400; i++) module.Tick();
    ASSERT_EQ(g_main.EffectSounds.slots[WIND_4_9].loaded, 1);
    ASSERT_EQ(g_main.EffectSounds.slots[WIND_4_9].looping, 1);

    g_allocations = 0;
    g_counting = true;
    for (int i = 0; i < 500; i++) module.Tick();
    g_counting = false;
    hostsim::SetViewType(3, 2);
    g_counting = true;
    for (int i = 0; i < 500; i++) module.Tick();
    g_counting = false;
    EXPECT_EQ(g_allocations, 0) << "heap allocations in 1,000 ticks with the sound bank";
    EXPECT_EQ(g_main.EffectSounds.slots[WIND_4_9].looping, 0);
    EXPECT_EQ(g_main.EffectSounds.slots[SCREECH1].playState + g_main.EffectSounds.slots[SCREECH2].playState, 2)
        << "both screeches were asked for";
}

TEST(PerFramePath, ThousandTrackedTicksAllocateNothing) {
    const int port = UdpSender::FreePort();
    ASSERT_NE(port, 0);
    UdpSender sender;
    const double pose[6] = {3.0, -2.0, 5.0, 20.0, -10.0, 4.0};
    FlyingModule module;
    module.host.WriteFile("C:\\FS9\\Skyvane2004-HeadTracking.cfg", "Enabled=1\nPort=" + std::to_string(port) + "\n");
    hostsim::UnloadModule();
    hostsim::LoadModule();
    g_main.InternalViewActive = 1;
    for (int i = 0; i < 400; i++) module.Tick();
    ASSERT_EQ(g_headTracker.socketState, kTrackSocketOpen);
    g_allocations = 0;
    g_counting = true;
    for (int i = 0; i < 1000; i++) {
        sender.SendPose(port, pose);
        hostsim::Get().clockMs += 16;
        CameraTick();
    }
    g_counting = false;
    EXPECT_EQ(g_allocations, 0) << "heap allocations in 1,000 tracked ticks";
    EXPECT_EQ(g_headTracker.accepted, 1000u);
    EXPECT_EQ(g_hostgate.trackedPoseOn, 1) << "the pose was applied in those ticks";
}
