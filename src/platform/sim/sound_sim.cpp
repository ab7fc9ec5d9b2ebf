// sound_sim.cpp - the DirectSound part of the sound seam on the substitute
// host's simulated device (hostsim/sim_sound.h). It answers as DirectSound 8
// does where the module can tell: argument checks, formats a 3D buffer
// accepts, one-shots that stop at their end, lost buffers, deferred 3D
// settings that wait for a commit. Handles are buffer numbers.
#include <cstring>

#include "hostsim/hostsim.h"
#include "hostsim/sim_sound.h"
#include "platform/platform_sound.h"

using hostsim::SimSoundBuffer;
using hostsim::SoundCall;
using hostsim::Sound;

static constexpr SoundResult kInvalidCall = std::int32_t(0x88780032);       // DSERR_INVALIDCALL
static constexpr SoundResult kPriorityNeeded = std::int32_t(0x88780046);    // DSERR_PRIOLEVELNEEDED
static constexpr std::uint32_t kMinBufferBytes = 4;                         // DSBSIZE_MIN
static constexpr std::uint32_t kMaxBufferBytes = 0x0FFFFFFF;                // DSBSIZE_MAX
static constexpr std::uint32_t kDescSize1 = 20;                             // DSBUFFERDESC1
static constexpr std::uint32_t kLockEntireBuffer = 2;                       // DSBLOCK_ENTIREBUFFER

static bool Fails(SoundCall step, SoundResult* result) {
    return hostsim::TakeSoundFailure(step, result);
}

static SoundResult Log(SoundCall call, int object, SoundResult result, std::uint32_t a = 0, std::uint32_t b = 0,
                       std::uint32_t c = 0) {
    hostsim::LogSoundCall(hostsim::SimSoundCall{call, object, a, b, c, 0, 0, 0, result});
    return result;
}

static int Number(const void* handle) {
    return int(reinterpret_cast<std::uintptr_t>(handle));
}

template <typename Handle>
static Handle HandleOf(int number) {
    return reinterpret_cast<Handle>(std::uintptr_t(number));
}

static SimSoundBuffer* Live(const void* handle) {
    SimSoundBuffer* b = hostsim::SoundBufferAt(Number(handle));
    return (b && b->alive) ? b : nullptr;
}

static SimSoundBuffer* LiveSecondary(const void* handle) {
    SimSoundBuffer* b = Live(handle);
    return (b && !b->primary) ? b : nullptr;
}

static Sound3DParams Default3DParams() {
    Sound3DParams p{};
    p.size = kSound3DParamsSize;
    p.insideConeAngle = 360;
    p.outsideConeAngle = 360;
    p.coneOrientation = SoundVector{0.0f, 0.0f, 1.0f};
    p.minDistance = 1.0f;
    p.maxDistance = 1e9f;
    p.mode = kSound3DModeNormal;
    return p;
}

// [SECTION] Device

SoundResult PlatSoundCreate(PlatSoundDevice* device) {
    *device = nullptr;
    SoundResult result = kSoundOk;
    if (!Fails(hostsim::kSoundCallCreate, &result)) {
        Sound().created = true;
        *device = HandleOf<PlatSoundDevice>(1);
    }
    return Log(hostsim::kSoundCallCreate, 0, result);
}

SoundResult PlatSoundSetCooperativeLevel(PlatSoundDevice device, PlatWindow window, std::uint32_t level) {
    SoundResult result = kSoundOk;
    std::uint32_t windowId = std::uint32_t(reinterpret_cast<std::uintptr_t>(window));
    if (Fails(hostsim::kSoundCallCooperative, &result)) {
    } else if (!device || !Sound().created || !hostsim::WindowOf(window) || level < 1 || level > 4) {
        result = kSoundInvalidArg;  // a window of the host is required
    } else {
        Sound().window = window;
        Sound().level = level;
    }
    return Log(hostsim::kSoundCallCooperative, 0, result, windowId, level);
}

void PlatSoundRelease(PlatSoundDevice device) {
    if (!device) return;
    Sound().created = false;
    Log(hostsim::kSoundCallReleaseDevice, 0, kSoundOk);
}

// [SECTION] Creating buffers

