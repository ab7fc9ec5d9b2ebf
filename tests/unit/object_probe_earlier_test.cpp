// object_probe_earlier_test.cpp - the object surface probe against the
// plain form it was first written in (object_probe_earlier.h): the same
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
#include "object_probe_earlier.h"
#include "pilotview/walker_view.h"
#include "test_host.h"

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
        const Vec3 local = ProbeLocalOffset(probe, lat, lon, alt);
        const double ox = double(cx) + local.x, oz = double(cz) + local.z;
        float radius = float(std::sqrt((ox * ox + oz * oz) / 2.0));
        for (int step = round % 5 - 2; step != 0; step += step < 0 ? 1 : -1) {
            radius = std::nextafter(radius, step < 0 ? 0.0f : 1e30f);
        }
        if (round % 11 == 0) radius *= 1.0f + float(unit(rng) * 1e-3);
        const bool hit = 2.0 * (double(radius) * radius) >= ox * ox + oz * oz;
        (hit ? hits : misses)++;
        Bytes b;
        b.b.reserve(400);  // (keeps GCC 12 from a false overflow warning on the first insert)
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
            b.Floor(-2.0f).U16(0xF001);   // 118
            b.Floor(4.0f).U16(0xF001);    // 174: the sub-block, above the list after it
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
