// wave_file_fuzz.cpp - libFuzzer harness for the WAV reader: each input is
// a WAV file served from memory by the substitute host, as a file or (by
// the input's length) as a resource of the executable, opened and read
// through WaveFile in pieces, then made into a sound on the simulated
// device and played. Seeds: fuzz/corpus/wave_file/.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "hostsim/hostsim.h"
#include "hostsim/sim_sound.h"
#include "sound/sound_manager.h"
#include "sound/wave_file.h"

static const char* const kPath = "C:\\FS9\\Skyvane\\Sound\\Fuzz.wav";

static PlatWindow Start() {
    hostsim::Reset("/nonexistent-skyvane-fuzz");
    return hostsim::CreateWindow("main", "FS98MAIN", 0);
}

static void ReadThrough(std::size_t piece) {
    WaveFile wave;
    if (SoundFailed(wave.Open(kPath, nullptr, kWaveFileRead))) return;
    std::vector<std::uint8_t> buf(piece);
    std::uint64_t total = 0;
    for (int reads = 0; reads < 100000; ++reads) {
        std::uint32_t got = 0;
        if (SoundFailed(wave.Read(buf.data(), std::uint32_t(piece), &got)) || got == 0) break;
        total += got;
    }
    if (total > wave.GetSize()) __builtin_trap();  // handed out more than the data chunk holds
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static PlatWindow window = Start();
    hostsim::ResetSound();
    hostsim::Sound().memoryLimit = 1u << 20;
    std::vector<std::uint8_t> file(data, data + size);
    if (size % 2) {
        hostsim::AddSoundResource(kPath, "WAVE", file);
    } else {
        hostsim::PutSoundMemoryFile(kPath, file);
    }
    ReadThrough(1 + size % 4099);

    SoundManager manager;
    if (SoundFailed(manager.Initialize(window, kSoundPriorityLevel, 2, 22050, 8))) return 0;
    SoundClip* clip = nullptr;
    std::uint32_t flags = size % 3 ? kSoundCaps3D : 0;
    if (!SoundFailed(manager.Create(&clip, kPath, flags, kGuidNull, 1 + std::uint32_t(size % 3)))) {
        clip->Play(0, 0);
        clip->FillBuffer(clip->BufferAt(0), true);
        delete clip;
    }
    return 0;
}
