// sound_manager.cpp - the device, its primary buffer and listener, and
// clips of static secondary buffers. The platform seam makes one DirectSound
// call each; which results end an operation, and what a clip does with a
// lost buffer or a short file, is decided here.
#include "sound/sound_manager.h"

#include <cstring>
#include <new>

// A buffer still lost after this many tries (a second of waiting) is given
// up on for now, so that the simulator's thread never hangs on it; the next
// Play tries again.
static constexpr int kRestoreAttempts = 100;
static constexpr std::uint32_t kRestoreWaitMs = 10;

// [SECTION] SoundManager

SoundManager::SoundManager() : m_device(nullptr) {}

SoundManager::~SoundManager() {
    if (m_device) PlatSoundRelease(m_device);
}

SoundResult SoundManager::Initialize(PlatWindow window, std::uint32_t level, std::uint32_t channels,
                                     std::uint32_t samplesPerSec, std::uint32_t bitsPerSample) {
    if (m_device) PlatSoundRelease(m_device);
    m_device = nullptr;
    PlatSoundDevice device = nullptr;
    SoundResult result = PlatSoundCreate(&device);
    if (SoundFailed(result)) return result;
    m_device = device;
    result = PlatSoundSetCooperativeLevel(m_device, window, level);
    if (SoundFailed(result)) return result;
    return SetPrimaryBufferFormat(channels, samplesPerSec, bitsPerSample);
}

static SoundBufferDesc PrimaryBufferDesc(std::uint32_t flags) {
    return SoundBufferDesc{kSoundBufferDescSize, flags, 0, 0, nullptr, kGuidNull};
}

SoundResult SoundManager::SetPrimaryBufferFormat(std::uint32_t channels, std::uint32_t samplesPerSec,
                                                 std::uint32_t bitsPerSample) {
    if (!m_device) return kSoundNotInitialized;
    SoundBufferDesc desc = PrimaryBufferDesc(kSoundCapsPrimary);
    PlatSoundBuffer primary = nullptr;
    SoundResult result = PlatSoundCreateBuffer(m_device, &desc, &primary);
    if (SoundFailed(result)) return result;

    WaveFormatEx format{};
    format.formatTag = kWaveFormatPcm;
    format.channels = std::uint16_t(channels);
    format.samplesPerSec = samplesPerSec;
    format.bitsPerSample = std::uint16_t(bitsPerSample);
    format.blockAlign = std::uint16_t(bitsPerSample / 8 * channels);
    format.avgBytesPerSec = samplesPerSec * format.blockAlign;
    result = PlatSoundBufferSetFormat(primary, &format);
    PlatSoundBufferRelease(primary);
    return SoundFailed(result) ? result : kSoundOk;
}

SoundResult SoundManager::Get3DListener(PlatSoundListener* listener) {
    if (!m_device) return kSoundNotInitialized;
    if (!listener) return kSoundInvalidArg;
    *listener = nullptr;
    SoundBufferDesc desc = PrimaryBufferDesc(kSoundCaps3D | kSoundCapsPrimary);
    PlatSoundBuffer primary = nullptr;
    SoundResult result = PlatSoundCreateBuffer(m_device, &desc, &primary);
    if (SoundFailed(result)) return result;
    result = PlatSoundBufferListener(primary, listener);
    PlatSoundBufferRelease(primary);
    return result;
}

static void ReleaseBuffers(PlatSoundBuffer* buffers, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i) {
        if (buffers[i]) PlatSoundBufferRelease(buffers[i]);
    }
}

SoundResult SoundManager::Create(SoundClip** clip, const char* fileName, std::uint32_t creationFlags,
                                 const PlatGuid& algorithm3D, std::uint32_t count) {
    if (!m_device) return kSoundNotInitialized;
    if (!fileName || !clip || count == 0) return kSoundInvalidArg;
    *clip = nullptr;

    PlatSoundBuffer* buffers = new (std::nothrow) PlatSoundBuffer[count]();
    WaveFile* wave = new (std::nothrow) WaveFile();
    SoundResult result = (buffers && wave) ? kSoundOk : kSoundOutOfMemory;
    if (!SoundFailed(result)) result = wave->Open(fileName, nullptr, kWaveFileRead);
    if (!SoundFailed(result) && wave->GetSize() == 0) result = kSoundFail;

    // The device may answer that it substituted the 3D algorithm: a success
    // the caller hears about.
    SoundResult success = kSoundOk;
    if (!SoundFailed(result)) {
        SoundBufferDesc desc{kSoundBufferDescSize, creationFlags, wave->GetSize(), 0, wave->GetFormat(),
                             algorithm3D};
        result = PlatSoundCreateBuffer(m_device, &desc, &buffers[0]);
        if (result == kSoundNoVirtualization) success = result;
    }
    for (std::uint32_t i = 1; !SoundFailed(result) && i < count; ++i) {
        result = PlatSoundDuplicateBuffer(m_device, buffers[0], &buffers[i]);
    }
    if (!SoundFailed(result)) {
        *clip = new (std::nothrow) SoundClip(buffers, wave->GetSize(), count, wave);
        if (!*clip) result = kSoundOutOfMemory;
    }
    if (SoundFailed(result)) {
        if (buffers) ReleaseBuffers(buffers, count);
        delete[] buffers;
        delete wave;
        return result;
    }
    return success;
}

