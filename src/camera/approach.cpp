// approach.cpp - the approach camera's ground point: derived from the descent
// path while none is set, or picked on the ground with the mouse.
// Touches: MainState (approach settings, ApproachPoint), g_aircraft; reads the
// pilot view's head and zoom and the main window's cursor and client area.
#include "camera/approach.h"

#include <cmath>
#include <cstdint>

#include "camera/camera_tick.h"
#include "host/hostgate.h"
#include "host/host_records.h"
#include "shell/main_state.h"

void PlaceApproachPoint() {
    MainState& m = g_main;
    const AircraftSnapshot& a = g_aircraft;
    if (m.ApproachPoint.latitude != 0.0 || m.ApproachPoint.longitude != 0.0) return;
    Vec3 u = Normalise(a.velocity);
    double vertical = std::fabs(u.y);
    double longitudinal = std::fabs(u.z);
    if (vertical == 0.0 || longitudinal == 0.0) return;  // no descent slope to follow
    // Where the present slope meets the ground, plus ApproachViewZ beyond it.
    Vec3 v = {m.ApproachViewX * kFeetToMetres, 0.0,
              m.ApproachViewZ * kFeetToMetres + a.heightAboveGround * kFeetToMetres * longitudinal / vertical};
    RotateY(&v, a.track * kDegToRad);
    GeoPoint point = MoveGeoPoint(a.position, v);
    point.altitude = a.groundElevation + m.ApproachViewY;
    m.ApproachPoint = point;
}

// Cursor position in the main window's client area as (u, v) around the
// centre, the longer side spanning -0.5..0.5, v up.
static bool CursorInWindow(double* u, double* v) {
    std::int32_t x = 0, y = 0, w = 0, h = 0;
    PlatWindow window = g_shell.HostMainWindow;
    if (!PlatCursorPos(&x, &y) || !PlatScreenToClient(window, &x, &y) || !PlatClientSize(window, &w, &h) ||
        w <= 0 || h <= 0) {
        return false;
    }
    *u = double(x) / w - 0.5;
    *v = double(y) / h - 0.5;
    if (w >= h) {
        *v = *v * h / w;
    } else {
        *u = *u * w / h;
    }
    *v = -*v;
    return true;
}

int PickGroundPoint(GeoPoint* out) {
    if (!g_main.InternalViewActive) return 0;
    double u = 0.0, v = 0.0;
    if (!CursorInWindow(&u, &v)) return 0;
    const HostgateContext& g = g_hostgate;
    if (ViewGet<std::int32_t>(g.savedView, kViewType) != kViewTypeVirtualCockpit) return 0;

    const AircraftSnapshot& a = g_aircraft;
    // Head, then aircraft: from the view into the local east-up-north frame.
    Vec3 dir = {u, v, 1.2 * g.zoom};
    RotateX(&dir, g.headPitch * kDegToRad);
    RotateY(&dir, g.headHeading * kDegToRad);
    RotateZ(&dir, a.bank * kDegToRad);
    RotateX(&dir, a.pitch * kDegToRad);
    RotateY(&dir, a.heading * kDegToRad);
    dir = Normalise(dir);
    if (dir.y > 0.0) return 0;  // above the horizon

    // The aircraft above a flat ground through y = 0.
    Ray ray = {{0.0, a.heightAboveGround * kFeetToMetres, 0.0}, dir};
    double t = Intersect(MakePlane(Vec3{0.0, 0.0, 0.0}, Vec3{0.0, 1.0, 0.0}), ray);
    if (t == kNoIntersection) return 0;
    GeoPoint point = MoveGeoPoint(a.position, Vec3{dir.x * t, 0.0, dir.z * t});
    point.altitude = a.groundElevation;
    *out = point;
    return 1;
}
