// effect_sounds.h - the bank of effect sounds.
#pragma once

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

void PauseEffectSounds();
void ResumeEffectSounds();
// Once per frame: turn each sound's volume into its placement.
void ServiceEffectSounds();
// Play the slot once (loop 0) or looping (loop 1); a loop already running
// goes on unchanged.
int StartEffectSound(int slot, int loop);
int StopEffectSound(int slot);
// 0..1.
void SetEffectSoundVolume(int slot, double volume);
