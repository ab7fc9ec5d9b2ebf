// sound_manager_test.cpp - the DirectSound layer on the simulated device:
// the primary buffer's format, every result code of making a sound, the
// clip's choice of buffer, lost buffers, short files and the OR-ed stop.
#include "sound/sound_manager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostsim/host_process.h"
#include "hostsim/sim_sound.h"
#include "test_host.h"
#include "wav_builder.h"

namespace {

using hostsim::SimSoundBuffer;

const char* const kPath = "C:\\FS9\\Sound.wav";

SimSoundBuffer* Sim(PlatSoundBuffer buffer) {
    return hostsim::SoundBufferAt(int(reinterpret_cast<std::uintptr_t>(buffer)));
}

Bytes Samples(PlatSoundBuffer buffer) {
    SimSoundBuffer* b = Sim(buffer);
    const std::uint8_t* p = hostsim::SoundBufferSamples(b);
    return Bytes(p, p + b->bytes);
}

class SoundLayer : public ::testing::Test {
protected:
    void Put(const Bytes& bytes, const char* path = kPath) {
        host.WriteFile(path, std::string(bytes.begin(), bytes.end()));
    }
    void Init() { ASSERT_EQ(manager.Initialize(host.main, 2, 2, 22050, 8), kSoundOk); }
    // A clip of `count` buffers over a mono 16-bit file of `bytes` samples.
    SoundClip* MakeClip(std::uint32_t count, std::uint32_t flags = kSoundCaps3D, std::size_t bytes = 1000) {
        Put(PcmWav(Ramp(bytes)));
        Init();
        SoundClip* clip = nullptr;
        const PlatGuid& algorithm = (flags & kSoundCaps3D) ? kSound3DAlgorithmHrtfFull : kGuidNull;
        EXPECT_EQ(manager.Create(&clip, kPath, flags, algorithm, count), kSoundOk);
        hostsim::TakeSoundCalls({});
        return clip;
    }
    std::vector<std::string> Calls(const std::vector<std::string>& only = {}) { return hostsim::TakeSoundCalls(only); }

    TestHost host;
    SoundManager manager;
};

// [SECTION] SoundManager

TEST_F(SoundLayer, InitializeOpensTheDeviceAndSetsThePrimaryFormat) {
    ASSERT_EQ(manager.Initialize(host.main, 2, 2, 22050, 8), kSoundOk);
    EXPECT_TRUE(hostsim::Sound().created);
    EXPECT_EQ(hostsim::Sound().window, host.main);
    EXPECT_EQ(hostsim::Sound().level, 2u);
    const WaveFormatEx& f = hostsim::Sound().primaryFormat;
    EXPECT_EQ(f.formatTag, 1);
    EXPECT_EQ(f.channels, 2);
    EXPECT_EQ(f.samplesPerSec, 22050u);
    EXPECT_EQ(f.bitsPerSample, 8);
    EXPECT_EQ(f.blockAlign, 2);          // 8 / 8 x 2
    EXPECT_EQ(f.avgBytesPerSec, 44100u);  // 22050 x 2
    EXPECT_EQ(Calls(), (std::vector<std::string>{
                           "DirectSoundCreate8 -> ok", "SetCooperativeLevel window main level 2 -> ok",
                           "CreateSoundBuffer 1 primary flags 0x01 -> ok",
                           "SetFormat 1 channels 2 rate 22050 bits 8 -> ok", "Release 1 -> ok"}));

    ASSERT_EQ(manager.SetPrimaryBufferFormat(1, 44100, 16), kSoundOk);
    EXPECT_EQ(hostsim::Sound().primaryFormat.blockAlign, 2);
    EXPECT_EQ(hostsim::Sound().primaryFormat.avgBytesPerSec, 88200u);
}

TEST_F(SoundLayer, InitializeAnswersTheFirstFailingStep) {
    const struct {
        hostsim::SoundCall step;
        SoundResult result;
        bool device;  // a device is kept
    } cases[] = {
        {hostsim::kSoundCallCreate, kSoundNoDriver, false},
        {hostsim::kSoundCallCooperative, kSoundInvalidArg, true},
        {hostsim::kSoundCallPrimary, kSoundOutOfMemory, true},
        {hostsim::kSoundCallFormat, kSoundBadFormat, true},
    };
    for (const auto& c : cases) {
        hostsim::ResetSound();
        hostsim::FailSoundStep(c.step, 1, c.result);
        SoundManager m;
        EXPECT_EQ(m.Initialize(host.main, 2, 2, 22050, 8), c.result) << hostsim::SoundStepName(c.step);
        EXPECT_EQ(m.Device() != nullptr, c.device) << hostsim::SoundStepName(c.step);
        for (const SimSoundBuffer& b : hostsim::Sound().buffers) EXPECT_FALSE(b.alive);  // primary released
    }
}

TEST_F(SoundLayer, InitializeAgainReleasesTheFirstDevice) {
    Init();
    Calls();
    Init();
    std::vector<std::string> calls = Calls({"ReleaseDevice", "DirectSoundCreate8"});
    EXPECT_EQ(calls, (std::vector<std::string>{"ReleaseDevice -> ok", "DirectSoundCreate8 -> ok"}));
}

TEST_F(SoundLayer, EveryOperationWithoutADeviceIsNotInitialized) {
    SoundClip* clip = nullptr;
    PlatSoundListener listener = nullptr;
    EXPECT_EQ(manager.SetPrimaryBufferFormat(2, 22050, 8), kSoundNotInitialized);
    EXPECT_EQ(manager.Get3DListener(&listener), kSoundNotInitialized);
    EXPECT_EQ(manager.Create(&clip, kPath, 0, kGuidNull, 1), kSoundNotInitialized);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(SoundLayer, ListenerComesFromAPrimaryBufferWith3DControl) {
    Init();
    Calls();
    PlatSoundListener listener = nullptr;
    EXPECT_EQ(manager.Get3DListener(nullptr), kSoundInvalidArg);
    ASSERT_EQ(manager.Get3DListener(&listener), kSoundOk);
    EXPECT_NE(listener, nullptr);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"CreateSoundBuffer 2 primary flags 0x11 -> ok",
                                                 "QueryListener 2 -> ok", "Release 2 -> ok"}));
    PlatSoundListenerRelease(listener);

    hostsim::FailSoundStep(hostsim::kSoundCallListener, 1, kSoundNoInterface);
    EXPECT_EQ(manager.Get3DListener(&listener), kSoundNoInterface);
    EXPECT_EQ(listener, nullptr);
}

