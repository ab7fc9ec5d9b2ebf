// flyby.cpp - the fly-by camera: set down on the ground track ahead of the
// aircraft, a little to one side, and set down again after FlyByDuration.
// Touches: MainState (fly-by settings and state), g_aircraft; the eye point.
#include "camera/flyby.h"

#include <cmath>

#include "camera/camera_tick.h"
#include "camera/geometry.h"
#include "host/hostgate.h"
#include "shell/main_state.h"

// rand() draws up to this value put a random camera on the left.
static constexpr int kRandLeftLimit = 16384;

static int ChooseSide(int placement, int previous) {
    switch (placement) {
    case 0: return +1;
    case 1: return -1;
    case 2: return PlatRand() <= kRandLeftLimit ? -1 : +1;
    default: return previous;
    }
}

void StepFlyBy() {
    MainState& m = g_main;
    // Every frame in the cockpit sets the camera down anew, so a fresh
    // fly-by starts when the user leaves it.
    if (g_hostgate.viewTouched) m.FlyByTimer = 0.0f;
    m.FlyByTimer -= m.FrameTime;
    if (m.FlyByTimer < 0.0f) {
        m.FlyByTimer = float(m.FlyByDuration);
        m.FlyBySide = ChooseSide(m.FlyByCameraPlacement, m.FlyBySide);
        // Half the distance the aircraft covers (knots) before the next placement.
        double distance = g_aircraft.speed * 1852.0 / 3600.0 * m.FlyByDuration * 0.5;
        double least = m.FlyByMinDistance * kFeetToMetres;
        m.FlyByDistance = least > distance ? least : distance;
        PlaceFlyByCamera();
    }
    if (m.FlyByTravelling) TravelFlyByCamera();
}

void PlaceFlyByCamera() {
    MainState& m = g_main;
    const AircraftSnapshot& a = g_aircraft;
    Vec3 v = {0.0, 0.0, m.FlyByDistance};
    RotateY(&v, m.FlyByAngle * kDegToRad);
    v.x *= m.FlyBySide;
    if (m.FlyByTravelling) v.x = 0.0;  // the travelling camera starts on the track line
    RotateX(&v, a.pitch * kDegToRad);  // nose down (positive) puts the camera lower
    RotateY(&v, a.track * kDegToRad);
    GeoPoint point = MoveGeoPoint(a.position, v);
    // Only half of the offset's vertical part is applied.
    point.altitude = v.y * 0.5 * kMetresToFeet + a.position.altitude + m.FlyByRelAltitude;
    SetEyePoint(point);
    m.FlyByPoint = point;
    m.FlyByHeading = a.heading;
}

void TravelFlyByCamera() {
    const MainState& m = g_main;
    double distance = GreatCircle(m.FlyByPoint, g_aircraft.position).distance;
    double travel = m.FlyByMinDistance * kFeetToMetres;
    double sideways = distance <= std::fabs(travel) ? (travel - distance) * m.FlyBySide : 0.0;
    // Perpendicular to the heading at placement; always measured afresh from
    // the placement point.
    Vec3 offset = {sideways, 0.0, 0.0};
    RotateY(&offset, m.FlyByHeading * kDegToRad);
    GeoPoint point = MoveGeoPoint(m.FlyByPoint, offset);
    point.altitude = m.FlyByPoint.altitude;
    SetEyePoint(point);
}