// 0 default, 1 no virtualization, 2 HRTF full, 3 HRTF light, 4 unknown.
static std::uint32_t AlgorithmCode(const PlatGuid& g) {
    static const PlatGuid kNone = {0xC241333F, 0x1C1B, 0x11D2, {0x94, 0xF5, 0x00, 0xC0, 0x4F, 0xC2, 0x8A, 0xCA}};
    static const PlatGuid kLight = {0xC2413342, 0x1C1B, 0x11D2, {0x94, 0xF5, 0x00, 0xC0, 0x4F, 0xC2, 0x8A, 0xCA}};
    if (SameGuid(g, kGuidNull)) return 0;
    if (SameGuid(g, kNone)) return 1;
    if (SameGuid(g, kSound3DAlgorithmHrtfFull)) return 2;
    if (SameGuid(g, kLight)) return 3;
    return 4;
}

static bool PcmLayoutOk(const WaveFormatEx& f) {
    return f.channels >= 1 && f.channels <= 2 && (f.bitsPerSample == 8 || f.bitsPerSample == 16) &&
           f.samplesPerSec >= 100 && f.samplesPerSec <= 200000 &&
           f.blockAlign == f.channels * f.bitsPerSample / 8 && f.avgBytesPerSec != 0;
}

static SoundResult CheckSecondary(const SoundBufferDesc& d, std::uint32_t algorithm) {
    if (!d.format) return kSoundInvalidArg;
    if (d.format->formatTag != kWaveFormatPcm) return kSoundBadFormat;
    if (!PcmLayoutOk(*d.format)) return kSoundInvalidArg;
    if (d.bufferBytes < kMinBufferBytes || d.bufferBytes > kMaxBufferBytes) return kSoundInvalidArg;
    bool want3D = d.flags & kSoundCaps3D;
    if (want3D && d.format->channels != 1) return kSoundInvalidArg;  // 3D buffers are mono
    if (!want3D && algorithm != 0) return kSoundInvalidArg;
    if (algorithm == 4) return kSoundInvalidArg;
    if (d.bufferBytes > Sound().memoryLimit - Sound().memoryUsed) return kSoundOutOfMemory;
    return kSoundOk;
}

static int AddBuffer(const SimSoundBuffer& b) {
    Sound().buffers.push_back(b);
    return int(Sound().buffers.size());
}

static SimSoundBuffer NewBuffer(bool primary, std::uint32_t flags) {
    SimSoundBuffer b{};
    b.alive = true;
    b.primary = primary;
    b.ctrl3D = flags & kSoundCaps3D;
    b.memory = int(Sound().buffers.size());
    b.baseMs = hostsim::Get().clockMs;
    b.params = Default3DParams();
    b.deferred = b.params;
    return b;
}

static SoundResult CreatePrimary(const SoundBufferDesc& d, PlatSoundBuffer* buffer) {
    SoundResult result = kSoundOk;
    int number = 0;
    if (Fails(hostsim::kSoundCallPrimary, &result)) {
    } else if (d.format || d.bufferBytes != 0) {
        result = kSoundInvalidArg;
    } else {
        number = AddBuffer(NewBuffer(true, d.flags));
        *buffer = HandleOf<PlatSoundBuffer>(number);
    }
    return Log(hostsim::kSoundCallPrimary, number, result, d.flags);
}

static SoundResult CreateSecondary(const SoundBufferDesc& d, PlatSoundBuffer* buffer) {
    std::uint32_t algorithm = AlgorithmCode(d.algorithm);
    SoundResult result = kSoundOk;
    int number = 0;
    if (!Fails(hostsim::kSoundCallBuffer, &result)) result = CheckSecondary(d, algorithm);
    if (!SoundFailed(result)) {
        SimSoundBuffer b = NewBuffer(false, d.flags);
        b.format = *d.format;
        b.format.cbSize = 0;
        b.bytes = d.bufferBytes;
        b.samples.assign(d.bufferBytes, hostsim::kSoundFreshByte);
        Sound().memoryUsed += d.bufferBytes;
        number = AddBuffer(b);
        *buffer = HandleOf<PlatSoundBuffer>(number);
        if (Sound().noHrtf && (algorithm == 2 || algorithm == 3)) result = kSoundNoVirtualization;
    }
    return Log(hostsim::kSoundCallBuffer, number, result, d.flags, d.bufferBytes, algorithm);
}

