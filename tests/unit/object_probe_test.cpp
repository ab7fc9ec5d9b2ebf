// object_probe_test.cpp - the object surface probe over drawing blocks laid
// out by hand in the substitute host's memory: reference points, the sphere
// test, triangles, nested sub-blocks, model headers, the object list, and
// hostile blocks that must end their own trace within the bounds.
// Expected values worked out by hand.
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
#include "test_host.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Bytes of a drawing block as the host lays them out.
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
    Bytes& Sphere(std::uint16_t length, std::uint32_t skip, float x, float y, float z, float r) {
        return U16(0xF004).U16(length).U32(skip).U16(0).F(x).F(y).F(z).F(r);
    }
    // A flat triangle at height y (relative to the origin) under everything near the ray.
    Bytes& Floor(float y) {
        U16(0xF005).U32(1);
        for (float v : {-100.0f, y, -100.0f, -100.0f, y, 300.0f, 300.0f, y, -100.0f, 0.0f, 1.0f, 0.0f}) F(v);
        return *this;
    }
};

ObjectTriangle Tri(std::initializer_list<float> v) {
    ObjectTriangle t{};
    std::memcpy(&t, std::data(v), sizeof t);
    return t;
}

class ProbeTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(&g, 0, sizeof g);
        LocateHostModules(&g);
        InitObjectProbe(&probe, 0.0, 0.0, 0.0);
    }
    // The block traced alone from the zero point.
    int Trace(const Bytes& block) {
        const HostAddr at = hostsim::AddRawBlock(block.b);
        return TraceObjectBlock(&g, at, Vec3{0, 0, 0}, &probe);
    }
    TestHost host;
    HostgateContext g;
    ObjectProbe probe;
};

const Ray kDown{{0.0, 100000.0, 0.0}, {0.0, -1.0, 0.0}};

TEST(ProbeFrame, ReferencePointsLandWhereTheGeodesyHelpersPutThem) {
    const struct {
        double lat, lon, alt;  // probe
        double tlat, tlon, talt;
    } cases[] = {
        {47.5, 8.5, 0.0, 47.5009, 8.5, 431.0},  // 100 m north, on a hill
        {47.5, 8.5, 0.0, 47.5, 8.5013, 0.0},    // 100 m east
        {-33.9, 151.2, 20.0, -33.8, 151.0, 5.0},
        {10.0, 179.99, 0.0, 10.01, -179.99, 100.0},  // across the date line
    };
    for (const auto& c : cases) {
        ObjectProbe p;
        InitObjectProbe(&p, c.lat, c.lon, c.alt);
        const Vec3 v = ProbeLocalOffset(p, c.tlat, c.tlon, c.talt);
        const double d = 0.01745329251944;
        const Vec3 want = GeoVector(GeoPoint{c.tlat * d, c.tlon * d, kEarthRadius + c.talt},
                                    GeoPoint{c.lat * d, c.lon * d, kEarthRadius + c.alt});
        EXPECT_NEAR(v.x, want.x, 1e-6) << c.tlat;
        EXPECT_NEAR(v.y, want.y, 1e-6) << c.tlat;
        EXPECT_NEAR(v.z, want.z, 1e-6) << c.tlat;
    }
    ObjectProbe p;
    InitObjectProbe(&p, 47.5, 8.5, 0.0);
    const Vec3 above = ProbeLocalOffset(p, 47.5, 8.5, 431.0);
    EXPECT_NEAR(above.y, 431.0, 1e-8);
    EXPECT_NEAR(std::hypot(above.x, above.z), 0.0, 1e-8);
}

