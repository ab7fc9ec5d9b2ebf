// sound_win32.cpp - the sound part of the platform seam on the real
// DirectSound 8 and the multimedia file functions. dsound.dll is loaded at
// the first device creation, which happens at the first effect-sound
// service call and never inside the loader lock: the module imports only
// system DLLs it always needs, and it loads and runs silently where
// DirectSound is missing. The seam's records have the SDK's layouts
// (checked below), so they are handed over as they are.
#include <windows.h>
#include <mmsystem.h>
#include <initguid.h>  // the interface ids below are defined in this file
#include <dsound.h>

#include <cstddef>
#include <cstring>

#include "platform/platform_sound.h"

static_assert(sizeof(WaveFormatEx) == sizeof(WAVEFORMATEX), "WAVEFORMATEX");
static_assert(offsetof(WaveFormatEx, cbSize) == offsetof(WAVEFORMATEX, cbSize), "WAVEFORMATEX");
static_assert(sizeof(PlatGuid) == sizeof(GUID), "GUID");
static_assert(sizeof(Sound3DParams) == sizeof(DS3DBUFFER), "DS3DBUFFER");
static_assert(offsetof(Sound3DParams, minDistance) == offsetof(DS3DBUFFER, flMinDistance), "DS3DBUFFER");
static_assert(offsetof(Sound3DParams, mode) == offsetof(DS3DBUFFER, dwMode), "DS3DBUFFER");
static_assert(sizeof(MmioChunk) == sizeof(MMCKINFO), "MMCKINFO");
static_assert(sizeof(MmioInfo) == sizeof(MMIOINFO), "MMIOINFO");
static_assert(offsetof(MmioInfo, next) == offsetof(MMIOINFO, pchNext), "MMIOINFO");
static_assert(offsetof(MmioInfo, endRead) == offsetof(MMIOINFO, pchEndRead), "MMIOINFO");
static_assert(offsetof(MmioInfo, diskOffset) == offsetof(MMIOINFO, lDiskOffset), "MMIOINFO");
static_assert(offsetof(MmioInfo, handle) == offsetof(MMIOINFO, hmmio), "MMIOINFO");
static_assert(sizeof(void*) != 4 || sizeof(DSBUFFERDESC) == kSoundBufferDescSize, "DSBUFFERDESC");

using DirectSoundCreate8Fn = HRESULT(WINAPI*)(LPCGUID, LPDIRECTSOUND8*, LPUNKNOWN);

static HMODULE s_library;

template <typename Interface, typename Handle>
static Interface* As(Handle handle) {
    return reinterpret_cast<Interface*>(handle);
}

// [SECTION] Device

SoundResult PlatSoundCreate(PlatSoundDevice* device) {
    *device = nullptr;
    if (!s_library) s_library = LoadLibraryA("dsound.dll");
    if (!s_library) return SoundResult(DSERR_NODRIVER);
    auto create = reinterpret_cast<DirectSoundCreate8Fn>(
        reinterpret_cast<void (*)()>(GetProcAddress(s_library, "DirectSoundCreate8")));
    if (!create) return SoundResult(DSERR_NODRIVER);
    IDirectSound8* created = nullptr;
    HRESULT result = create(nullptr, &created, nullptr);
    if (SUCCEEDED(result)) *device = reinterpret_cast<PlatSoundDevice>(created);
    return SoundResult(result);
}

SoundResult PlatSoundSetCooperativeLevel(PlatSoundDevice device, PlatWindow window, std::uint32_t level) {
    return SoundResult(As<IDirectSound8>(device)->SetCooperativeLevel(reinterpret_cast<HWND>(window), level));
}

void PlatSoundRelease(PlatSoundDevice device) {
    As<IDirectSound8>(device)->Release();
}

