// traffic_view.cpp - the traffic tracking view: each tick the AI traffic is
// fetched into a buffer on the stack, measured from the pilot's eye in the
// aircraft's body axes, ranked by distance with the offered aircraft first,
// and the head turned to the chosen one.
// Touches: MainState (traffic state and settings), g_aircraft (read), the
// eye (read), head and tower flag of HostgateContext.
#include "camera/traffic_view.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>

#include "camera/camera_tick.h"
#include "camera/head_aim.h"
#include "host/hostgate.h"
#include "shell/main_state.h"

static TrafficListObserver s_observer;

void SetTrafficListObserver(TrafficListObserver observer) {
    s_observer = observer;
}

// [SECTION] From the pilot's eye to each aircraft

// The cosine and sine of one rotation angle. The rotations are the geometry
// helpers' own formulas with the angle's cosine and sine taken once per tick
// instead of once per aircraft; the results are the same to the bit.
struct Turn {
    double c, s;
};

static Turn TurnBy(double a) {
    return {std::cos(a), std::sin(a)};
}

static void TurnX(Vec3* v, Turn t) {
    const double y = t.c * v->y - t.s * v->z;
    const double z = t.s * v->y + t.c * v->z;
    v->y = y;
    v->z = z;
}

static void TurnY(Vec3* v, Turn t) {
    const double x = t.c * v->x + t.s * v->z;
    const double z = t.c * v->z - t.s * v->x;
    v->x = x;
    v->z = z;
}

static void TurnZ(Vec3* v, Turn t) {
    const double x = t.c * v->x - t.s * v->y;
    const double y = t.s * v->x + t.c * v->y;
    v->x = x;
    v->y = y;
}

// What is the same for every aircraft of one tick.
struct Observer {
    Vec3 centre;                         // the user aircraft's centre vector, metres
    Turn lon, negLat, quarter;           // centre frame into the local frame at the user
    Turn negHeading, negPitch, negBank;  // local frame into body axes
    Vec3 eye;                            // the pilot's eye offset
    int tower;                           // tower mode: the aircraft's pitch put back
    Turn pitch;
};

static Vec3 CentreOf(double latitude, double longitude, double altitudeFeet) {
    Vec3 v = {0.0, 0.0, -(kEarthRadius + altitudeFeet * kFeetToMetres)};
    TurnX(&v, TurnBy(latitude));
    TurnY(&v, TurnBy(-longitude));
    return v;
}

static Observer TakeObserver() {
    const AircraftSnapshot& a = g_aircraft;
    const HostgateContext& g = g_hostgate;
    Observer o;
    o.centre = CentreOf(a.position.latitude, a.position.longitude, a.position.altitude);
    o.lon = TurnBy(a.position.longitude);
    o.negLat = TurnBy(-a.position.latitude);
    o.quarter = TurnBy(std::numbers::pi / 2);
    o.negHeading = TurnBy(-a.heading * kDegToRad);
    o.negPitch = TurnBy(-a.pitch * kDegToRad);
    o.negBank = TurnBy(-a.bank * kDegToRad);
    o.eye = {g.eyeX, g.eyeY, g.eyeZ};
    o.tower = g.TowerModeActive;
    o.pitch = TurnBy(a.pitch * kDegToRad);
    return o;
}

// GeoVector from the user to the aircraft, into body axes, less the eye.
static Vec3 RelativePosition(const Observer& o, const TrafficRecord& r) {
    Vec3 v = Sub(CentreOf(r.latitude, r.longitude, r.altitude), o.centre);
    TurnY(&v, o.lon);
    TurnX(&v, o.negLat);
    TurnX(&v, o.quarter);
    TurnY(&v, o.negHeading);
    TurnX(&v, o.negPitch);
    TurnZ(&v, o.negBank);
    v = Sub(v, o.eye);
    if (o.tower) TurnX(&v, o.pitch);  // the tower eye does not pitch with the aircraft
    return v;
}

// [SECTION] Ranking

int CompareTrafficRanks(const void* a, const void* b) {
    const TrafficRecord* x = static_cast<const TrafficRecord*>(a);
    const TrafficRecord* y = static_cast<const TrafficRecord*>(b);
    if (x->excluded != y->excluded) return x->excluded == 0 ? -1 : 1;
    const bool xNaN = std::isnan(x->distance), yNaN = std::isnan(y->distance);
    if (xNaN || yNaN) return int(xNaN) - int(yNaN);
    if (x->distance < y->distance) return -1;
    if (x->distance > y->distance) return 1;
    return 0;
}

static void RankTraffic(TrafficRecord* records, int count) {
    const Observer o = TakeObserver();
    const AircraftSnapshot& a = g_aircraft;
    const double maxMetres = g_main.MaxTrackDistance * kMetresPerNauticalMile;
    // While flying, aircraft near the ground are not offered.
    const bool flying = a.heightAboveGround > 10.0;
    for (int i = 0; i < count; i++) {
        TrafficRecord& r = records[i];
        r.relative = RelativePosition(o, r);
        r.distance = Length(r.relative);
        if (r.distance > maxMetres) r.excluded = 1;
        if (flying && std::fabs(r.altitude - a.groundElevation) < 500.0) r.excluded = 1;
    }
    std::qsort(records, std::size_t(count), sizeof records[0], CompareTrafficRanks);
}

// [SECTION] Choosing the target

// The ranked aircraft at TrafficIndex, or the locked one by name; null when
// every aircraft is excluded and nothing is locked.
static const TrafficRecord* ChooseTarget(const TrafficRecord* records, int count) {
    MainState& m = g_main;
    const TrafficRecord* current = &records[m.TrafficIndex];
    if (m.TrafficLockActive) {
        if (m.TrafficLockId[0] == 0) {
            std::memcpy(m.TrafficLockId, current->name, sizeof m.TrafficLockId);
            return current;
        }
        for (int i = 0; i < count; i++) {
            if (std::strncmp(records[i].name, m.TrafficLockId, sizeof m.TrafficLockId) == 0) return &records[i];
        }
        return current;  // gone for now: the lock and its name stay
    }
    if (current->excluded) {
        m.TrafficIndex = 0;
        current = &records[0];
        if (current->excluded) return nullptr;
    }
    return current;
}

// [SECTION] The tick

void UpdateTrafficView() {
    MainState& m = g_main;
    if (!m.TrafficViewActive) return;

    TrafficRecord records[kTrafficCapacity];
    const int count = EnumerateTraffic(records, kTrafficCapacity);
    // An index counted past the int range is negative: out of range too.
    if (m.TrafficIndex < 0 || m.TrafficIndex >= count) m.TrafficIndex = 0;
    if (m.TrafficIndex >= m.MaxTracks) m.TrafficIndex = 0;
    if (count == 0) {
        if (s_observer) s_observer(records, 0, nullptr);
        return;  // the head keeps its angles
    }

    RankTraffic(records, count);
    const TrafficRecord* current = ChooseTarget(records, count);
    if (s_observer) s_observer(records, count, current);
    if (!current) return;

    HeadAngles angles = HeadAnglesToward(current->relative);
    if (!g_hostgate.TowerModeActive) angles.azimuth = std::clamp(angles.azimuth, -90.0, 90.0);
    angles.elevation = std::clamp(angles.elevation, -20.0, 20.0);
    SetHeadAngles(angles);
}
