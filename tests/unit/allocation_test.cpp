// allocation_test.cpp - the per-frame path allocates nothing: 1,000 camera
// ticks after the warm-up, with every camera mode that exists switched on,
// and with head tracking on and a datagram every tick, make no call to
// operator new.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include <string>

#include "frame_fixture.h"
#include "input/head_tracking.h"
#include "udp_sender.h"

static long g_allocations;
static bool g_counting;

void* operator new(std::size_t size) {
    if (g_counting) g_allocations++;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
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
