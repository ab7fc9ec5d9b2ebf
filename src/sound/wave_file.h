// wave_file.h - a reader of RIFF WAVE files through the multimedia file
// functions: the format, the size of the sample data, and the samples.
// Files come from outside: every chunk size is checked against what the
// reader asks for, and nothing is read past what mmio hands out.
#pragma once

#include <cstdint>

#include "platform/platform_sound.h"

inline constexpr std::uint32_t kWaveFileRead = 1;  // the one open mode

class WaveFile {
public:
    WaveFile();
    ~WaveFile();
    WaveFile(const WaveFile&) = delete;
    WaveFile& operator=(const WaveFile&) = delete;

    // Read mode only: the file by name, else an executable resource of that
    // name (type "WAVE", then "WAV") read from a copy in memory. Any mmio
    // failure gives kSoundFail with the file closed.
    SoundResult Open(const char* name, const WaveFormatEx* format, std::uint32_t mode);
    SoundResult Close();
    // To the start of the "data" chunk.
    SoundResult ResetFile();
    // Up to `size` bytes of samples from the current position; the count
    // copied goes to *bytesRead (fewer at the end of the data or the file).
    SoundResult Read(std::uint8_t* destination, std::uint32_t size, std::uint32_t* bytesRead);

    std::uint32_t GetSize() const { return m_dataSize; }
    // Null until a file was opened; cbSize extra bytes follow a non-PCM format.
    WaveFormatEx* GetFormat() const { return m_format; }

private:
    SoundResult OpenResource(const char* name);
    SoundResult ReadFormat();
    void Discard();

    WaveFormatEx* m_format;   // allocated: 18 bytes + cbSize
    PlatMmio m_mmio;
    MmioChunk m_chunk;        // "fmt ", then "data"; its size counts down the bytes not read yet
    MmioChunk m_riff;         // the RIFF chunk
    MmioInfo m_info;          // the mmio buffer while reading
    std::uint32_t m_dataSize; // bytes in the "data" chunk
    std::uint32_t m_mode;
    int m_fromMemory;         // read from a resource copy
    std::uint8_t* m_memory;   // that copy; mmio reads from it
};