TEST_F(ProbeTest, TheSphereTestTakesRTimesRootTwoAndMissesWhatIsBehind) {
    const struct {
        float x, y, z, r;
        bool hit;
    } cases[] = {
        {1.0f, 0.0f, 1.0f, 1.0f, true},         // exactly r x sqrt(2) from the ray
        {1.0f, 0.0f, 1.0001f, 1.0f, false},     // just beyond
        {1.4f, 0.0f, 0.0f, 1.0f, true},         // outside the sphere, inside r x sqrt(2)
        {0.0f, 100010.0f, 0.0f, 5.0f, false},   // above the ray's origin, not holding it
        {0.0f, 100010.0f, 0.0f, 10.0f, true},   // holding it, on its surface
        {0.0f, 100010.0f, 0.0f, 20.0f, true},
        {0.0f, 0.0f, 0.0f, float(kNaN), false},
        {float(kNaN), 0.0f, 0.0f, 1.0f, false},
    };
    for (const auto& c : cases) {
        hostsim::ClearObjects();
        InitObjectProbe(&probe, 0.0, 0.0, 0.0);
        Bytes block;
        block.Sphere(26, 26 + 6 + 48, c.x, c.y, c.z, c.r).Floor(0.0f).U16(0xF001);
        EXPECT_EQ(Trace(block), 1);
        // A hit runs the triangle list: three records, else two.
        EXPECT_EQ(probe.recordsVisited, c.hit ? 3 : 2) << c.x << " " << c.y << " " << c.z << " " << c.r;
        if (c.hit && c.y == 0.0f) EXPECT_EQ(probe.bestDistance, 100000.0);
    }
}

TEST(ProbeTriangles, EdgesCountAndEdgeOnBehindOrTooFarDoNot) {
    const struct {
        const char* what;
        ObjectTriangle t;
        Ray ray;
        double want;
    } cases[] = {
        {"flat", Tri({-1, 5, -1, -1, 5, 2, 2, 5, -1, 0, 1, 0}), kDown, 99995.0},
        {"flat, wound the other way", Tri({-1, 5, -1, 2, 5, -1, -1, 5, 2, 0, 1, 0}), kDown, 99995.0},
        {"normal pointing down", Tri({-1, 5, -1, -1, 5, 2, 2, 5, -1, 0, -1, 0}), kDown, 99995.0},
        {"ray along an edge", Tri({0, 5, -1, 0, 5, 1, 2, 5, 0, 0, 1, 0}), kDown, 99995.0},
        {"ray through a vertex", Tri({0, 5, 0, 1, 5, 0, 0, 5, 1, 0, 1, 0}), kDown, 99995.0},
        {"just outside an edge", Tri({0.001f, 5, -1, 0.001f, 5, 1, 2, 5, 0, 0, 1, 0}), kDown, kProbeNoHit},
        {"edge-on", Tri({0, 0, -1, 0, 10, 0, 0, 0, 1, 1, 0, 0}), kDown, kProbeNoHit},
        {"nearly edge-on", Tri({-1, 5, -1, -1, 5, 2, 2, 5, -1, 1, 1e-11f, 0}), kDown, kProbeNoHit},
        {"behind the origin", Tri({-1, 100001, -1, -1, 100001, 2, 2, 100001, -1, 0, 1, 0}), kDown, kProbeNoHit},
        {"closer than 1e-10", Tri({-1, 0, -1, -1, 0, 2, 2, 0, -1, 0, 1, 0}), {{0, 5e-11, 0}, {0, -1, 0}}, kProbeNoHit},
        {"2e-10 away", Tri({-1, 0, -1, -1, 0, 2, 2, 0, -1, 0, 1, 0}), {{0, 2e-10, 0}, {0, -1, 0}}, 2e-10},
        {"beyond 1e10", Tri({-1, 0, -1, -1, 0, 2, 2, 0, -1, 0, 1, 0}), {{0, 2e10, 0}, {0, -1, 0}}, kProbeNoHit},
        {"no normal", Tri({-1, 5, -1, -1, 5, 2, 2, 5, -1, 0, float(kNaN), 0}), kDown, kProbeNoHit},
        {"infinite vertex", Tri({-1, 5, -1, -1, 5, 2, 2, 5, std::numeric_limits<float>::infinity(), 0, 1, 0}), kDown,
         kProbeNoHit},
    };
    for (const auto& c : cases) {
        const double t = IntersectTriangle(c.t, c.ray, Vec3{0, 0, 0});
        if (c.want == kProbeNoHit) {
            EXPECT_EQ(t, kProbeNoHit) << c.what;
        } else {
            EXPECT_NEAR(t, c.want, 1e-12 * c.want) << c.what;
        }
    }
}

