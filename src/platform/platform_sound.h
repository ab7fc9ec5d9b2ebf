// platform_sound.h - the sound part of the platform seam: DirectSound 8 and
// the multimedia file functions (mmio), one plain function per call the
// sound layer makes. The core decides what the results mean; these only
// translate. Implementations: platform/win32/sound_win32.cpp (the real
// APIs, dsound.dll loaded at run time) and platform/sim/sound_sim.cpp (the
// substitute host's simulated device and mmio over byte buffers).
//
// Results are HRESULTs (DirectSound) and MMRESULTs (mmio) with their Windows
// values. The records below have the layouts of the SDK's records, so the
// Windows side can hand them over as they are.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

// ---------------------------------------------------------------------------
// [SECTION] Result codes (HRESULT, negative = failure)
// ---------------------------------------------------------------------------
using SoundResult = std::int32_t;
inline constexpr SoundResult kSoundOk = 0;                                    // DS_OK, S_OK
inline constexpr SoundResult kSoundNoVirtualization = 0x0878000A;             // DS_NO_VIRTUALIZATION (success)
inline constexpr SoundResult kSoundFail = std::int32_t(0x80004005);           // E_FAIL, DSERR_GENERIC
inline constexpr SoundResult kSoundInvalidArg = std::int32_t(0x80070057);     // E_INVALIDARG, DSERR_INVALIDPARAM
inline constexpr SoundResult kSoundOutOfMemory = std::int32_t(0x8007000E);    // E_OUTOFMEMORY
inline constexpr SoundResult kSoundNoInterface = std::int32_t(0x80004002);    // E_NOINTERFACE
inline constexpr SoundResult kSoundNotInitialized = std::int32_t(0x800401F0); // CO_E_NOTINITIALIZED
inline constexpr SoundResult kSoundBufferLost = std::int32_t(0x88780096);     // DSERR_BUFFERLOST
inline constexpr SoundResult kSoundNoDriver = std::int32_t(0x88780078);       // DSERR_NODRIVER
inline constexpr SoundResult kSoundBadFormat = std::int32_t(0x88780064);      // DSERR_BADFORMAT

inline bool SoundFailed(SoundResult result) {
    return result < 0;
}

// ---------------------------------------------------------------------------
// [SECTION] DirectSound flags and values
// ---------------------------------------------------------------------------
inline constexpr std::uint32_t kSoundPriorityLevel = 2;   // DSSCL_PRIORITY
inline constexpr std::uint32_t kSoundCapsPrimary = 0x01;  // DSBCAPS_PRIMARYBUFFER
inline constexpr std::uint32_t kSoundCaps3D = 0x10;       // DSBCAPS_CTRL3D
inline constexpr std::uint32_t kSoundStatusPlaying = 0x01;  // DSBSTATUS_PLAYING
inline constexpr std::uint32_t kSoundStatusLost = 0x02;     // DSBSTATUS_BUFFERLOST
inline constexpr std::uint32_t kSoundStatusLooping = 0x04;  // DSBSTATUS_LOOPING
inline constexpr std::uint32_t kSoundPlayLooping = 0x01;    // DSBPLAY_LOOPING
inline constexpr std::uint32_t kSound3DModeNormal = 0;      // DS3DMODE_NORMAL
inline constexpr std::uint32_t kSound3DImmediate = 0;       // DS3D_IMMEDIATE
inline constexpr std::uint32_t kSound3DDeferred = 1;        // DS3D_DEFERRED
inline constexpr std::uint16_t kWaveFormatPcm = 1;          // WAVE_FORMAT_PCM
// The description size the module gives DirectSound: DSBUFFERDESC of the
// 32-bit SDK. The 64-bit test build hands over its own, larger size.
inline constexpr std::uint32_t kSoundBufferDescSize = 36;
inline constexpr std::uint32_t kSound3DParamsSize = 64;  // DS3DBUFFER

struct PlatGuid {  // GUID
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};

inline bool SameGuid(const PlatGuid& a, const PlatGuid& b) {
    if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3) return false;
    for (int i = 0; i < 8; ++i) {
        if (a.data4[i] != b.data4[i]) return false;
    }
    return true;
}

inline constexpr PlatGuid kGuidNull = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
// DS3DALG_HRTF_FULL {C2413340-1C1B-11D2-94F5-00C04FC28ACA}
inline constexpr PlatGuid kSound3DAlgorithmHrtfFull = {
    0xC2413340, 0x1C1B, 0x11D2, {0x94, 0xF5, 0x00, 0xC0, 0x4F, 0xC2, 0x8A, 0xCA}};

#pragma pack(push, 1)
// WAVEFORMATEX: 18 bytes, then cbSize extra bytes when the format has them.
struct WaveFormatEx {
    std::uint16_t formatTag;       // 1 = PCM
    std::uint16_t channels;
    std::uint32_t samplesPerSec;
    std::uint32_t avgBytesPerSec;
    std::uint16_t blockAlign;      // bytes per sample frame
    std::uint16_t bitsPerSample;
    std::uint16_t cbSize;          // extra bytes after these 18
};
#pragma pack(pop)
static_assert(sizeof(WaveFormatEx) == 18, "WAVEFORMATEX");
inline constexpr std::uint32_t kPcmWaveFormatSize = 16;  // PCMWAVEFORMAT: all but cbSize

