// sound_pack_test.cpp - the twelve effect sounds the release package ships
// in Skyvane\Sound: each one a mono PCM file the reader and the bank take,
// loops whose end runs on into their start, one-shots that begin and end in
// silence, and the stronger wind louder and gustier than the light one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "hostsim/hostsim.h"
#include "shell/main_state.h"
#include "sound/effect_sounds.h"
#include "sound/wave_file.h"
#include "test_host.h"

namespace {

constexpr int kRate = 22050;

std::string ReadSource(const std::string& relative) {
    std::ifstream in(std::string(SKYVANE_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string DrivePath(int slot) {
    return std::string("C:\\FS9\\Skyvane\\Sound\\") + EffectSoundFile(slot);
}

// The slots the bank plays looping; the others play once (or never).
bool Looped(int slot) {
    return slot <= RUN || slot == GROUND_NOISE || slot == OVERSPEED_NOISE;
}

struct Sound {
    std::vector<int> samples;
    int peak = 0;
};

// The file installed on the simulated drive and read through WaveFile.
Sound Load(TestHost& host, int slot) {
    host.WriteFile(DrivePath(slot), ReadSource(std::string("package/Sound/") + EffectSoundFile(slot)));
    Sound s;
    WaveFile wave;
    EXPECT_EQ(wave.Open(DrivePath(slot).c_str(), nullptr, kWaveFileRead), kSoundOk) << EffectSoundFile(slot);
    if (!wave.GetFormat()) return s;
    std::vector<std::uint8_t> bytes(wave.GetSize());
    std::uint32_t got = 0;
    EXPECT_EQ(wave.Read(bytes.data(), wave.GetSize(), &got), kSoundOk);
    EXPECT_EQ(got, wave.GetSize());
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        int v = std::int16_t(std::uint16_t(bytes[i] | bytes[i + 1] << 8));
        s.samples.push_back(v);
        s.peak = std::max(s.peak, std::abs(v));
    }
    return s;
}

double Rms(const std::vector<int>& x, std::size_t from, std::size_t count) {
    double sum = 0;
    for (std::size_t i = from; i < from + count && i < x.size(); ++i) sum += double(x[i]) * x[i];
    return std::sqrt(sum / double(count));
}

// Loudest over quietest of the 50 ms windows: how much the level moves.
double Swing(const std::vector<int>& x) {
    std::size_t w = kRate / 20;
    double lo = 1e18, hi = 0;
    for (std::size_t i = 0; i + w <= x.size(); i += w) {
        double r = Rms(x, i, w);
        lo = std::min(lo, r);
        hi = std::max(hi, r);
    }
    return hi / std::max(lo, 1.0);
}

TEST(SoundPack, EveryFileIsMonoPcmAt22050HzIn16Bits) {
    TestHost host;
    for (int slot = 1; slot < kEffectSoundSlots; ++slot) {
        const char* name = EffectSoundFile(slot);
        std::string bytes = ReadSource(std::string("package/Sound/") + name);
        ASSERT_GT(bytes.size(), 44u) << name;
        host.WriteFile(DrivePath(slot), bytes);
        WaveFile wave;
        ASSERT_EQ(wave.Open(DrivePath(slot).c_str(), nullptr, kWaveFileRead), kSoundOk) << name;
        const WaveFormatEx* f = wave.GetFormat();
        EXPECT_EQ(f->formatTag, 1) << name;
        EXPECT_EQ(f->channels, 1) << name;
        EXPECT_EQ(f->samplesPerSec, 22050u) << name;
        EXPECT_EQ(f->bitsPerSample, 16) << name;
        EXPECT_EQ(f->blockAlign, 2) << name;
        EXPECT_EQ(f->avgBytesPerSec, 44100u) << name;
        EXPECT_EQ(wave.GetSize(), bytes.size() - 44) << name << ": nothing but the samples after the header";
        double seconds = wave.GetSize() / 44100.0;
        EXPECT_GE(seconds, 0.2) << name;
        EXPECT_LE(seconds, 2.0) << name;

        Sound s = Load(host, slot);
        EXPECT_GT(s.peak, 8000) << name << ": audible";
        EXPECT_LT(s.peak, 32767) << name << ": not clipped";
    }
}

TEST(SoundPack, LoopsRunOnFromTheirEndIntoTheirStart) {
    TestHost host;
    for (int slot = 1; slot < kEffectSoundSlots; ++slot) {
        if (!Looped(slot)) continue;
        const char* name = EffectSoundFile(slot);
        Sound s = Load(host, slot);
        const std::vector<int>& x = s.samples;
        ASSERT_GT(x.size(), 4410u) << name;
        int largest = 0;
        for (std::size_t i = 0; i + 1 < x.size(); ++i) largest = std::max(largest, std::abs(x[i + 1] - x[i]));
        EXPECT_LE(std::abs(x.front() - x.back()), largest) << name << ": the step from end to start is a click";
        std::size_t w = kRate / 20;
        double head = Rms(x, 0, w), tail = Rms(x, x.size() - w, w), quiet = s.peak / 100.0;
        if (head > quiet || tail > quiet) {
            EXPECT_LT(head / tail, 2.0) << name;
            EXPECT_LT(tail / head, 2.0) << name;
        }
    }
}

TEST(SoundPack, OneShotsBeginAndEndInSilence) {
    TestHost host;
    for (int slot = 1; slot < kEffectSoundSlots; ++slot) {
        if (Looped(slot)) continue;
        const char* name = EffectSoundFile(slot);
        Sound s = Load(host, slot);
        const std::vector<int>& x = s.samples;
        ASSERT_GT(x.size(), 1000u) << name;
        EXPECT_LE(std::abs(x.front()), 16) << name;
        EXPECT_LE(std::abs(x.back()), 16) << name;
        int first = 0;
        for (std::size_t i = 0; i < kRate / 1000; ++i) first = std::max(first, std::abs(x[i]));
        EXPECT_LT(first, s.peak / 2) << name << ": rises over more than a millisecond";
        EXPECT_LT(Rms(x, x.size() - kRate / 100, kRate / 100), s.peak / 50.0) << name << ": has died away";
    }
}

TEST(SoundPack, StrongerWindIsLouderAndGustier) {
    TestHost host;
    Sound light = Load(host, WIND_4_9), strong = Load(host, WIND_10_X);
    EXPECT_GT(Rms(strong.samples, 0, strong.samples.size()), 1.1 * Rms(light.samples, 0, light.samples.size()));
    EXPECT_GT(Swing(strong.samples), 2.0 * Swing(light.samples));
}

TEST(SoundPack, TheBankLoadsEveryShippedFile) {
    TestHost host;
    for (int slot = 1; slot < kEffectSoundSlots; ++slot) {
        host.WriteFile(DrivePath(slot), ReadSource(std::string("package/Sound/") + EffectSoundFile(slot)));
    }
    hostsim::LoadModule();
    ServiceEffectSounds();
    for (int slot = 1; slot < kEffectSoundSlots; ++slot) {
        EXPECT_EQ(g_main.EffectSounds.slots[slot].loaded, 1) << EffectSoundFile(slot);
    }
    hostsim::UnloadModule();
}

TEST(SoundPack, InstallTextSaysWhereTheSoundsGo) {
    std::string text = ReadSource("package/Skyvane2004-Install.txt");
    EXPECT_NE(text.find("Skyvane\\Sound"), std::string::npos);
}

}  // namespace