TEST_F(SoundLayer, CreateRefusesWhatItCannotMake) {
    Put(PcmWav(Bytes{}), "C:\\FS9\\Empty.wav");
    Init();
    Calls();
    SoundClip* clip = nullptr;
    const struct {
        const char* what;
        SoundClip** out;
        const char* file;
        std::uint32_t count;
        SoundResult result;
    } cases[] = {
        {"no file name", &clip, nullptr, 1, kSoundInvalidArg},
        {"no out pointer", nullptr, kPath, 1, kSoundInvalidArg},
        {"no buffers", &clip, kPath, 0, kSoundInvalidArg},
        {"missing file", &clip, "C:\\FS9\\Missing.wav", 1, kSoundFail},
        {"no samples", &clip, "C:\\FS9\\Empty.wav", 1, kSoundFail},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(manager.Create(c.out, c.file, kSoundCaps3D, kGuidNull, c.count), c.result) << c.what;
        EXPECT_EQ(clip, nullptr) << c.what;
    }
    EXPECT_TRUE(Calls({"CreateSoundBuffer"}).empty());
}

TEST_F(SoundLayer, CreateFillsTheFirstBufferAndRewindsEveryCopy) {
    SoundClip* clip = nullptr;
    Put(PcmWav(Ramp(1000)));
    Init();
    Calls();
    ASSERT_EQ(manager.Create(&clip, kPath, kSoundCaps3D, kSound3DAlgorithmHrtfFull, 3), kSoundOk);
    ASSERT_EQ(clip->BufferCount(), 3u);
    EXPECT_EQ(Samples(clip->BufferAt(0)), Ramp(1000));
    const std::uint8_t* memory = hostsim::SoundBufferSamples(Sim(clip->BufferAt(0)));
    for (std::uint32_t i = 1; i < 3; ++i) EXPECT_EQ(hostsim::SoundBufferSamples(Sim(clip->BufferAt(i))), memory) << i;
    EXPECT_EQ(Calls({"CreateSoundBuffer", "DuplicateSoundBuffer", "SetCurrentPosition"}),
              (std::vector<std::string>{"CreateSoundBuffer 2 flags 0x10 bytes 1000 algorithm hrtf-full -> ok",
                                        "DuplicateSoundBuffer 3 of 2 -> ok", "DuplicateSoundBuffer 4 of 2 -> ok",
                                        "SetCurrentPosition 2 0 -> ok", "SetCurrentPosition 3 0 -> ok",
                                        "SetCurrentPosition 4 0 -> ok"}));
    delete clip;
    for (int n = 2; n <= 4; ++n) EXPECT_FALSE(hostsim::SoundBufferAt(n)->alive) << n;
}

