// head_aim.cpp - head angles toward a target for the traffic view and the
// scenery padlock. Touches: g_aircraft (read), the head of HostgateContext.
#include "camera/head_aim.h"

#include <cmath>
#include <numbers>

#include "camera/camera_tick.h"
#include "host/hostgate.h"

Vec3 BodyVectorTo(const GeoPoint& target) {
    const AircraftSnapshot& a = g_aircraft;
    const GeoPoint user = {a.position.latitude, a.position.longitude,
                           kEarthRadius + a.position.altitude * kFeetToMetres};
    const GeoPoint there = {target.latitude, target.longitude, kEarthRadius + target.altitude * kFeetToMetres};
    Vec3 v = GeoVector(there, user);
    RotateY(&v, -a.heading * kDegToRad);
    RotateX(&v, -a.pitch * kDegToRad);
    RotateZ(&v, -a.bank * kDegToRad);
    return v;
}

// Degrees, with an angle above 180 taken 360 back. Whether it is above is
// decided on the radians: the degree factor is a hair above 180/pi, so pi
// itself (straight behind) converts to 180.000000005 and must stay there.
static double Degrees(double radians) {
    const double degrees = radians * kRadToDeg;
    return radians > std::numbers::pi ? degrees - 360.0 : degrees;
}

HeadAngles HeadAnglesToward(Vec3 body) {
    const Vec3 origin = {0.0, 0.0, 0.0};
    const double azimuth = Bearing(origin, body);
    RotateY(&body, -azimuth);
    const double elevation = Elevation(origin, body);
    return {Degrees(azimuth), Degrees(elevation)};
}

void SetHeadAngles(const HeadAngles& angles) {
    if (!std::isfinite(angles.azimuth) || !std::isfinite(angles.elevation)) return;
    HostgateContext& g = g_hostgate;
    g.headTarget[0] = angles.elevation;
    g.headTarget[1] = angles.azimuth;
    g.headPitch = g.headTarget[0];
    g.headHeading = g.headTarget[1];
    g.headBank = g.headTarget[2];
}