TEST(ProbeTriangles, ASteepFaceIsProjectedAcrossItsNormalAndTakenRelativeToTheOrigin) {
    // The plane 0.8 x + 0.6 y = 3 crosses the ray at y = 5; the normal's x is largest.
    const ObjectTriangle t = Tri({-5, 7.0f / 0.6f, -5, -5, 7.0f / 0.6f, 5, 5, -1.0f / 0.6f, 0, 0.8f, 0.6f, 0});
    EXPECT_NEAR(IntersectTriangle(t, kDown, Vec3{0, 0, 0}), 99995.0, 1e-4);
    EXPECT_NEAR(IntersectTriangle(t, kDown, Vec3{0, 100, 0}), 99895.0, 1e-4);
    // Moved 6 m east the face no longer spans the ray (x from -1 to 11).
    EXPECT_EQ(IntersectTriangle(t, kDown, Vec3{6, 0, 0}), kProbeNoHit);
}

TEST_F(ProbeTest, SubBlocksAreHandedTheOriginAndLeaveTheParentsAlone) {
    // Parent origin at 20 m, child sphere 10 m above it: the child's floor is at 30 m.
    Bytes block;
    block.Sphere(26, 26 + 6 + 54, 0, 20, 0, 100).U16(0xF000).U32(6 + 54 + 2).Floor(0.0f).U16(0xF001);
    block.Sphere(26, 26 + 54, 0, 10, 0, 100).Floor(0.0f).U16(0xF001);
    EXPECT_EQ(Trace(block), 1);
    EXPECT_EQ(probe.bestDistance, 99970.0);
    EXPECT_EQ(probe.trianglesTested, 2);
    EXPECT_EQ(probe.recordsVisited, 7);
}

TEST_F(ProbeTest, ASubBlockThatIsItsOwnRecordEndsAtTheDepthLimitKeepingWhatItFound) {
    // A floor found first, then a sub-block call whose offset 0 leads back to the call itself.
    Bytes block;
    block.Sphere(26, 26 + 54, 0, 0, 0, 100).Floor(7.0f).U16(0xF000).U32(0).U16(0xF001);
    EXPECT_EQ(Trace(block), 0);
    EXPECT_EQ(probe.tracesCut, 1);
    EXPECT_EQ(probe.recordsVisited, 2 + kBlockDepthLimit + 1) << "the sphere, the list, a call a level";
    EXPECT_EQ(probe.bestDistance, 99993.0);
}

TEST_F(ProbeTest, NestedStepsOfTheSubstituteHostStandAtTheirHeights) {
    hostsim::AddSteps(0.0, 0.0, 100.0, 3, 9.0, 1.0);
    const struct {
        double east;
        double want;  // altitude of the top surface under the probe
    } cases[] = {{0.0, 103.0}, {2.0, 102.0}, {4.0, 101.0}, {6.0, -1.0}};
    for (const auto& c : cases) {
        InitObjectProbe(&probe, 0.0, c.east / 6367310.0 * 57.29577951471995, 0.0);
        ASSERT_EQ(ProbeObjectSurface(&g, &probe), 1);
        if (c.want < 0) {
            EXPECT_EQ(probe.bestDistance, kProbeNoHit) << c.east;
        } else {
            EXPECT_NEAR(kProbeRayHeight - probe.bestDistance, c.want, 1e-5) << c.east;
        }
    }
}