SoundResult PlatSoundCreateBuffer(PlatSoundDevice device, const SoundBufferDesc* desc, PlatSoundBuffer* buffer) {
    if (!buffer) return kSoundInvalidArg;
    *buffer = nullptr;
    if (!device || !Sound().created) return kSoundNotInitialized;
    // The 32-bit descriptions: the module is a 32-bit DLL.
    if (!desc || (desc->size != kSoundBufferDescSize && desc->size != kDescSize1)) return kSoundInvalidArg;
    return (desc->flags & kSoundCapsPrimary) ? CreatePrimary(*desc, buffer) : CreateSecondary(*desc, buffer);
}

// A second buffer over the same sample memory, with its own play state.
SoundResult PlatSoundDuplicateBuffer(PlatSoundDevice device, PlatSoundBuffer original, PlatSoundBuffer* copy) {
    *copy = nullptr;
    SoundResult result = kSoundOk;
    int number = 0;
    SimSoundBuffer* from = LiveSecondary(original);
    if (Fails(hostsim::kSoundCallDuplicate, &result)) {
    } else if (!device || !from) {
        result = kSoundInvalidArg;
    } else {
        SimSoundBuffer b = NewBuffer(false, from->ctrl3D ? kSoundCaps3D : 0);
        b.memory = from->memory;
        b.format = from->format;
        b.bytes = from->bytes;
        number = AddBuffer(b);
        *copy = HandleOf<PlatSoundBuffer>(number);
    }
    return Log(hostsim::kSoundCallDuplicate, number, result, std::uint32_t(Number(original)));
}

// [SECTION] Buffers

SoundResult PlatSoundBufferSetFormat(PlatSoundBuffer buffer, const WaveFormatEx* format) {
    SoundResult result = kSoundOk;
    SimSoundBuffer* b = Live(buffer);
    if (Fails(hostsim::kSoundCallFormat, &result)) {
    } else if (!b || !format) {
        result = kSoundInvalidArg;
    } else if (!b->primary) {
        result = kInvalidCall;
    } else if (Sound().level < kSoundPriorityLevel) {
        result = kPriorityNeeded;
    } else if (format->formatTag != kWaveFormatPcm || !PcmLayoutOk(*format)) {
        result = kSoundBadFormat;
    } else {
        Sound().primaryFormat = *format;
    }
    std::uint32_t channels = format ? format->channels : 0, rate = format ? format->samplesPerSec : 0,
                  bits = format ? format->bitsPerSample : 0;
    return Log(hostsim::kSoundCallFormat, Number(buffer), result, channels, rate, bits);
}

SoundResult PlatSoundBufferListener(PlatSoundBuffer buffer, PlatSoundListener* listener) {
    *listener = nullptr;
    SoundResult result = kSoundOk;
    SimSoundBuffer* b = Live(buffer);
    if (Fails(hostsim::kSoundCallListener, &result)) {
    } else if (!b || !b->primary || !b->ctrl3D) {
        result = kSoundNoInterface;
    } else {
        Sound().listeners++;
        *listener = HandleOf<PlatSoundListener>(1);
    }
    return Log(hostsim::kSoundCallListener, Number(buffer), result);
}

SoundResult PlatSoundBuffer3D(PlatSoundBuffer buffer, PlatSound3DBuffer* buffer3D) {
    *buffer3D = nullptr;
    SoundResult result = kSoundOk;
    SimSoundBuffer* b = LiveSecondary(buffer);
    if (Fails(hostsim::kSoundCall3D, &result)) {
    } else if (!b || !b->ctrl3D) {
        result = kSoundNoInterface;
    } else {
        b->interfaces3D++;
        *buffer3D = HandleOf<PlatSound3DBuffer>(Number(buffer));
    }
    return Log(hostsim::kSoundCall3D, Number(buffer), result);
}

SoundResult PlatSoundBufferStatus(PlatSoundBuffer buffer, std::uint32_t* status) {
    *status = 0;
    SoundResult result = kSoundOk;
    SimSoundBuffer* b = Live(buffer);
    if (Fails(hostsim::kSoundCallStatus, &result)) {
    } else if (!b) {
        result = kSoundInvalidArg;
    } else {
        hostsim::SettleSoundBuffer(b);
        if (b->playing) *status |= kSoundStatusPlaying | (b->looping ? kSoundStatusLooping : 0);
        if (b->lost) *status |= kSoundStatusLost;
    }
    return Log(hostsim::kSoundCallStatus, Number(buffer), result, *status);
}

