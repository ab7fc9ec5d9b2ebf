// wave_file.cpp - RIFF WAVE reading through mmio. The chunk walk is mmio's;
// this file checks what it finds (RIFF of form WAVE, a "fmt " of at least
// 16 bytes, a "data" chunk) and never copies more than mmio hands out.
#include "sound/wave_file.h"

#include <cstring>
#include <new>

WaveFile::WaveFile()
    : m_format(nullptr), m_mmio(nullptr), m_chunk{}, m_riff{}, m_info{}, m_dataSize(0), m_mode(kWaveFileRead),
      m_fromMemory(0), m_memory(nullptr) {}

WaveFile::~WaveFile() {
    Close();
    delete[] reinterpret_cast<std::uint8_t*>(m_format);
}

static void FreeFormat(WaveFormatEx** format) {
    delete[] reinterpret_cast<std::uint8_t*>(*format);
    *format = nullptr;
}

// A failed open leaves neither a handle nor a format.
void WaveFile::Discard() {
    Close();
    FreeFormat(&m_format);
    m_dataSize = 0;
}

// [SECTION] Opening

SoundResult WaveFile::Open(const char* name, const WaveFormatEx*, std::uint32_t mode) {
    Close();
    FreeFormat(&m_format);
    m_dataSize = 0;
    m_mode = mode;
    if (!name || mode != kWaveFileRead) return kSoundInvalidArg;

    m_mmio = PlatMmioOpen(name, nullptr, kMmioAllocBuffer | kMmioRead);
    if (!m_mmio) {
        SoundResult result = OpenResource(name);
        if (SoundFailed(result)) {
            Close();
            return result;
        }
    }
    SoundResult result = ReadFormat();
    if (!SoundFailed(result)) result = ResetFile();
    if (SoundFailed(result)) {
        Discard();
        return result == kSoundOutOfMemory ? result : kSoundFail;
    }
    m_dataSize = m_chunk.size;
    return kSoundOk;
}

// The executable's resource of that name, copied so that the copy can be
// read as a memory file for as long as the reader lives.
SoundResult WaveFile::OpenResource(const char* name) {
    std::uint32_t size = 0;
    const void* bytes = PlatExeResource(name, "WAVE", &size);
    if (!bytes) bytes = PlatExeResource(name, "WAV", &size);
    if (!bytes || size > 0x7FFFFFFFu) return kSoundFail;
    m_memory = new (std::nothrow) std::uint8_t[size ? size : 1];
    if (!m_memory) return kSoundOutOfMemory;
    std::memcpy(m_memory, bytes, size);
    m_fromMemory = 1;

    MmioInfo info{};
    info.ioProc = kFourCCMemory;
    info.bufferSize = std::int32_t(size);
    info.buffer = reinterpret_cast<char*>(m_memory);
    m_mmio = PlatMmioOpen(nullptr, &info, kMmioRead);
    return m_mmio ? kSoundOk : kSoundFail;
}

static std::uint16_t Le16(const std::uint8_t* p) {
    return std::uint16_t(p[0] | p[1] << 8);
}

// RIFF/WAVE first, then "fmt " inside it: 16 bytes of PCM format, and for
// any other format tag the extra bytes its cbSize announces.
SoundResult WaveFile::ReadFormat() {
    if (PlatMmioDescend(m_mmio, &m_riff, nullptr, 0) != kMmioOk) return kSoundFail;
    if (m_riff.id != kFourCCRiff || m_riff.formType != kFourCCWave) return kSoundFail;

    m_chunk = MmioChunk{};
    m_chunk.id = kFourCCFormat;
    if (PlatMmioDescend(m_mmio, &m_chunk, &m_riff, kMmioFindChunk) != kMmioOk) return kSoundFail;
    if (m_chunk.size < kPcmWaveFormatSize) return kSoundFail;

    std::uint8_t pcm[kPcmWaveFormatSize];
    if (PlatMmioRead(m_mmio, pcm, sizeof pcm) != std::int32_t(sizeof pcm)) return kSoundFail;
    std::uint16_t extra = 0;
    if (Le16(pcm) != kWaveFormatPcm) {
        std::uint8_t count[2];
        if (PlatMmioRead(m_mmio, count, sizeof count) != std::int32_t(sizeof count)) return kSoundFail;
        extra = Le16(count);
    }
    std::uint8_t* block = new (std::nothrow) std::uint8_t[sizeof(WaveFormatEx) + extra];
    if (!block) return kSoundOutOfMemory;
    m_format = reinterpret_cast<WaveFormatEx*>(block);
    std::memcpy(block, pcm, sizeof pcm);
    m_format->cbSize = extra;
    if (extra && PlatMmioRead(m_mmio, block + sizeof(WaveFormatEx), extra) != std::int32_t(extra)) {
        return kSoundFail;
    }
    if (PlatMmioAscend(m_mmio, &m_chunk, 0) != kMmioOk) return kSoundFail;
    return kSoundOk;
}

SoundResult WaveFile::Close() {
    if (m_mmio) PlatMmioClose(m_mmio);
    m_mmio = nullptr;
    delete[] m_memory;
    m_memory = nullptr;
    m_fromMemory = 0;
    return kSoundOk;
}

// [SECTION] Reading

// Just past the RIFF form type, then down into "data".
SoundResult WaveFile::ResetFile() {
    if (!m_mmio) return kSoundNotInitialized;
    if (PlatMmioSeek(m_mmio, std::int32_t(m_riff.dataOffset + 4), kMmioSeekSet) == -1) return kSoundFail;
    m_chunk = MmioChunk{};
    m_chunk.id = kFourCCData;
    if (PlatMmioDescend(m_mmio, &m_chunk, &m_riff, kMmioFindChunk) != kMmioOk) return kSoundFail;
    return kSoundOk;
}

// Straight out of mmio's buffer, advancing it when it is used up. A file
// that ends before its "data" chunk says it does gives what it holds.
SoundResult WaveFile::Read(std::uint8_t* destination, std::uint32_t size, std::uint32_t* bytesRead) {
    if (bytesRead) *bytesRead = 0;
    if (!m_mmio) return kSoundNotInitialized;
    if (!destination || !bytesRead) return kSoundInvalidArg;
    if (PlatMmioGetInfo(m_mmio, &m_info) != kMmioOk) return kSoundFail;

    std::uint32_t wanted = size < m_chunk.size ? size : m_chunk.size;
    std::uint32_t done = 0;
    while (done < wanted) {
        if (m_info.next == m_info.endRead) {
            if (PlatMmioAdvance(m_mmio, &m_info, kMmioRead) != kMmioOk) break;
        }
        std::ptrdiff_t available = m_info.endRead - m_info.next;
        if (available <= 0) break;
        std::uint32_t n = wanted - done;
        if (std::ptrdiff_t(n) > available) n = std::uint32_t(available);
        std::memcpy(destination + done, m_info.next, n);
        m_info.next += n;
        done += n;
    }
    m_chunk.size -= done;
    *bytesRead = done;
    if (PlatMmioSetInfo(m_mmio, &m_info) != kMmioOk) return kSoundFail;
    return kSoundOk;
}
