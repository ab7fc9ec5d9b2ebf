// lookat_view.cpp - the scenery padlock arrives with the tower view; until
// then the frame leaves the head alone.
#include "camera/lookat_view.h"

void UpdateLookAtView() {}
