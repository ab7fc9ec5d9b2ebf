// object_probe.cpp - the object surface probe: a ray straight down through
// the host's drawn 3D objects, following each object's drawing block to its
// bounding spheres and triangles.
// Touches: host memory through the seam only (reads), nothing else.
//
// The drawing blocks are the host's memory and may be garbage. Every read of
// them is tested for readability first, every trace stays within a window of
// kBlockSpan bytes either side of its top block, nests at most
// kBlockDepthLimit sub-blocks deep and visits at most kTraceRecordLimit
// records and kTraceTriangleLimit triangles; the frame as a whole stops after
// kProbeRecordLimit records or kProbeTriangleLimit triangles. A bad block so
// ends its own trace only, and the worst frame costs a bounded time.
#include "pilotview/object_probe.h"

#include <cmath>
#include <cstring>

#include "host/host_access.h"

// [SECTION] Probe set-up

void InitObjectProbe(ObjectProbe* probe, double latitudeDeg, double longitudeDeg, double altitudeMetres) {
    *probe = ObjectProbe{};
    probe->latitude = latitudeDeg;
    probe->longitude = longitudeDeg;
    probe->altitude = altitudeMetres;
    probe->rayOrigin = Vec3{0.0, kProbeRayHeight, 0.0};
    probe->rayDirection = Vec3{0.0, -1.0, 0.0};
    probe->bestDistance = kProbeNoHit;
    // The local frame at the probe (x east, y up, z north) in the centre frame
    // of the geodesy helpers: up = (cos lat sin lon, sin lat, -cos lat cos lon).
    const double lat = latitudeDeg * kDegToRad, lon = longitudeDeg * kDegToRad;
    const double sinLat = std::sin(lat), cosLat = std::cos(lat);
    const double sinLon = std::sin(lon), cosLon = std::cos(lon);
    probe->up = Vec3{cosLat * sinLon, sinLat, -cosLat * cosLon};
    probe->east = Vec3{cosLon, 0.0, sinLon};
    probe->north = Vec3{-sinLat * sinLon, cosLat, sinLat * cosLon};
    probe->centre = Scale(probe->up, kEarthRadius + altitudeMetres);
}

Vec3 ProbeLocalOffset(const ObjectProbe& probe, double latitudeDeg, double longitudeDeg, double altitudeMetres) {
    const double lat = latitudeDeg * kDegToRad, lon = longitudeDeg * kDegToRad;
    const double r = kEarthRadius + altitudeMetres;
    const double cosLat = std::cos(lat);
    const Vec3 point{r * cosLat * std::sin(lon), r * std::sin(lat), -r * cosLat * std::cos(lon)};
    const Vec3 d = Sub(point, probe.centre);
    return Vec3{Dot(d, probe.east), Dot(d, probe.up), Dot(d, probe.north)};
}

// [SECTION] Sphere and triangle tests

// The ray passes within r x sqrt(2) of the centre (on it counts); a sphere
// wholly behind the ray's origin is missed, one that holds the origin is hit.
static bool RayNearSphere(const ObjectProbe& probe, Vec3 centre, double radius) {
    const Vec3 toCentre = Sub(centre, probe.rayOrigin);
    const Vec3 d = probe.rayDirection;
    const double dd = Dot(d, d);
    const double along = Dot(toCentre, d);
    const double r2 = radius * radius;
    if (along < 0.0 && !(Dot(toCentre, toCentre) <= r2)) return false;
    // Squared distance of the centre from the ray's line, from the
    // perpendicular part itself: no cancellation of two large squares.
    const Vec3 across = Sub(toCentre, Scale(d, dd > 0.0 ? along / dd : 0.0));
    return Dot(across, across) <= 2.0 * r2;
}

struct Projected {
    double u, v;
};

// Drops the axis of the normal's largest component (x first, then y, then z on ties).
static Projected Project(Vec3 p, int dropped) {
    if (dropped == 0) return Projected{p.y, p.z};
    if (dropped == 1) return Projected{p.z, p.x};
    return Projected{p.x, p.y};
}

static double Cross2(Projected from, Projected to, Projected p) {
    return (to.u - from.u) * (p.v - from.v) - (to.v - from.v) * (p.u - from.u);
}