TEST_F(ProbeTest, ModelHeadersNeedTheirMagicAndAFirstNonZeroBlockItem) {
    constexpr HostAddr kArea = 0x30000000, kEntry = kArea, kModel = kArea + 0x1000;
    hostsim::Commit(kArea, 0x2000);
    hostsim::Write32(kEntry + 0x60, kModel);
    auto header = [](std::uint32_t count, std::vector<std::pair<const char*, std::uint32_t>> items) {
        std::vector<std::uint8_t> h(0x400, 0);
        std::memcpy(h.data() + 0x7C, "PNTR", 4);
        std::memcpy(h.data() + 0x80, &count, 4);
        for (std::size_t i = 0; i < items.size(); i++) {
            std::memcpy(h.data() + 0x84 + 8 * i, items[i].first, 4);
            std::memcpy(h.data() + 0x88 + 8 * i, &items[i].second, 4);
        }
        hostsim::Write(kModel, h.data(), std::uint32_t(h.size()));
    };
    header(3, {{"LODS", 4}, {"BLCK", 0}, {"BLCK", 0x40}});
    EXPECT_EQ(FindObjectBlock(kEntry), kModel + 0x84 + 16 + 0x40);
    header(2, {{"LODS", 4}, {"BLCK", 0}});
    EXPECT_EQ(FindObjectBlock(kEntry), 0u);
    std::vector<std::pair<const char*, std::uint32_t>> many(40, {"XXXX", 1});
    many.push_back({"BLCK", 8});
    header(41, many);
    EXPECT_EQ(FindObjectBlock(kEntry), kModel + 0x84 + 8 * 40 + 8) << "items past the first 200 bytes";
    header(0xFFFFFFFF, {{"LODS", 4}});
    EXPECT_EQ(FindObjectBlock(kEntry), 0u) << "a count in the billions";
    header(3, {{"LODS", 4}, {"BLCK", 0}, {"BLCK", 0x40}});
    hostsim::Write(kModel + 0x7C, "PNTX", 4);
    EXPECT_EQ(FindObjectBlock(kEntry), 0u);
    // A header of 199 readable bytes, not the 200 it must have.
    hostsim::Write32(kEntry + 0x60, kArea + 0x2000 - 199);
    EXPECT_EQ(FindObjectBlock(kEntry), 0u);
    // Items running past the readable header end the search.
    hostsim::Write32(kEntry + 0x60, kArea + 0x2000 - 200);
    header(0, {});
    std::uint8_t tail[200] = {};
    std::memcpy(tail + 0x7C, "PNTR", 4);
    const std::uint32_t count = 100;
    std::memcpy(tail + 0x80, &count, 4);
    hostsim::Write(kArea + 0x2000 - 200, tail, sizeof tail);
    EXPECT_EQ(FindObjectBlock(kEntry), 0u);
}

TEST_F(ProbeTest, TheObjectListMustBeThereAndUnreadableEntriesAreSkipped) {
    HostgateContext none{};
    EXPECT_EQ(ProbeObjectSurface(&none, &probe), 0);
    none.objectList = 0x0BAD0000;
    EXPECT_EQ(ProbeObjectSurface(&none, &probe), 0);
    EXPECT_EQ(probe.bestDistance, kProbeNoHit);

    hostsim::AddBox(0.0, 0.0, 50.0, 10.0, 10.0, 5.0);
    hostsim::AddBox(0.0, 0.0, 50.0, 4.0, 4.0, 8.0);
    hostsim::Decommit(hostsim::kSimObjectEntries, 104);  // the first entry's page
    hostsim::Commit(hostsim::kSimObjectEntries + 0x1000, 0x1000);
    hostsim::Write32(g.objectList, 60000);  // entries past the two are zeros or missing
    ASSERT_EQ(ProbeObjectSurface(&g, &probe), 1);
    EXPECT_EQ(probe.bestDistance, kProbeNoHit) << "both entries shared the missing page";
    EXPECT_EQ(probe.objectsLooked, kProbeObjectLimit);
}

TEST_F(ProbeTest, EachHostileBlockEndsOnlyItsOwnTraceWithinTheBounds) {
    const struct {
        hostsim::HostileBlock kind;
        int records;  // the trace's records when it ended
    } cases[] = {
        // Back to the block's start: F002 and F000 on every level, the top's and 16 nested.
        {hostsim::kHostileSelfLoop, 2 * (kBlockDepthLimit + 1)},
        {hostsim::kHostileFan, 2 * (kBlockDepthLimit + 1)},
        {hostsim::kHostileEscape, 3},
        {hostsim::kHostileMillion, 3},
        {hostsim::kHostileUnreadable, 3},
        {hostsim::kHostileSkipLoop, kTraceRecordLimit},
        {hostsim::kHostileZeroLength, kTraceRecordLimit},
    };
    for (const auto& c : cases) {
        hostsim::ClearObjects();
        hostsim::AddHostile(c.kind, 0.0, 0.0, 0.0);
        hostsim::AddBox(0.0, 0.0, 20.0, 10.0, 10.0, 3.0);
        ASSERT_EQ(ProbeObjectSurface(&g, &probe), 1);
        EXPECT_EQ(probe.tracesCut, 1) << hostsim::kHostileNames[c.kind];
        EXPECT_EQ(probe.recordsVisited, c.records + 4) << hostsim::kHostileNames[c.kind];  // and the box's 4
        EXPECT_NEAR(kProbeRayHeight - probe.bestDistance, 23.0, 1e-6) << hostsim::kHostileNames[c.kind];
    }
}

