// sim_sound.cpp - the substitute host's sound state: the simulated device's
// buffers and their playing in clock time, failures on demand, the call
// log and its printer, resources and files served from memory.
#include "hostsim/sim_sound.h"

#include <cstdio>
#include <cstring>

#include "hostsim/hostsim.h"

namespace hostsim {

SimSound& Sound() {
    static SimSound state;
    return state;
}

void ResetSound() {
    SimSound& s = Sound();
    s.created = false;
    s.window = nullptr;
    s.level = 0;
    s.primaryFormat = WaveFormatEx{};
    s.listeners = 0;
    s.commits = 0;
    s.noHrtf = false;
    s.memoryLimit = 64u << 20;
    s.memoryUsed = 0;
    s.sleeps = 0;
    s.sleptMs = 0;
    s.buffers.clear();
    for (int i = 0; i < kSoundCallCount; ++i) {
        s.failCount[i] = 0;
        s.failResult[i] = kSoundFail;
    }
    s.logCount = 0;
    s.logDropped = 0;
    s.resources.clear();
    s.memoryFiles.clear();
    s.mmios.clear();
}

void FailSoundStep(SoundCall step, int times, SoundResult result) {
    if (step < 0 || step >= kSoundCallCount) return;
    Sound().failCount[step] = times;
    Sound().failResult[step] = result;
}

bool TakeSoundFailure(SoundCall step, SoundResult* result) {
    int& count = Sound().failCount[step];
    if (count == 0) return false;
    if (count > 0) --count;
    *result = Sound().failResult[step];
    return true;
}

void SetSoundDevicePresent(bool present) {
    FailSoundStep(kSoundCallCreate, present ? 0 : -1, kSoundNoDriver);
}

SimSoundBuffer* SoundBufferAt(int number) {
    std::vector<SimSoundBuffer>& buffers = Sound().buffers;
    if (number < 1 || std::size_t(number) > buffers.size()) return nullptr;
    return &buffers[std::size_t(number) - 1];
}

std::uint8_t* SoundBufferSamples(SimSoundBuffer* buffer) {
    SimSoundBuffer* owner = SoundBufferAt(buffer->memory + 1);
    return (owner && !owner->samples.empty()) ? owner->samples.data() : nullptr;
}

// [SECTION] Playing in clock time

// Whole sample frames played since the base was taken; a buffer without a
// usable format does not move.
static std::uint64_t PlayedBytes(const SimSoundBuffer& b) {
    std::uint32_t rate = b.format.avgBytesPerSec;
    std::uint32_t align = b.format.blockAlign ? b.format.blockAlign : 1;
    std::uint64_t elapsed = std::uint32_t(Get().clockMs - b.baseMs);
    std::uint64_t bytes = elapsed * rate / 1000;
    return bytes - bytes % align;
}

std::uint32_t SoundBufferPosition(const SimSoundBuffer& b) {
    if (!b.playing || b.bytes == 0) return b.basePosition;
    std::uint64_t at = b.basePosition + PlayedBytes(b);
    if (b.looping) return std::uint32_t(at % b.bytes);
    return at >= b.bytes ? 0 : std::uint32_t(at);
}

void SettleSoundBuffer(SimSoundBuffer* b) {
    if (b->playing && !b->looping && b->bytes > 0 && b->basePosition + PlayedBytes(*b) >= b->bytes) {
        b->playing = false;
        b->basePosition = 0;
    } else {
        b->basePosition = SoundBufferPosition(*b);
    }
    b->baseMs = Get().clockMs;
}

void LoseSoundBuffers(int restoreLost) {
    for (SimSoundBuffer& b : Sound().buffers) {
        if (!b.alive || b.primary) continue;
        SettleSoundBuffer(&b);
        b.playing = false;
        b.lost = true;
        b.restoreLost = restoreLost;
    }
}

// [SECTION] Resources and files from memory

void AddSoundResource(const std::string& name, const std::string& type, const std::vector<std::uint8_t>& bytes) {
    Sound().resources.push_back(SimResource{name, type, bytes});
}

void PutSoundMemoryFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    for (SimMemoryFile& f : Sound().memoryFiles) {
        if (f.path == path) {
            f.bytes = bytes;
            return;
        }
    }
    Sound().memoryFiles.push_back(SimMemoryFile{path, bytes});
}

// [SECTION] Call log

void LogSoundCall(const SimSoundCall& call) {
    SimSound& s = Sound();
    if (s.logCount >= kSoundCallLogCapacity) {
        s.logDropped++;
        return;
    }
    s.log[s.logCount++] = call;
}

struct CallNames {
    const char* call;
    const char* step;
};

static const CallNames kCallNames[kSoundCallCount] = {
    {"DirectSoundCreate8", "create"},
    {"SetCooperativeLevel", "cooperative"},
    {"CreateSoundBuffer", "primary"},
    {"CreateSoundBuffer", "buffer"},
    {"DuplicateSoundBuffer", "duplicate"},
    {"SetFormat", "format"},
    {"QueryListener", "listener"},
    {"Query3DBuffer", "3d"},
    {"GetStatus", "status"},
    {"Restore", "restore"},
    {"Lock", "lock"},
    {"Unlock", "unlock"},
    {"Play", "play"},
    {"Stop", "stop"},
    {"SetCurrentPosition", "position"},
    {"GetAllParameters", "get-params"},
    {"SetAllParameters", "set-params"},
    {"CommitDeferredSettings", "commit"},
    {"Release", "release"},
    {"Release3D", "release-3d"},
    {"ReleaseListener", "release-listener"},
    {"ReleaseDevice", "release-device"},
    {"Sleep", "sleep"},
    {"mmioOpen", "mmio-open"},
    {"mmioClose", "mmio-close"},
    {"FindResource", "resource"},
};

