// effect_sounds_test.cpp - the bank of effect sounds in the started module
// on the simulated device: its lazy start, which files it takes, volume as
// distance, the play states behind start, stop, pause and resume, the
// failures that leave it silent, and the camera tick's requests reaching it.
#include "sound/effect_sounds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "frame_fixture.h"
#include "host/hostgate.h"
#include "hostsim/host_process.h"
#include "hostsim/sim_sound.h"
#include "shell/main_state.h"
#include "shell/router.h"
#include "sound/sound_manager.h"
#include "wav_builder.h"

namespace {

using hostsim::SimSoundBuffer;

std::string SoundPath(int slot) {
    return std::string("C:\\FS9\\Skyvane\\Sound\\") + EffectSoundFile(slot);
}

// Every slot's file: mono 16-bit, slot x 0.1 s long.
void InstallBank(TestHost& host) {
    for (int slot = 1; slot < kEffectSoundSlots; ++slot) {
        Bytes file = PcmWav(Ramp(std::size_t(4410) * slot));
        host.WriteFile(SoundPath(slot), std::string(file.begin(), file.end()));
    }
}

EffectSoundSlot& Slot(int slot) {
    return g_main.EffectSounds.slots[slot];
}

SimSoundBuffer* Playing(int slot) {
    SoundClip* clip = Slot(slot).clip;
    return clip ? hostsim::SoundBufferAt(int(reinterpret_cast<std::uintptr_t>(clip->BufferAt(0)))) : nullptr;
}

bool IsPlaying(int slot) {
    SimSoundBuffer* b = Playing(slot);
    if (!b) return false;
    hostsim::SettleSoundBuffer(b);
    return b->playing;
}

int Count(const std::vector<std::string>& lines, const std::string& part) {
    int n = 0;
    for (const std::string& line : lines) n += line.find(part) != std::string::npos;
    return n;
}

class EffectSounds : public ::testing::Test {
protected:
    void SetUp() override {
        InstallBank(host);
        hostsim::LoadModule();
        hostsim::TakeSoundCalls({});
    }
    void TearDown() override { hostsim::UnloadModule(); }
    void Pass(std::uint32_t ms) { hostsim::Get().clockMs += ms; }
    std::vector<std::string> Calls(const std::vector<std::string>& only = {}) { return hostsim::TakeSoundCalls(only); }
    void MenuSound() { RouteHostMessage(host.main, kMsgCommand, kMenuSound, 0); }

