// effect_sounds.h - the bank of effect sounds.
#pragma once

void PauseEffectSounds();
void ResumeEffectSounds();
