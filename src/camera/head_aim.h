// head_aim.h - turning the pilot's head toward a target, shared by the
// traffic view and the scenery padlock: the target as a vector in the
// aircraft's body axes, and the head angles that look along it.
#pragma once

#include "camera/geometry.h"

// Vector from the aircraft's reference point to the target (radians, feet),
// in body axes (x right, y up, z forward), metres.
Vec3 BodyVectorTo(const GeoPoint& target);

struct HeadAngles {
    double azimuth;    // degrees, right positive; above 180 folded to negative
    double elevation;  // degrees, the host's pitch sense: negative is up
};
// Azimuth of the vector, then its elevation once turned onto the azimuth.
HeadAngles HeadAnglesToward(Vec3 body);
// headTarget pitch and heading, and headPitch, headHeading and headBank
// taken from headTarget at once. Angles that are not finite (from host
// values that were not) are not written: the head keeps its angles.
void SetHeadAngles(const HeadAngles& angles);