// A restored buffer's memory holds whatever the device left in it.
SoundResult PlatSoundBufferRestore(PlatSoundBuffer buffer) {
    SoundResult result = kSoundOk;
    SimSoundBuffer* b = LiveSecondary(buffer);
    if (Fails(hostsim::kSoundCallRestore, &result)) {
    } else if (!b) {
        result = kSoundInvalidArg;
    } else if (b->lost && b->restoreLost > 0) {
        b->restoreLost--;
        result = kSoundBufferLost;
    } else if (b->lost) {
        b->lost = false;
        b->basePosition = 0;
        std::uint8_t* samples = hostsim::SoundBufferSamples(b);
        if (samples) std::memset(samples, hostsim::kSoundRestoredByte, b->bytes);
    }
    return Log(hostsim::kSoundCallRestore, Number(buffer), result);
}

SoundResult PlatSoundBufferLock(PlatSoundBuffer buffer, std::uint32_t offset, std::uint32_t bytes, void** part1,
                                std::uint32_t* bytes1, void** part2, std::uint32_t* bytes2, std::uint32_t flags) {
    if (part1) *part1 = nullptr;
    if (bytes1) *bytes1 = 0;
    if (part2) *part2 = nullptr;
    if (bytes2) *bytes2 = 0;
    SoundResult result = kSoundOk;
    SimSoundBuffer* b = LiveSecondary(buffer);
    std::uint8_t* samples = b ? hostsim::SoundBufferSamples(b) : nullptr;
    if (flags & kLockEntireBuffer) bytes = b ? b->bytes : 0;
    if (Fails(hostsim::kSoundCallLock, &result)) {
    } else if (!b || !samples || !part1 || !bytes1 || bytes == 0 || bytes > b->bytes || offset >= b->bytes) {
        result = kSoundInvalidArg;
    } else if (b->lost) {
        result = kSoundBufferLost;
    } else if (offset + bytes > b->bytes && (!part2 || !bytes2)) {
        result = kSoundInvalidArg;
    } else {
        std::uint32_t first = b->bytes - offset < bytes ? b->bytes - offset : bytes;
        *part1 = samples + offset;
        *bytes1 = first;
        if (first < bytes) {
            *part2 = samples;
            *bytes2 = bytes - first;
        }
    }
    return Log(hostsim::kSoundCallLock, Number(buffer), result, offset, bytes);
}

SoundResult PlatSoundBufferUnlock(PlatSoundBuffer buffer, void* part1, std::uint32_t bytes1, void*, std::uint32_t) {
    SoundResult result = kSoundOk;
    SimSoundBuffer* b = LiveSecondary(buffer);
    std::uint8_t* samples = b ? hostsim::SoundBufferSamples(b) : nullptr;
    std::uint8_t* at = static_cast<std::uint8_t*>(part1);
    if (Fails(hostsim::kSoundCallUnlock, &result)) {
    } else if (!b || !samples || !at || at < samples || at + bytes1 > samples + b->bytes) {
        result = kSoundInvalidArg;
    }
    return Log(hostsim::kSoundCallUnlock, Number(buffer), result, bytes1);
}

// A buffer that plays goes on from where it is; only the looping flag changes.
SoundResult PlatSoundBufferPlay(PlatSoundBuffer buffer, std::uint32_t priority, std::uint32_t flags) {
    SoundResult result = kSoundOk;
    SimSoundBuffer* b = LiveSecondary(buffer);
    if (Fails(hostsim::kSoundCallPlay, &result)) {
    } else if (!b) {
        result = kSoundInvalidArg;
    } else if (b->lost) {
        result = kSoundBufferLost;
    } else {
        hostsim::SettleSoundBuffer(b);
        if (!b->playing) b->plays++;
        b->playing = true;
        b->looping = flags & kSoundPlayLooping;
    }
    return Log(hostsim::kSoundCallPlay, Number(buffer), result, priority, flags);
}

SoundResult PlatSoundBufferStop(PlatSoundBuffer buffer) {
    SoundResult result = kSoundOk;
    SimSoundBuffer* b = LiveSecondary(buffer);
    if (Fails(hostsim::kSoundCallStop, &result)) {
    } else if (!b) {
        result = kSoundInvalidArg;
    } else {
        hostsim::SettleSoundBuffer(b);
        b->playing = false;
    }
    return Log(hostsim::kSoundCallStop, Number(buffer), result);
}

