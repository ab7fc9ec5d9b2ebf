// effect_sounds.cpp - the effect sound bank: lazy start, loading of the
// twelve files, the per-tick placement of the 3D buffers, and the start,
// stop, pause and resume requests with the play states that let a switch
// of SoundOn bring back exactly what should be running.
// Touches: MainState (the bank, SoundOn), ShellState (SimFolder, HostMainWindow).
#include "sound/effect_sounds.h"

#include <cstdio>
#include <new>

#include "shell/main_state.h"
#include "sound/sound_manager.h"

static const char* const kEffectSoundFiles[kEffectSoundSlots] = {
    "",
    "Wind 4-9.wav",
    "Wind 10-X.wav",
    "Stress.wav",
    "Walk.wav",
    "Run.wav",
    "Crouch.wav",
    "Ground Noise.wav",
    "Overspeed Noise.wav",
    "Screech1.wav",
    "Screech2.wav",
    "Turbulence1.wav",
    "Turbulence2.wav",
};

// The primary buffer's format and the 3D set-up of every sound.
static constexpr std::uint32_t kPrimaryChannels = 2;
static constexpr std::uint32_t kPrimaryRate = 22050;
static constexpr std::uint32_t kPrimaryBits = 8;
static constexpr float kMinDistance = 1.0f;
static constexpr float kMaxDistance = 1e9f;
// Volume 1 sits at 0.2 units, volume 0 at 2.2.
static constexpr double kDistanceUnit = 0.2;
static constexpr double kDistanceSpread = 10.0;

const char* EffectSoundFile(int slot) {
    return (slot >= 0 && slot < kEffectSoundSlots) ? kEffectSoundFiles[slot] : "";
}

static EffectSoundBank& Bank() {
    return g_main.EffectSounds;
}

static EffectSoundSlot* SlotAt(int slot) {
    return (slot >= 0 && slot < kEffectSoundSlots) ? &Bank().slots[slot] : nullptr;
}

// [SECTION] Loading

static void DropClip(EffectSoundSlot* s) {
    if (!s->clip) return;
    s->clip->Stop();
    s->clip->Reset();
    if (s->buffer3D) PlatSound3DRelease(s->buffer3D);
    s->buffer3D = nullptr;
    delete s->clip;
    s->clip = nullptr;
}

// Only mono PCM files take a 3D buffer; the file is opened just for its format.
static bool MonoPcmFile(const char* path) {
    WaveFile probe;
    probe.Open(path, nullptr, kWaveFileRead);
    probe.Close();
    const WaveFormatEx* format = probe.GetFormat();
    return format && format->channels <= 1 && format->formatTag == kWaveFormatPcm;
}

static void Set3DParams(EffectSoundSlot* s) {
    s->params3D = Sound3DParams{};
    s->params3D.size = kSound3DParamsSize;
    PlatSound3DGetParams(s->buffer3D, &s->params3D);
    s->params3D.mode = kSound3DModeNormal;
    s->params3D.minDistance = kMinDistance;
    s->params3D.maxDistance = kMaxDistance;
    PlatSound3DSetParams(s->buffer3D, &s->params3D, kSound3DImmediate);
}

static void LoadEffectSound(int slot, const char* file) {
    EffectSoundBank& bank = Bank();
    EffectSoundSlot* s = &bank.slots[slot];
    s->loaded = 0;
    if (!bank.manager) return;
    char path[kPathSize];
    int length = std::snprintf(path, sizeof path, "%s\\Skyvane\\Sound\\%s", g_shell.SimFolder, file);
    DropClip(s);
    if (length < 0 || length >= int(sizeof path)) return;  // a cut path would name another file
    if (!MonoPcmFile(path)) return;

    // Without the HRTF algorithm the sound would not sit where its volume
    // puts it, so such a device plays no effect sound at all.
    SoundClip* clip = nullptr;
    SoundResult result = bank.manager->Create(&clip, path, kSoundCaps3D, kSound3DAlgorithmHrtfFull, 1);
    if (SoundFailed(result) || result == kSoundNoVirtualization) {
        delete clip;
        return;
    }
    s->clip = clip;
    if (SoundFailed(clip->Get3DBuffer(0, &s->buffer3D))) s->buffer3D = nullptr;
    if (s->buffer3D) Set3DParams(s);
    s->loaded = 1;
    s->volume = 1.0;
}