struct SoundBufferDesc {  // DSBUFFERDESC
    std::uint32_t size;           // kSoundBufferDescSize
    std::uint32_t flags;          // kSoundCaps...
    std::uint32_t bufferBytes;    // 0 for the primary buffer
    std::uint32_t reserved;
    const WaveFormatEx* format;   // null for the primary buffer
    PlatGuid algorithm;           // 3D algorithm; kGuidNull = the default
};

struct SoundVector {  // D3DVECTOR
    float x, y, z;
};

struct Sound3DParams {  // DS3DBUFFER
    std::uint32_t size;           // kSound3DParamsSize
    SoundVector position;         // distance units (metres by default)
    SoundVector velocity;         // units per second
    std::uint32_t insideConeAngle;   // degrees
    std::uint32_t outsideConeAngle;  // degrees
    SoundVector coneOrientation;
    std::int32_t outsideConeVolume;  // hundredths of a decibel
    float minDistance;
    float maxDistance;
    std::uint32_t mode;           // kSound3DMode...
};
static_assert(sizeof(Sound3DParams) == 64, "DS3DBUFFER");

// ---------------------------------------------------------------------------
// [SECTION] DirectSound 8 objects and calls
// ---------------------------------------------------------------------------
struct PlatSoundDeviceTag;
struct PlatSoundBufferTag;
struct PlatSound3DBufferTag;
struct PlatSoundListenerTag;
using PlatSoundDevice = PlatSoundDeviceTag*;      // IDirectSound8*
using PlatSoundBuffer = PlatSoundBufferTag*;      // IDirectSoundBuffer*
using PlatSound3DBuffer = PlatSound3DBufferTag*;  // IDirectSound3DBuffer*
using PlatSoundListener = PlatSoundListenerTag*;  // IDirectSound3DListener*

// DirectSoundCreate8 on the default playback device.
SoundResult PlatSoundCreate(PlatSoundDevice* device);
SoundResult PlatSoundSetCooperativeLevel(PlatSoundDevice device, PlatWindow window, std::uint32_t level);
void PlatSoundRelease(PlatSoundDevice device);
SoundResult PlatSoundCreateBuffer(PlatSoundDevice device, const SoundBufferDesc* desc, PlatSoundBuffer* buffer);
SoundResult PlatSoundDuplicateBuffer(PlatSoundDevice device, PlatSoundBuffer original, PlatSoundBuffer* copy);

SoundResult PlatSoundBufferSetFormat(PlatSoundBuffer buffer, const WaveFormatEx* format);
// QueryInterface for IDirectSound3DListener (primary buffer) and
// IDirectSound3DBuffer (secondary buffer).
SoundResult PlatSoundBufferListener(PlatSoundBuffer buffer, PlatSoundListener* listener);
SoundResult PlatSoundBuffer3D(PlatSoundBuffer buffer, PlatSound3DBuffer* buffer3D);
SoundResult PlatSoundBufferStatus(PlatSoundBuffer buffer, std::uint32_t* status);
SoundResult PlatSoundBufferRestore(PlatSoundBuffer buffer);
// Lock with the caller's offset and size; the second part is for a range
// that wraps past the end of the buffer (may be null when not wanted).
SoundResult PlatSoundBufferLock(PlatSoundBuffer buffer, std::uint32_t offset, std::uint32_t bytes, void** part1,
                                std::uint32_t* bytes1, void** part2, std::uint32_t* bytes2, std::uint32_t flags);
SoundResult PlatSoundBufferUnlock(PlatSoundBuffer buffer, void* part1, std::uint32_t bytes1, void* part2,
                                  std::uint32_t bytes2);
SoundResult PlatSoundBufferPlay(PlatSoundBuffer buffer, std::uint32_t priority, std::uint32_t flags);
SoundResult PlatSoundBufferStop(PlatSoundBuffer buffer);
SoundResult PlatSoundBufferSetPosition(PlatSoundBuffer buffer, std::uint32_t position);
void PlatSoundBufferRelease(PlatSoundBuffer buffer);

SoundResult PlatSound3DGetParams(PlatSound3DBuffer buffer3D, Sound3DParams* params);
SoundResult PlatSound3DSetParams(PlatSound3DBuffer buffer3D, const Sound3DParams* params, std::uint32_t apply);
void PlatSound3DRelease(PlatSound3DBuffer buffer3D);

SoundResult PlatSoundListenerCommit(PlatSoundListener listener);
void PlatSoundListenerRelease(PlatSoundListener listener);

// Sleep (the substitute host lets its clock run on).
void PlatSleep(std::uint32_t ms);

