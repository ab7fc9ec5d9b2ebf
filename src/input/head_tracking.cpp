// head_tracking.cpp - the head tracker: its settings file, the datagram
// parser, the socket drained every tick, the glide to zero when the
// tracker goes quiet, and the pose turned into eye and head offsets in the
// module's own conventions. Runs on the simulator's thread inside the
// camera tick and the input layer: nothing blocks, allocates or logs.
// Touches: g_headTracker, HostgateContext's tracked-pose fields; files and
// the network through the seam.
#include "input/head_tracking.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "camera/geometry.h"
#include "files/number_text.h"
#include "files/text_file.h"
#include "platform/platform.h"
#include "shell/main_state.h"

HeadTracker g_headTracker;

// [SECTION] Datagram

static double LittleEndianDouble(const std::uint8_t* p) {
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; i--) bits = bits << 8 | p[i];
    return std::bit_cast<double>(bits);
}

static bool WithinLimits(const double v[kTrackAxisCount]) {
    for (int i = 0; i < kTrackAxisCount; i++) {
        double limit = i < kTrackYaw ? kHeadTrackMaxTranslation : kHeadTrackMaxAngle;
        // NaN fails every comparison, so it fails this one too.
        if (!(std::fabs(v[i]) <= limit)) return false;
    }
    return true;
}

int ParseHeadTrackDatagram(const std::uint8_t* data, std::size_t size, double pose[kTrackAxisCount]) {
    if (!data || size != std::size_t(kHeadTrackDatagramSize)) return 0;
    double v[kTrackAxisCount];
    for (int i = 0; i < kTrackAxisCount; i++) v[i] = LittleEndianDouble(data + 8 * i);
    if (!WithinLimits(v)) return 0;
    for (int i = 0; i < kTrackAxisCount; i++) pose[i] = v[i];
    return 1;
}

// [SECTION] Settings file

void SetDefaultHeadTrackConfig(HeadTrackConfig* config) {
    *config = HeadTrackConfig{};
    config->port = kHeadTrackDefaultPort;
    for (double& s : config->scale) s = 1.0;
}

static bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// Same text, without regard to case; `text` is not zero-terminated.
static bool KeyIs(const char* text, std::size_t length, const char* key) {
    if (std::strlen(key) != length) return false;
    for (std::size_t i = 0; i < length; i++) {
        char a = text[i], b = key[i];
        if (a >= 'A' && a <= 'Z') a = char(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = char(b - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

static const char* const kAxisNames[kTrackAxisCount] = {"X", "Y", "Z", "Yaw", "Pitch", "Roll"};

static double Clamp(double x, double lo, double hi) {
    return x < lo ? lo : (x > hi ? hi : x);
}

// One "Key=Value" pair; 1 when the key is a setting.
static int TakeSetting(HeadTrackConfig* c, const char* key, std::size_t keyLength, const char* value) {
    if (KeyIs(key, keyLength, "Enabled")) {
        c->enabled = ParseLeadingInt(value) != 0;
        return 1;
    }
    if (KeyIs(key, keyLength, "Port")) {
        int port = ParseLeadingInt(value);
        c->port = port >= 1 && port <= 65535 ? port : kHeadTrackDefaultPort;
        return 1;
    }
    char name[16];
    for (int axis = 0; axis < kTrackAxisCount; axis++) {
        std::snprintf(name, sizeof name, "Scale%s", kAxisNames[axis]);
        if (KeyIs(key, keyLength, name)) {
            c->scale[axis] = Clamp(ParseLeadingDouble(value), 0.0, kHeadTrackMaxScale);
            return 1;
        }
        std::snprintf(name, sizeof name, "Invert%s", kAxisNames[axis]);
        if (KeyIs(key, keyLength, name)) {
            c->invert[axis] = ParseLeadingInt(value) != 0;
            return 1;
        }
    }
    return 0;
}

// One line without its line end.
static int TakeLine(HeadTrackConfig* c, const char* p, const char* end) {
    while (p < end && IsBlank(*p)) p++;
    if (p == end || *p == ';' || *p == '#' || *p == '[') return 0;
    const char* equals = static_cast<const char*>(std::memchr(p, '=', std::size_t(end - p)));
    if (!equals) return 0;
    const char* keyEnd = equals;
    while (keyEnd > p && IsBlank(keyEnd[-1])) keyEnd--;
    // The value's leading number is all that is read: a short copy holds it.
    char value[64];
    std::size_t n = std::size_t(end - (equals + 1));
    if (n > sizeof value - 1) n = sizeof value - 1;
    std::memcpy(value, equals + 1, n);
    value[n] = 0;
    return TakeSetting(c, p, std::size_t(keyEnd - p), value);
}

int ParseHeadTrackConfig(const char* begin, const char* end, HeadTrackConfig* config) {
    if (!begin || !end || end < begin) return 0;
    int taken = 0;
    const char* line = begin;
    while (line < end) {
        const char* next = static_cast<const char*>(std::memchr(line, '\n', std::size_t(end - line)));
        const char* lineEnd = next ? next : end;
        taken += TakeLine(config, line, lineEnd);
        line = next ? next + 1 : end;
    }
    return taken;
}

// [SECTION] Socket and pose

void ResetHeadTracker(HeadTracker* t, const HeadTrackConfig& config) {
    *t = HeadTracker{};
    t->config = config;
    t->active = config.enabled;
    t->socket = kNoUdpSocket;
    t->socketState = kTrackSocketClosed;
}

void CloseHeadTracker(HeadTracker* t) {
    PlatUdpClose(t->socket);
    t->socket = kNoUdpSocket;
    t->socketState = kTrackSocketClosed;
}

// Everything waiting, the newest valid datagram kept.
static void Drain(HeadTracker* t, std::uint32_t nowMs) {
    std::uint8_t buf[kHeadTrackDatagramSize + 16];
    for (int i = 0; i < kHeadTrackDrainLimit; i++) {
        int n = PlatUdpReceive(t->socket, buf, int(sizeof buf));
        if (n < 0) return;
        if (ParseHeadTrackDatagram(buf, std::size_t(n), t->pose)) {
            t->havePose = 1;
            t->poseMs = nowMs;
            t->accepted++;
        } else {
            t->rejected++;
        }
    }
}

static void OpenIfDue(HeadTracker* t) {
    if (!t->active || t->socketState != kTrackSocketClosed) return;
    // Port 0 (a tracker never started) would bind wherever the system likes.
    if (t->config.port < 1 || t->config.port > 65535) {
        t->socketState = kTrackSocketFailed;
        return;
    }
    t->socket = PlatUdpOpenLoopback(std::uint16_t(t->config.port));
    t->socketState = t->socket == kNoUdpSocket ? kTrackSocketFailed : kTrackSocketOpen;
}

// Up to 1 while the pose is fresh; from half a second without data down to
// 0 half a second later, never rising on the way. Off: down at the same pace.
static void Glide(HeadTracker* t, std::uint32_t nowMs, double dt, int applies) {
    // Steps of a tenth do not add up to exactly 1: the ends snap.
    constexpr double kSnap = 1e-9;
    const double pace = dt / kHeadTrackGlideSeconds;
    if (!applies || (t->active && !t->havePose)) {
        t->weight = 0.0;
    } else if (!t->active) {
        t->weight = t->weight - pace < kSnap ? 0.0 : t->weight - pace;
    } else {
        double age = std::uint32_t(nowMs - t->poseMs) / 1000.0;
        if (age <= kHeadTrackStaleSeconds) {
            t->weight = t->weight + pace > 1.0 - kSnap ? 1.0 : t->weight + pace;
        } else {
            double fading = Clamp((kHeadTrackStaleSeconds + kHeadTrackGlideSeconds - age) / kHeadTrackGlideSeconds,
                                  0.0, 1.0);
            if (fading < t->weight) t->weight = fading;
        }
    }
}

// The tracker's pose in the module's conventions: centimetres to eye units
// (metres: the unit the module walks and lifts the eye in), pitch positive
// down and bank positive to the left where the tracker has both up and
// right positive.
static void MapPose(HeadTracker* t) {
    double d[kTrackAxisCount];
    for (int i = 0; i < kTrackAxisCount; i++) {
        d[i] = t->pose[i] - t->centre[i];
        if (i >= kTrackYaw) d[i] = Wrap180(d[i]);  // a recentre near +-180 turns the short way
        d[i] *= t->config.scale[i] * (t->config.invert[i] ? -1.0 : 1.0) * t->weight;
    }
    // + 0.0 turns a -0 into 0, so a still axis prints and composes as 0.
    t->eye[0] = d[kTrackX] / 100.0 + 0.0;
    t->eye[1] = d[kTrackY] / 100.0 + 0.0;
    t->eye[2] = d[kTrackZ] / 100.0 + 0.0;
    t->head[0] = 0.0 - d[kTrackPitch];
    t->head[1] = d[kTrackYaw] + 0.0;
    t->head[2] = 0.0 - d[kTrackRoll];
}

void StepHeadTracker(HeadTracker* t, std::uint32_t nowMs, int applies) {
    double dt = t->ticked ? std::uint32_t(nowMs - t->lastTickMs) / 1000.0 : 0.0;
    if (dt > 1.0) dt = 1.0;
    t->lastTickMs = nowMs;
    t->ticked = 1;
    OpenIfDue(t);
    if (t->socketState == kTrackSocketOpen) Drain(t, nowMs);
    Glide(t, nowMs, dt, applies);
    t->applied = t->weight > 0.0;
    if (t->applied) {
        MapPose(t);
    } else {
        for (int i = 0; i < 3; i++) t->eye[i] = t->head[i] = 0.0;
    }
}

// [SECTION] Module entries

void StartHeadTracking() {
    CloseHeadTracker(&g_headTracker);
    HeadTrackConfig config;
    SetDefaultHeadTrackConfig(&config);
    // "%s\Skyvane2004-HeadTracking.cfg"; a folder too long for the path is cut.
    char path[kPathSize];
    CopyText(path, sizeof path, g_shell.SimFolder);
    std::size_t used = std::strlen(path);
    CopyText(path + used, sizeof path - used, "\\");
    used = std::strlen(path);
    CopyText(path + used, sizeof path - used, kHeadTrackFileName);
    if (std::FILE* file = OpenTextFileForReading(path)) {
        // The file is a dozen short lines; anything past this is not read.
        char text[4096];
        std::size_t n = std::fread(text, 1, sizeof text, file);
        std::fclose(file);
        ParseHeadTrackConfig(text, text + n, &config);
    }
    ResetHeadTracker(&g_headTracker, config);
}

void StopHeadTracking() {
    CloseHeadTracker(&g_headTracker);
}

void TickHeadTracking(HostgateContext* g, int applies) {
    HeadTracker* t = &g_headTracker;
    StepHeadTracker(t, PlatClockMs(), applies);
    g->trackedPoseOn = t->applied;
    for (int i = 0; i < 3; i++) {
        g->trackedEye[i] = t->eye[i];
        g->trackedHead[i] = t->head[i];
    }
}

// Off closes the socket (the pose glides out); on opens it again at the
// next tick, so switching on retries a port that was in use.
void ToggleHeadTracker(HeadTracker* t) {
    t->active = !t->active;
    CloseHeadTracker(t);
}

void RecentreHeadTracker(HeadTracker* t) {
    if (!t->havePose) return;
    for (int i = 0; i < kTrackAxisCount; i++) t->centre[i] = t->pose[i];
}
