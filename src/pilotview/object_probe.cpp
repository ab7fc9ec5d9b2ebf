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
    probe->latitudeRad = latitudeDeg * kDegToRad;
    probe->longitudeRad = longitudeDeg * kDegToRad;
    probe->sinLatitude = std::sin(probe->latitudeRad);
    probe->cosLatitude = std::cos(probe->latitudeRad);
}

// sin x and 1 - cos x; by their series for the small angles of nearby
// objects (exact to the last bit below 0.05 rad, about 300 km), else by the
// library. 1 - cos x is kept apart so that nothing cancels.
static void SinAndVersine(double x, double* sine, double* versine) {
    if (std::fabs(x) < 0.05) {
        // Multiplications by the reciprocals: no division in the loop over objects.
        const double x2 = x * x;
        *sine = x * (1.0 - x2 * (1.0 / 6.0) * (1.0 - x2 * (1.0 / 20.0) * (1.0 - x2 * (1.0 / 42.0) *
                                                                          (1.0 - x2 * (1.0 / 72.0)))));
        *versine = x2 * 0.5 * (1.0 - x2 * (1.0 / 12.0) * (1.0 - x2 * (1.0 / 30.0) * (1.0 - x2 * (1.0 / 56.0) *
                                                                                  (1.0 - x2 * (1.0 / 90.0)))));
    } else {
        const double half = std::sin(x / 2.0);
        *sine = std::sin(x);
        *versine = 2.0 * half * half;
    }
}

// The reference point relative to the probe, both on the sphere with their
// altitudes added, in the probe's frame (x east, y up, z north). Written
// with the differences of latitude and longitude so that nearby points,
// nearly all of them, need no library call and lose nothing to cancellation.
Vec3 ProbeLocalOffset(const ObjectProbe& probe, double latitudeDeg, double longitudeDeg, double altitudeMetres) {
    const double dLat = latitudeDeg * kDegToRad - probe.latitudeRad;
    const double dLon = longitudeDeg * kDegToRad - probe.longitudeRad;
    double sinDLat = 0, versDLat = 0, sinDLon = 0, versDLon = 0;
    SinAndVersine(dLat, &sinDLat, &versDLat);
    SinAndVersine(dLon, &sinDLon, &versDLon);
    const double cosLat = probe.cosLatitude * (1.0 - versDLat) - probe.sinLatitude * sinDLat;
    const double r = kEarthRadius + altitudeMetres;
    return Vec3{r * cosLat * sinDLon,
                (altitudeMetres - probe.altitude) - r * versDLat - r * cosLat * probe.cosLatitude * versDLon,
                r * (sinDLat + cosLat * probe.sinLatitude * versDLon)};
}

// [SECTION] Sphere and triangle tests