TEST_F(SoundLayer, SubstitutedAlgorithmIsASuccessTheCallerHearsAbout) {
    hostsim::Sound().noHrtf = true;
    Put(PcmWav(Ramp(100)));
    Init();
    SoundClip* clip = nullptr;
    EXPECT_EQ(manager.Create(&clip, kPath, kSoundCaps3D, kSound3DAlgorithmHrtfFull, 1), kSoundNoVirtualization);
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(Samples(clip->BufferAt(0)), Ramp(100));
    delete clip;
}

TEST_F(SoundLayer, FailedCreateReleasesTheBuffersItMade) {
    Put(PcmWav(Ramp(100)));
    Put(PcmWav(Ramp(100), 2), "C:\\FS9\\Stereo.wav");
    Init();
    const struct {
        const char* what;
        const char* file;
        hostsim::SoundCall step;
        int times;
        SoundResult result;
    } cases[] = {
        {"buffer", kPath, hostsim::kSoundCallBuffer, 1, kSoundOutOfMemory},
        {"second copy", kPath, hostsim::kSoundCallDuplicate, 2, kSoundFail},
        {"stereo 3D buffer", "C:\\FS9\\Stereo.wav", hostsim::kSoundCallCount, 0, kSoundInvalidArg},
    };
    for (const auto& c : cases) {
        std::size_t before = hostsim::Sound().buffers.size();
        if (c.step != hostsim::kSoundCallCount) hostsim::FailSoundStep(c.step, c.times, c.result);
        SoundClip* clip = nullptr;
        EXPECT_EQ(manager.Create(&clip, c.file, kSoundCaps3D, kGuidNull, 4), c.result) << c.what;
        EXPECT_EQ(clip, nullptr) << c.what;
        for (std::size_t i = before; i < hostsim::Sound().buffers.size(); ++i) {
            EXPECT_FALSE(hostsim::Sound().buffers[i].alive) << c.what << " buffer " << i + 1;
        }
        hostsim::FailSoundStep(c.step, 0, kSoundOk);
    }
}

// [SECTION] SoundClip

// The data chunk says 1000 bytes; the file ends 600 bytes into it.
TEST_F(SoundLayer, ShortFileLeavesSilenceOfItsSampleWidth) {
    for (std::uint16_t bits : {8, 16}) {
        hostsim::ResetSound();
        Bytes file = PcmWav(Ramp(1000), 1, bits);
        file.resize(file.size() - 400);
        Put(file);
        Init();
        SoundClip* clip = nullptr;
        ASSERT_EQ(manager.Create(&clip, kPath, kSoundCaps3D, kGuidNull, 1), kSoundOk);
        Bytes wanted = Ramp(600);
        wanted.resize(1000, bits == 8 ? 128 : 0);
        EXPECT_EQ(Samples(clip->BufferAt(0)), wanted) << bits;

        ASSERT_EQ(clip->FillBuffer(clip->BufferAt(0), true), kSoundOk);
        wanted = Ramp(600);
        Bytes again = Ramp(400);
        Append(&wanted, again);
        EXPECT_EQ(Samples(clip->BufferAt(0)), wanted) << bits << " repeated";
        delete clip;
    }
}

TEST_F(SoundLayer, PlayTakesAFreeBufferElseARandomOne) {
    SoundClip* clip = MakeClip(3);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(clip->Play(0, 0), kSoundOk);
    EXPECT_EQ(Calls({"Play"}), (std::vector<std::string>{"Play 2 priority 0 flags 0x0 -> ok",
                                                         "Play 3 priority 0 flags 0x0 -> ok",
                                                         "Play 4 priority 0 flags 0x0 -> ok"}));
    hostsim::FeedRand({7});  // 7 % 3 = 1: the second buffer
    ASSERT_EQ(clip->Play(5, kSoundPlayLooping), kSoundOk);
    EXPECT_EQ(Calls({"Play"}), (std::vector<std::string>{"Play 3 priority 5 flags 0x1 -> ok"}));
    EXPECT_EQ(Sim(clip->BufferAt(1))->plays, 1);
    EXPECT_TRUE(Sim(clip->BufferAt(1))->looping);
    delete clip;
}

// 16-bit mono at 22050 Hz plays 44100 bytes a second: 4410 in 100 ms.
TEST_F(SoundLayer, PlayOfTheOnlyBufferWhileItPlaysGoesOn) {
    SoundClip* clip = MakeClip(1, kSoundCaps3D, 20000);
    ASSERT_EQ(clip->Play(0, 0), kSoundOk);
    hostsim::Get().clockMs += 100;
    hostsim::FeedRand({12345});
    ASSERT_EQ(clip->Play(0, 0), kSoundOk);
    SimSoundBuffer* b = Sim(clip->BufferAt(0));
    EXPECT_EQ(b->plays, 1);
    EXPECT_EQ(hostsim::SoundBufferPosition(*b), 4410u);
    EXPECT_NE(hostsim::NextRand(), 12345) << "the choice among playing buffers drew rand()";
    delete clip;
}

