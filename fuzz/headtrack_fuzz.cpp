// headtrack_fuzz.cpp - the head tracker's two parsers of outside data on
// any bytes: the input is read as one datagram and as the text of the
// tracking settings file. Whatever they accept then drives a tracker
// (without a socket) through a few ticks of glide and mapping. Every
// accepted pose must be finite and within its limits, every setting within
// its range, and every offset the cockpit view would add finite and
// bounded by limit x scale.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "input/head_tracking.h"

static void Check(bool ok) {
    if (!ok) std::abort();
}

static void CheckConfig(const HeadTrackConfig& c) {
    Check(c.enabled == 0 || c.enabled == 1);
    Check(c.port >= 1 && c.port <= 65535);
    for (int i = 0; i < kTrackAxisCount; i++) {
        Check(c.scale[i] >= 0.0 && c.scale[i] <= kHeadTrackMaxScale);
        Check(c.invert[i] == 0 || c.invert[i] == 1);
    }
}

static void CheckPose(const double pose[kTrackAxisCount]) {
    for (int i = 0; i < kTrackAxisCount; i++) {
        double limit = i < kTrackYaw ? kHeadTrackMaxTranslation : kHeadTrackMaxAngle;
        Check(std::isfinite(pose[i]) && std::fabs(pose[i]) <= limit);
    }
}

// Centimetres to eye units, and a recentred angle turns at most half round.
static void CheckOffsets(const HeadTracker& t) {
    const double eyeLimit = 2.0 * kHeadTrackMaxTranslation / 100.0 * kHeadTrackMaxScale;
    const double headLimit = 180.0 * kHeadTrackMaxScale;
    Check(t.weight >= 0.0 && t.weight <= 1.0);
    for (int i = 0; i < 3; i++) {
        Check(std::isfinite(t.eye[i]) && std::fabs(t.eye[i]) <= eyeLimit);
        Check(std::isfinite(t.head[i]) && std::fabs(t.head[i]) <= headLimit);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    double pose[kTrackAxisCount] = {};
    const int valid = ParseHeadTrackDatagram(data, size, pose);
    Check(valid == 0 || size == std::size_t(kHeadTrackDatagramSize));
    if (valid) CheckPose(pose);

    HeadTrackConfig config;
    SetDefaultHeadTrackConfig(&config);
    const char* text = reinterpret_cast<const char*>(data);
    ParseHeadTrackConfig(text, text + size, &config);
    CheckConfig(config);

    // A tracker whose port failed: it never opens a socket, the pose is set
    // by hand as the drain would set it.
    HeadTracker t;
    ResetHeadTracker(&t, config);
    t.active = 1;
    t.socketState = kTrackSocketFailed;
    if (valid) {
        for (int i = 0; i < kTrackAxisCount; i++) t.pose[i] = pose[i];
        t.havePose = 1;
    }
    std::uint32_t now = size ? std::uint32_t(data[0]) * 97u : 0u;  // any clock, wrapping included
    t.poseMs = now;
    for (std::size_t i = 0; i < 8; i++) {
        now += i < size ? std::uint32_t(data[i]) * 16u : 16u;
        StepHeadTracker(&t, now, i != 3);
        CheckOffsets(t);
        if (i == 4) RecentreHeadTracker(&t);
        if (i == 5 && valid) {
            for (int k = 0; k < kTrackAxisCount; k++) t.pose[k] = -pose[k];
        }
    }
    return 0;
}
