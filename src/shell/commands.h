// commands.h - the mode toggles that the menu and the named commands share.
#pragma once

void ToggleFlyBy();
void ToggleApproachView();
void ToggleExternalView();
void ToggleTrafficView();
void ToggleTrafficLock();
void ToggleLookAtView();
void ToggleTowerMode();
