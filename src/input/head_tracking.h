// head_tracking.h - six-degree-of-freedom head tracking from a tracker that
// sends its pose as UDP datagrams of six little-endian doubles (x, y, z in
// centimetres, yaw, pitch, roll in degrees) to 127.0.0.1. The tracked pose
// rides on top of the cockpit pilot view's own eye and head; the camera
// tick hands it to the pilot view through HostgateContext. Its settings live
// in a file of their own (docs/head-tracking.md); nothing of the module's
// other settings, files or commands changes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/hostgate.h"
#include "platform/platform_net.h"

inline constexpr int kHeadTrackDatagramSize = 48;
inline constexpr int kHeadTrackDefaultPort = 4242;
// Poses beyond these are not a head in a seat: the datagram is ignored.
inline constexpr double kHeadTrackMaxTranslation = 200.0;  // centimetres, each axis
inline constexpr double kHeadTrackMaxAngle = 180.0;        // degrees, each axis
inline constexpr double kHeadTrackMaxScale = 10.0;
// Without a valid datagram for this long the pose starts to glide to zero,
// and takes this long again to get there; a pose (re)appearing glides in
// at the same pace.
inline constexpr double kHeadTrackStaleSeconds = 0.5;
inline constexpr double kHeadTrackGlideSeconds = 0.5;
// Datagrams taken off the socket in one tick at most; the rest wait.
inline constexpr int kHeadTrackDrainLimit = 1024;
inline constexpr char kHeadTrackFileName[] = "Skyvane2004-HeadTracking.cfg";

// Pose components, in datagram order.
enum HeadTrackAxis { kTrackX, kTrackY, kTrackZ, kTrackYaw, kTrackPitch, kTrackRoll, kTrackAxisCount };

struct HeadTrackConfig {
    int enabled;                     // tracking on from the start
    int port;                        // 1..65535
    double scale[kTrackAxisCount];   // 0..kHeadTrackMaxScale, per axis
    int invert[kTrackAxisCount];     // 1: the axis' sign is flipped
};

enum HeadTrackSocketState {
    kTrackSocketClosed,  // not opened (tracking off, or before the first tick)
    kTrackSocketOpen,
    kTrackSocketFailed,  // the open failed (port in use): no tracking until switched on again
};

struct HeadTracker {
    HeadTrackConfig config;
    int active;                       // tracking switched on: the file, then ToggleHeadTracking
    PlatUdpSocket socket = kNoUdpSocket;  // not zero: that would be a real descriptor
    int socketState;                  // HeadTrackSocketState
    int havePose;                     // a valid datagram arrived since start
    double pose[kTrackAxisCount];     // the newest valid datagram, as sent
    double centre[kTrackAxisCount];   // the pose that counts as zero (recentre)
    std::uint32_t poseMs;             // millisecond clock when it arrived
    std::uint32_t lastTickMs;
    int ticked;                       // lastTickMs is set
    double weight;                    // 0..1: share of the pose applied, glides
    std::uint32_t accepted, rejected; // datagrams since start
    double eye[3];                    // applied this tick: eye units, x right, y up, z forward
    double head[3];                   // applied this tick: pitch (down +), heading (right +), bank (left +), degrees
    int applied;                      // eye and head above are in force
};

extern HeadTracker g_headTracker;

// [SECTION] Parsers over outside data (bounded, never fail loudly)

// A datagram into pose: 1 when it has exactly 48 bytes of six finite
// doubles within the limits above, else 0 and pose untouched.
int ParseHeadTrackDatagram(const std::uint8_t* data, std::size_t size, double pose[kTrackAxisCount]);
// Defaults: off, port 4242, scale 1, no inversion.
void SetDefaultHeadTrackConfig(HeadTrackConfig* config);
// "Key=Value" lines over [begin, end) into config (keys without regard to
// case; ';' and '#' comments, section headers and unknown keys passed
// over; values read by their leading number and held within their ranges).
// Returns the number of settings taken.
int ParseHeadTrackConfig(const char* begin, const char* end, HeadTrackConfig* config);

// [SECTION] The tracker

// Start-up: defaults, then the file "%s\Skyvane2004-HeadTracking.cfg" in
// SimFolder (missing: defaults); no socket yet.
void StartHeadTracking();
// Shut-down: close the socket.
void StopHeadTracking();
// Fresh state with that configuration; the socket opens at the first step.
void ResetHeadTracker(HeadTracker* t, const HeadTrackConfig& config);
// One tick at nowMs: open the socket if due, take every waiting datagram,
// glide, and work out the offsets. applies = 0 while a view mode other
// than the plain cockpit view owns the head: nothing is applied then.
void StepHeadTracker(HeadTracker* t, std::uint32_t nowMs, int applies);
// The camera tick's entry: step g_headTracker on the clock and hand its
// offsets to the cockpit view in the context.
void TickHeadTracking(HostgateContext* g, int applies);
// The input layer's commands (on g_headTracker).
void ToggleHeadTracker(HeadTracker* t);
void RecentreHeadTracker(HeadTracker* t);
void CloseHeadTracker(HeadTracker* t);