TEST_F(ProbeTest, TheFramesBudgetStopsTheProbeAndLeavesTheRestForLater) {
    for (int i = 0; i < 20; i++) hostsim::AddHostile(hostsim::kHostileSkipLoop, 0.0, 0.0, 0.0);
    hostsim::AddBox(0.0, 0.0, 20.0, 10.0, 10.0, 3.0);
    ASSERT_EQ(ProbeObjectSurface(&g, &probe), 1);
    EXPECT_EQ(probe.recordsVisited, kProbeRecordLimit);
    EXPECT_EQ(probe.objectsLooked, kProbeRecordLimit / kTraceRecordLimit);
    EXPECT_EQ(probe.bestDistance, kProbeNoHit);
}

// Random and mutated blocks, seeded: each trace ends within its bounds and
// whatever it hits is a real distance; the probe over all of them stays
// within the frame's budget.
TEST_F(ProbeTest, RandomAndMutatedBlocksEndWithinTheBounds) {
    std::mt19937 rng(20040);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto anyFloat = [&]() -> float {
        switch (pick(0, 7)) {
        case 0: return float(kNaN);
        case 1: return std::numeric_limits<float>::infinity();
        case 2: return 3e38f;
        case 3: return -1e-30f;
        default: return float(pick(-200, 200)) * 0.5f;
        }
    };
    for (int round = 0; round < 400; round++) {
        Bytes block;
        const int records = pick(1, 30);
        for (int i = 0; i < records; i++) {
            switch (pick(0, 6)) {
            case 0: block.U16(0xF000).U32(std::uint32_t(pick(-64, 256))); break;
            case 1: block.U16(0xF002).F(anyFloat()).F(anyFloat()).F(anyFloat()).Put("garbage garbage!", 16); break;
            case 2: block.Sphere(std::uint16_t(pick(0, 60)), std::uint32_t(pick(-80, 400)), anyFloat(), anyFloat(),
                                 anyFloat(), anyFloat());
                break;
            case 3: {
                const int n = pick(0, 3);
                block.U16(0xF005).U32(pick(0, 9) ? std::uint32_t(n) : std::uint32_t(pick(0, 1 << 30)));
                for (int k = 0; k < 12 * n; k++) block.F(anyFloat());
                break;
            }
            case 4: block.U16(0xF001); break;
            case 5: block.U16(std::uint16_t(pick(0, 65535))); break;
            default: block.Put("\xF0\xF0\x00\xF0\x05\xF0", std::size_t(pick(1, 6))); break;
            }
        }
        for (int m = pick(0, 8); m > 0 && !block.b.empty(); m--) {
            block.b[std::size_t(pick(0, int(block.b.size()) - 1))] = std::uint8_t(pick(0, 255));
        }
        if (pick(0, 3) == 0) hostsim::ClearObjects();
        InitObjectProbe(&probe, 0.0, 0.0, 0.0);
        Trace(block);
        EXPECT_LE(probe.recordsVisited, kTraceRecordLimit) << round;
        EXPECT_LE(probe.trianglesTested, kTraceTriangleLimit) << round;
        const double best = probe.bestDistance;
        EXPECT_TRUE(best == kProbeNoHit || (best >= 1e-10 && best < kProbeNoHit)) << round << " " << best;
    }
    InitObjectProbe(&probe, 0.0, 0.0, 0.0);
    ASSERT_EQ(ProbeObjectSurface(&g, &probe), 1);
    EXPECT_LE(probe.recordsVisited, kProbeRecordLimit);
    EXPECT_LE(probe.trianglesTested, kProbeTriangleLimit);
    EXPECT_EQ(probe.objectsLooked, int(hostsim::Objects().size()));
}

}  // namespace