const char* SoundCallName(SoundCall call) {
    return (call >= 0 && call < kSoundCallCount) ? kCallNames[call].call : "?";
}

const char* SoundStepName(SoundCall call) {
    return (call >= 0 && call < kSoundCallCount) ? kCallNames[call].step : "?";
}

static std::string ResultText(SoundResult result) {
    if (result == kSoundOk) return "ok";
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", unsigned(result));
    return text;
}

static std::string Algorithm(std::uint32_t code) {
    static const char* const kNames[] = {"default", "none", "hrtf-full", "hrtf-light", "unknown"};
    return kNames[code < 5 ? code : 4];
}

static std::string WindowText(std::uint32_t id) {
    const Window* w = WindowOf(reinterpret_cast<PlatWindow>(std::uintptr_t(id)));
    return id == 0 ? "none" : w ? w->name : std::to_string(id);
}

static std::string CallText(const SimSoundCall& c) {
    char text[200];
    const char* name = SoundCallName(c.call);
    std::string r = ResultText(c.result);
    switch (c.call) {
    case kSoundCallCooperative:
        std::snprintf(text, sizeof text, "%s window %s level %u -> %s", name, WindowText(c.a).c_str(), c.b,
                      r.c_str());
        break;
    case kSoundCallPrimary:
        std::snprintf(text, sizeof text, "%s %d primary flags 0x%02X -> %s", name, c.object, c.a, r.c_str());
        break;
    case kSoundCallBuffer:
        std::snprintf(text, sizeof text, "%s %d flags 0x%02X bytes %u algorithm %s -> %s", name, c.object, c.a, c.b,
                      Algorithm(c.c).c_str(), r.c_str());
        break;
    case kSoundCallDuplicate:
        std::snprintf(text, sizeof text, "%s %d of %u -> %s", name, c.object, c.a, r.c_str());
        break;
    case kSoundCallFormat:
        std::snprintf(text, sizeof text, "%s %d channels %u rate %u bits %u -> %s", name, c.object, c.a, c.b, c.c,
                      r.c_str());
        break;
    case kSoundCallStatus:
        std::snprintf(text, sizeof text, "%s %d -> %s status 0x%X", name, c.object, r.c_str(), c.a);
        break;
    case kSoundCallLock:
        std::snprintf(text, sizeof text, "%s %d offset %u bytes %u -> %s", name, c.object, c.a, c.b, r.c_str());
        break;
    case kSoundCallUnlock:
        std::snprintf(text, sizeof text, "%s %d bytes %u -> %s", name, c.object, c.a, r.c_str());
        break;
    case kSoundCallPlay:
        std::snprintf(text, sizeof text, "%s %d priority %u flags 0x%X -> %s", name, c.object, c.a, c.b, r.c_str());
        break;
    case kSoundCallPosition:
        std::snprintf(text, sizeof text, "%s %d %u -> %s", name, c.object, c.a, r.c_str());
        break;
    case kSoundCallSetParams:
        std::snprintf(text, sizeof text, "%s %d z %.3f min %.3f max %.0f mode %u %s -> %s", name, c.object,
                      double(c.x), double(c.y), double(c.z), c.b, c.a ? "deferred" : "immediate", r.c_str());
        break;
    case kSoundCallSleep:
        std::snprintf(text, sizeof text, "%s %u", name, c.a);
        break;
    case kSoundCallMmioOpen:
        std::snprintf(text, sizeof text, "%s %s bytes %u -> %s", name, c.a ? "memory" : "file", c.b,
                      c.object ? std::to_string(c.object).c_str() : "fail");
        break;
    case kSoundCallResource:
        std::snprintf(text, sizeof text, "%s %s -> %s", name, c.a ? "WAV" : "WAVE",
                      c.result == kSoundOk ? ("found bytes " + std::to_string(c.b)).c_str() : "absent");
        break;
    case kSoundCallCreate:
    case kSoundCallCommit:
    case kSoundCallReleaseListener:
    case kSoundCallReleaseDevice:
        std::snprintf(text, sizeof text, "%s -> %s", name, r.c_str());
        break;
    default:
        std::snprintf(text, sizeof text, "%s %d -> %s", name, c.object, r.c_str());
        break;
    }
    return text;
}

std::vector<std::string> TakeSoundCalls(const std::vector<std::string>& only) {
    SimSound& s = Sound();
    std::vector<std::string> lines;
    for (int i = 0; i < s.logCount; ++i) {
        bool wanted = only.empty();
        for (const std::string& name : only) wanted = wanted || name == SoundCallName(s.log[i].call);
        if (wanted) lines.push_back(CallText(s.log[i]));
    }
    if (s.logDropped) lines.push_back("dropped " + std::to_string(s.logDropped));
    s.logCount = 0;
    s.logDropped = 0;
    return lines;
}

}  // namespace hostsim
