// camera_tick.cpp - the per-frame camera update.
// The frame body (timing, aircraft snapshot, pilot view sync, camera modes)
// arrives with host access; until then a frame changes nothing.
#include "camera/camera_tick.h"

void CameraTick() {}
