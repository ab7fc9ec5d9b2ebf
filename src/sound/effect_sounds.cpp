// effect_sounds.cpp - effect sounds. The sound bank comes later; until then
// nothing plays, so there is nothing to start, stop, pause or resume.
#include "sound/effect_sounds.h"

void PauseEffectSounds() {}
void ResumeEffectSounds() {}
void ServiceEffectSounds() {}

int StartEffectSound(int, int) {
    return 0;
}

int StopEffectSound(int) {
    return 0;
}

void SetEffectSoundVolume(int, double) {}