// The geometry helpers' vector operations, here where the compiler can
// inline them: the probe runs them for every object of every frame.
static inline Vec3 Plus(Vec3 a, Vec3 b) {
    return Vec3{a.x + b.x, a.y + b.y, a.z + b.z};
}
static inline Vec3 Minus(Vec3 a, Vec3 b) {
    return Vec3{a.x - b.x, a.y - b.y, a.z - b.z};
}
static inline Vec3 Times(Vec3 v, double s) {
    return Vec3{v.x * s, v.y * s, v.z * s};
}
static inline double DotOf(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// The ray passes within r x sqrt(2) of the centre (on it counts); a sphere
// wholly behind the ray's origin is missed, one that holds the origin is hit.
static bool RayNearSphere(const ObjectProbe& probe, Vec3 centre, double radius) {
    const Vec3 toCentre = Minus(centre, probe.rayOrigin);
    const Vec3 d = probe.rayDirection;
    const double dd = DotOf(d, d);
    const double along = DotOf(toCentre, d);
    const double r2 = radius * radius;
    if (along < 0.0 && !(DotOf(toCentre, toCentre) <= r2)) return false;
    // Squared distance of the centre from the ray's line, from the
    // perpendicular part itself: no cancellation of two large squares.
    const Vec3 across = Minus(toCentre, Times(d, dd > 0.0 ? along / dd : 0.0));
    return DotOf(across, across) <= 2.0 * r2;
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
    Vec3 a = Plus(Vec3{triangle.a[0], triangle.a[1], triangle.a[2]}, origin);
    Vec3 b = Plus(Vec3{triangle.b[0], triangle.b[1], triangle.b[2]}, origin);
    const Vec3 c = Plus(Vec3{triangle.c[0], triangle.c[1], triangle.c[2]}, origin);
    const Vec3 n{triangle.normal[0], triangle.normal[1], triangle.normal[2]};
    const double ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
    const int dropped = (ax >= ay && ax >= az) ? 0 : (ay >= az ? 1 : 2);
    if (Cross2(Project(a, dropped), Project(b, dropped), Project(c, dropped)) < 0.0) {
        const Vec3 swap = a;
        a = b;
        b = swap;
    }
    const double facing = DotOf(n, ray.direction);
    if (!(std::fabs(facing) >= 1e-10)) return kProbeNoHit;
    const double t = DotOf(n, Minus(a, ray.origin)) / facing;
    // Written so that NaN fails too.
    if (!(t >= 1e-10 && t <= kProbeNoHit)) return kProbeNoHit;
    const Projected p = Project(Plus(ray.origin, Times(ray.direction, t)), dropped);
    const Projected pa = Project(a, dropped), pb = Project(b, dropped), pc = Project(c, dropped);
    const bool inside = Cross2(pa, pb, p) >= 0.0 && Cross2(pb, pc, p) >= 0.0 && Cross2(pc, pa, p) >= 0.0;
    return inside ? t : kProbeNoHit;
}

// [SECTION] Guarded block reads

static constexpr std::uint32_t kPageBits = 12;  // the host's 4 KiB pages

// The seam's readability test, a page at a time, each page once a probe.
static bool ProbePagesReadable(ObjectProbe* probe, std::uint32_t first, std::uint32_t last) {
    for (std::uint32_t page = first; page <= last; page++) {
        std::uint32_t& slot = probe->readablePages[page & 15];
        if (slot == page + 1) continue;
        if (!PlatHostReadable(page << kPageBits, 1u << kPageBits)) return false;
        slot = page + 1;
    }
    return true;
}

// Nearly every test asks for one page already found readable: that answer
// needs no call.
static inline bool ProbeReadable(ObjectProbe* probe, HostAddr addr, std::uint32_t size) {
    const std::uint32_t first = addr >> kPageBits;
    const std::uint64_t last = (std::uint64_t(addr) + size - 1) >> kPageBits;
    if (last == first) {
        // One page, below the top of the address space (a size of 0 may come here too: it is always readable).
        std::uint32_t& slot = probe->readablePages[first & 15];
        if (slot == first + 1 || size == 0) return true;
        if (!PlatHostReadable(first << kPageBits, 1u << kPageBits)) return false;
        slot = first + 1;
        return true;
    }
    if (size == 0) return true;
    if (std::uint64_t(addr) + size > (std::uint64_t(1) << 32)) return false;
    return ProbePagesReadable(probe, first, std::uint32_t(last));
}

// One trace's view of host memory: reads inside the window only, each
// tested for readability, served from a small staging buffer so that a run
// of records costs one test and one copy.
struct BlockReader {
    ObjectProbe* probe;       // its readable pages
    std::uint64_t low, high;  // the window [low, high)
    std::uint64_t bufferAt;
    std::uint32_t bufferLength;
    std::uint8_t buffer[2048];
};

static void OpenReader(BlockReader* r, ObjectProbe* probe, HostAddr top) {
    r->probe = probe;
    r->low = top > kBlockSpan ? std::uint64_t(top) - kBlockSpan : 0;
    r->high = std::uint64_t(top) + kBlockSpan;
    if (r->high > (std::uint64_t(1) << 32)) r->high = std::uint64_t(1) << 32;
    r->bufferAt = 0;
    r->bufferLength = 0;
}

// Bytes staged at a time for records; triangle lists stage more.
static constexpr std::uint32_t kRecordStage = 64;

// Stage up to `stage` bytes from addr (at least size); false when they
// leave the window or cannot be read.
static bool Stage(BlockReader* r, std::uint64_t addr, std::uint32_t size, std::uint32_t stage) {
    if (addr < r->low || addr + size > r->high) return false;
    std::uint64_t chunk = stage > size ? stage : size;
    if (chunk > sizeof r->buffer) chunk = sizeof r->buffer;
    if (chunk > r->high - addr) chunk = r->high - addr;
    // Near the end of readable memory the whole chunk may not be there.
    if (!ProbeReadable(r->probe, HostAddr(addr), std::uint32_t(chunk))) {
        chunk = size;
        if (!ProbeReadable(r->probe, HostAddr(addr), size)) return false;
    }
    PlatHostRead(HostAddr(addr), r->buffer, std::uint32_t(chunk));
    r->bufferAt = addr;
    r->bufferLength = std::uint32_t(chunk);
    return true;
}

// Copy size bytes at addr from the staged bytes (they lie in the window and
// were readable), staging afresh when they do not hold them. Inline, so
// that the copy has its size known where it is made.
static inline bool Fetch(BlockReader* r, std::uint64_t addr, void* out, std::uint32_t size,
                         std::uint32_t stage = kRecordStage) {
    // Below the staged bytes the difference wraps to far more than they hold.
    std::uint64_t offset = addr - r->bufferAt;
    if (offset >= r->bufferLength || r->bufferLength - offset < size) {
        if (!Stage(r, addr, size, stage)) return false;
        offset = 0;
    }
    std::memcpy(out, r->buffer + offset, size);
    return true;
}

template <typename T>
static inline bool FetchAt(BlockReader* r, std::uint64_t addr, T* value) {
    return Fetch(r, addr, value, sizeof *value);
}

// [SECTION] Tracing

struct Trace {
    ObjectProbe* probe;
    BlockReader reader;
    int recordsLeft;    // the lesser of the trace's limit and what the frame has left
    int trianglesLeft;
    bool vertical;      // the ray runs along the y axis through the frame's origin, as the probe's does
};

static inline bool TakeRecord(Trace* t) {
    return t->recordsLeft-- > 0;
}

// The two points of a block. Placing a reference point is the dearest
// arithmetic of the walk and most spheres are far from the ray, so both are
// worked out only when something uses them: a sphere the quick test below
// cannot settle, a triangle list, a sub-block. They are worked out from the
// same numbers by the same operations, so they are the same to the bit.
struct BlockPoints {
    Vec3 local, origin;
    bool localDue, originDue;  // still to be worked out from point, and from centre + local
    float point[3];            // the reference point: latitude, longitude, altitude
    float centre[3];           // the last sphere's centre
};

static inline Vec3 LocalOf(const Trace* t, BlockPoints* p) {
    if (p->localDue) {
        p->local = ProbeLocalOffset(*t->probe, p->point[0], p->point[1], p->point[2]);
        p->localDue = false;
    }
    return p->local;
}

static inline Vec3 OriginOf(const Trace* t, BlockPoints* p) {
    if (p->originDue) {
        p->origin = Plus(Vec3{p->centre[0], p->centre[1], p->centre[2]}, LocalOf(t, p));
        p->originDue = false;
    }
    return p->origin;
}

// Reference points within this angle of the probe (about 64 km) take the quick test.
static constexpr double kNearAngle = 0.01;

// True only when the sphere test of RayNearSphere is certain to miss the
// sphere whose centre is given relative to the reference point, for a ray
// along the y axis through the frame's origin. For such a ray that test
// misses whenever x^2 + z^2 of the centre (its squared distance from the
// ray) exceeds 2 r^2, whatever y is; it takes x and z from the local offset.
// Here they are taken from the first terms of that offset's series instead,
// x = R cos(lat0) dLon and z = R dLat (R = the earth's radius + the point's
// altitude), which for angles up to m = kNearAngle differ from the
// offset's, its rounding included, by less than |R| 1.01 m^2 and
// |R| 0.51 m^2. With a slack of |R| (2 m^2 + 1e-12 m), a relative 1e-12 on
// the distances and a margin of 1e-9 on the comparison, a miss here is a
// miss there; anything else (far, hostile, not finite) goes to the full
// test. It needs no more of the probe's latitude than a sine and cosine no
// larger than 1.
static inline bool SurelyMissed(const ObjectProbe& probe, const float point[3], const float sphere[4]) {
    const double dLat = double(point[0]) * kDegToRad - probe.latitudeRad;
    const double dLon = double(point[1]) * kDegToRad - probe.longitudeRad;
    const double aLat = std::fabs(dLat), aLon = std::fabs(dLon);
    // Written so that NaN fails too.
    if (!(aLat <= kNearAngle && aLon <= kNearAngle)) return false;
    const double R = kEarthRadius + double(point[2]);
    const double m = aLat > aLon ? aLat : aLon;
    // An altitude that is not a number leaves nothing to compare below.
    const double slack = std::fabs(R) * (2.0 * m * m + 1e-12 * m);
    const double x = std::fabs(double(sphere[0]) + R * probe.cosLatitude * dLon) * (1.0 - 1e-12) - slack;
    const double z = std::fabs(double(sphere[2]) + R * dLat) * (1.0 - 1e-12) - slack;
    // A part that is not a number counts 0: no square is smaller.
    const double x2 = x > 0.0 ? x * x : 0.0;
    const double z2 = z > 0.0 ? z * z : 0.0;
    const double radius = sphere[3];
    return x2 + z2 > 2.0 * (radius * radius) * (1.0 + 1e-9);
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
        if (t->trianglesLeft <= 0) return false;
        ObjectTriangle triangle;
        const std::uint32_t left = (count - i) * std::uint32_t(sizeof triangle);  // fits: the window is 8 MiB
        if (!Fetch(&t->reader, first + std::uint64_t(i) * sizeof triangle, &triangle, sizeof triangle, left)) {
            return false;
        }
        t->trianglesLeft--;
        const double distance = IntersectTriangle(triangle, ray, origin);
        if (distance < probe->bestDistance) probe->bestDistance = distance;
    }
    return true;
}