double IntersectTriangle(const ObjectTriangle& triangle, const Ray& ray, Vec3 origin) {
    Vec3 a = Add(Vec3{triangle.a[0], triangle.a[1], triangle.a[2]}, origin);
    Vec3 b = Add(Vec3{triangle.b[0], triangle.b[1], triangle.b[2]}, origin);
    const Vec3 c = Add(Vec3{triangle.c[0], triangle.c[1], triangle.c[2]}, origin);
    const Vec3 n{triangle.normal[0], triangle.normal[1], triangle.normal[2]};
    const double ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
    const int dropped = (ax >= ay && ax >= az) ? 0 : (ay >= az ? 1 : 2);
    if (Cross2(Project(a, dropped), Project(b, dropped), Project(c, dropped)) < 0.0) {
        const Vec3 swap = a;
        a = b;
        b = swap;
    }
    const double facing = Dot(n, ray.direction);
    if (!(std::fabs(facing) >= 1e-10)) return kProbeNoHit;
    const double t = Dot(n, Sub(a, ray.origin)) / facing;
    // Written so that NaN fails too.
    if (!(t >= 1e-10 && t <= kProbeNoHit)) return kProbeNoHit;
    const Projected p = Project(Add(ray.origin, Scale(ray.direction, t)), dropped);
    const Projected pa = Project(a, dropped), pb = Project(b, dropped), pc = Project(c, dropped);
    const bool inside = Cross2(pa, pb, p) >= 0.0 && Cross2(pb, pc, p) >= 0.0 && Cross2(pc, pa, p) >= 0.0;
    return inside ? t : kProbeNoHit;
}

// [SECTION] Guarded block reads

// One trace's view of host memory: reads inside the window only, each
// tested for readability, served from a small staging buffer so that a run
// of records costs one test and one copy.
struct BlockReader {
    std::uint64_t low, high;  // the window [low, high)
    std::uint64_t bufferAt;
    std::uint32_t bufferLength;
    std::uint8_t buffer[2048];
};

static void OpenReader(BlockReader* r, HostAddr top) {
    r->low = top > kBlockSpan ? std::uint64_t(top) - kBlockSpan : 0;
    r->high = std::uint64_t(top) + kBlockSpan;
    if (r->high > (std::uint64_t(1) << 32)) r->high = std::uint64_t(1) << 32;
    r->bufferAt = 0;
    r->bufferLength = 0;
}

// Copy size bytes at addr; false when they leave the window or cannot be read.
static bool Fetch(BlockReader* r, std::uint64_t addr, void* out, std::uint32_t size) {
    if (addr < r->low || addr + size > r->high) return false;
    if (addr >= r->bufferAt && addr + size <= r->bufferAt + r->bufferLength) {
        std::memcpy(out, r->buffer + (addr - r->bufferAt), size);
        return true;
    }
    std::uint64_t chunk = r->high - addr;
    if (chunk > sizeof r->buffer) chunk = sizeof r->buffer;
    // Near the end of readable memory the whole chunk may not be there.
    if (!PlatHostReadable(HostAddr(addr), std::uint32_t(chunk))) {
        chunk = size;
        if (!PlatHostReadable(HostAddr(addr), size)) return false;
    }
    PlatHostRead(HostAddr(addr), r->buffer, std::uint32_t(chunk));
    r->bufferAt = addr;
    r->bufferLength = std::uint32_t(chunk);
    std::memcpy(out, r->buffer, size);
    return true;
}

template <typename T>
static bool FetchAt(BlockReader* r, std::uint64_t addr, T* value) {
    return Fetch(r, addr, value, sizeof *value);
}

// [SECTION] Tracing

struct Trace {
    ObjectProbe* probe;
    BlockReader reader;
    int records;    // visited by this trace
    int triangles;  // tested by this trace
};

// One more record for the trace and the frame; false when either is spent.
static bool TakeRecord(Trace* t) {
    if (t->records >= kTraceRecordLimit || t->probe->recordsVisited >= kProbeRecordLimit) return false;
    t->records++;
    t->probe->recordsVisited++;
    return true;
}

static bool TestTriangles(Trace* t, std::uint64_t at, Vec3 origin) {
    std::uint32_t count = 0;
    if (!FetchAt(&t->reader, at + 2, &count)) return false;
    // A list longer than the window allows is garbage whatever it holds.
    const std::uint64_t first = at + kTriangleListHeaderSize;
    if (first + std::uint64_t(count) * sizeof(ObjectTriangle) > t->reader.high) return false;
    ObjectProbe* probe = t->probe;
    const Ray ray{probe->rayOrigin, probe->rayDirection};
    for (std::uint32_t i = 0; i < count; i++) {
        if (t->triangles >= kTraceTriangleLimit || probe->trianglesTested >= kProbeTriangleLimit) return false;
        ObjectTriangle triangle;
        if (!FetchAt(&t->reader, first + std::uint64_t(i) * sizeof triangle, &triangle)) return false;
        t->triangles++;
        probe->trianglesTested++;
        const double distance = IntersectTriangle(triangle, ray, origin);
        if (distance < probe->bestDistance) probe->bestDistance = distance;
    }
    return true;
}

