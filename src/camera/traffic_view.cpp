// traffic_view.cpp - tracking of AI traffic arrives with the traffic list;
// until then the frame leaves the head alone.
#include "camera/traffic_view.h"

void UpdateTrafficView() {}
