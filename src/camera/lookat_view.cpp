// lookat_view.cpp - the scenery padlock: the pilot's head stays on a fixed
// ground point whatever the aircraft does. Unlike the traffic view it takes
// the aircraft's reference point as the eye, limits neither angle and pays
// no attention to tower mode.
// Touches: MainState (LookAtViewActive, LookAtPoint), the head of HostgateContext.
#include "camera/lookat_view.h"

#include "camera/head_aim.h"
#include "shell/main_state.h"

void UpdateLookAtView() {
    const GeoPoint& point = g_main.LookAtPoint;
    if (!g_main.LookAtViewActive) return;
    if (point.latitude == 0.0 && point.longitude == 0.0) return;  // never set
    SetHeadAngles(HeadAnglesToward(BodyVectorTo(point)));
}
