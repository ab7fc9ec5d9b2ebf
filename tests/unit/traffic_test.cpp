// traffic_test.cpp - the traffic list over the substitute host's container,
// the traffic tracking view, the scenery padlock and tower mode through the
// commands and the camera tick. Expected values are worked out by hand or
// with the earth-centred east-north-up formulas below, which share no code
// with the module's geometry helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "camera/camera_tick.h"
#include "camera/head_aim.h"
#include "camera/lookat_view.h"
#include "camera/traffic_view.h"
#include "host/hostgate.h"
#include "host/traffic_list.h"
#include "hostsim/host_process.h"
#include "hostsim/sim_traffic.h"
#include "shell/command_dispatch.h"
#include "shell/main_state.h"
#include "test_host.h"

namespace {

constexpr double kDeg = 0.01745329251944;  // the module's and the host's factor
constexpr double kRad = 57.29577951471995;

// [SECTION] Independent expectations

struct V {
    double x, y, z;
};

double DotV(V a, V b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Earth-centred, x toward (0, 0), z toward the north pole; sphere of the
// module's radius; latitude and longitude in radians, altitude in feet.
V Ecef(double lat, double lon, double feet) {
    double r = 6367310.0 + feet * 0.3048;
    return {r * std::cos(lat) * std::cos(lon), r * std::cos(lat) * std::sin(lon), r * std::sin(lat)};
}

// Target seen from the observer: east-north-up components, then the body
// axes of an aircraft with that heading, pitch (positive nose down) and bank
// (degrees): azimuth right of the nose and elevation (negative up), degrees.
struct Seen {
    V body;  // x right, y up, z forward, metres
    double azimuth, elevation, distance;
};

Seen Observe(double lat, double lon, double feet, double heading, double pitch, double bank, double tLat,
             double tLon, double tFeet) {
    V o = Ecef(lat, lon, feet), t = Ecef(tLat, tLon, tFeet);
    V d = {t.x - o.x, t.y - o.y, t.z - o.z};
    V east = {-std::sin(lon), std::cos(lon), 0};
    V north = {-std::sin(lat) * std::cos(lon), -std::sin(lat) * std::sin(lon), std::cos(lat)};
    V up = {std::cos(lat) * std::cos(lon), std::cos(lat) * std::sin(lon), std::sin(lat)};
    double e = DotV(d, east), n = DotV(d, north), u = DotV(d, up);
    double h = heading * kDeg, p = pitch * kDeg, b = bank * kDeg;
    // Forward, right and up axes of the aircraft in east-north-up: the nose
    // at heading h, pitched down by p, then the wings turned by b (a positive
    // bank lifts the right wing in the host's sense).
    V fwd = {std::sin(h) * std::cos(p), std::cos(h) * std::cos(p), -std::sin(p)};
    V right0 = {std::cos(h), -std::sin(h), 0};
    V up0 = {std::sin(h) * std::sin(p), std::cos(h) * std::sin(p), std::cos(p)};
    V right = {right0.x * std::cos(b) + up0.x * std::sin(b), right0.y * std::cos(b) + up0.y * std::sin(b),
               right0.z * std::cos(b) + up0.z * std::sin(b)};
    V upB = {up0.x * std::cos(b) - right0.x * std::sin(b), up0.y * std::cos(b) - right0.y * std::sin(b),
             up0.z * std::cos(b) - right0.z * std::sin(b)};
    V enu = {e, n, u};
    V body = {DotV(enu, right), DotV(enu, upB), DotV(enu, fwd)};
    Seen s;
    s.body = body;
    // The module's degrees: the angle from the nose round to the right in
    // 0..2pi times its factor, less 360 past pi (its factor is a hair above
    // 180/pi, so a target just left of the nose reads 0.00000001).
    double azimuth = std::atan2(body.x, body.z);
    if (azimuth < 0) azimuth += 2 * 3.14159265358979323846;
    s.azimuth = azimuth * kRad - (azimuth > 3.14159265358979323846 ? 360.0 : 0.0);
    s.elevation = -std::atan2(body.y, std::hypot(body.x, body.z)) * kRad;
    s.distance = std::sqrt(DotV(body, body));
    return s;
}

// [SECTION] Fixture: the module started, the aircraft set by hand

std::vector<TrafficRecord> g_ranked;
int g_tracked = -2;  // -2: no list seen since the last reset

void KeepRanked(const TrafficRecord* records, int count, const TrafficRecord* current) {
    g_ranked.assign(records, records + count);
    g_tracked = current ? int(current - records) : -1;
}

class TrafficTest : public ::testing::Test {
protected:
    void SetUp() override {
        hostsim::LoadModule();
        g_aircraft = {};
        SetTrafficListObserver(KeepRanked);
        g_ranked.clear();
        g_tracked = -2;
    }
    void TearDown() override {
        SetTrafficListObserver(nullptr);
        hostsim::UnloadModule();
    }
    // The user aircraft (degrees, feet), on the ground unless told its height.
    static void Aircraft(double lat, double lon, double feet, double heading, double pitch = 0, double bank = 0,
                         double ground = 0, double height = 0) {
        g_aircraft.position = {lat * kDeg, lon * kDeg, feet};
        g_aircraft.heading = heading, g_aircraft.pitch = pitch, g_aircraft.bank = bank;
        g_aircraft.groundElevation = ground, g_aircraft.heightAboveGround = height;
    }
    static hostsim::AiAircraft& Ai(const std::string& name, double lat, double lon, double feet) {
        hostsim::Traffic().aircraft.push_back(
            hostsim::AiAircraft{name, lat, lon, feet, 0, 0, 0, 0, hostsim::kAiWhole});
        hostsim::PublishTraffic();
        return hostsim::Traffic().aircraft.back();
    }
    // The traffic view on, bound, and run once.
    static void Track() {
        g_main.TrafficViewActive = 1;
        TrafficRecord scratch[4];
        EnumerateTraffic(scratch, 4);  // the binding call
        UpdateTrafficView();
    }
    static std::string Tracked() { return g_tracked >= 0 ? g_ranked[std::size_t(g_tracked)].name : "(none)"; }
    static int Fire(const char* name) {
        KeyBinding binding{};
        std::strncpy(binding.name, name, sizeof binding.name);
        return DispatchCommand(0, 0, &binding);
    }
    TestHost host;
};

// [SECTION] The traffic list

TEST_F(TrafficTest, FirstCallBindsAndAnswersNothingThenListsDenselyWithoutHiddenOrBroken) {
    const struct { const char* name; hostsim::AiBreak broken; std::uint32_t hidden; bool listed; } planes[] = {
        {"A", hostsim::kAiWhole, 0, true},        {"null object", hostsim::kAiNullObject, 0, false},
        {"B", hostsim::kAiWhole, 0, true},        {"null table", hostsim::kAiNullTable, 0, false},
        {"null entry", hostsim::kAiNullEntry, 0, false}, {"null record", hostsim::kAiNullRecord, 0, false},
        {"null data", hostsim::kAiNullData, 0, false},   {"hidden", hostsim::kAiWhole, 1, false},
        {"hidden high", hostsim::kAiWhole, 0x80000000u, false}, {"C", hostsim::kAiWhole, 0, true},
    };
    for (const auto& p : planes) {
        hostsim::Traffic().aircraft.push_back(hostsim::AiAircraft{p.name, 47.0, 8.0, 1000.0 + double(&p - planes),
                                                                  0, 0, 0, p.hidden, p.broken});
    }
    hostsim::PublishTraffic();
    TrafficRecord records[16];
    std::memset(records, 0xCC, sizeof records);
    EXPECT_EQ(EnumerateTraffic(records, 16), 0) << "the first call only binds";
    ASSERT_EQ(EnumerateTraffic(records, 16), 3);
    const char* names[] = {"A", "B", "C"};
    const double feet[] = {1000.0, 1002.0, 1009.0};
    for (int i = 0; i < 3; i++) {
        EXPECT_STREQ(records[i].name, names[i]);
        EXPECT_EQ(records[i].altitude, feet[i]) << names[i];
        EXPECT_EQ(records[i].latitude, 47.0 * kDeg);
        EXPECT_EQ(records[i].longitude, 8.0 * kDeg);
        EXPECT_EQ(records[i].excluded, 0u);
    }
    EXPECT_EQ(records[3].excluded, 0xCCCCCCCCu) << "nothing written past the count";
}

TEST_F(TrafficTest, BindsOnceAndOnlyToAnAlreadyLoadedContainer) {
    Ai("A", 47.0, 8.0, 1000.0);
    const hostsim::TrafficCalls& calls = hostsim::Traffic().calls;
    TrafficRecord records[4];
    // Missing pieces: every call answers 0 and tries the binding again.
    const hostsim::ContainerState missing[] = {hostsim::kContainerUnloaded, hostsim::kContainerNoLinkage,
                                               hostsim::kContainerNullGetter, hostsim::kContainerNull,
                                               hostsim::kContainerNullTable};
    for (hostsim::ContainerState state : missing) {
        hostsim::Traffic().state = state;
        hostsim::PublishTraffic();
        long before = calls.moduleLookups;
        EXPECT_EQ(EnumerateTraffic(records, 4), 0) << state;
        EXPECT_EQ(EnumerateTraffic(records, 4), 0) << state;
        EXPECT_EQ(calls.moduleLookups - before, 2) << state;
    }
    EXPECT_EQ(calls.getterCalls, 4) << "called only where Linkage held a function: twice for each of two states";
    hostsim::Traffic().state = hostsim::kContainerNormal;
    hostsim::PublishTraffic();
    EXPECT_EQ(EnumerateTraffic(records, 4), 0);
    for (int i = 0; i < 5; i++) EXPECT_EQ(EnumerateTraffic(records, 4), 1);
    // Bound: the container going away later is not noticed by the binding.
    long lookups = calls.moduleLookups, getters = calls.getterCalls;
    hostsim::Traffic().state = hostsim::kContainerUnloaded;
    EXPECT_EQ(EnumerateTraffic(records, 4), 1);
    EXPECT_EQ(calls.moduleLookups, lookups);
    EXPECT_EQ(calls.getterCalls, getters);
    EXPECT_EQ(calls.countCalls, 6);
    EXPECT_EQ(calls.strayCalls, 0);
}

// A function address read from the host is called only where it can be
// read: a call into memory that is not there faults whatever it was meant
// to be. Readable addresses the host never handed out are still called
// (the module cannot tell code from data) and answer nothing.
TEST_F(TrafficTest, FunctionsInMemoryThatCannotBeReadAreNeverCalled) {
    enum Slot { kGetter, kCount, kGet, kEntry4 };
    const HostAddr unreadable = hostsim::kSimUnreadableList;  // never committed
    const HostAddr readable = hostsim::kSimAiData + 0x100;    // data, not a function
    const struct { Slot slot; HostAddr fn; int listed; long stray; } cases[] = {
        {kGetter, unreadable, 0, 0}, {kCount, unreadable, 0, 0}, {kGet, unreadable, 0, 0},
        {kEntry4, unreadable, 2, 0}, {kGetter, readable, 0, 2},  {kEntry4, readable, 2, 1},
    };
    for (const auto& c : cases) {
        hostsim::Traffic() = hostsim::TrafficHost{};
        Ai("A", 47.0, 8.0, 1000.0);
        Ai("B", 47.0, 8.0, 1000.0);
        Ai("C", 47.0, 8.0, 1000.0);
        ResetTrafficList();
        const HostAddr table = hostsim::Read32(hostsim::kSimContainer);
        const HostAddr objectB = hostsim::Read32(hostsim::kSimContainerSlots + 4);
        const HostAddr at[] = {hostsim::kSimAcontainLinkage + 0x4C, table + 4, table + 8,
                               hostsim::Read32(objectB) + 0x10};
        hostsim::Write32(at[c.slot], c.fn);
        TrafficRecord records[8];
        EnumerateTraffic(records, 8);
        const int listed = EnumerateTraffic(records, 8);
        EXPECT_EQ(listed, c.listed) << "slot " << c.slot << " fn " << std::hex << c.fn;
        if (listed == 2) {
            EXPECT_STREQ(records[0].name, "A");
            EXPECT_STREQ(records[1].name, "C");
        } else {
            EXPECT_EQ(hostsim::Traffic().calls.moduleLookups, 2) << "unbound: the binding is tried again";
        }
        EXPECT_EQ(hostsim::Traffic().calls.unreadableCalls, 0) << "slot " << c.slot;
        EXPECT_EQ(hostsim::Traffic().calls.strayCalls, c.stray) << "slot " << c.slot;
    }
}

TEST_F(TrafficTest, CapacityBoundsTheHostIndexNotTheNumberFilled) {
    for (int i = 0; i < 600; i++) {
        hostsim::Traffic().aircraft.push_back(hostsim::AiAircraft{
            "AI " + std::to_string(i), 47.0, 8.0, 1000.0, 0, 0, 0, 0, i < 100 ? hostsim::kAiNullObject : hostsim::kAiWhole});
    }
    hostsim::PublishTraffic();
    std::vector<TrafficRecord> records(600);
    EnumerateTraffic(records.data(), kTrafficCapacity);
    ASSERT_EQ(EnumerateTraffic(records.data(), kTrafficCapacity), 412) << "host indexes 100 to 511";
    EXPECT_STREQ(records[0].name, "AI 100");
    EXPECT_STREQ(records[411].name, "AI 511");
    EXPECT_EQ(hostsim::Traffic().calls.getCalls, 512);
    EXPECT_EQ(EnumerateTraffic(records.data(), 0), 0);
    EXPECT_EQ(EnumerateTraffic(records.data(), -5), 0);
}

TEST_F(TrafficTest, NamesAreCutToThirtyOneAndEndAtUnreadableMemory) {
    const std::string longName = "Speedbird 2041 heavy out of Heathrow";  // 36 characters
    Ai(longName, 47.0, 8.0, 1000.0);
    Ai("Edge of memory", 47.0, 8.0, 1000.0);
    TrafficRecord records[4];
    std::memset(records, 'x', sizeof records);
    EnumerateTraffic(records, 4);
    ASSERT_EQ(EnumerateTraffic(records, 4), 2);
    EXPECT_EQ(std::string(records[0].name), longName.substr(0, 31));
    // The second name runs into a page that is not there: "Edge " then nothing.
    const HostAddr name = hostsim::kSimAiData + 0x2000 + 0x165F;
    const HostAddr pageEnd = (name + 5 + 0xFFF) & ~0xFFFu;
    const HostAddr text = pageEnd - 5;
    hostsim::Write32(hostsim::kSimAiRecords + 0x40 + 0x28, text - 0x165F);  // data moved so the name sits there
    hostsim::Commit(text - 0x165F, 0x165F + 5);
    hostsim::Write(text, "Edge ", 5);
    hostsim::Decommit(pageEnd, 0x1000);
    ASSERT_EQ(EnumerateTraffic(records, 4), 2);
    EXPECT_STREQ(records[1].name, "Edge ");
    // An unreadable position or hidden word skips the aircraft.
    hostsim::Decommit(text - 0x165F, 0x1000);
    EXPECT_EQ(EnumerateTraffic(records, 4), 1);
}

// [SECTION] Ranking and exclusion

TEST_F(TrafficTest, RankingOrderIsOfferedFirstThenNearerWithNotANumberLast) {
    TrafficRecord a{}, b{};
    const double nan = std::nan("");
    const struct { std::uint32_t ea; double da; std::uint32_t eb; double db; int want; } cases[] = {
        {0, 5.0, 0, 7.0, -1}, {0, 7.0, 0, 5.0, 1},    {0, 5.0, 0, 5.0, 0},   {0, 9e9, 1, 1.0, -1},
        {1, 1.0, 0, 9e9, 1},  {1, 3.0, 1, 2.0, 1},    {0, nan, 0, 1e300, 1}, {0, 1.0, 0, nan, -1},
        {0, nan, 0, nan, 0},  {0, nan, 1, 1.0, -1},
    };
    for (const auto& c : cases) {
        a.excluded = c.ea, a.distance = c.da, b.excluded = c.eb, b.distance = c.db;
        int got = CompareTrafficRanks(&a, &b);
        EXPECT_EQ((got > 0) - (got < 0), c.want) << c.ea << " " << c.da << " vs " << c.eb << " " << c.db;
    }
}

TEST_F(TrafficTest, FifteenMilesIsExactly27780Metres) {
    // Straight above an aircraft on the ground at (0, 0): 91141.73228346456 ft
    // times 0.3048 is 27780.0 exactly in doubles; the other is 27780.1 m up.
    Aircraft(0.0, 0.0, 0.0, 0.0);
    g_main.MaxTrackDistance = 15.0;
    Ai("at 27780", 0.0, 0.0, 91141.73228346456);
    Ai("at 27780.1", 0.0, 0.0, 27780.1 / 0.3048);
    Track();
    ASSERT_EQ(g_ranked.size(), 2u);
    EXPECT_STREQ(g_ranked[0].name, "at 27780");
    EXPECT_EQ(g_ranked[0].distance, 27780.0);
    EXPECT_EQ(g_ranked[0].excluded, 0u);
    EXPECT_NEAR(g_ranked[1].distance, 27780.1, 1e-6);
    EXPECT_EQ(g_ranked[1].excluded, 1u);
}

TEST_F(TrafficTest, WhileFlyingAircraftNearTheGroundAreNotOffered) {
    // Ground 1416 ft under the user; the AI aircraft 499 ft above it.
    const struct { double height; std::uint32_t excluded; } cases[] = {{11.0, 1}, {10.0, 0}, {10.0001, 1}, {0, 0}};
    for (const auto& c : cases) {
        hostsim::Traffic().aircraft.clear();
        Ai("low", 47.01, 8.0, 1416.0 + 499.0);
        Ai("at 500", 47.02, 8.0, 1416.0 + 500.0);
        Ai("below", 47.03, 8.0, 1416.0 - 499.0);
        Aircraft(47.0, 8.0, 1416.0 + c.height, 0.0, 0.0, 0.0, 1416.0, c.height);
        Track();
        ASSERT_EQ(g_ranked.size(), 3u);
        for (const TrafficRecord& r : g_ranked) {
            std::uint32_t want = std::strcmp(r.name, "at 500") == 0 ? 0u : c.excluded;
            EXPECT_EQ(r.excluded, want) << r.name << " at height " << c.height;
        }
    }
}

TEST_F(TrafficTest, BodyAxesDistanceAndHeadAnglesAgreeWithEastNorthUp) {
    // Aircraft attitudes and targets all round; clamps kept out of the way by
    // tower mode and small elevations.
    const struct { double heading, pitch, bank, tLat, tLon, tFeet; } cases[] = {
        {0, 0, 0, 47.05, 8.0, 5000},     {90, 3, -10, 47.0, 8.08, 4000}, {250, -4, 25, 46.97, 7.95, 4500},
        {135, 2, 5, 47.01, 8.012, 4200}, {359, 0, 0, 47.0, 8.06, 3600},
    };
    g_hostgate.TowerModeActive = 0;
    for (const auto& c : cases) {
        hostsim::Traffic().aircraft.clear();
        Ai("T", c.tLat, c.tLon, c.tFeet);
        Aircraft(47.0, 8.0, 4000.0, c.heading, c.pitch, c.bank);
        g_main.TrafficIndex = 0;
        Track();
        ASSERT_EQ(g_tracked, 0);
        Seen want = Observe(47.0 * kDeg, 8.0 * kDeg, 4000.0, c.heading, c.pitch, c.bank, c.tLat * kDeg,
                            c.tLon * kDeg, c.tFeet);
        const TrafficRecord& r = g_ranked[0];
        EXPECT_NEAR(r.relative.x, want.body.x, 1e-6) << c.heading;
        EXPECT_NEAR(r.relative.y, want.body.y, 1e-6) << c.heading;
        EXPECT_NEAR(r.relative.z, want.body.z, 1e-6) << c.heading;
        EXPECT_NEAR(r.distance, want.distance, 1e-6) << c.heading;
        const double az = want.azimuth < -90 ? -90 : want.azimuth > 90 ? 90 : want.azimuth;
        const double el = want.elevation < -20 ? -20 : want.elevation > 20 ? 20 : want.elevation;
        EXPECT_NEAR(g_hostgate.headHeading, az, 1e-9) << c.heading;
        EXPECT_NEAR(g_hostgate.headPitch, el, 1e-9) << c.heading;
        // The per-tick shortcut gives the geometry helpers' own result.
        Vec3 helpers = BodyVectorTo(GeoPoint{c.tLat * kDeg, c.tLon * kDeg, c.tFeet});
        EXPECT_EQ(r.relative.x, helpers.x);
        EXPECT_EQ(r.relative.y, helpers.y);
        EXPECT_EQ(r.relative.z, helpers.z);
    }
}

TEST_F(TrafficTest, EyeOffsetIsTakenOffAndTowerModePutsThePitchBack) {
    // Target 2 km north at the same height; aircraft heading north, nose 5
    // degrees down; pilot's eye 1 right, 2 up, 3 forward.
    Aircraft(47.0, 8.0, 4000.0, 0.0, 5.0, 0.0);
    Ai("T", 47.0 + 2000.0 / 111131.0, 8.0, 4000.0);
    g_hostgate.eyeX = 1.0, g_hostgate.eyeY = 2.0, g_hostgate.eyeZ = 3.0;
    Track();
    Seen want = Observe(47.0 * kDeg, 8.0 * kDeg, 4000.0, 0.0, 5.0, 0.0, (47.0 + 2000.0 / 111131.0) * kDeg,
                        8.0 * kDeg, 4000.0);
    V rel = {want.body.x - 1.0, want.body.y - 2.0, want.body.z - 3.0};
    EXPECT_NEAR(g_ranked[0].relative.x, rel.x, 1e-6);
    EXPECT_NEAR(g_ranked[0].relative.y, rel.y, 1e-6);
    EXPECT_NEAR(g_ranked[0].relative.z, rel.z, 1e-6);
    // Tower mode: the eye does not pitch with the aircraft, so the same vector
    // is turned back up by the 5 degrees.
    g_hostgate.TowerModeActive = 1;
    UpdateTrafficView();
    const double c = std::cos(5.0 * kDeg), s = std::sin(5.0 * kDeg);
    EXPECT_NEAR(g_ranked[0].relative.y, c * rel.y - s * rel.z, 1e-6);
    EXPECT_NEAR(g_ranked[0].relative.z, s * rel.y + c * rel.z, 1e-6);
    EXPECT_NEAR(g_ranked[0].distance, std::sqrt(rel.x * rel.x + rel.y * rel.y + rel.z * rel.z), 1e-6);
}

// [SECTION] Head angles and their limits

TEST_F(TrafficTest, StraightBehindIs180AndClampedTo90UnlessTowerMode) {
    // Heading north on the prime meridian, the target due south: no east
    // component at all, so the azimuth is exactly pi.
    Aircraft(10.0, 0.0, 3000.0, 0.0);
    Ai("behind", 9.99, 0.0, 3000.0);
    for (int tower : {0, 1}) {
        g_hostgate.TowerModeActive = tower;
        Track();
        // The module's degree factor is a hair above 180/pi: pi itself gives
        // 180.000000005, still straight behind, and is not folded.
        EXPECT_NEAR(g_hostgate.headHeading, tower ? 180.0 : 90.0, 1e-8) << "tower " << tower;
        if (!tower) EXPECT_EQ(g_hostgate.headHeading, 90.0);
        EXPECT_EQ(g_hostgate.headTarget[1], g_hostgate.headHeading);
    }
    // Behind and a little left folds to just above -180.
    hostsim::Traffic().aircraft.clear();
    Ai("behind left", 9.99, -0.0001, 3000.0);
    Track();
    Seen want = Observe(10 * kDeg, 0, 3000, 0, 0, 0, 9.99 * kDeg, -0.0001 * kDeg, 3000);
    EXPECT_NEAR(g_hostgate.headHeading, want.azimuth, 1e-9);
    EXPECT_LT(g_hostgate.headHeading, -179.0);
}

TEST_F(TrafficTest, ElevationClampsTo20EitherWayAndTheHeadSnapsAtOnce) {
    g_hostgate.headBank = 7.0, g_hostgate.headTarget[2] = -3.0;
    // Nose 30 degrees down: a target level ahead is 30 degrees above the nose.
    const struct { double pitch; double want; } cases[] = {{30.0, -20.0}, {-30.0, 20.0}};
    Ai("ahead", 47.0 + 1000.0 / 111131.0, 8.0, 4000.0);
    for (const auto& c : cases) {
        Aircraft(47.0, 8.0, 4000.0, 0.0, c.pitch);
        Track();
        EXPECT_EQ(g_hostgate.headPitch, c.want) << c.pitch;
        EXPECT_EQ(g_hostgate.headTarget[0], c.want);
        EXPECT_EQ(g_hostgate.headBank, -3.0) << "bank taken from the target";
    }
    Aircraft(47.0, 8.0, 4000.0, 0.0, 10.0);
    Track();
    Seen want = Observe(47 * kDeg, 8 * kDeg, 4000, 0, 10, 0, (47.0 + 1000.0 / 111131.0) * kDeg, 8 * kDeg, 4000);
    EXPECT_NEAR(g_hostgate.headPitch, want.elevation, 1e-9);
    EXPECT_NEAR(want.elevation, -9.9955, 1e-3) << "10 degrees less the earth's curve over 1 km";
}

// [SECTION] Choosing the target

TEST_F(TrafficTest, NextAndNearestWrapAtTheCountAtMaxTracksAndOnExcluded) {
    Aircraft(47.0, 8.0, 1416.0, 0.0, 0, 0, 1416.0, 0.0);
    g_main.MaxTrackDistance = 15.0;
    Ai("2 km", 47.0 + 2000.0 / 111131.0, 8.0, 1416.0);
    Ai("1 km", 47.0 + 1000.0 / 111131.0, 8.0, 1416.0);
    Ai("3 km", 47.0 + 3000.0 / 111131.0, 8.0, 1416.0);
    Ai("far", 48.0, 8.0, 1416.0);  // 111 km: excluded
    Track();
    const struct { const char* command; int maxTracks; const char* tracked; int index; } steps[] = {
        {nullptr, 50, "1 km", 0},       {"NextTraffic", 50, "2 km", 1}, {"NextTraffic", 50, "3 km", 2},
        {"NextTraffic", 50, "1 km", 0},  // rank 3 is excluded: back to the nearest
        {"NextTraffic", 50, "2 km", 1},  {"NearestTraffic", 50, "1 km", 0},
        {"NextTraffic", 2, "2 km", 1},   {"NextTraffic", 2, "1 km", 0},  // index 2 reaches MaxTracks
        {"NextTraffic", 1, "1 km", 0},   {"NextTraffic", 1, "1 km", 0},  // MaxTracks 1 pins the nearest
    };
    for (const auto& step : steps) {
        if (step.command) EXPECT_EQ(Fire(step.command), 1);
        g_main.MaxTracks = step.maxTracks;
        UpdateTrafficView();
        EXPECT_EQ(Tracked(), step.tracked) << (step.command ? step.command : "start") << " max " << step.maxTracks;
        EXPECT_EQ(g_main.TrafficIndex, step.index);
    }
    // Past the count: four aircraft listed, index 4 goes back to 0.
    g_main.MaxTracks = 50, g_main.TrafficIndex = 4;
    UpdateTrafficView();
    EXPECT_EQ(g_main.TrafficIndex, 0);
    // An index counted past the int range stays inside the list.
    g_main.TrafficIndex = -2147483647 - 1;
    UpdateTrafficView();
    EXPECT_EQ(Tracked(), "1 km");
}

TEST_F(TrafficTest, NoTrafficOrAllExcludedLeavesTheHead) {
    Aircraft(47.0, 8.0, 1416.0, 0.0);
    g_hostgate.headPitch = 4.0, g_hostgate.headHeading = -33.0;
    Track();
    EXPECT_EQ(g_tracked, -1) << "an empty list seen";
    Ai("far", 48.0, 8.0, 1416.0);
    g_main.TrafficIndex = 0;
    UpdateTrafficView();
    EXPECT_EQ(g_tracked, -1);
    EXPECT_EQ(g_hostgate.headPitch, 4.0);
    EXPECT_EQ(g_hostgate.headHeading, -33.0);
    g_main.TrafficViewActive = 0;
    g_tracked = -2;
    UpdateTrafficView();
    EXPECT_EQ(g_tracked, -2) << "nothing fetched while the view is off";
}

TEST_F(TrafficTest, LockTakesTheNameThenFollowsItThroughRankingAndAbsence) {
    Aircraft(47.0, 8.0, 1416.0, 0.0);
    Ai("Alpha", 47.0 + 1000.0 / 111131.0, 8.0, 1416.0);
    Ai("Bravo", 47.0 + 2000.0 / 111131.0, 8.0, 1416.0);
    Ai("Charlie", 47.0 + 3000.0 / 111131.0, 8.0, 1416.0);
    Track();
    Fire("NextTraffic");
    Fire("ToggleTrafficLock");
    UpdateTrafficView();
    EXPECT_STREQ(g_main.TrafficLockId, "Bravo");
    // Charlie comes closest, Bravo goes far and out of range: still Bravo.
    hostsim::FindAi("Charlie")->latitude = 47.0 + 500.0 / 111131.0;
    hostsim::FindAi("Bravo")->latitude = 48.0;
    hostsim::PublishTraffic();
    Fire("NextTraffic");
    Fire("NextTraffic");
    UpdateTrafficView();
    EXPECT_EQ(Tracked(), "Bravo");
    EXPECT_EQ(g_ranked[std::size_t(g_tracked)].excluded, 1u) << "locked and tracked although excluded";
    // Bravo leaves: rank TrafficIndex is tracked, lock and name stay.
    hostsim::Traffic().aircraft.erase(hostsim::Traffic().aircraft.begin() + 1);
    hostsim::PublishTraffic();
    g_main.TrafficIndex = 1;
    UpdateTrafficView();
    EXPECT_EQ(Tracked(), "Alpha");
    EXPECT_EQ(g_main.TrafficLockActive, 1);
    EXPECT_STREQ(g_main.TrafficLockId, "Bravo");
    // It comes back under its name, nearer than anyone: tracked again.
    Ai("Bravo", 47.0 + 100.0 / 111131.0, 8.0, 1416.0);
    UpdateTrafficView();
    EXPECT_EQ(Tracked(), "Bravo");
    // A name is matched whole and with its case.
    hostsim::FindAi("Bravo")->name = "bravo";
    hostsim::PublishTraffic();
    UpdateTrafficView();
    EXPECT_EQ(Tracked(), "Charlie") << "index 1 of Bravo-less ranks: bravo, Charlie";
    // Unlocking forgets the name and the index.
    Fire("ToggleTrafficLock");
    EXPECT_EQ(g_main.TrafficIndex + g_main.TrafficLockId[0], 0);
}

// [SECTION] Scenery padlock

TEST_F(TrafficTest, PadlockLooksBehindAndBelowWithoutLimitsOrEye) {
    g_main.LookAtViewActive = 1;
    g_hostgate.eyeX = 50.0, g_hostgate.eyeY = -60.0;  // not used by the padlock
    g_hostgate.TowerModeActive = 1;                   // ignored by it
    // Heading north on the prime meridian, the point due south and level.
    Aircraft(10.0, 0.0, 3000.0, 0.0);
    g_main.LookAtPoint = GeoPoint{9.99 * kDeg, 0.0, 3000.0};
    UpdateLookAtView();
    EXPECT_NEAR(g_hostgate.headHeading, 180.0, 1e-8);
    Seen want = Observe(10 * kDeg, 0, 3000, 0, 0, 0, 9.99 * kDeg, 0, 3000);
    EXPECT_NEAR(g_hostgate.headPitch, want.elevation, 1e-9) << "level, so a little below over the earth's curve";
    EXPECT_GT(g_hostgate.headPitch, 0.0);
    // Straight below: +90, positive is down.
    g_main.LookAtPoint = GeoPoint{10.0 * kDeg, 0.0, 0.0};
    UpdateLookAtView();
    EXPECT_NEAR(g_hostgate.headPitch, 90.0, 1e-8);
    // A point 45 degrees right and 30 degrees up, nothing clamped.
    Aircraft(10.0, 0.0, 3000.0, 315.0, 0.0, 0.0);
    const double d = 1000.0;
    g_main.LookAtPoint = GeoPoint{10.0 * kDeg + d / 6367310.0, 0.0, 3000.0 + d * std::tan(30 * kDeg) / 0.3048};
    UpdateLookAtView();
    want = Observe(10 * kDeg, 0, 3000, 315, 0, 0, g_main.LookAtPoint.latitude, 0, g_main.LookAtPoint.altitude);
    EXPECT_NEAR(g_hostgate.headHeading, want.azimuth, 1e-9);
    EXPECT_NEAR(g_hostgate.headPitch, want.elevation, 1e-9);
    EXPECT_NEAR(g_hostgate.headHeading, 45.0, 1e-3);
    EXPECT_NEAR(g_hostgate.headPitch, -30.0, 0.01);
}

TEST_F(TrafficTest, PadlockNeedsASetPointAndTheModeOn) {
    Aircraft(47.0, 8.0, 3000.0, 0.0);
    g_hostgate.headPitch = 1.5, g_hostgate.headHeading = 2.5;
    const struct { int active; double lat, lon; bool moves; } cases[] = {
        {1, 0.0, 0.0, false}, {0, 0.1, 0.1, false}, {1, 0.0, 0.1, true}, {1, 0.1, 0.0, true}};
    for (const auto& c : cases) {
        g_hostgate.headHeading = 2.5;
        g_main.LookAtViewActive = c.active;
        g_main.LookAtPoint = GeoPoint{c.lat, c.lon, 1000.0};
        UpdateLookAtView();
        EXPECT_EQ(g_hostgate.headHeading != 2.5, c.moves) << c.active << " " << c.lat << " " << c.lon;
    }
}

// [SECTION] Through the camera tick: tower mode and the per-tick order

class TowerTest : public ::testing::Test {
protected:
    void SetUp() override {
        hostsim::LoadModule();
        hostsim::Plane().altitude = hostsim::Plane().ground;  // on the ground
        hostsim::PublishAircraft();
        hostsim::SetViewType(3, 2);
        for (int i = 0; i < 80; i++) Tick();
    }
    void TearDown() override { hostsim::UnloadModule(); }
    static void Tick() {
        hostsim::Get().clockMs += 33;
        hostsim::Fly(0.033);
        CameraTick();
    }
    static int Fire(const char* name) {
        KeyBinding binding{};
        std::strncpy(binding.name, name, sizeof binding.name);
        return DispatchCommand(0, 0, &binding);
    }
    TestHost host;
};

TEST_F(TowerTest, OnThenOffRestoresTheEyeOfTheMomentItWentOn) {
    g_main.InternalViewActive = 1;
    g_main.TowerHeight = 30.0;
    Tick();
    g_hostgate.eyeX = -0.5, g_hostgate.eyeY = 3.0, g_hostgate.eyeZ = 4.0;
    for (int i = 0; i < 3; i++) g_hostgate.eyeTarget[i] = (&g_hostgate.eyeX)[i];
    Fire("ToggleTowerMode");
    Tick();
    EXPECT_EQ(g_hostgate.eyeX, 0.0);
    EXPECT_EQ(g_hostgate.eyeY, 30.0);
    EXPECT_EQ(g_hostgate.eyeZ, 0.0);
    for (int i = 0; i < 10; i++) Tick();
    Fire("ToggleTowerMode");
    Tick();
    EXPECT_EQ(g_hostgate.eyeX, -0.5);
    EXPECT_EQ(g_hostgate.eyeY, 3.0);
    EXPECT_EQ(g_hostgate.eyeZ, 4.0);
    ASSERT_EQ(hostsim::SentEvents().size(), 2u);
    EXPECT_EQ(hostsim::SentEvents()[0].id, 0x1020Fu);
    EXPECT_EQ(hostsim::SentEvents()[1].id, 0x1020Eu);
}

TEST_F(TowerTest, OnlyTheInternalViewEndsTowerModeInTheAir) {
    for (int internal : {0, 1}) {
        g_main.InternalViewActive = internal;
        if (!g_main.TowerModeActive) Fire("ToggleTowerMode");
        hostsim::Plane().altitude = hostsim::Plane().ground + 500.0;
        hostsim::PublishAircraft();
        for (int i = 0; i < 5; i++) Tick();
        EXPECT_EQ(g_main.TowerModeActive, 1 - internal) << "internal view " << internal;
        EXPECT_EQ(g_hostgate.TowerModeActive, 1 - internal);
        hostsim::Plane().altitude = hostsim::Plane().ground;
        hostsim::PublishAircraft();
    }
    // On, off by the tick: two events, the second the tower-off one.
    ASSERT_EQ(hostsim::SentEvents().size(), 2u);
    EXPECT_EQ(hostsim::SentEvents()[1].id, 0x1020Eu);
}

TEST_F(TowerTest, PadlockRunsAfterTheTrafficViewAndTheTogglesKeepThemApart) {
    hostsim::Traffic().aircraft.push_back(
        hostsim::AiAircraft{"Ahead", 47.4647 + 0.02, 8.5492, 2000.0, 0, 0, 0, 0, hostsim::kAiWhole});
    hostsim::PublishTraffic();
    g_main.LookAtPoint = GeoPoint{47.4647 * kDeg, (8.5492 + 0.02) * kDeg, 1416.0};  // east
    g_hostgate.headHeading = 0.0;
    Fire("ToggleTrafficView");
    Tick();
    Tick();
    EXPECT_NEAR(g_hostgate.headHeading, 0.0, 1.0) << "the traffic view looks north";
    Fire("ToggleLookAtView");
    EXPECT_EQ(g_main.TrafficViewActive, 0);
    Tick();
    EXPECT_NEAR(g_hostgate.headHeading, 90.0, 2.0) << "the padlock looks east";
    // Both forced on: the padlock, run last, wins the frame.
    g_main.TrafficViewActive = 1;
    Tick();
    EXPECT_NEAR(g_hostgate.headHeading, 90.0, 2.0);
}

}  // namespace
