// lookat_view.h - the head follows a chosen ground point (scenery padlock).
#pragma once

void UpdateLookAtView();