// Runs one block's records; false when the trace must end (a bound, memory
// that cannot be read), true when the block ended by itself.
static bool TraceBlock(Trace* t, std::uint64_t block, Vec3 start, int depth) {
    Vec3 local = start, origin = start;
    std::uint64_t at = block;
    for (;;) {
        if (!TakeRecord(t)) return false;
        std::uint16_t code = 0;
        if (!FetchAt(&t->reader, at, &code)) return false;
        switch (code) {
        case kDrawSubBlock: {
            std::uint32_t offset = 0;
            if (!FetchAt(&t->reader, at + 2, &offset)) return false;
            if (depth >= kBlockDepthLimit) return false;
            // Offsets wrap as the host's 32-bit addresses do.
            const std::uint64_t sub = HostAddr(std::uint32_t(at) + offset);
            if (!TraceBlock(t, sub, origin, depth + 1)) return false;
            at += kSubBlockRecordSize;
            break;
        }
        case kDrawReferencePoint: {
            float point[3];
            if (!Fetch(&t->reader, at + 2, point, sizeof point)) return false;
            local = ProbeLocalOffset(*t->probe, point[0], point[1], point[2]);
            at += kReferencePointRecordSize;
            break;
        }
        case kDrawSphere: {
            std::uint16_t length = 0;
            std::uint32_t skip = 0;
            float sphere[4];  // centre x, y, z, radius
            if (!FetchAt(&t->reader, at + 2, &length) || !FetchAt(&t->reader, at + 4, &skip) ||
                !Fetch(&t->reader, at + 10, sphere, sizeof sphere)) {
                return false;
            }
            origin = Add(Vec3{sphere[0], sphere[1], sphere[2]}, local);
            const bool hit = RayNearSphere(*t->probe, origin, sphere[3]);
            at = HostAddr(std::uint32_t(at) + (hit ? std::uint32_t(length) : skip));
            break;
        }
        case kDrawTriangles: {
            if (!TestTriangles(t, at, origin)) return false;
            std::uint32_t count = 0;
            FetchAt(&t->reader, at + 2, &count);
            at += kTriangleListHeaderSize + std::uint64_t(count) * sizeof(ObjectTriangle);
            break;
        }
        default:
            return true;  // 0xF001 and every code not in the table end the block
        }
    }
}

int TraceObjectBlock(HostgateContext*, HostAddr block, Vec3 start, ObjectProbe* probe) {
    Trace t;
    t.probe = probe;
    t.records = 0;
    t.triangles = 0;
    OpenReader(&t.reader, block);
    if (TraceBlock(&t, block, start, 0)) return 1;
    probe->tracesCut++;
    return 0;
}

// [SECTION] Objects

HostAddr FindObjectBlock(HostAddr entry) {
    if (!PlatHostReadable(entry + kObjectEntryModel, 4)) return 0;
    const HostAddr model = HostRead32(entry + kObjectEntryModel);
    if (!PlatHostReadable(model, kModelHeaderSize)) return 0;
    std::uint8_t header[kModelHeaderSize];
    PlatHostRead(model, header, sizeof header);
    if (std::memcmp(header + kModelMagic, "PNTR", 4) != 0) return 0;
    std::uint32_t count = 0;
    std::memcpy(&count, header + kModelTagCount, 4);
    for (std::uint32_t i = 0; i < count && i < kModelTagLimit; i++) {
        const std::uint32_t at = kModelTagTable + 8 * i;
        std::uint8_t item[8];
        if (at + 8 <= kModelHeaderSize) {
            std::memcpy(item, header + at, 8);
        } else {
            // Items past the tested header are tested one by one.
            if (!PlatHostReadable(model + at, 8)) return 0;
            PlatHostRead(model + at, item, 8);
        }
        std::uint32_t offset = 0;
        std::memcpy(&offset, item + 4, 4);
        if (std::memcmp(item, "BLCK", 4) == 0 && offset != 0) return model + at + offset;
    }
    return 0;
}

int ProbeObjectSurface(HostgateContext* g, ObjectProbe* probe) {
    probe->bestDistance = kProbeNoHit;
    probe->objectsLooked = probe->recordsVisited = probe->trianglesTested = probe->tracesCut = 0;
    if (g->objectList == 0 || !PlatHostReadable(g->objectList, 16)) return 0;
    const std::uint32_t count = HostRead32(g->objectList);
    const HostAddr entries = HostRead32(g->objectList + 12);
    for (std::uint32_t i = 0; i < count && i < std::uint32_t(kProbeObjectLimit); i++) {
        // The frame's budget is spent: the rest of the objects wait for the next frame.
        if (probe->recordsVisited >= kProbeRecordLimit || probe->trianglesTested >= kProbeTriangleLimit) break;
        probe->objectsLooked++;
        const HostAddr entry = entries + i * kObjectEntrySize;
        if (!PlatHostReadable(entry, kObjectEntrySize)) continue;
        const HostAddr block = FindObjectBlock(entry);
        if (block != 0) TraceObjectBlock(g, block, Vec3{0.0, 0.0, 0.0}, probe);
    }
    return 1;
}