TEST_F(SoundLayer, LostBufferIsRestoredRefilledAndRewoundBeforeItPlays) {
    SoundClip* clip = MakeClip(2);
    hostsim::LoseSoundBuffers(3);
    ASSERT_EQ(clip->Play(0, 0), kSoundOk);
    SimSoundBuffer* b = Sim(clip->BufferAt(0));
    EXPECT_TRUE(b->playing);
    EXPECT_FALSE(b->lost);
    EXPECT_EQ(Samples(clip->BufferAt(0)), Ramp(1000));  // not what the device left in it
    EXPECT_EQ(hostsim::Sound().sleeps, 3);
    EXPECT_EQ(hostsim::Sound().sleptMs, 30u);
    EXPECT_EQ(Calls({"Restore", "SetCurrentPosition"}),
              (std::vector<std::string>{"Restore 2 -> 0x88780096", "Restore 2 -> 0x88780096",
                                        "Restore 2 -> 0x88780096", "Restore 2 -> ok",
                                        "SetCurrentPosition 2 0 -> ok", "SetCurrentPosition 3 0 -> ok"}));
    delete clip;
}

TEST_F(SoundLayer, BufferThatStaysLostIsGivenUpOnAfterASecond) {
    SoundClip* clip = MakeClip(1);
    hostsim::LoseSoundBuffers(1000);
    EXPECT_EQ(clip->Play(0, 0), kSoundBufferLost);
    EXPECT_EQ(hostsim::Sound().sleptMs, 990u);  // 100 tries, a 10 ms wait between two
    EXPECT_FALSE(Sim(clip->BufferAt(0))->playing);

    hostsim::FailSoundStep(hostsim::kSoundCallRestore, 1, kSoundFail);
    EXPECT_EQ(clip->Play(0, 0), kSoundFail);
    delete clip;
}

TEST_F(SoundLayer, StopAndResetReachEveryBufferAndOrTheirResults) {
    SoundClip* clip = MakeClip(3, kSoundCaps3D, 20000);
    for (int i = 0; i < 3; ++i) clip->Play(0, kSoundPlayLooping);
    hostsim::Get().clockMs += 50;
    hostsim::FailSoundStep(hostsim::kSoundCallStop, 1, kSoundFail);
    EXPECT_EQ(clip->Stop(), kSoundFail);
    EXPECT_EQ(Calls({"Stop"}).size(), 3u);
    EXPECT_TRUE(Sim(clip->BufferAt(0))->playing);  // its Stop failed
    EXPECT_FALSE(Sim(clip->BufferAt(1))->playing);
    EXPECT_EQ(hostsim::SoundBufferPosition(*Sim(clip->BufferAt(1))), 2204u);  // 50 ms, whole frames

    hostsim::FailSoundStep(hostsim::kSoundCallPosition, 1, kSoundInvalidArg);
    EXPECT_EQ(clip->Reset(), kSoundInvalidArg);
    EXPECT_EQ(hostsim::SoundBufferPosition(*Sim(clip->BufferAt(1))), 0u);
    EXPECT_EQ(clip->Stop(), kSoundOk);
    delete clip;
}

TEST_F(SoundLayer, ThreeDBufferByIndex) {
    SoundClip* clip = MakeClip(2);
    PlatSound3DBuffer b3d = nullptr;
    EXPECT_EQ(clip->Get3DBuffer(2, &b3d), kSoundInvalidArg);
    ASSERT_EQ(clip->Get3DBuffer(1, &b3d), kSoundOk);
    EXPECT_NE(b3d, nullptr);
    PlatSound3DRelease(b3d);
    delete clip;

    SoundClip* flat = MakeClip(1, 0);
    EXPECT_EQ(flat->Get3DBuffer(0, &b3d), kSoundNoInterface);
    EXPECT_EQ(b3d, nullptr);
    delete flat;
}

TEST_F(SoundLayer, ClipWithoutBuffersIsNotInitialized) {
    SoundClip clip(nullptr, 0, 0, nullptr);
    PlatSound3DBuffer b3d = nullptr;
    EXPECT_EQ(clip.Play(0, 0), kSoundNotInitialized);
    EXPECT_EQ(clip.Stop(), kSoundNotInitialized);
    EXPECT_EQ(clip.Reset(), kSoundNotInitialized);
    EXPECT_EQ(clip.Get3DBuffer(0, &b3d), kSoundNotInitialized);
}

}  // namespace
