// sound_manager.h - a small DirectSound 8 layer: SoundManager owns the
// device and makes sounds, SoundClip is one loaded sound in one or more
// buffers filled from its WaveFile. Every operation answers an HRESULT
// (negative = failure); nothing is shown or logged.
#pragma once

#include <cstdint>

#include "platform/platform_sound.h"
#include "sound/wave_file.h"

class SoundClip;

class SoundManager {
public:
    SoundManager();
    ~SoundManager();
    SoundManager(const SoundManager&) = delete;
    SoundManager& operator=(const SoundManager&) = delete;

    // A new device on the default output (any previous one released), the
    // cooperative level for the window, then the primary buffer's format.
    SoundResult Initialize(PlatWindow window, std::uint32_t level, std::uint32_t channels,
                           std::uint32_t samplesPerSec, std::uint32_t bitsPerSample);
    // PCM with the given layout on the primary buffer.
    SoundResult SetPrimaryBufferFormat(std::uint32_t channels, std::uint32_t samplesPerSec,
                                       std::uint32_t bitsPerSample);
    // The 3D listener of the primary buffer into *listener (the caller's to release).
    SoundResult Get3DListener(PlatSoundListener* listener);
    // A clip of `count` buffers holding the WAV file. kSoundNoVirtualization
    // (a success) when the device lacks the 3D algorithm asked for.
    SoundResult Create(SoundClip** clip, const char* fileName, std::uint32_t creationFlags,
                       const PlatGuid& algorithm3D, std::uint32_t count);

    PlatSoundDevice Device() const { return m_device; }

private:
    PlatSoundDevice m_device;  // null until initialised
};

class SoundClip {
public:
    // Takes ownership of the buffer array (new[]), its buffers and the
    // reader; fills buffer 0 from the file and rewinds every buffer.
    SoundClip(PlatSoundBuffer* buffers, std::uint32_t bufferSize, std::uint32_t count, WaveFile* wave);
    ~SoundClip();
    SoundClip(const SoundClip&) = delete;
    SoundClip& operator=(const SoundClip&) = delete;

    // A free buffer (else a random one) plays; kSoundPlayLooping loops it.
    // A buffer that is playing already goes on where it is.
    SoundResult Play(std::uint32_t priority, std::uint32_t flags);
    // Every buffer; the results OR-ed together.
    SoundResult Stop();
    SoundResult Reset();
    SoundResult Get3DBuffer(std::uint32_t index, PlatSound3DBuffer* buffer3D);

    // The whole buffer from the file; a short file leaves silence after the
    // sound, or the sound again from its start when `repeat` is set.
    SoundResult FillBuffer(PlatSoundBuffer buffer, bool repeat);
    // Restore a lost buffer; *restored (may be null) tells whether it was lost.
    SoundResult RestoreBuffer(PlatSoundBuffer buffer, bool* restored);
    PlatSoundBuffer BufferAt(std::uint32_t index) const { return index < m_count ? m_buffers[index] : nullptr; }
    std::uint32_t BufferCount() const { return m_count; }

private:
    bool HasBuffers() const { return m_buffers && m_count; }
    PlatSoundBuffer ChooseBuffer();

    PlatSoundBuffer* m_buffers;  // m_count entries
    std::uint32_t m_bufferSize;  // bytes: the WAV data size
    WaveFile* m_wave;            // kept open for refills
    std::uint32_t m_count;
};
