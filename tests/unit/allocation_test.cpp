// allocation_test.cpp - the per-frame path allocates nothing: 1,000 camera
// ticks after the warm-up, with every camera mode that exists switched on,
// make no call to operator new.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "frame_fixture.h"

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
