// object_probe.h - the object surface probe: a ray straight down through
// the host's 3D objects, interpreting their drawing blocks. Every read of
// host memory goes through the guarded seam and every walk is bounded.
#pragma once

#include <cstdint>

#include "camera/geometry.h"
#include "host/hostgate.h"

// What the probe answers when nothing was hit.
inline constexpr double kProbeNoHit = 10000000000.0;
// Height of the probe ray's origin above the probe position, metres.
inline constexpr double kProbeRayHeight = 100000.0;

// Bounds of the walk over drawing blocks. The blocks are the host's memory
// and may be garbage: each trace (one object's top block with all its
// sub-blocks) ends when it passes one of these, and the probe as a whole
// stops for the frame when the frame's budget is spent.
inline constexpr int kBlockDepthLimit = 16;               // nested sub-blocks below an object's top block
inline constexpr int kTraceRecordLimit = 4096;            // records one trace may visit
inline constexpr int kTraceTriangleLimit = 32768;         // triangles one trace may test
inline constexpr std::uint32_t kBlockSpan = 4u << 20;     // bytes a trace may read either side of its top block
inline constexpr int kProbeObjectLimit = 16384;           // object entries looked at per frame
inline constexpr int kProbeRecordLimit = 65536;           // records visited per frame, all traces
inline constexpr int kProbeTriangleLimit = 131072;        // triangles tested per frame, all traces
inline constexpr std::uint32_t kModelTagLimit = 256;      // tag table items looked at per model header

// Host layouts of the object geometry.
inline constexpr std::uint32_t kObjectEntrySize = 104;
inline constexpr std::uint32_t kObjectEntryModel = 0x60;   // model header address
inline constexpr std::uint32_t kModelHeaderSize = 200;     // bytes tested before the header is read
inline constexpr std::uint32_t kModelMagic = 0x7C;         // "PNTR"
inline constexpr std::uint32_t kModelTagCount = 0x80;
inline constexpr std::uint32_t kModelTagTable = 0x84;      // items of {tag, 32-bit offset}

enum DrawingCode : std::uint16_t {
    kDrawSubBlock = 0xF000,      // code, 32-bit offset from the record: 6 bytes
    kDrawEnd = 0xF001,           // code: 2 bytes
    kDrawReferencePoint = 0xF002,  // code, latitude, longitude, altitude floats: 30 bytes
    kDrawSphere = 0xF004,        // code, length16, skip32, centre x y z, radius (floats)
    kDrawTriangles = 0xF005,     // code, count32, then 48-byte triangles
};
inline constexpr std::uint32_t kSubBlockRecordSize = 6;
inline constexpr std::uint32_t kReferencePointRecordSize = 30;
inline constexpr std::uint32_t kSphereRecordSize = 26;
inline constexpr std::uint32_t kTriangleListHeaderSize = 6;

// A triangle as the host stores it: three vertices and the face normal.
struct ObjectTriangle {
    float a[3], b[3], c[3];
    float normal[3];
};
static_assert(sizeof(ObjectTriangle) == 48, "48 bytes per triangle");

// The working record of one probe.
struct ObjectProbe {
    double latitude, longitude;  // degrees: the probe position
    double altitude;             // metres: the local frame's origin height
    Vec3 rayOrigin;              // local frame (x east, y up, z north), metres
    Vec3 rayDirection;
    double bestDistance;         // along the ray; kProbeNoHit until something is hit

    // Filled by InitObjectProbe from the position.
    double latitudeRad, longitudeRad;
    double sinLatitude, cosLatitude;
    // Work this frame, within the limits above.
    int objectsLooked;
    int recordsVisited;
    int trianglesTested;
    int tracesCut;               // traces ended by a bound or unreadable memory
    // Host pages found readable during this probe (page number + 1, 0 empty):
    // host memory does not change while the module runs in the frame, and
    // readability goes by pages, so each page is tested once.
    std::uint32_t readablePages[16];
};

// The probe at a position, its ray straight down from kProbeRayHeight, no hit yet.
void InitObjectProbe(ObjectProbe* probe, double latitudeDeg, double longitudeDeg, double altitudeMetres);

// Runs the probe (its position as set by InitObjectProbe) over every object;
// 0 when the object list is missing or unreadable, else 1 with the best hit
// in the probe.
int ProbeObjectSurface(HostgateContext* g, ObjectProbe* probe);

// Drawing block of an object entry, or 0.
HostAddr FindObjectBlock(HostAddr entry);

// Interprets one drawing block from the starting point (probe frame) as an
// object's whole trace; 1 when it ran to its end, 0 when a bound or unreadable
// memory ended it.
int TraceObjectBlock(HostgateContext* g, HostAddr block, Vec3 start, ObjectProbe* probe);

// Distance along the ray to the triangle whose stored vertices are taken
// relative to origin; kProbeNoHit for none.
double IntersectTriangle(const ObjectTriangle& triangle, const Ray& ray, Vec3 origin);

// The reference point's position in the probe's local frame (metres).
Vec3 ProbeLocalOffset(const ObjectProbe& probe, double latitudeDeg, double longitudeDeg, double altitudeMetres);
