// effect_sounds.h - the bank of effect sounds: thirteen slots in MainState
// (slot 0 never used), loaded lazily at the first service call, each played
// in one 3D buffer placed straight ahead of the listener at a distance that
// stands for its volume.
#pragma once

#include "platform/platform_sound.h"

class SoundClip;
class SoundManager;

// Slots of the bank; slot 0 is never used.
enum EffectSound : int {
    WIND_4_9 = 1,       // "Wind 4-9.wav"
    WIND_10_X = 2,      // "Wind 10-X.wav"
    STRESS = 3,         // "Stress.wav"
    WALK = 4,           // "Walk.wav"
    RUN = 5,            // "Run.wav"
    CROUCH = 6,         // "Crouch.wav"
    GROUND_NOISE = 7,   // "Ground Noise.wav"
    OVERSPEED_NOISE = 8,  // "Overspeed Noise.wav"
    SCREECH1 = 9,       // "Screech1.wav"
    SCREECH2 = 10,      // "Screech2.wav"
    TURBULENCE1 = 11,   // "Turbulence1.wav"
    TURBULENCE2 = 12,   // "Turbulence2.wav"
};
inline constexpr int kEffectSoundSlots = 13;

// What a slot plays again when sound is switched back on.
enum EffectPlayState : int {
    kEffectStopped = 0,
    kEffectPlayedOnce = 1,
    kEffectLooping = 2,
};

struct EffectSoundSlot {
    int loaded;               // 1 once the sound was loaded
    int playState;            // EffectPlayState
    int looping;              // 1 while a looping request is in force
    double volume;            // 0..1, set by the camera tick; 1.0 after loading
    SoundClip* clip;          // one buffer; null until loaded
    PlatSound3DBuffer buffer3D;  // of the clip's buffer; may be null
    Sound3DParams params3D;   // the buffer's parameters as last read and written
};

struct EffectSoundBank {
    EffectSoundSlot slots[kEffectSoundSlots];
    SoundManager* manager;       // null until the bank started
    PlatSoundListener listener;  // null when DirectSound gave none
};

// File name of the slot ("Wind 4-9.wav"); "" for slot 0 and outside the bank.
const char* EffectSoundFile(int slot);

void PauseEffectSounds();
void ResumeEffectSounds();
// Each tick in which the camera tick decides sounds: start the bank if it
// has not started yet, then place every 3D buffer for its volume.
void ServiceEffectSounds();
// Play the slot once (loop 0) or looping (loop 1); a loop already running
// goes on unchanged. 0 when the slot is not loaded.
int StartEffectSound(int slot, int loop);
// Stop a looping slot and rewind it; a one-shot plays to its end. 0 when
// the slot is not loaded.
int StopEffectSound(int slot);
// 0..1.
void SetEffectSoundVolume(int slot, double volume);

// The bank's objects are never freed by the module: the bank lives until
// the process ends. A host that ends its process without ending the
// program (the substitute host) frees them with this, before the module's
// start-up clears MainState again.
void ReleaseEffectSoundBank();