// Runs one block's records; false when the trace must end (a bound, memory
// that cannot be read), true when the block ended by itself.
static bool TraceBlock(Trace* t, std::uint64_t block, const Vec3& start, int depth) {
    BlockPoints p;
    p.local = start;
    p.origin = start;
    p.localDue = p.originDue = false;
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
            if (!TraceBlock(t, sub, OriginOf(t, &p), depth + 1)) return false;
            at += kSubBlockRecordSize;
            break;
        }
        case kDrawReferencePoint: {
            // An origin still due is the last sphere's with the old offset.
            OriginOf(t, &p);
            if (!Fetch(&t->reader, at + 2, p.point, sizeof p.point)) return false;
            p.localDue = true;
            at += kReferencePointRecordSize;
            break;
        }
        case kDrawSphere: {
            // length16 at +2, skip32 at +4, two bytes not read, then centre x, y, z and radius floats.
            std::uint8_t record[kSphereRecordSize - 2];
            if (!Fetch(&t->reader, at + 2, record, sizeof record)) return false;
            std::uint16_t length = 0;
            std::uint32_t skip = 0;
            float sphere[4];
            std::memcpy(&length, record, 2);
            std::memcpy(&skip, record + 2, 4);
            std::memcpy(sphere, record + 8, sizeof sphere);
            bool hit = false;
            if (t->vertical && p.localDue && SurelyMissed(*t->probe, p.point, sphere)) {
                std::memcpy(p.centre, sphere, sizeof p.centre);
                p.originDue = true;
            } else {
                p.origin = Plus(Vec3{sphere[0], sphere[1], sphere[2]}, LocalOf(t, &p));
                p.originDue = false;
                hit = RayNearSphere(*t->probe, p.origin, sphere[3]);
            }
            at = HostAddr(std::uint32_t(at) + (hit ? std::uint32_t(length) : skip));
            break;
        }
        case kDrawTriangles: {
            if (!TestTriangles(t, at, OriginOf(t, &p))) return false;
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

// Whether the quick sphere test may be used for this probe's ray (see SurelyMissed).
static bool VerticalRay(const ObjectProbe& probe) {
    return probe.rayOrigin.x == 0.0 && probe.rayOrigin.z == 0.0 && probe.rayDirection.x == 0.0 &&
           probe.rayDirection.z == 0.0 && std::fabs(probe.sinLatitude) <= 1.0 && std::fabs(probe.cosLatitude) <= 1.0;
}

// One trace from a top block. The trace record comes with its probe and
// whether the quick sphere test may be used; the rest is set here. Inlined
// into the object loop, where its set-up is a good part of an object's cost.
[[gnu::always_inline]] static inline int RunTrace(Trace* t, HostAddr block, const Vec3& start) {
    ObjectProbe* probe = t->probe;
    const int records = kProbeRecordLimit - probe->recordsVisited;
    const int triangles = kProbeTriangleLimit - probe->trianglesTested;
    t->recordsLeft = records < kTraceRecordLimit ? records : kTraceRecordLimit;
    t->trianglesLeft = triangles < kTraceTriangleLimit ? triangles : kTraceTriangleLimit;
    const int recordBudget = t->recordsLeft, triangleBudget = t->trianglesLeft;
    OpenReader(&t->reader, probe, block);
    const bool ended = TraceBlock(t, block, start, 0);
    // A refused record counted itself below zero.
    probe->recordsVisited += recordBudget - (t->recordsLeft < 0 ? 0 : t->recordsLeft);
    probe->trianglesTested += triangleBudget - t->trianglesLeft;
    if (ended) return 1;
    probe->tracesCut++;
    return 0;
}

int TraceObjectBlock(HostgateContext*, HostAddr block, Vec3 start, ObjectProbe* probe) {
    Trace t;
    t.probe = probe;
    t.vertical = VerticalRay(*probe);
    return RunTrace(&t, block, start);
}

// [SECTION] Objects

// The drawing block of a model header, or 0. Of the 200 bytes tested only
// the magic and the tag table are read.
static inline HostAddr FindModelBlock(ObjectProbe* probe, HostAddr model) {
    if (!ProbeReadable(probe, model, kModelHeaderSize)) return 0;
    std::uint8_t header[kModelHeaderSize];
    PlatHostRead(model + kModelMagic, header + kModelMagic, kModelHeaderSize - kModelMagic);
    if (std::memcmp(header + kModelMagic, "PNTR", 4) != 0) return 0;
    std::uint32_t count = 0;
    std::memcpy(&count, header + kModelTagCount, 4);
    if (count > kModelTagLimit) count = kModelTagLimit;
    // The items inside the tested header, then those past it, tested one by one.
    constexpr std::uint32_t kItemsInHeader = (kModelHeaderSize - kModelTagTable) / 8;
    const std::uint32_t inHeader = count < kItemsInHeader ? count : kItemsInHeader;
    for (std::uint32_t i = 0; i < inHeader; i++) {
        const std::uint8_t* item = header + kModelTagTable + 8 * i;
        std::uint32_t offset = 0;
        std::memcpy(&offset, item + 4, 4);
        if (std::memcmp(item, "BLCK", 4) == 0 && offset != 0) return model + kModelTagTable + 8 * i + offset;
    }
    for (std::uint32_t i = inHeader; i < count; i++) {
        const std::uint32_t at = kModelTagTable + 8 * i;
        std::uint8_t item[8];
        if (!ProbeReadable(probe, model + at, 8)) return 0;
        PlatHostRead(model + at, item, 8);
        std::uint32_t offset = 0;
        std::memcpy(&offset, item + 4, 4);
        if (std::memcmp(item, "BLCK", 4) == 0 && offset != 0) return model + at + offset;
    }
    return 0;
}

HostAddr FindObjectBlock(HostAddr entry) {
    if (!PlatHostReadable(entry + kObjectEntryModel, 4)) return 0;
    ObjectProbe scratch{};
    return FindModelBlock(&scratch, HostRead32(entry + kObjectEntryModel));
}

int ProbeObjectSurface(HostgateContext* g, ObjectProbe* probe) {
    probe->bestDistance = kProbeNoHit;
    probe->objectsLooked = probe->recordsVisited = probe->trianglesTested = probe->tracesCut = 0;
    for (std::uint32_t& page : probe->readablePages) page = 0;
    if (g->objectList == 0 || !PlatHostReadable(g->objectList, 16)) return 0;
    const std::uint32_t count = HostRead32(g->objectList);
    const HostAddr entries = HostRead32(g->objectList + 12);
    Trace t;
    t.probe = probe;
    t.vertical = VerticalRay(*probe);
    for (std::uint32_t i = 0; i < count && i < std::uint32_t(kProbeObjectLimit); i++) {
        // The frame's budget is spent: the rest of the objects wait for the next frame.
        if (probe->recordsVisited >= kProbeRecordLimit || probe->trianglesTested >= kProbeTriangleLimit) break;
        probe->objectsLooked++;
        const HostAddr entry = entries + i * kObjectEntrySize;
        if (!ProbeReadable(probe, entry, kObjectEntrySize)) continue;
        const HostAddr block = FindModelBlock(probe, HostRead32(entry + kObjectEntryModel));
        if (block != 0) RunTrace(&t, block, Vec3{0.0, 0.0, 0.0});
    }
    return 1;
}
