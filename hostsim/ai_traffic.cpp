// ai_traffic.cpp - how an AI aircraft flies, the same in both hosts.
#include "hostsim/ai_traffic.h"

#include <cmath>

namespace hostsim {

static constexpr double kMetresPerDegreeNorth = 111130.52399516014;
static constexpr double kDegToRad = 0.01745329251944;

bool FlyAi(AiAircraft* a, double dt) {
    if (a->speed == 0.0 && a->climb == 0.0) return false;
    double metres = a->speed * 1852.0 / 3600.0 * dt;
    double heading = a->heading * kDegToRad;
    a->latitude += metres * std::cos(heading) / kMetresPerDegreeNorth;
    double cosLat = std::cos(a->latitude * kDegToRad);
    if (cosLat > 1e-9) a->longitude += metres * std::sin(heading) / (kMetresPerDegreeNorth * cosLat);
    a->altitude += a->climb / 60.0 * dt;
    if (a->altitude < 0.0) a->altitude = 0.0;
    return true;
}

void AiDataPosition(const AiAircraft& a, double position[3]) {
    position[0] = a.latitude * kDegToRad;
    position[1] = a.longitude * kDegToRad;
    position[2] = a.altitude;
}

}  // namespace hostsim