// ---------------------------------------------------------------------------
// [SECTION] Multimedia file functions (mmio)
// ---------------------------------------------------------------------------
using MmioResult = std::uint32_t;  // MMRESULT: 0 = done
inline constexpr MmioResult kMmioOk = 0;
inline constexpr MmioResult kMmioInvalidHandle = 5;    // MMSYSERR_INVALHANDLE
inline constexpr MmioResult kMmioInvalidParam = 11;    // MMSYSERR_INVALPARAM
inline constexpr MmioResult kMmioCannotOpen = 259;     // MMIOERR_CANNOTOPEN
inline constexpr MmioResult kMmioCannotSeek = 263;     // MMIOERR_CANNOTSEEK
inline constexpr MmioResult kMmioChunkNotFound = 265;  // MMIOERR_CHUNKNOTFOUND
inline constexpr MmioResult kMmioUnbuffered = 266;     // MMIOERR_UNBUFFERED

inline constexpr std::uint32_t kMmioRead = 0x00000000;         // MMIO_READ (open, mmioAdvance)
inline constexpr std::uint32_t kMmioAllocBuffer = 0x00010000;  // MMIO_ALLOCBUF
inline constexpr std::uint32_t kMmioFindChunk = 0x0010;        // MMIO_FINDCHUNK
inline constexpr std::uint32_t kMmioFindRiff = 0x0020;         // MMIO_FINDRIFF
inline constexpr int kMmioSeekSet = 0;                         // SEEK_SET
inline constexpr int kMmioSeekCurrent = 1;                     // SEEK_CUR
inline constexpr int kMmioSeekEnd = 2;                         // SEEK_END

constexpr std::uint32_t FourCC(char a, char b, char c, char d) {
    return std::uint32_t(std::uint8_t(a)) | std::uint32_t(std::uint8_t(b)) << 8 |
           std::uint32_t(std::uint8_t(c)) << 16 | std::uint32_t(std::uint8_t(d)) << 24;
}
inline constexpr std::uint32_t kFourCCRiff = FourCC('R', 'I', 'F', 'F');
inline constexpr std::uint32_t kFourCCWave = FourCC('W', 'A', 'V', 'E');
inline constexpr std::uint32_t kFourCCFormat = FourCC('f', 'm', 't', ' ');
inline constexpr std::uint32_t kFourCCData = FourCC('d', 'a', 't', 'a');
inline constexpr std::uint32_t kFourCCMemory = FourCC('M', 'E', 'M', ' ');  // the memory file procedure

struct PlatMmioTag;
using PlatMmio = PlatMmioTag*;  // HMMIO

// mmsystem.h packs its records to 1 byte, which matters on 64 bits.
#pragma pack(push, 1)
struct MmioChunk {  // MMCKINFO
    std::uint32_t id;          // ckid
    std::uint32_t size;        // cksize: bytes of data, pad byte not counted
    std::uint32_t formType;    // fccType of a RIFF or LIST chunk
    std::uint32_t dataOffset;  // file offset of the data
    std::uint32_t flags;
};

struct MmioInfo {  // MMIOINFO
    std::uint32_t flags;
    std::uint32_t ioProc;      // fccIOProc: kFourCCMemory for a memory file
    void* ioProcFunction;
    std::uint32_t errorReturn;
    void* task;
    std::int32_t bufferSize;   // cchBuffer
    char* buffer;              // pchBuffer
    char* next;                // pchNext: next byte to read
    char* endRead;             // pchEndRead: one past the last valid byte
    char* endWrite;
    std::int32_t bufferOffset;  // lBufOffset: file offset of the buffer's first byte
    std::int32_t diskOffset;    // lDiskOffset
    std::uint32_t info[3];     // adwInfo
    std::uint32_t reserved1;
    std::uint32_t reserved2;
    void* handle;              // hmmio
};
#pragma pack(pop)

// mmioOpen: a file by name, or with info (ioProc kFourCCMemory, buffer and
// bufferSize) a memory file over the caller's bytes. Null on failure.
PlatMmio PlatMmioOpen(const char* name, MmioInfo* info, std::uint32_t flags);
MmioResult PlatMmioClose(PlatMmio mmio);
// Bytes read, 0 at the end of the file, -1 on failure.
std::int32_t PlatMmioRead(PlatMmio mmio, void* destination, std::int32_t bytes);
// The new position, -1 on failure.
std::int32_t PlatMmioSeek(PlatMmio mmio, std::int32_t offset, int origin);
MmioResult PlatMmioDescend(PlatMmio mmio, MmioChunk* chunk, const MmioChunk* parent, std::uint32_t flags);
MmioResult PlatMmioAscend(PlatMmio mmio, MmioChunk* chunk, std::uint32_t flags);
MmioResult PlatMmioGetInfo(PlatMmio mmio, MmioInfo* info);
MmioResult PlatMmioSetInfo(PlatMmio mmio, const MmioInfo* info);
MmioResult PlatMmioAdvance(PlatMmio mmio, MmioInfo* info, std::uint32_t flags);

// A resource of the process's main executable (FindResource, LoadResource,
// LockResource, SizeofResource): its bytes, or null when there is none.
const void* PlatExeResource(const char* name, const char* type, std::uint32_t* size);
