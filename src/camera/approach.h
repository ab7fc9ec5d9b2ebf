// approach.h - the approach camera's ground point, and the mouse pick of a
// ground point shared with the scenery padlock.
#pragma once

#include "camera/geometry.h"

// While ApproachPoint is unset, derive it from the descent path.
void PlaceApproachPoint();
// The ground point under the mouse cursor in the virtual cockpit (feet: the
// ground elevation); 1 when a point was stored in *out, else 0.
int PickGroundPoint(GeoPoint* out);
