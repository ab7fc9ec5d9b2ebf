// camera_tick.h - the per-frame camera update, run on every frame message.
#pragma once

void CameraTick();