// The 64-bit test build's description is larger than the shipped 32-bit
// one; each build gives DirectSound the size it expects.
SoundResult PlatSoundCreateBuffer(PlatSoundDevice device, const SoundBufferDesc* desc, PlatSoundBuffer* buffer) {
    DSBUFFERDESC d{};
    d.dwSize = sizeof d;
    d.dwFlags = desc->flags;
    d.dwBufferBytes = desc->bufferBytes;
    d.lpwfxFormat = reinterpret_cast<WAVEFORMATEX*>(const_cast<WaveFormatEx*>(desc->format));
    std::memcpy(&d.guid3DAlgorithm, &desc->algorithm, sizeof d.guid3DAlgorithm);
    IDirectSoundBuffer* created = nullptr;
    HRESULT result = As<IDirectSound8>(device)->CreateSoundBuffer(&d, &created, nullptr);
    *buffer = reinterpret_cast<PlatSoundBuffer>(created);
    return SoundResult(result);
}

SoundResult PlatSoundDuplicateBuffer(PlatSoundDevice device, PlatSoundBuffer original, PlatSoundBuffer* copy) {
    IDirectSoundBuffer* created = nullptr;
    HRESULT result = As<IDirectSound8>(device)->DuplicateSoundBuffer(As<IDirectSoundBuffer>(original), &created);
    *copy = reinterpret_cast<PlatSoundBuffer>(created);
    return SoundResult(result);
}

// [SECTION] Buffers

SoundResult PlatSoundBufferSetFormat(PlatSoundBuffer buffer, const WaveFormatEx* format) {
    return SoundResult(
        As<IDirectSoundBuffer>(buffer)->SetFormat(reinterpret_cast<const WAVEFORMATEX*>(format)));
}

SoundResult PlatSoundBufferListener(PlatSoundBuffer buffer, PlatSoundListener* listener) {
    void* found = nullptr;
    HRESULT result = As<IDirectSoundBuffer>(buffer)->QueryInterface(IID_IDirectSound3DListener, &found);
    *listener = SUCCEEDED(result) ? static_cast<PlatSoundListener>(found) : nullptr;
    return SoundResult(result);
}

SoundResult PlatSoundBuffer3D(PlatSoundBuffer buffer, PlatSound3DBuffer* buffer3D) {
    void* found = nullptr;
    HRESULT result = As<IDirectSoundBuffer>(buffer)->QueryInterface(IID_IDirectSound3DBuffer, &found);
    *buffer3D = SUCCEEDED(result) ? static_cast<PlatSound3DBuffer>(found) : nullptr;
    return SoundResult(result);
}

SoundResult PlatSoundBufferStatus(PlatSoundBuffer buffer, std::uint32_t* status) {
    DWORD value = 0;
    HRESULT result = As<IDirectSoundBuffer>(buffer)->GetStatus(&value);
    *status = SUCCEEDED(result) ? value : 0;
    return SoundResult(result);
}

SoundResult PlatSoundBufferRestore(PlatSoundBuffer buffer) {
    return SoundResult(As<IDirectSoundBuffer>(buffer)->Restore());
}

SoundResult PlatSoundBufferLock(PlatSoundBuffer buffer, std::uint32_t offset, std::uint32_t bytes, void** part1,
                                std::uint32_t* bytes1, void** part2, std::uint32_t* bytes2, std::uint32_t flags) {
    DWORD size1 = 0, size2 = 0;
    HRESULT result = As<IDirectSoundBuffer>(buffer)->Lock(offset, bytes, part1, &size1, part2,
                                                          part2 ? &size2 : nullptr, flags);
    *bytes1 = size1;
    if (bytes2) *bytes2 = size2;
    return SoundResult(result);
}

SoundResult PlatSoundBufferUnlock(PlatSoundBuffer buffer, void* part1, std::uint32_t bytes1, void* part2,
                                  std::uint32_t bytes2) {
    return SoundResult(As<IDirectSoundBuffer>(buffer)->Unlock(part1, bytes1, part2, bytes2));
}

SoundResult PlatSoundBufferPlay(PlatSoundBuffer buffer, std::uint32_t priority, std::uint32_t flags) {
    return SoundResult(As<IDirectSoundBuffer>(buffer)->Play(0, priority, flags));
}

SoundResult PlatSoundBufferStop(PlatSoundBuffer buffer) {
    return SoundResult(As<IDirectSoundBuffer>(buffer)->Stop());
}

