// traffic_list.h - the other aircraft the host simulates, as the traffic
// view sees them: bound once to the host's aircraft container, listed into
// a caller's array on each call.
#pragma once

#include <cstdint>

#include "camera/geometry.h"

// One AI aircraft. The list fills the position and the name and sets
// `excluded` to 0; the traffic view fills the rest.
struct TrafficRecord {
    Vec3 relative;           // metres, body axes, from the pilot's eye (traffic view)
    double latitude;         // radians
    double longitude;        // radians
    double altitude;         // feet
    double distance;         // metres (traffic view)
    char name[32];           // as the host holds it, cut to 31 characters, always terminated
    std::uint32_t excluded;  // 1 when the traffic view rules the aircraft out
};

// The traffic view's buffer: aircraft beyond this host index are never seen.
inline constexpr int kTrafficCapacity = 512;

// Fill up to `capacity` records densely from host indexes 0 .. capacity - 1;
// returns the number filled. While the container is not bound it binds and
// returns 0, so the list appears from the next call.
int EnumerateTraffic(TrafficRecord* records, int capacity);
// (Re)bind: acontain.dll (only if already loaded), its Linkage export, the
// container and its count and get functions.
void BindAircraftContainer();
// Forget the binding: the module starts unbound.
void ResetTrafficList();