SoundResult PlatSoundBufferSetPosition(PlatSoundBuffer buffer, std::uint32_t position) {
    SoundResult result = kSoundOk;
    SimSoundBuffer* b = LiveSecondary(buffer);
    if (Fails(hostsim::kSoundCallPosition, &result)) {
    } else if (!b || position > b->bytes) {
        result = kSoundInvalidArg;
    } else {
        hostsim::SettleSoundBuffer(b);
        std::uint32_t align = b->format.blockAlign ? b->format.blockAlign : 1;
        b->basePosition = position - position % align;
    }
    return Log(hostsim::kSoundCallPosition, Number(buffer), result, position);
}

// The sample memory goes with the last buffer that plays it.
void PlatSoundBufferRelease(PlatSoundBuffer buffer) {
    SimSoundBuffer* b = Live(buffer);
    if (!b) return;
    hostsim::SettleSoundBuffer(b);
    b->alive = false;
    b->playing = false;
    bool shared = false;
    for (const SimSoundBuffer& other : Sound().buffers) shared = shared || (other.alive && other.memory == b->memory);
    SimSoundBuffer* owner = hostsim::SoundBufferAt(b->memory + 1);
    if (!shared && owner && !owner->samples.empty()) {
        Sound().memoryUsed -= owner->bytes;
        std::vector<std::uint8_t>().swap(owner->samples);
    }
    Log(hostsim::kSoundCallRelease, Number(buffer), kSoundOk);
}

// [SECTION] 3D buffers and the listener

SoundResult PlatSound3DGetParams(PlatSound3DBuffer buffer3D, Sound3DParams* params) {
    SoundResult result = kSoundOk;
    SimSoundBuffer* b = LiveSecondary(buffer3D);
    if (Fails(hostsim::kSoundCallGetParams, &result)) {
    } else if (!b || !b->interfaces3D || !params || params->size != kSound3DParamsSize) {
        result = kSoundInvalidArg;
    } else {
        *params = b->hasDeferred ? b->deferred : b->params;
    }
    return Log(hostsim::kSoundCallGetParams, Number(buffer3D), result);
}

SoundResult PlatSound3DSetParams(PlatSound3DBuffer buffer3D, const Sound3DParams* params, std::uint32_t apply) {
    SoundResult result = kSoundOk;
    SimSoundBuffer* b = LiveSecondary(buffer3D);
    if (Fails(hostsim::kSoundCallSetParams, &result)) {
    } else if (!b || !b->interfaces3D || !params || params->size != kSound3DParamsSize || apply > 1) {
        result = kSoundInvalidArg;
    } else if (apply == kSound3DDeferred) {
        b->deferred = *params;
        b->hasDeferred = true;
    } else {
        b->params = *params;
        b->hasDeferred = false;
    }
    hostsim::SimSoundCall call{hostsim::kSoundCallSetParams, Number(buffer3D), apply, params ? params->mode : 0, 0,
                               params ? params->position.z : 0, params ? params->minDistance : 0,
                               params ? params->maxDistance : 0, result};
    hostsim::LogSoundCall(call);
    return result;
}

void PlatSound3DRelease(PlatSound3DBuffer buffer3D) {
    SimSoundBuffer* b = LiveSecondary(buffer3D);
    if (!b || !b->interfaces3D) return;
    b->interfaces3D--;
    Log(hostsim::kSoundCallRelease3D, Number(buffer3D), kSoundOk);
}

SoundResult PlatSoundListenerCommit(PlatSoundListener listener) {
    SoundResult result = kSoundOk;
    if (Fails(hostsim::kSoundCallCommit, &result)) {
    } else if (!listener || Sound().listeners == 0) {
        result = kSoundInvalidArg;
    } else {
        for (SimSoundBuffer& b : Sound().buffers) {
            if (!b.alive || !b.hasDeferred) continue;
            b.params = b.deferred;
            b.hasDeferred = false;
        }
        Sound().commits++;
    }
    return Log(hostsim::kSoundCallCommit, 0, result);
}

void PlatSoundListenerRelease(PlatSoundListener listener) {
    if (!listener || Sound().listeners == 0) return;
    Sound().listeners--;
    Log(hostsim::kSoundCallReleaseListener, 0, kSoundOk);
}

void PlatSleep(std::uint32_t ms) {
    Sound().sleeps++;
    Sound().sleptMs += ms;
    hostsim::Get().clockMs += ms;
    Log(hostsim::kSoundCallSleep, 0, kSoundOk, ms);
}