// The manager is made and unmade in place here rather than on the heap:
// without a device every service call tries again, and a frame allocates
// nothing.
alignas(SoundManager) static unsigned char s_managerStore[sizeof(SoundManager)];

// A device, the listener, then the twelve files; without a device nothing
// is kept and the next service call tries again.
static void StartEffectSoundBank() {
    EffectSoundBank& bank = Bank();
    SoundManager* manager = new (s_managerStore) SoundManager();
    SoundResult result = manager->Initialize(g_shell.HostMainWindow, kSoundPriorityLevel, kPrimaryChannels,
                                             kPrimaryRate, kPrimaryBits);
    if (SoundFailed(result)) {
        manager->~SoundManager();
        return;
    }
    bank.manager = manager;
    if (SoundFailed(manager->Get3DListener(&bank.listener))) bank.listener = nullptr;
    for (int slot = 1; slot < kEffectSoundSlots; ++slot) LoadEffectSound(slot, kEffectSoundFiles[slot]);
}

// [SECTION] Service and requests

void ServiceEffectSounds() {
    EffectSoundBank& bank = Bank();
    if (!bank.manager) StartEffectSoundBank();
    if (!bank.manager || !bank.listener) return;
    for (EffectSoundSlot& s : bank.slots) {
        if (!s.buffer3D) continue;
        double distance = kDistanceUnit * ((1.0 - s.volume) * kDistanceSpread + 1.0);
        PlatSound3DGetParams(s.buffer3D, &s.params3D);
        s.params3D.position = SoundVector{0.0f, 0.0f, float(distance)};
        s.params3D.velocity = SoundVector{0.0f, 0.0f, 0.0f};
        PlatSound3DSetParams(s.buffer3D, &s.params3D, kSound3DDeferred);
    }
    PlatSoundListenerCommit(bank.listener);
}

int StartEffectSound(int slot, int loop) {
    EffectSoundSlot* s = SlotAt(slot);
    if (!s || !s->loaded || !s->clip) return 0;
    if (s->looping) return 1;
    s->playState = loop ? kEffectLooping : kEffectPlayedOnce;
    if (g_main.SoundOn) s->clip->Play(0, loop ? kSoundPlayLooping : 0);
    if (loop) s->looping = 1;
    return 1;
}

int StopEffectSound(int slot) {
    EffectSoundSlot* s = SlotAt(slot);
    if (!s || !s->loaded || !s->clip) return 0;
    if (!s->looping) return 1;
    s->playState = kEffectStopped;
    if (g_main.SoundOn) {
        s->clip->Stop();
        s->clip->Reset();
    }
    s->looping = 0;
    return 1;
}

// Out-of-range and NaN volumes are held to 0..1 so that the distance stays
// between 0.2 and 2.2.
void SetEffectSoundVolume(int slot, double volume) {
    EffectSoundSlot* s = SlotAt(slot);
    if (!s) return;
    if (!(volume >= 0.0)) volume = 0.0;
    if (volume > 1.0) volume = 1.0;
    s->volume = volume;
}

void PauseEffectSounds() {
    for (EffectSoundSlot& s : Bank().slots) {
        if (s.clip && s.loaded && (s.playState == kEffectPlayedOnce || s.playState == kEffectLooping)) {
            s.clip->Stop();
        }
    }
}

void ResumeEffectSounds() {
    for (EffectSoundSlot& s : Bank().slots) {
        if (!s.clip || !s.loaded) continue;
        if (s.playState == kEffectLooping) {
            s.clip->Play(0, kSoundPlayLooping);
        } else if (s.playState == kEffectPlayedOnce) {
            s.clip->Play(0, 0);
        }
    }
}

void ReleaseEffectSoundBank() {
    EffectSoundBank& bank = Bank();
    for (EffectSoundSlot& s : bank.slots) {
        if (s.buffer3D) PlatSound3DRelease(s.buffer3D);
        delete s.clip;
        s = EffectSoundSlot{};
    }
    if (bank.listener) PlatSoundListenerRelease(bank.listener);
    if (bank.manager) bank.manager->~SoundManager();
    bank = EffectSoundBank{};
}
