// camera_tick_test.cpp - the per-frame camera update on the substitute host:
// eye point words, timing and warm-up, track, the walker and tower rules.
// Expected values worked out by hand or in python.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>

#include "camera/camera_tick.h"
#include "host/host_access.h"
#include "hostsim/host_process.h"
#include "shell/settings.h"
#include "test_host.h"

namespace {

constexpr HostAddr kRecord = hostsim::kSimGlobalBase + 0x3000 + 0xD50;
constexpr double kPi = std::numbers::pi;

class CameraTickTest : public ::testing::Test {
protected:
    void SetUp() override {
        hostsim::SetVariable(2, 0.0);  // ground at sea level
        std::memset(&g_main, 0, sizeof g_main);
        SetDefaultSettings(&g_main);
        std::memset(&g_hostgate, 0, sizeof g_hostgate);
        g_aircraft = {};
        LocateHostModules(&g_hostgate);
        hostsim::Get().clockMs = 100000;
    }
    static void Tick(std::uint32_t ms) { hostsim::Get().clockMs += ms, CameraTick(); }
    // A full-update tick, 20 ms after the previous one.
    static void FullTick() { g_main.ElapsedTime = 2.0, Tick(20); }
    TestHost host;
};

TEST_F(CameraTickTest, EyePointWordsSplitSignedIntegerAndMagnitudeFraction) {
    for (HostAddr a = kRecord; a < kRecord + 24; a += 4) hostsim::Write32(a, 0xAAAAAAAA);
    // North -10.300000000000002: integer -10, fraction of 0.3; east 341782637.788.
    SetEyePoint(GeoPoint{-10.3 / 10001700.0 * (kPi / 2), 0.5, 1000.0});
    const std::uint32_t want[6] = {1288490188u, 0xFFFFFFF6u, 0xC9C882FFu, 0x145F306Du, 0xAAAAAAAAu, 0xAAAA0130u};
    for (int i = 0; i < 6; i++) EXPECT_EQ(hostsim::Read32(kRecord + 4 * i), want[i]) << "word " << i;
    // West: -1367130551.153, and -3417826377.882 beyond -2^31 keeps its low 32 bits.
    const struct { double longitude; std::uint32_t fraction, integer; } west[] = {
        {-2.0, 0x27220BFFu, 0xAE833E49u}, {-5.0, 0xE1D51FFFu, 0x34481BB7u}};
    for (const auto& w : west) {
        SetEyePoint(GeoPoint{0.0, w.longitude, -100.0});
        EXPECT_EQ(hostsim::Read32(kRecord + 8), w.fraction) << w.longitude;
        EXPECT_EQ(hostsim::Read32(kRecord + 12), w.integer) << w.longitude;
        EXPECT_EQ(hostsim::Read32(kRecord + 20), 0xAAAAFFE2u) << "-30 m in the low half";
    }
    g_hostgate.globalData = 0;
    SetEyePoint(GeoPoint{0.5, 0.5, 0.0});  // no data area, no write
    EXPECT_EQ(hostsim::Read32(kRecord + 12), 0x34481BB7u);
}

TEST_F(CameraTickTest, WarmUpKeepsTimeUntilTwoSecondsAndTheClockIsAFloat) {
    hostsim::SetVariable(73, 100.0);
    g_main.ExternalViewActive = 1;
    CameraTick();
    EXPECT_EQ(g_main.FrameTime, 1.0f) << "first tick after load is capped";
    EXPECT_EQ(g_main.ExternalViewActive, 0) << "cleared while the internal view is off";
    for (int i = 0; i < 3; i++) Tick(250);
    EXPECT_EQ(g_aircraft.position.altitude + (g_hostgate.commandDispatch != nullptr), 0.0) << "1.75 s: warming up";
    Tick(250);
    EXPECT_NEAR(g_aircraft.position.altitude, 328.084, 1e-9);
    EXPECT_NE(g_hostgate.commandDispatch, nullptr);

    // Near 3e9 ms a float steps by 256 ms.
    hostsim::Get().clockMs = 3000000000u;
    CameraTick();
    for (float want : {0.0f, 0.256f}) {  // 3000000100 rounds to 3000000000, 3000000200 to 3000000256
        Tick(100);
        EXPECT_EQ(g_main.FrameTime, want);
    }
}

TEST_F(CameraTickTest, TrackAddsTheDriftAndWrapsButKeeps360) {
    const struct { double heading, drift, track; } cases[] = {{359.9, 0.2, 0.1}, {10.0, -20.0, 350.0}, {360.0, 0.0, 360.0}};
    for (const auto& c : cases) {
        hostsim::SetVariable(86, c.heading);
        hostsim::SetVariable(551, 100.0 * std::cos(c.drift * kPi / 180));
        hostsim::SetVariable(552, 100.0 * std::sin(c.drift * kPi / 180));
        FullTick();
        // The module's radians-to-degrees factor is 3e-11 off 180/pi.
        EXPECT_NEAR(g_aircraft.track, c.track, 1e-7) << c.heading << " + " << c.drift;
    }
}

TEST_F(CameraTickTest, WalkerEndsAboveThirtyFeetAndTowerInTheAir) {
    g_main.InternalViewActive = 1;
    // 9.143999707392009 m is exactly 30.0 ft in the module's arithmetic.
    const struct { double metres; int walker; } cases[] = {{9.143999707392009, 1}, {30.01 / 3.28084, 0}};
    for (const auto& c : cases) {
        g_main.ExternalViewActive = 1;
        hostsim::SetVariable(73, c.metres);
        FullTick();
        EXPECT_EQ(g_main.ExternalViewActive, c.walker) << c.metres * 3.28084 << " ft";
    }

    g_main.TowerModeActive = g_hostgate.TowerModeActive = 1;
    for (int onGround : {1, 0}) {
        hostsim::SetVariable(60, onGround);
        FullTick();
        EXPECT_EQ(g_main.TowerModeActive + g_hostgate.TowerModeActive, 2 * onGround) << "on the ground " << onGround;
        EXPECT_EQ(hostsim::SentEvents().size(), std::size_t(1 - onGround));
    }
    EXPECT_EQ(hostsim::SentEvents().back().id, 0x1020Eu);
}

}  // namespace
