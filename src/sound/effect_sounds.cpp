// effect_sounds.cpp - effect sounds; no sound is played yet, so there is
// nothing to pause or resume.
#include "sound/effect_sounds.h"

void PauseEffectSounds() {}
void ResumeEffectSounds() {}
