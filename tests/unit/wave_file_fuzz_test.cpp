// wave_file_fuzz_test.cpp - thousands of damaged WAV files, made from a few
// good ones by seeded mutation (bytes flipped, chunk sizes replaced by
// lying ones, files cut, bytes inserted and removed), read as files and as
// resources through WaveFile and made into sounds on the simulated device.
// Under ASan/UBSan nothing may be read or written out of bounds; a reader
// never hands out more bytes than the file holds or its data chunk claims.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "hostsim/sim_sound.h"
#include "sound/sound_manager.h"
#include "sound/wave_file.h"
#include "test_host.h"
#include "wav_builder.h"

namespace {

const char* const kPath = "C:\\FS9\\Fuzz.wav";

// xorshift32: the same files on every run.
struct Random {
    std::uint32_t state;
    std::uint32_t Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    std::uint32_t Below(std::uint32_t n) { return n ? Next() % n : 0; }
};

std::vector<Bytes> Seeds() {
    std::vector<Bytes> seeds;
    seeds.push_back(PcmWav(Ramp(1000)));
    seeds.push_back(PcmWav(Ramp(333), 1, 8));
    seeds.push_back(PcmWav(Ramp(9000), 2, 16));  // across mmio's buffer
    Bytes fmt = FormatBody(2, 1, 22050, 4);
    Put16(&fmt, 6);
    Append(&fmt, Bytes{1, 2, 3, 4, 5, 6});
    Bytes chunks = Chunk("junk", Bytes(5, 9));
    Append(&chunks, Chunk("fmt ", fmt));
    Append(&chunks, Chunk("LIST", Bytes(3, 7)));
    Append(&chunks, Chunk("data", Ramp(77)));
    seeds.push_back(Riff(chunks));
    return seeds;
}

void Overwrite32(Bytes* b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4 && at + i < b->size(); ++i) (*b)[at + i] = std::uint8_t(v >> (8 * i));
}

Bytes Mutate(Bytes b, Random& r) {
    static const std::uint32_t kSizes[] = {0, 1, 2, 15, 16, 17, 18, 0x7FFF, 0xFFFF, 0x10000, 0x0FFFFFFF,
                                           0x7FFFFFFF, 0x80000000, 0xFFFFFFFE, 0xFFFFFFFF};
    int steps = 1 + int(r.Below(4));
    for (int i = 0; i < steps && !b.empty(); ++i) {
        std::size_t at = r.Below(std::uint32_t(b.size()));
        switch (r.Below(6)) {
        case 0: b[at] ^= std::uint8_t(1 + r.Below(255)); break;
        case 1: Overwrite32(&b, at & ~std::size_t(3), kSizes[r.Below(15)]); break;
        case 2: Overwrite32(&b, 4 + 8 * r.Below(8), kSizes[r.Below(15)]); break;  // near chunk sizes
        case 3: b.resize(at); break;
        case 4: b.insert(b.begin() + std::ptrdiff_t(at), r.Below(9), std::uint8_t(r.Next())); break;
        default: {
            std::size_t end = std::min(b.size(), at + r.Below(9));
            b.erase(b.begin() + std::ptrdiff_t(at), b.begin() + std::ptrdiff_t(end));
            break;
        }
        }
    }
    return b;
}

// Open, then read everything in pieces of varying size.
void ReadThrough(const Bytes& file, Random& r) {
    WaveFile wave;
    if (SoundFailed(wave.Open(kPath, nullptr, kWaveFileRead))) {
        EXPECT_EQ(wave.GetFormat(), nullptr);
        return;
    }
    ASSERT_NE(wave.GetFormat(), nullptr);
    std::uint64_t total = 0;
    std::uint8_t buf[5000];
    for (int reads = 0; reads < 10000; ++reads) {
        std::uint32_t got = 0;
        ASSERT_EQ(wave.Read(buf, 1 + r.Below(sizeof buf), &got), kSoundOk);
        if (got == 0) break;
        total += got;
    }
    EXPECT_LE(total, wave.GetSize());
    EXPECT_LE(total, file.size());
}

TEST(WaveFileFuzz, DamagedFilesNeverReadOutOfBounds) {
    TestHost host;
    hostsim::Sound().memoryLimit = 1u << 20;  // sounds larger than this fail as out of memory
    SoundManager manager;
    ASSERT_EQ(manager.Initialize(host.main, 2, 2, 22050, 8), kSoundOk);
    Random r{0x5EED1234u};
    std::vector<Bytes> seeds = Seeds();
    int opened = 0, made = 0;
    for (int i = 0; i < 6000; ++i) {
        Bytes file = Mutate(seeds[std::size_t(i) % seeds.size()], r);
        hostsim::Sound().resources.clear();
        hostsim::Sound().memoryFiles.clear();
        if (i % 3 == 0) {
            hostsim::AddSoundResource(kPath, "WAVE", file);  // read as a memory file
        } else {
            hostsim::PutSoundMemoryFile(kPath, file);
        }
        ReadThrough(file, r);
        WaveFile probe;
        opened += !SoundFailed(probe.Open(kPath, nullptr, kWaveFileRead));

        SoundClip* clip = nullptr;
        std::uint32_t flags = i % 2 ? kSoundCaps3D : 0;  // 3D buffers take mono files only
        SoundResult result = manager.Create(&clip, kPath, flags, kGuidNull, 1 + r.Below(3));
        EXPECT_EQ(SoundFailed(result), clip == nullptr) << i;
        if (clip) {
            made++;
            EXPECT_FALSE(SoundFailed(clip->Play(0, 0)));
            delete clip;
        }
        hostsim::TakeSoundCalls({});
        ASSERT_FALSE(::testing::Test::HasFatalFailure()) << "file " << i;
    }
    // The mutations leave enough files whole to reach every stage.
    EXPECT_GT(opened, 600);
    EXPECT_GT(made, 300);
}

}  // namespace