    TestHost host;
};

TEST_F(EffectSounds, FirstServiceStartsTheDeviceAndLoadsTheTwelveFiles) {
    EXPECT_EQ(g_main.EffectSounds.manager, nullptr);
    ServiceEffectSounds();
    ASSERT_NE(g_main.EffectSounds.manager, nullptr);
    EXPECT_NE(g_main.EffectSounds.listener, nullptr);
    std::vector<std::string> calls = Calls();
    std::vector<std::string> start(calls.begin(), calls.begin() + 8);
    EXPECT_EQ(start, (std::vector<std::string>{
                         "DirectSoundCreate8 -> ok", "SetCooperativeLevel window main level 2 -> ok",
                         "CreateSoundBuffer 1 primary flags 0x01 -> ok",
                         "SetFormat 1 channels 2 rate 22050 bits 8 -> ok", "Release 1 -> ok",
                         "CreateSoundBuffer 2 primary flags 0x11 -> ok", "QueryListener 2 -> ok", "Release 2 -> ok"}));
    EXPECT_EQ(Count(calls, "flags 0x10 bytes"), 12);
    EXPECT_EQ(Count(calls, "CreateSoundBuffer 3 flags 0x10 bytes 4410 algorithm hrtf-full -> ok"), 1);
    EXPECT_EQ(Count(calls, "SetAllParameters 3 z 0.000 min 1.000 max 1000000000 mode 0 immediate -> ok"), 1);
    EXPECT_FALSE(Slot(0).loaded);
    for (int slot = 1; slot < kEffectSoundSlots; ++slot) {
        EXPECT_EQ(Slot(slot).loaded, 1) << slot;
        EXPECT_EQ(Slot(slot).volume, 1.0) << slot;
        ASSERT_NE(Slot(slot).buffer3D, nullptr) << slot;
        SimSoundBuffer* b = Playing(slot);
        EXPECT_EQ(b->bytes, 4410u * slot) << slot;  // the file of this slot, in slot order
        EXPECT_TRUE(b->ctrl3D) << slot;
        EXPECT_EQ(b->params.mode, kSound3DModeNormal) << slot;
        EXPECT_EQ(b->params.minDistance, 1.0f) << slot;
        EXPECT_EQ(b->params.maxDistance, 1e9f) << slot;
    }

    ServiceEffectSounds();  // started once only
    EXPECT_TRUE(Calls({"DirectSoundCreate8", "CreateSoundBuffer"}).empty());
}

// distance = 0.2 x ((1 - volume) x 10 + 1)
TEST_F(EffectSounds, VolumeBecomesTheDistanceStraightAhead) {
    ServiceEffectSounds();
    const struct {
        double volume;
        float distance;
    } cases[] = {{0.5, 1.2f}, {0.0, 2.2f}, {1.0, 0.2f}, {0.6, 1.0f}, {0.25, 1.7f}};
    for (const auto& c : cases) {
        SetEffectSoundVolume(GROUND_NOISE, c.volume);
        Calls();
        ServiceEffectSounds();
        const Sound3DParams& p = Playing(GROUND_NOISE)->params;
        EXPECT_FLOAT_EQ(p.position.z, c.distance) << c.volume;
        EXPECT_EQ(p.position.x, 0.0f);
        EXPECT_EQ(p.position.y, 0.0f);
        EXPECT_EQ(p.velocity.z, 0.0f);
        EXPECT_FALSE(Playing(GROUND_NOISE)->hasDeferred) << "committed";
        std::vector<std::string> calls = Calls({"SetAllParameters", "CommitDeferredSettings"});
        ASSERT_EQ(calls.size(), 13u);  // twelve buffers deferred, one commit
        EXPECT_NE(calls[0].find(" deferred "), std::string::npos);
        EXPECT_EQ(calls[12], "CommitDeferredSettings -> ok");
    }
}

TEST_F(EffectSounds, TwoStartsOfALoopPlayItOnceAndAStopSilencesAndRewindsIt) {
    ServiceEffectSounds();
    EXPECT_EQ(StartEffectSound(WIND_4_9, 1), 1);
    Pass(50);
    EXPECT_EQ(StartEffectSound(WIND_4_9, 1), 1);
    EXPECT_EQ(Calls({"Play"}).size(), 1u);
    SimSoundBuffer* b = Playing(WIND_4_9);
    EXPECT_TRUE(b->looping);
    Pass(130);  // 180 ms: 7938 bytes, once round the 4410 of the file
    EXPECT_TRUE(IsPlaying(WIND_4_9));
    EXPECT_EQ(hostsim::SoundBufferPosition(*b), 3528u);
    EXPECT_EQ(Slot(WIND_4_9).playState, kEffectLooping);

    EXPECT_EQ(StopEffectSound(WIND_4_9), 1);
    EXPECT_FALSE(IsPlaying(WIND_4_9));
    EXPECT_EQ(hostsim::SoundBufferPosition(*b), 0u);
    EXPECT_EQ(Slot(WIND_4_9).looping, 0);
    EXPECT_EQ(Slot(WIND_4_9).playState, kEffectStopped);
    EXPECT_EQ(StopEffectSound(WIND_4_9), 1);  // silent already: nothing more
    EXPECT_EQ(Calls({"Stop"}).size(), 1u);
}

TEST_F(EffectSounds, StopOfAOneShotLetsItFinish) {
    ServiceEffectSounds();
    ASSERT_EQ(StartEffectSound(SCREECH1, 0), 1);  // 0.9 s long
    EXPECT_EQ(Slot(SCREECH1).playState, kEffectPlayedOnce);
    EXPECT_EQ(Slot(SCREECH1).looping, 0);
    Pass(300);
    EXPECT_EQ(StopEffectSound(SCREECH1), 1);
    EXPECT_TRUE(IsPlaying(SCREECH1));
    EXPECT_EQ(Slot(SCREECH1).playState, kEffectPlayedOnce);
    Pass(700);
    EXPECT_FALSE(IsPlaying(SCREECH1));
}

// A one-shot asked for again while it plays is not restarted; once it has
// finished it plays again.
TEST_F(EffectSounds, OneShotRequestedAgainPlaysAgainOnlyWhenItHasFinished) {
    ServiceEffectSounds();
    StartEffectSound(TURBULENCE1, 0);  // 1.1 s long
    Pass(500);
    StartEffectSound(TURBULENCE1, 0);
    EXPECT_EQ(Playing(TURBULENCE1)->plays, 1);
    Pass(700);
    EXPECT_FALSE(IsPlaying(TURBULENCE1));
    StartEffectSound(TURBULENCE1, 0);
    EXPECT_EQ(Playing(TURBULENCE1)->plays, 2);
}

TEST_F(EffectSounds, SoundOffAndOnResumesTheLoopAndReplaysAFinishedOneShot) {
    ServiceEffectSounds();
    StartEffectSound(WIND_10_X, 1);  // 0.2 s loop
    StartEffectSound(SCREECH2, 0);   // 1.0 s once
    Pass(1500);
    EXPECT_TRUE(IsPlaying(WIND_10_X));
    EXPECT_FALSE(IsPlaying(SCREECH2));
    std::uint32_t at = hostsim::SoundBufferPosition(*Playing(WIND_10_X));

    MenuSound();
    EXPECT_EQ(g_main.SoundOn, 0);
    EXPECT_FALSE(IsPlaying(WIND_10_X));
    Pass(40);
    EXPECT_EQ(hostsim::SoundBufferPosition(*Playing(WIND_10_X)), at) << "paused, not rewound";
    EXPECT_EQ(Slot(WIND_10_X).playState, kEffectLooping);

    MenuSound();
    EXPECT_EQ(g_main.SoundOn, 1);
    EXPECT_TRUE(IsPlaying(WIND_10_X));
    EXPECT_TRUE(Playing(WIND_10_X)->looping);
    EXPECT_TRUE(IsPlaying(SCREECH2));
    EXPECT_FALSE(Playing(SCREECH2)->looping);
    EXPECT_EQ(Playing(SCREECH2)->plays, 2);
    for (int slot : {WIND_4_9, STRESS, WALK, CROUCH}) EXPECT_FALSE(IsPlaying(slot)) << slot;
}

TEST_F(EffectSounds, RequestsWhileSoundIsOffOnlyChangeWhatResumes) {
    ServiceEffectSounds();
    StartEffectSound(STRESS, 1);
    MenuSound();
    EXPECT_EQ(StartEffectSound(WALK, 1), 1);
    EXPECT_EQ(StopEffectSound(STRESS), 1);
    EXPECT_EQ(StartEffectSound(SCREECH1, 0), 1);
    EXPECT_FALSE(IsPlaying(WALK));
    EXPECT_FALSE(IsPlaying(SCREECH1));
    EXPECT_EQ(Slot(WALK).looping, 1);
    EXPECT_EQ(Slot(STRESS).playState, kEffectStopped);

    MenuSound();
    EXPECT_TRUE(IsPlaying(WALK));
    EXPECT_TRUE(IsPlaying(SCREECH1));
    EXPECT_FALSE(IsPlaying(STRESS));
}

TEST_F(EffectSounds, OnlyMonoPcmFilesAreLoaded) {
    Bytes stereo = PcmWav(Ramp(400), 2, 16);
    Bytes fmt = FormatBody(3, 1, 22050, 32);  // IEEE float
    Put16(&fmt, 0);
    Bytes chunks = Chunk("fmt ", fmt);
    Append(&chunks, Chunk("data", Ramp(400)));
    host.WriteFile(SoundPath(STRESS), std::string(stereo.begin(), stereo.end()));
    Bytes floats = Riff(chunks);
    host.WriteFile(SoundPath(WALK), std::string(floats.begin(), floats.end()));
    host.WriteFile(SoundPath(RUN), "not a wave file");
    std::remove(hostsim::RealPath(SoundPath(CROUCH)).c_str());

    ServiceEffectSounds();
    for (int slot : {STRESS, WALK, RUN, CROUCH}) {
        EXPECT_EQ(Slot(slot).loaded, 0) << slot;
        EXPECT_EQ(Slot(slot).clip, nullptr) << slot;
        EXPECT_EQ(StartEffectSound(slot, 1), 0) << slot;
        EXPECT_EQ(StopEffectSound(slot), 0) << slot;
    }
    EXPECT_EQ(Count(Calls(), "flags 0x10 bytes"), 8);  // the other eight only
    for (int slot : {0, -1, kEffectSoundSlots}) EXPECT_EQ(StartEffectSound(slot, 0), 0) << slot;
}

TEST_F(EffectSounds, FileFoundOnlyAsAResourceOfTheExecutable) {
    Bytes file = PcmWav(Ramp(2000));
    std::remove(hostsim::RealPath(SoundPath(RUN)).c_str());
    hostsim::AddSoundResource(SoundPath(RUN), "WAVE", file);
    ServiceEffectSounds();
    EXPECT_EQ(Slot(RUN).loaded, 1);
    EXPECT_EQ(Playing(RUN)->bytes, 2000u);
}

TEST_F(EffectSounds, WithoutADeviceEveryServiceCallTriesAgain) {
    hostsim::SetSoundDevicePresent(false);
    for (int i = 0; i < 3; ++i) ServiceEffectSounds();
    EXPECT_EQ(Calls({"DirectSoundCreate8"}).size(), 3u);
    EXPECT_EQ(g_main.EffectSounds.manager, nullptr);
    EXPECT_EQ(StartEffectSound(WIND_4_9, 1), 0);
    EXPECT_EQ(StopEffectSound(WIND_4_9), 0);

    hostsim::SetSoundDevicePresent(true);
    ServiceEffectSounds();
    EXPECT_EQ(Slot(WIND_4_9).loaded, 1);
    EXPECT_EQ(StartEffectSound(WIND_4_9, 1), 1);
}

// A device that cannot set its cooperative level is given back and tried
// again, like one that is missing.
TEST_F(EffectSounds, FailingInitialisationIsTriedAgain) {
    hostsim::FailSoundStep(hostsim::kSoundCallCooperative, 2, kSoundInvalidArg);
    ServiceEffectSounds();
    ServiceEffectSounds();
    EXPECT_EQ(g_main.EffectSounds.manager, nullptr);
    EXPECT_EQ(Calls({"ReleaseDevice"}).size(), 2u);
    ServiceEffectSounds();
    EXPECT_NE(g_main.EffectSounds.manager, nullptr);
}

TEST_F(EffectSounds, WithoutTheHrtfAlgorithmNoSoundIsLoaded) {
    hostsim::Sound().noHrtf = true;
    ServiceEffectSounds();
    for (int slot = 1; slot < kEffectSoundSlots; ++slot) EXPECT_EQ(Slot(slot).loaded, 0) << slot;
    for (const SimSoundBuffer& b : hostsim::Sound().buffers) EXPECT_FALSE(b.alive);
    EXPECT_EQ(StartEffectSound(WIND_4_9, 1), 0);
}

TEST_F(EffectSounds, WithoutAListenerSoundsPlayWhereTheyWereLoaded) {
    hostsim::FailSoundStep(hostsim::kSoundCallListener, -1, kSoundNoInterface);
    ServiceEffectSounds();
    EXPECT_EQ(g_main.EffectSounds.listener, nullptr);
    SetEffectSoundVolume(WIND_4_9, 0.3);
    EXPECT_EQ(StartEffectSound(WIND_4_9, 1), 1);
    Calls();
    ServiceEffectSounds();
    EXPECT_TRUE(Calls({"SetAllParameters", "CommitDeferredSettings"}).empty());
    EXPECT_TRUE(IsPlaying(WIND_4_9));
    EXPECT_EQ(Playing(WIND_4_9)->params.position.z, 0.0f);
}

TEST_F(EffectSounds, VolumesOutsideTheRangeAreHeldToIt) {
    ServiceEffectSounds();
    const struct {
        double volume;
        float distance;
    } cases[] = {{2.0, 0.2f}, {-1.0, 2.2f}, {std::nan(""), 2.2f}, {1e300, 0.2f}};
    for (const auto& c : cases) {
        SetEffectSoundVolume(STRESS, c.volume);
        ServiceEffectSounds();
        EXPECT_FLOAT_EQ(Playing(STRESS)->params.position.z, c.distance) << c.volume;
    }
}

// [SECTION] From the camera tick

struct TickingModule : FlyingModule {
    TickingModule() {
        InstallBank(host);  // the bank loads at the first service call
        g_main.InternalViewActive = 1;
        hostsim::SetViewType(3, 4);  // spot view: not the cockpit
    }
};

TEST(EffectSoundsFromTheTick, WindSpeedPicksTheWindLoopAndItsDistance) {
    TickingModule module;
    hostsim::Plane().wind = 6.0;
    for (int i = 0; i < 200; i++) module.Tick(33);  // past the five seconds
    ASSERT_EQ(Slot(WIND_4_9).loaded, 1);
    EXPECT_TRUE(IsPlaying(WIND_4_9));
    EXPECT_FALSE(IsPlaying(WIND_10_X));
    EXPECT_DOUBLE_EQ(Slot(WIND_4_9).volume, 0.6);
    EXPECT_FLOAT_EQ(Playing(WIND_4_9)->params.position.z, 1.0f);  // 0.2 x (0.4 x 10 + 1)

    hostsim::Plane().wind = 14.0;
    module.Tick(33);
    module.Tick(33);
    EXPECT_FALSE(IsPlaying(WIND_4_9));
    EXPECT_TRUE(IsPlaying(WIND_10_X));
    EXPECT_FLOAT_EQ(Playing(WIND_10_X)->params.position.z, 0.2f);  // volume held at 1

    g_main.InternalViewActive = 0;
    module.Tick(33);
    EXPECT_FALSE(IsPlaying(WIND_10_X));
}

// Footsteps while the pilot walks outside: any of the four walking flags,
// never the other motions; "Run.wav" is never the one that plays.
TEST(EffectSoundsFromTheTick, FootstepsLoopOnlyWhileWalkingOutside) {
    TickingModule module;
    hostsim::Plane().altitude = hostsim::Plane().ground;  // parked: the pilot may leave
    hostsim::Plane().groundSpeed = 0.0;
    hostsim::PublishAircraft();
    for (int i = 0; i < 200; i++) module.Tick(33);  // past the five seconds
    const struct {
        int external;
        int HostgateContext::*flag;  // null: no flag held
        bool walking;
    } cases[] = {
        {1, &HostgateContext::pilotForward, true},   {1, &HostgateContext::pilotBackward, true},
        {1, &HostgateContext::pilotStepRight, true}, {1, &HostgateContext::pilotStepLeft, true},
        {1, &HostgateContext::pilotUp, false},       {1, &HostgateContext::pilotHeadRight, false},
        {1, &HostgateContext::pilotCrouch, false},   {1, nullptr, false},
        {0, &HostgateContext::pilotForward, false},  {0, &HostgateContext::pilotStepLeft, false},
    };
    for (const auto& c : cases) {
        g_main.ExternalViewActive = c.external;
        if (c.flag) g_hostgate.*(c.flag) = 1;
        module.Tick(33);
        module.Tick(33);
        EXPECT_EQ(IsPlaying(WALK), c.walking) << "case " << (&c - cases);
        EXPECT_FALSE(IsPlaying(RUN)) << "case " << (&c - cases);
        if (c.flag) g_hostgate.*(c.flag) = 0;
    }
}

// [SECTION] Each decision of the camera tick

// Host variables the decisions read, by id.
constexpr std::uint32_t kVarOnGround = 60, kVarOverspeed = 68, kVarAltitude = 73, kVarGroundElevation = 2,
                        kVarPitch = 77, kVarBank = 79, kVarHeading = 86, kVarWind = 343, kVarBuffet = 349,
                        kVarGLoad = 351, kVarForward = 551;
constexpr double kFeetPerSecond = 1.0 / 0.3048;  // variable 551 is in feet per second

// Past the five seconds with every effect and its sounds switched on, in
// the air, level on heading 90, no wind, 1 g, no buffeting, no overspeed.
struct DecidingModule : TickingModule {
    explicit DecidingModule(int viewType) {
        g_main.ViewTurbOn = g_main.GroundTurbOn = g_main.ViewTurbSoundOn = g_main.GroundTurbSoundOn = 1;
        hostsim::SetViewType(3, viewType);
        const std::pair<std::uint32_t, double> calm[] = {
            {kVarOnGround, 0.0}, {kVarOverspeed, 0.0}, {kVarWind, 0.0},   {kVarBuffet, 32768.0},
            {kVarGLoad, 624.0},  {kVarPitch, 0.0},     {kVarBank, 0.0},   {kVarHeading, 90.0},
            {kVarForward, 60.0 * kFeetPerSecond},
        };
        for (const auto& [id, value] : calm) hostsim::SetVariable(id, value);
        for (int i = 0; i < 160; i++) Tick(33);  // 1.0 + 159 x 0.033 = 6.2 s
    }
    ~DecidingModule() { hostsim::ClearVariableOverrides(); }
};

struct Expected {
    int slot;
    int state;      // 0 silent, 1 played once, 2 looping
    double volume;  // < 0: not looked at
};

void ExpectSlots(const char* what, const std::vector<Expected>& expected) {
    for (const Expected& e : expected) {
        const EffectSoundSlot& s = Slot(e.slot);
        ASSERT_EQ(s.loaded, 1) << what;
        EXPECT_EQ(IsPlaying(e.slot), e.state != 0) << what << ": " << EffectSoundFile(e.slot);
        EXPECT_EQ(s.looping, e.state == 2 ? 1 : 0) << what << ": " << EffectSoundFile(e.slot);
        if (e.state != 0) EXPECT_EQ(s.playState, e.state) << what << ": " << EffectSoundFile(e.slot);
        if (e.volume >= 0.0) EXPECT_NEAR(s.volume, e.volume, 1e-9) << what << ": " << EffectSoundFile(e.slot);
    }
}

// One frame (100 ms) with the variables changed: which sounds it starts,
// at which volume, and which it leaves silent.
TEST(EffectSoundsFromTheTick, EachDecisionStartsOnlyItsSound) {
    const int kSpot = 4, kCockpit = 2, kTower = 1;
    const struct {
        const char* what;
        int viewType;
        std::vector<std::pair<std::uint32_t, double>> variables;
        std::function<void()> also;
        std::vector<Expected> expected;
        int frames = 1;  // buffeting is measured when the next impulse is drawn: within 2 s
    } cases[] = {
        {"wind 4 outside the cockpit", kSpot, {{kVarWind, 4.0}}, {}, {{WIND_4_9, 2, 0.4}, {WIND_10_X, 0, -1}}},
        {"wind just under 4", kSpot, {{kVarWind, 3.99}}, {}, {{WIND_4_9, 0, -1}, {WIND_10_X, 0, -1}}},
        {"wind just under 10", kSpot, {{kVarWind, 9.99}}, {}, {{WIND_4_9, 2, 0.999}, {WIND_10_X, 0, -1}}},
        {"wind 10", kSpot, {{kVarWind, 10.0}}, {}, {{WIND_10_X, 2, 1.0}, {WIND_4_9, 0, -1}}},
        {"wind 25 is held at volume 1", kSpot, {{kVarWind, 25.0}}, {}, {{WIND_10_X, 2, 1.0}}},
        {"no wind in the virtual cockpit", kCockpit, {{kVarWind, 6.0}}, {}, {{WIND_4_9, 0, -1}}},
        {"no wind in a view of type 1", kTower, {{kVarWind, 14.0}}, {}, {{WIND_10_X, 0, -1}}},
        {"buffeting in the virtual cockpit", kCockpit, {{kVarBuffet, 0.2 * 32768.0}}, {}, {{STRESS, 2, -1}}, 25},
        {"buffeting outside it", kSpot, {{kVarBuffet, 0.2 * 32768.0}}, {}, {{STRESS, 0, -1}}, 25},
        {"no buffeting", kCockpit, {{kVarBuffet, 0.5 * 32768.0}}, {}, {{STRESS, 0, -1}}, 25},
        {"rolling at 11.5 m/s", kCockpit, {{kVarOnGround, 1.0}, {kVarForward, 11.5 * kFeetPerSecond}}, {},
         {{GROUND_NOISE, 2, 0.5}}},
        {"rolling at 5.01 m/s", kCockpit, {{kVarOnGround, 1.0}, {kVarForward, 5.01 * kFeetPerSecond}}, {},
         {{GROUND_NOISE, 2, 0.01 / 13.0}}},
        {"rolling at 40 m/s", kCockpit, {{kVarOnGround, 1.0}, {kVarForward, 40.0 * kFeetPerSecond}}, {},
         {{GROUND_NOISE, 2, 1.0}}},
        {"rolling at 4.99 m/s", kCockpit, {{kVarOnGround, 1.0}, {kVarForward, 4.99 * kFeetPerSecond}}, {},
         {{GROUND_NOISE, 0, -1}}},
        {"rolling in the spot view", kSpot, {{kVarOnGround, 1.0}}, {}, {{GROUND_NOISE, 0, -1}}},
        {"rolling without ground turbulence sounds", kCockpit, {{kVarOnGround, 1.0}},
         [] { g_main.GroundTurbSoundOn = 0; }, {{GROUND_NOISE, 0, -1}}},
        {"rolling without ground turbulence", kCockpit, {{kVarOnGround, 1.0}}, [] { g_main.GroundTurbOn = 0; },
         {{GROUND_NOISE, 0, -1}}},
        {"1.81 g, rand even", kCockpit, {{kVarGLoad, 1.81 * 624.0}}, [] { hostsim::FeedRand(std::vector<int>(40, 4)); },
         {{SCREECH2, 1, -1}, {SCREECH1, 0, -1}}},
        {"-0.01 g, rand odd", kCockpit, {{kVarGLoad, -0.01 * 624.0}}, [] { hostsim::FeedRand(std::vector<int>(40, 7)); },
         {{SCREECH1, 1, -1}, {SCREECH2, 0, -1}}},
        {"1.79 g", kCockpit, {{kVarGLoad, 1.79 * 624.0}}, {}, {{SCREECH1, 0, -1}, {SCREECH2, 0, -1}}},
        {"2.5 g in the spot view", kSpot, {{kVarGLoad, 2.5 * 624.0}}, {}, {{SCREECH1, 0, -1}, {SCREECH2, 0, -1}}},
        {"2.5 g without head latency sounds", kCockpit, {{kVarGLoad, 2.5 * 624.0}},
         [] { g_main.ViewTurbSoundOn = 0; }, {{SCREECH1, 0, -1}, {SCREECH2, 0, -1}}},
        {"2.5 g without head latency", kCockpit, {{kVarGLoad, 2.5 * 624.0}}, [] { g_main.ViewTurbOn = 0; },
         {{SCREECH1, 0, -1}, {SCREECH2, 0, -1}}},
        // 100 ms frames: a change above 1 degree is above 10 degrees a second.
        {"bank 1.1 degrees in a frame, rand even", kCockpit, {{kVarBank, 1.1}}, [] { hostsim::FeedRand(std::vector<int>(40, 2)); },
         {{TURBULENCE2, 1, -1}, {TURBULENCE1, 0, -1}}},
        {"pitch -1.1 degrees, rand odd", kCockpit, {{kVarPitch, -1.1}}, [] { hostsim::FeedRand(std::vector<int>(40, 1)); },
         {{TURBULENCE1, 1, -1}, {TURBULENCE2, 0, -1}}},
        {"heading 0.9 degrees", kCockpit, {{kVarHeading, 90.9}}, {}, {{TURBULENCE1, 0, -1}, {TURBULENCE2, 0, -1}}},
        {"heading 1.1 degrees", kCockpit, {{kVarHeading, 91.1}}, [] { hostsim::FeedRand(std::vector<int>(40, 0)); },
         {{TURBULENCE2, 1, -1}}},
        {"a fast turn in the spot view", kSpot, {{kVarHeading, 120.0}}, {}, {{TURBULENCE1, 0, -1}, {TURBULENCE2, 0, -1}}},
        {"a fast turn without head latency sounds", kCockpit, {{kVarHeading, 120.0}},
         [] { g_main.ViewTurbSoundOn = 0; }, {{TURBULENCE1, 0, -1}, {TURBULENCE2, 0, -1}}},
    };
    for (const auto& c : cases) {
        DecidingModule module(c.viewType);
        for (const auto& [id, value] : c.variables) hostsim::SetVariable(id, value);
        if (c.also) c.also();
        for (int i = 0; i < c.frames; i++) module.Tick(100);
        ExpectSlots(c.what, c.expected);
        for (int slot : {WALK, RUN, OVERSPEED_NOISE}) EXPECT_FALSE(IsPlaying(slot)) << c.what << " " << slot;
    }
}

// The attitude change is taken the short way round, and from a level
// attitude on heading 0 as from any other.
TEST(EffectSoundsFromTheTick, AttitudeChangesThroughNorthAndFromZero) {
    const struct {
        double fromHeading, toHeading, toBank;
        bool knock;
    } cases[] = {
        {359.5, 0.7, 0.0, true},   // 1.2 degrees: 12 a second
        {359.5, 0.3, 0.0, false},  // 0.8 degrees
        {0.3, 359.5, 0.0, false},
        {0.0, 0.0, 2.0, true},     // from pitch, heading and bank all 0
        {0.0, 0.0, 0.0, false},
    };
    for (const auto& c : cases) {
        DecidingModule module(2);
        hostsim::SetVariable(kVarHeading, c.fromHeading);
        for (int i = 0; i < 20; i++) module.Tick(100);  // a knock for this turn has played out
        ASSERT_FALSE(IsPlaying(TURBULENCE1) || IsPlaying(TURBULENCE2)) << c.fromHeading;
        hostsim::SetVariable(kVarHeading, c.toHeading);
        hostsim::SetVariable(kVarBank, c.toBank);
        hostsim::FeedRand(std::vector<int>(40, 5));
        module.Tick(100);
        EXPECT_EQ(IsPlaying(TURBULENCE1), c.knock) << c.fromHeading << " to " << c.toHeading << " bank " << c.toBank;
    }
}

// The overspeed roar needs the longitudinal speed above 1.2 times the speed
// at which the indication came on.
TEST(EffectSoundsFromTheTick, OverspeedNoiseAboveTheReferenceSpeed) {
    const struct {
        double onAt, now;  // metres a second
        int viewType;
        bool headLatency;
        bool roar;
    } cases[] = {
        {100.0, 121.0, 2, true, true}, {100.0, 119.0, 2, true, false}, {100.0, 150.0, 4, true, false},
        {100.0, 150.0, 2, false, false},
    };
    for (const auto& c : cases) {
        DecidingModule module(c.viewType);
        g_main.ViewTurbOn = c.headLatency;
        hostsim::SetVariable(kVarOverspeed, 1.0);
        hostsim::SetVariable(kVarForward, c.onAt * kFeetPerSecond);
        module.Tick(100);
        EXPECT_FALSE(IsPlaying(OVERSPEED_NOISE)) << c.now;
        hostsim::SetVariable(kVarForward, c.now * kFeetPerSecond);
        module.Tick(100);
        EXPECT_EQ(IsPlaying(OVERSPEED_NOISE), c.roar) << c.now;
        EXPECT_EQ(Slot(OVERSPEED_NOISE).looping, c.roar ? 1 : 0) << c.now;
        hostsim::SetVariable(kVarOverspeed, 0.0);
        module.Tick(100);
        EXPECT_FALSE(IsPlaying(OVERSPEED_NOISE)) << "indication off";
    }
}

}  // namespace
