// camera_tick.h - the per-frame camera update, run on every frame message,
// and the aircraft state every camera mode works from.
#pragma once

#include "camera/geometry.h"

// The user aircraft as the camera engine sees it, rewritten on every full tick.
struct AircraftSnapshot {
    GeoPoint position;         // radians, altitude in feet
    double pitch;              // degrees, positive nose down
    double bank;               // degrees
    double heading;            // degrees true
    Vec3 velocity;             // metres per second, body axes (x right, y up, z forward)
    double groundElevation;    // feet
    double heightAboveGround;  // feet
    double track;              // degrees, 0..360
    double gLoad;              // g
    double speed;              // the host's speed value as it reports it
    double windSpeed;          // host units
    double onGround;           // 0 in the air
    double overspeed;          // non-zero while the host signals overspeed
};

extern AircraftSnapshot g_aircraft;

void CameraTick();
// Write the point (radians, feet) into the host's camera position record;
// nothing while the host's data area has not been found.
void SetEyePoint(const GeoPoint& point);
