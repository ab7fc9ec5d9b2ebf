// pilot_view.h - the cockpit pilot view engine: the pilot's eye, head and
// zoom inside the aircraft, their effects, and the smooth moves between
// stored views. All state lives in HostgateContext.
#pragma once

#include "host/hostgate.h"

// Drives the host's active view when it is the virtual cockpit or the spot
// view: 1 when it drove or examined a view, 0 when there is none or it is of
// another type. detectChanges = 0 after the module's own edits of the state,
// so they are not taken for the user moving the view with host controls.
int UpdatePilotView(HostgateContext* g, int detectChanges);

// Glide eye, head and zoom to their targets, all arriving together in half
// a second; takes the first step at once. Answers UpdatePilotView's result.
int StartViewTransition(HostgateContext* g);

// Move *value toward target by rate x time without passing it; 1 only when
// it had to snap onto the target.
int StepToward(double* value, double target, double rate, double time);
// The same for an angle in degrees, the short way round; the value is not
// brought back into 0..360. 1 only when it snapped onto the target.
int StepAngleToward(double* value, double target, double rate, double time);
// a - b in degrees, the short way: -180..180.
double AngleDifference(double a, double b);
// Degrees into 0..360 (360 itself stays).
double WrapAngle360(double a);
