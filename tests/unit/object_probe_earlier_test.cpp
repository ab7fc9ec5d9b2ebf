// object_probe_earlier_test.cpp - the object surface probe against the
// plain form it was first written in, kept below as it was: the same
// scenes, hostile blocks and probes given to both must give the same
// answer to the bit, the same work counts and the same calls on host
// memory (every readability test and every read, in order: this test's
// executable is linked with the two seam functions wrapped, see
// tests/CMakeLists.txt, so that they pass through here). The probe has
// since learned to skip work whose outcome is certain; this is what keeps
// that honest, with spheres placed on the very edge of the test.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "host/host_access.h"
#include "hostsim/host_process.h"
#include "hostsim/sim_objects.h"
#include "pilotview/object_probe.h"
#include "pilotview/walker_view.h"
#include "test_host.h"

// [SECTION] The earlier probe, as it was

namespace earlier {

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
        const double distance = earlier::IntersectTriangle(triangle, ray, origin);
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
            local = earlier::ProbeLocalOffset(*t->probe, point[0], point[1], point[2]);
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

int TraceObjectBlock(HostgateContext*, HostAddr block, Vec3 start, ObjectProbe* probe) {
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

// [SECTION] The memory seam's calls, noted on their way

namespace {

struct MemoryCall {
    bool read;  // false: a readability test
    HostAddr addr;
    std::uint32_t size;
    bool operator==(const MemoryCall&) const = default;
};

std::vector<MemoryCall>* g_calls;  // null: nothing noted

}  // namespace

// The linker's names of PlatHostReadable and PlatHostRead, wrapped.
extern "C" int __real__Z16PlatHostReadablejj(HostAddr addr, std::uint32_t size);
extern "C" void __real__Z12PlatHostReadjPvj(HostAddr addr, void* out, std::uint32_t size);

extern "C" int __wrap__Z16PlatHostReadablejj(HostAddr addr, std::uint32_t size) {
    if (g_calls) g_calls->push_back(MemoryCall{false, addr, size});
    return __real__Z16PlatHostReadablejj(addr, size);
}

extern "C" void __wrap__Z12PlatHostReadjPvj(HostAddr addr, void* out, std::uint32_t size) {
    if (g_calls) g_calls->push_back(MemoryCall{true, addr, size});
    __real__Z12PlatHostReadjPvj(addr, out, size);
}

// [SECTION] Both probes side by side

namespace {

struct Outcome {
    int result;
    double best;
    int looked, records, triangles, cut;
    std::uint32_t pages[16];
    std::vector<MemoryCall> calls;
};

Outcome OutcomeOf(int result, const ObjectProbe& p, std::vector<MemoryCall> calls) {
    Outcome o{result, p.bestDistance, p.objectsLooked, p.recordsVisited, p.trianglesTested, p.tracesCut, {}, {}};
    std::memcpy(o.pages, p.readablePages, sizeof o.pages);
    o.calls = std::move(calls);
    return o;
}

// Whole probes, or one block traced alone when block is not 0.
Outcome Run(bool now, HostgateContext* g, const ObjectProbe& start, HostAddr block = 0, Vec3 from = {}) {
    ObjectProbe probe = start;
    std::vector<MemoryCall> calls;
    g_calls = &calls;
    int result = 0;
    if (block == 0) {
        result = now ? ProbeObjectSurface(g, &probe) : earlier::ProbeObjectSurface(g, &probe);
    } else {
        result = now ? TraceObjectBlock(g, block, from, &probe) : earlier::TraceObjectBlock(g, block, from, &probe);
    }
    g_calls = nullptr;
    return OutcomeOf(result, probe, std::move(calls));
}

std::uint64_t Bits(double v) {
    std::uint64_t b = 0;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// Returns the best distance both found.
double ExpectSame(HostgateContext* g, const ObjectProbe& probe, const char* what, int round, HostAddr block = 0,
                  Vec3 from = {}) {
    const Outcome was = Run(false, g, probe, block, from);
    const Outcome now = Run(true, g, probe, block, from);
    EXPECT_EQ(now.result, was.result) << what << " " << round;
    EXPECT_EQ(Bits(now.best), Bits(was.best)) << what << " " << round << ": " << now.best << " " << was.best;
    EXPECT_EQ(now.looked, was.looked) << what << " " << round;
    EXPECT_EQ(now.records, was.records) << what << " " << round;
    EXPECT_EQ(now.triangles, was.triangles) << what << " " << round;
    EXPECT_EQ(now.cut, was.cut) << what << " " << round;
    EXPECT_EQ(std::memcmp(now.pages, was.pages, sizeof now.pages), 0) << what << " " << round;
    EXPECT_FALSE(was.calls.empty()) << what << " " << round << ": the seam's calls were not noted";
    EXPECT_EQ(now.calls.size(), was.calls.size()) << what << " " << round;
    EXPECT_TRUE(now.calls == was.calls) << what << " " << round;
    return was.best;
}

// Every way the probe is handed over: its own ray at a few places, rays
// the quick sphere test must leave alone, each block traced alone.
int ExpectSameEverywhere(HostgateContext* g, double lat, double lon, std::mt19937* rng, const char* what) {
    std::uniform_real_distribution<double> near(-0.0008, 0.0008);
    int hits = 0;
    for (int k = 0; k < 6; k++) {
        ObjectProbe probe;
        InitObjectProbe(&probe, lat + (k ? near(*rng) : 0.0), lon + (k ? near(*rng) : 0.0), k == 5 ? 120.0 : 0.0);
        if (k == 3) probe.rayDirection = Vec3{0.05, -1.0, 0.0};  // not straight down
        if (k == 4) probe.rayOrigin.x = 3.0;                      // not over the frame's origin
        if (k == 5) probe.cosLatitude = 1.5;                      // not a cosine
        if (ExpectSame(g, probe, what, k) < kProbeNoHit) hits++;
        for (const hostsim::ObjectOutline& o : hostsim::Objects()) {
            ExpectSame(g, probe, what, 100 + k, o.block, Vec3{near(*rng) * 1e4, near(*rng) * 1e4, 0.0});
        }
    }
    return hits;
}

// Bytes of a drawing block.
struct Bytes {
    std::vector<std::uint8_t> b;
    Bytes& U16(std::uint16_t v) { return Put(&v, 2); }
    Bytes& U32(std::uint32_t v) { return Put(&v, 4); }
    Bytes& F(float v) { return Put(&v, 4); }
    Bytes& Put(const void* p, std::size_t n) {
        const auto* c = static_cast<const std::uint8_t*>(p);
        b.insert(b.end(), c, c + n);
        return *this;
    }
    Bytes& Point(float lat, float lon, float alt) { return U16(0xF002).F(lat).F(lon).F(alt).Put("sixteen bytes ..", 16); }
    Bytes& Sphere(std::uint16_t length, std::uint32_t skip, float x, float y, float z, float r) {
        return U16(0xF004).U16(length).U32(skip).U16(0).F(x).F(y).F(z).F(r);
    }
    // A level triangle 20 km across at height y relative to the origin, upwards.
    Bytes& Floor(float y) {
        U16(0xF005).U32(1);
        for (float v : {-10000.0f, y, -10000.0f, -10000.0f, y, 20000.0f, 20000.0f, y, -10000.0f, 0.0f, 1.0f, 0.0f}) F(v);
        return *this;
    }
};

constexpr double kLat = 47.5, kLon = 8.5;

class EarlierProbeTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(&g, 0, sizeof g);
        LocateHostModules(&g);
    }
    TestHost host;
    HostgateContext g;
    std::mt19937 rng{2004};
};

// [SECTION] Scenes

TEST_F(EarlierProbeTest, AGridOfBoxesGivesTheSameSurfaceEverywhere) {
    for (int i = 0; i < 150; i++) {
        double lat = 0, lon = 0;
        MoveOnSphere(kLat, kLon, (i % 15 - 7) * 12.0, (i / 15 - 5) * 12.0, &lat, &lon);
        hostsim::AddBox(lat, lon, 400.0 + i % 5, 8.0, 8.0, 3.0 + i % 8, 1 + i % 3);
    }
    hostsim::AddRoof(kLat, kLon, 400.0, 30.0, 20.0, 4.0, 9.0);
    hostsim::AddRamp(kLat + 0.0002, kLon, 400.0, 6.0, 20.0, 3.0);
    hostsim::AddSteps(kLat, kLon + 0.0003, 400.0, 5, 10.0, 1.0);
    EXPECT_GT(ExpectSameEverywhere(&g, kLat, kLon, &rng, "grid"), 0);
}

// Spheres whose squared distance from the ray is 2 r^2 give or take the
// last bits of the radius, around reference points near and far: the quick
// test must settle none of them wrongly. A hit and a miss then lead to
// different triangles; after a miss the origin is used by a triangle list
// after the next reference point, or handed to a sub-block.
TEST_F(EarlierProbeTest, SpheresOnTheEdgeOfTheTestAreDecidedAlike) {
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    ObjectProbe probe;
    InitObjectProbe(&probe, kLat, kLon, 0.0);
    int hits = 0, misses = 0;
    for (int round = 0; round < 600; round++) {
        hostsim::ClearObjects();
        // Reference points from metres away to beyond the quick test's reach, some high or low.
        const double reach = (const double[]){3.0, 0.8, 0.01, 0.0005}[round % 4];  // degrees
        const float lat = float(kLat + unit(rng) * reach), lon = float(kLon + unit(rng) * reach);
        const float alt = round % 7 == 0 ? float(unit(rng) * 2e6) : float(unit(rng) * 500.0);
        const float cx = float(unit(rng) * 300.0), cy = float(unit(rng) * 50.0), cz = float(unit(rng) * 300.0);
        // Where the sphere test places the centre, worked out as it does.
        const Vec3 local = earlier::ProbeLocalOffset(probe, lat, lon, alt);
        const double ox = double(cx) + local.x, oz = double(cz) + local.z;
        float radius = float(std::sqrt((ox * ox + oz * oz) / 2.0));
        for (int step = round % 5 - 2; step != 0; step += step < 0 ? 1 : -1) {
            radius = std::nextafter(radius, step < 0 ? 0.0f : 1e30f);
        }
        if (round % 11 == 0) radius *= 1.0f + float(unit(rng) * 1e-3);
        const bool hit = 2.0 * (double(radius) * radius) >= ox * ox + oz * oz;
        (hit ? hits : misses)++;
        Bytes b;
        b.Point(lat, lon, alt);                   // 0
        b.Sphere(26, 82, cx, cy, cz, radius);    // 30: hit at 56, miss at 112
        b.Floor(1.0f).U16(0xF001);                // 56: the hit's
        if (round % 2 == 0) {
            b.Point(float(kLat), float(kLon), 7.0f);  // 112
            b.Floor(3.0f);                            // 142: still the first sphere's origin
            b.Sphere(26, 26, cx, cy, cz, 1e4f);       // 196: about the second point
            b.Floor(2.0f).U16(0xF001);                // 222
        } else {
            b.U16(0xF000).U32(62);        // 112: handed the first sphere's origin
            b.Floor(2.0f).U16(0xF001);    // 118
            b.Floor(-4.0f).U16(0xF001);   // 174: the sub-block
        }
        hostsim::AddRawBlock(b.b);
        hostsim::AddRawBlock(b.b);
        ExpectSame(&g, probe, "edge", round);
        ExpectSame(&g, probe, "edge alone", round, hostsim::Objects()[0].block, Vec3{1.0, 2.0, 3.0});
    }
    EXPECT_GT(hits, 100);
    EXPECT_GT(misses, 100);
}

TEST_F(EarlierProbeTest, HostileBlocksEndAlike) {
    for (int kind = 0; kind < hostsim::kHostileCount; kind++) {
        hostsim::ClearObjects();
        hostsim::AddHostile(hostsim::HostileBlock(kind), kLat, kLon, 400.0);
        hostsim::AddBox(kLat, kLon, 400.0, 10.0, 10.0, 3.0, 2);
        hostsim::AddHostile(hostsim::HostileBlock(kind), kLat + 0.0001, kLon, 400.0);
        ExpectSameEverywhere(&g, kLat, kLon, &rng, hostsim::kHostileNames[kind]);
    }
    // Budgets spent across objects.
    hostsim::ClearObjects();
    for (int i = 0; i < 20; i++) hostsim::AddHostile(hostsim::kHostileSkipLoop, kLat, kLon, 400.0);
    hostsim::AddBox(kLat, kLon, 400.0, 10.0, 10.0, 3.0, 2);
    ExpectSameEverywhere(&g, kLat, kLon, &rng, "record budget");
    hostsim::ClearObjects();
    for (int i = 0; i < 6; i++) hostsim::AddBox(kLat, kLon, 400.0, 20.0, 20.0, 2.0 + i, 128);
    ExpectSameEverywhere(&g, kLat, kLon, &rng, "triangle budget");
}

// Random and mutated blocks with reference points near the probe, far from
// it and not numbers at all.
TEST_F(EarlierProbeTest, RandomAndMutatedBlocksAreWalkedAlike) {
    auto pick = [this](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto anyFloat = [&](float around, float spread) -> float {
        switch (pick(0, 9)) {
        case 0: return std::numeric_limits<float>::quiet_NaN();
        case 1: return std::numeric_limits<float>::infinity();
        case 2: return -3e38f;
        case 3: return 1e-30f;
        default: return around + spread * float(pick(-1000, 1000)) / 1000.0f;
        }
    };
    for (int round = 0; round < 120; round++) {
        hostsim::ClearObjects();
        for (int object = pick(1, 4); object > 0; object--) {
            Bytes block;
            for (int i = pick(1, 24); i > 0; i--) {
                switch (pick(0, 7)) {
                case 0: block.U16(0xF000).U32(std::uint32_t(pick(-64, 300))); break;
                case 1:
                case 2:
                    block.Point(anyFloat(float(kLat), 0.01f), anyFloat(float(kLon), 0.01f), anyFloat(400.0f, 1000.0f));
                    break;
                case 3:
                case 4:
                    block.Sphere(std::uint16_t(pick(0, 80)), std::uint32_t(pick(-80, 400)), anyFloat(0.0f, 600.0f),
                                 anyFloat(0.0f, 50.0f), anyFloat(0.0f, 600.0f), anyFloat(0.0f, 400.0f));
                    break;
                case 5: block.Floor(anyFloat(0.0f, 20.0f)); break;
                case 6: block.U16(0xF001); break;
                default: block.U16(std::uint16_t(pick(0, 65535))); break;
                }
            }
            for (int m = pick(0, 6); m > 0 && !block.b.empty(); m--) {
                block.b[std::size_t(pick(0, int(block.b.size()) - 1))] = std::uint8_t(pick(0, 255));
            }
            hostsim::AddRawBlock(block.b);
        }
        ObjectProbe probe;
        InitObjectProbe(&probe, kLat + pick(-50, 50) * 1e-5, kLon + pick(-50, 50) * 1e-5, 0.0);
        ExpectSame(&g, probe, "random", round);
        for (const hostsim::ObjectOutline& o : hostsim::Objects()) {
            ExpectSame(&g, probe, "random alone", round, o.block, Vec3{0.0, 0.0, 0.0});
        }
    }
}

}  // namespace