// [SECTION] SoundClip

SoundClip::SoundClip(PlatSoundBuffer* buffers, std::uint32_t bufferSize, std::uint32_t count, WaveFile* wave)
    : m_buffers(buffers), m_bufferSize(bufferSize), m_wave(wave), m_count(count) {
    if (!HasBuffers() || !m_wave) return;
    FillBuffer(m_buffers[0], false);
    for (std::uint32_t i = 0; i < m_count; ++i) PlatSoundBufferSetPosition(m_buffers[i], 0);
}

SoundClip::~SoundClip() {
    if (m_buffers) ReleaseBuffers(m_buffers, m_count);
    delete[] m_buffers;
    delete m_wave;
}

SoundResult SoundClip::RestoreBuffer(PlatSoundBuffer buffer, bool* restored) {
    if (restored) *restored = false;
    if (!buffer) return kSoundNotInitialized;
    std::uint32_t status = 0;
    SoundResult result = PlatSoundBufferStatus(buffer, &status);
    if (SoundFailed(result)) return result;
    if (!(status & kSoundStatusLost)) return kSoundOk;

    result = PlatSoundBufferRestore(buffer);
    for (int tries = 1; result == kSoundBufferLost && tries < kRestoreAttempts; ++tries) {
        PlatSleep(kRestoreWaitMs);
        result = PlatSoundBufferRestore(buffer);
    }
    if (SoundFailed(result)) return result;
    if (restored) *restored = true;
    return kSoundOk;
}

SoundResult SoundClip::FillBuffer(PlatSoundBuffer buffer, bool repeat) {
    if (!HasBuffers() || !m_wave || !buffer) return kSoundNotInitialized;
    SoundResult result = RestoreBuffer(buffer, nullptr);
    if (SoundFailed(result)) return result;
    void* locked = nullptr;
    std::uint32_t size = 0;
    result = PlatSoundBufferLock(buffer, 0, m_bufferSize, &locked, &size, nullptr, nullptr, 0);
    if (SoundFailed(result)) return result;
    if (!locked) size = 0;

    std::uint8_t* bytes = static_cast<std::uint8_t*>(locked);
    std::uint32_t read = 0;
    result = m_wave->ResetFile();
    if (!SoundFailed(result)) result = m_wave->Read(bytes, size, &read);
    if (!SoundFailed(result) && read < size) {
        if (repeat && read > 0) {
            for (std::uint32_t at = read; at < size;) {
                std::uint32_t n = size - at < read ? size - at : read;
                std::memcpy(bytes + at, bytes, n);
                at += n;
            }
        } else {
            const WaveFormatEx* format = m_wave->GetFormat();
            int silence = (format && format->bitsPerSample == 8) ? 128 : 0;
            std::memset(bytes + read, silence, size - read);
        }
    }
    PlatSoundBufferUnlock(buffer, locked, size, nullptr, 0);
    return result;
}

// The first buffer that is not playing; when all play, any of them.
PlatSoundBuffer SoundClip::ChooseBuffer() {
    for (std::uint32_t i = 0; i < m_count; ++i) {
        std::uint32_t status = 0;
        PlatSoundBufferStatus(m_buffers[i], &status);
        if (!(status & kSoundStatusPlaying)) return m_buffers[i];
    }
    return m_buffers[std::uint32_t(PlatRand()) % m_count];
}

SoundResult SoundClip::Play(std::uint32_t priority, std::uint32_t flags) {
    if (!HasBuffers()) return kSoundNotInitialized;
    PlatSoundBuffer buffer = ChooseBuffer();
    bool restored = false;
    SoundResult result = RestoreBuffer(buffer, &restored);
    if (SoundFailed(result)) return result;
    if (restored) {
        result = FillBuffer(buffer, false);
        if (SoundFailed(result)) return result;
        Reset();
    }
    return PlatSoundBufferPlay(buffer, priority, flags);
}

SoundResult SoundClip::Stop() {
    if (!HasBuffers()) return kSoundNotInitialized;
    SoundResult result = kSoundOk;
    for (std::uint32_t i = 0; i < m_count; ++i) result |= PlatSoundBufferStop(m_buffers[i]);
    return result;
}

SoundResult SoundClip::Reset() {
    if (!HasBuffers()) return kSoundNotInitialized;
    SoundResult result = kSoundOk;
    for (std::uint32_t i = 0; i < m_count; ++i) result |= PlatSoundBufferSetPosition(m_buffers[i], 0);
    return result;
}

SoundResult SoundClip::Get3DBuffer(std::uint32_t index, PlatSound3DBuffer* buffer3D) {
    if (!HasBuffers()) return kSoundNotInitialized;
    if (index >= m_count || !buffer3D) return kSoundInvalidArg;
    *buffer3D = nullptr;
    return PlatSoundBuffer3D(m_buffers[index], buffer3D);
}
