// object_probe_earlier.h - the object surface probe's walk (readability
// cache, staged reads, record tracing, model and object lookup) as it was
// first written, kept unchanged (its functions in namespace earlier, marked
// inline) so that the probe of today can be held against it: by
// tests/unit/object_probe_earlier_test.cpp and by
// fuzz/object_probe_fuzz.cpp.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "host/host_access.h"
#include "pilotview/object_probe.h"


namespace earlier {

// The reference point's offset and the triangle test were left as they
// were: both probes share them (::ProbeLocalOffset, ::IntersectTriangle).

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

// [SECTION] Guarded block reads

static constexpr std::uint32_t kPageBits = 12;  // the host's 4 KiB pages

// The seam's readability test, a page at a time, each page once a probe.
static bool ProbeReadable(ObjectProbe* probe, HostAddr addr, std::uint32_t size) {
    if (size == 0) return true;
    if (std::uint64_t(addr) + size > (std::uint64_t(1) << 32)) return false;
    const std::uint32_t last = std::uint32_t((std::uint64_t(addr) + size - 1) >> kPageBits);
    for (std::uint32_t page = addr >> kPageBits; page <= last; page++) {
        std::uint32_t& slot = probe->readablePages[page & 15];
        if (slot == page + 1) continue;
        if (!PlatHostReadable(page << kPageBits, 1u << kPageBits)) return false;
        slot = page + 1;
    }
    return true;
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

// Stage up to `stage` bytes from addr (at least size) and copy size of them;
// false when they leave the window or cannot be read.
static bool Stage(BlockReader* r, std::uint64_t addr, void* out, std::uint32_t size, std::uint32_t stage) {
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
    std::memcpy(out, r->buffer, size);
    return true;
}

// Copy size bytes at addr, from the staged bytes when they hold them (they
// lie in the window and were readable), else staging afresh.
static inline bool Fetch(BlockReader* r, std::uint64_t addr, void* out, std::uint32_t size,
                         std::uint32_t stage = kRecordStage) {
    if (addr >= r->bufferAt && addr + size <= r->bufferAt + r->bufferLength) {
        std::memcpy(out, r->buffer + (addr - r->bufferAt), size);
        return true;
    }
    return Stage(r, addr, out, size, stage);
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
};

static inline bool TakeRecord(Trace* t) {
    return t->recordsLeft-- > 0;
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
        const double distance = ::IntersectTriangle(triangle, ray, origin);
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
            local = ::ProbeLocalOffset(*t->probe, point[0], point[1], point[2]);
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
            origin = Plus(Vec3{sphere[0], sphere[1], sphere[2]}, local);
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

inline int TraceObjectBlock(HostgateContext*, HostAddr block, Vec3 start, ObjectProbe* probe) {
    Trace t;
    t.probe = probe;
    const int records = kProbeRecordLimit - probe->recordsVisited;
    const int triangles = kProbeTriangleLimit - probe->trianglesTested;
    t.recordsLeft = records < kTraceRecordLimit ? records : kTraceRecordLimit;
    t.trianglesLeft = triangles < kTraceTriangleLimit ? triangles : kTraceTriangleLimit;
    const int recordBudget = t.recordsLeft, triangleBudget = t.trianglesLeft;
    OpenReader(&t.reader, probe, block);
    const bool ended = TraceBlock(&t, block, start, 0);
    // A refused record counted itself below zero.
    probe->recordsVisited += recordBudget - (t.recordsLeft < 0 ? 0 : t.recordsLeft);
    probe->trianglesTested += triangleBudget - t.trianglesLeft;
    if (ended) return 1;
    probe->tracesCut++;
    return 0;
}

// [SECTION] Objects

// The drawing block of a model header, or 0. Of the 200 bytes tested only
// the magic and the tag table are read.
static HostAddr FindModelBlock(ObjectProbe* probe, HostAddr model) {
    if (!ProbeReadable(probe, model, kModelHeaderSize)) return 0;
    std::uint8_t header[kModelHeaderSize];
    PlatHostRead(model + kModelMagic, header + kModelMagic, kModelHeaderSize - kModelMagic);
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
            if (!ProbeReadable(probe, model + at, 8)) return 0;
            PlatHostRead(model + at, item, 8);
        }
        std::uint32_t offset = 0;
        std::memcpy(&offset, item + 4, 4);
        if (std::memcmp(item, "BLCK", 4) == 0 && offset != 0) return model + at + offset;
    }
    return 0;
}

inline HostAddr FindObjectBlock(HostAddr entry) {
    if (!PlatHostReadable(entry + kObjectEntryModel, 4)) return 0;
    ObjectProbe scratch{};
    return FindModelBlock(&scratch, HostRead32(entry + kObjectEntryModel));
}

inline int ProbeObjectSurface(HostgateContext* g, ObjectProbe* probe) {
    probe->bestDistance = kProbeNoHit;
    probe->objectsLooked = probe->recordsVisited = probe->trianglesTested = probe->tracesCut = 0;
    for (std::uint32_t& page : probe->readablePages) page = 0;
    if (g->objectList == 0 || !PlatHostReadable(g->objectList, 16)) return 0;
    const std::uint32_t count = HostRead32(g->objectList);
    const HostAddr entries = HostRead32(g->objectList + 12);
    for (std::uint32_t i = 0; i < count && i < std::uint32_t(kProbeObjectLimit); i++) {
        // The frame's budget is spent: the rest of the objects wait for the next frame.
        if (probe->recordsVisited >= kProbeRecordLimit || probe->trianglesTested >= kProbeTriangleLimit) break;
        probe->objectsLooked++;
        const HostAddr entry = entries + i * kObjectEntrySize;
        if (!ProbeReadable(probe, entry, kObjectEntrySize)) continue;
        const HostAddr block = FindModelBlock(probe, HostRead32(entry + kObjectEntryModel));
        if (block != 0) earlier::TraceObjectBlock(g, block, Vec3{0.0, 0.0, 0.0}, probe);
    }
    return 1;
}

}  // namespace earlier
