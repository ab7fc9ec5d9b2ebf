// walker_view.h - the walker (external pilot) view: the pilot on foot beside
// the aircraft, standing on the 3D objects under him.
#pragma once

#include "host/hostgate.h"
#include "pilotview/object_probe.h"

// 0 when there is no active host view, else 1.
int UpdateWalkerView(HostgateContext* g);

// Position moved by east and north metres on the 6367310 m sphere; degrees,
// the longitude in -180..180.
void MoveOnSphere(double latitudeDeg, double longitudeDeg, double east, double north, double* newLatitudeDeg,
                  double* newLongitudeDeg);

