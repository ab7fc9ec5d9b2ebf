// allocation_test.cpp - the per-frame path allocates nothing: 1,000 camera
// ticks after the warm-up, with every camera mode that exists switched on,
// and with the effect sound bank loaded and playing, make no call to
// operator new.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "frame_fixture.h"
#include "hostsim/host_process.h"
#include "sound/effect_sounds.h"
#include "wav_builder.h"

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