SoundResult PlatSoundBufferSetPosition(PlatSoundBuffer buffer, std::uint32_t position) {
    return SoundResult(As<IDirectSoundBuffer>(buffer)->SetCurrentPosition(position));
}

void PlatSoundBufferRelease(PlatSoundBuffer buffer) {
    As<IDirectSoundBuffer>(buffer)->Release();
}

// [SECTION] 3D buffers and the listener

SoundResult PlatSound3DGetParams(PlatSound3DBuffer buffer3D, Sound3DParams* params) {
    return SoundResult(As<IDirectSound3DBuffer>(buffer3D)->GetAllParameters(reinterpret_cast<DS3DBUFFER*>(params)));
}

SoundResult PlatSound3DSetParams(PlatSound3DBuffer buffer3D, const Sound3DParams* params, std::uint32_t apply) {
    return SoundResult(
        As<IDirectSound3DBuffer>(buffer3D)->SetAllParameters(reinterpret_cast<const DS3DBUFFER*>(params), apply));
}

void PlatSound3DRelease(PlatSound3DBuffer buffer3D) {
    As<IDirectSound3DBuffer>(buffer3D)->Release();
}

SoundResult PlatSoundListenerCommit(PlatSoundListener listener) {
    return SoundResult(As<IDirectSound3DListener>(listener)->CommitDeferredSettings());
}

void PlatSoundListenerRelease(PlatSoundListener listener) {
    As<IDirectSound3DListener>(listener)->Release();
}

void PlatSleep(std::uint32_t ms) {
    Sleep(ms);
}

// [SECTION] Multimedia file functions

static HMMIO Mmio(PlatMmio mmio) {
    return reinterpret_cast<HMMIO>(mmio);
}

PlatMmio PlatMmioOpen(const char* name, MmioInfo* info, std::uint32_t flags) {
    return reinterpret_cast<PlatMmio>(
        mmioOpenA(const_cast<char*>(name), reinterpret_cast<MMIOINFO*>(info), flags));
}

MmioResult PlatMmioClose(PlatMmio mmio) {
    return mmioClose(Mmio(mmio), 0);
}

std::int32_t PlatMmioRead(PlatMmio mmio, void* destination, std::int32_t bytes) {
    return mmioRead(Mmio(mmio), static_cast<HPSTR>(destination), bytes);
}

std::int32_t PlatMmioSeek(PlatMmio mmio, std::int32_t offset, int origin) {
    return mmioSeek(Mmio(mmio), offset, origin);
}

MmioResult PlatMmioDescend(PlatMmio mmio, MmioChunk* chunk, const MmioChunk* parent, std::uint32_t flags) {
    return mmioDescend(Mmio(mmio), reinterpret_cast<MMCKINFO*>(chunk), reinterpret_cast<const MMCKINFO*>(parent),
                       flags);
}

MmioResult PlatMmioAscend(PlatMmio mmio, MmioChunk* chunk, std::uint32_t flags) {
    return mmioAscend(Mmio(mmio), reinterpret_cast<MMCKINFO*>(chunk), flags);
}

MmioResult PlatMmioGetInfo(PlatMmio mmio, MmioInfo* info) {
    return mmioGetInfo(Mmio(mmio), reinterpret_cast<MMIOINFO*>(info), 0);
}

MmioResult PlatMmioSetInfo(PlatMmio mmio, const MmioInfo* info) {
    return mmioSetInfo(Mmio(mmio), reinterpret_cast<const MMIOINFO*>(info), 0);
}

MmioResult PlatMmioAdvance(PlatMmio mmio, MmioInfo* info, std::uint32_t flags) {
    return mmioAdvance(Mmio(mmio), reinterpret_cast<MMIOINFO*>(info), flags);
}

// [SECTION] Resources of the executable

const void* PlatExeResource(const char* name, const char* type, std::uint32_t* size) {
    *size = 0;
    HMODULE exe = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(exe, name, type);
    HGLOBAL loaded = found ? LoadResource(exe, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (bytes) *size = SizeofResource(exe, found);
    return bytes;
}
