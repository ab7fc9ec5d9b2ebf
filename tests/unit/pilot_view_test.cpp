// pilot_view_test.cpp - the cockpit pilot view engine on the substitute
// host's virtual cockpit and spot views: glides, the pilot's moves, the
// effects, taking over host changes and the words written back.
// Expected values worked out by hand or in python.
#include <gtest/gtest.h>

#include <cstring>

#include "host/host_access.h"
#include "hostsim/host_process.h"
#include "pilotview/pilot_view.h"
#include "test_host.h"
#include "view_record_fixture.h"

namespace {

void SetVariables(std::initializer_list<std::pair<int, double>> variables) {
    for (auto [id, value] : variables) hostsim::SetVariable(id, value);
}

// Rows of RotX(10 deg) x RotY(30 deg), turning row vectors.
constexpr float kPitch10Heading30[3][3] = {{0.8660254f, 0.0f, -0.5f},
                                           {0.0868241f, 0.9848077f, 0.1503837f},
                                           {0.4924039f, -0.1736482f, 0.8528685f}};

class PilotViewTest : public ViewRecordTest {
protected:
    // Element k of the 3 x 3 view matrix, row by row.
    static std::uint32_t MatrixAt(int k) { return kViewMatrix + 16 * (k / 3) + 4 * (k % 3); }
    float HostMatrix(int k) const { return HostField<float>(MatrixAt(k)); }
    // A frame after the host's view has been taken over once.
    void Adopted() { ASSERT_EQ(UpdatePilotView(&g, 1), 1); }
};

TEST(PilotViewSteps, AnglesGoTheShortWayAndStepsSnapOnlyWhenPassing) {
    EXPECT_DOUBLE_EQ(AngleDifference(350.0, 10.0), -20.0);
    EXPECT_DOUBLE_EQ(AngleDifference(-90.0, 540.0), 90.0);
    EXPECT_DOUBLE_EQ(WrapAngle360(360.0), 360.0);
    EXPECT_DOUBLE_EQ(WrapAngle360(1e9), 280.0);  // 2777777 turns and 280 degrees

    double v = 1.0;
    EXPECT_EQ(StepToward(&v, 0.0, 1.0, 0.25), 0);
    EXPECT_DOUBLE_EQ(v, 0.75);
    EXPECT_EQ(StepToward(&v, 0.0, 1.0, 1.0), 1);
    EXPECT_EQ(v, 0.0);
}

TEST_F(PilotViewTest, TransitionArrivesInHalfASecondTheShortWay) {
    Adopted();
    g.headHeading = 10.0, g.headTarget[1] = 350.0, g.eyeTarget[0] = 1.0, g.zoomTarget = 2.0;  // zoom from 1
    ASSERT_EQ(StartViewTransition(&g), 1);
    // A 0.05 s frame covers a tenth of every distance.
    EXPECT_NEAR(g.headHeading, 8.0, 1e-9);
    EXPECT_NEAR(g.eyeX, 0.1, 1e-9);
    EXPECT_NEAR(g.zoom, 1.1, 1e-9);
    for (int i = 0; i < 5; i++) UpdatePilotView(&g, 1);
    EXPECT_NEAR(g.headHeading, -2.0, 1e-9) << "through north, unwrapped, not round by the south";
    for (int i = 0; i < 4; i++) UpdatePilotView(&g, 1);
    EXPECT_EQ(g.headHeading, 350.0) << "onto the target, wrapped";
    EXPECT_NEAR(g.eyeX, 1.0, 1e-9);
    EXPECT_NEAR(g.zoom, 2.0, 1e-9);
}

TEST_F(PilotViewTest, PilotWalksWhereHeLooksAndNoFurtherThan120) {
    Adopted();
    g.headHeading = 90.0, g.pilotForward = 1;
    g.frameDelta = 0.2;  // no walking speed set: 5 units a second
    UpdatePilotView(&g, 1);
    EXPECT_NEAR(g.eyeX, 1.0, 1e-9);
    EXPECT_EQ(g.eyeTarget[0], g.eyeX) << "a held command ends any glide";
    g.pilotForward = 0, g.pilotUp = 1, g.eyeY = 118.0, g.frameDelta = 1.0;
    UpdatePilotView(&g, 1);
    EXPECT_EQ(g.eyeY, 120.0);
}

TEST_F(PilotViewTest, BuffetingIsAllOrNothingAndDrawsItsImpulse) {
    hostsim::SetVariable(60, 0.0);  // in the air
    g.buffetingRate = 0.5, g.spotTurbulenceTimer = 100.0;  // the timer keeps rand() for the buffeting
    for (double buffet : {0.0, 0.29, 0.3, 0.9}) {
        hostsim::SetVariable(349, buffet * 32768.0);
        g.turbulenceTimer = 0.0;
        hostsim::FeedRand({32767, 32767, 32767, 0, 32767, 32767, 32767});
        UpdatePilotView(&g, 1);
        const double k = buffet < 0.3 ? 0.5 : 0.0;  // intensity 1 or 0, times the rate
        EXPECT_EQ(g.buffetIntensity, buffet < 0.3 ? 1.0 : 0.0) << buffet;
        EXPECT_DOUBLE_EQ(g.turbulenceTimer, buffet < 0.3 ? 0.5 : 1.0) << buffet;
        EXPECT_DOUBLE_EQ(g.turbulenceTarget[0], k * 0.5 * 5.0) << buffet;
        EXPECT_DOUBLE_EQ(g.turbulenceTarget[2], k * 0.5 * -1.25) << buffet;
        EXPECT_DOUBLE_EQ(g.turbulenceRate[1], k * 2.5) << buffet;
    }
}

TEST_F(PilotViewTest, OverspeedShakesOnlyPastATimesTheSpeedItCameOnAt) {
    g.overspeedTurbulenceRate = 0.5, g.turbulenceTimer = g.spotTurbulenceTimer = 100.0;
    SetVariables({{68, 1.0}, {551, 100.0}});  // 100 feet per second
    UpdatePilotView(&g, 1);
    EXPECT_DOUBLE_EQ(g.overspeedReference, 30.48);
    hostsim::SetVariable(551, 119.0);
    UpdatePilotView(&g, 1);
    EXPECT_EQ(g.overspeedTimer, 0.0) << "no impulse at 1.19 times";
    hostsim::SetVariable(551, 121.0);
    hostsim::FeedRand({32767, 0, 32767, 32767, 32767, 32767, 32767});
    UpdatePilotView(&g, 1);
    EXPECT_DOUBLE_EQ(g.overspeedTimer, 0.5);
    EXPECT_DOUBLE_EQ(g.overspeedTarget[0], -2.5);
    EXPECT_DOUBLE_EQ(g.overspeedTarget[1], 0.625);
    g.frameDelta = 0.1;
    UpdatePilotView(&g, 1);
    EXPECT_DOUBLE_EQ(g.overspeedOffset[0], -0.5);  // 5 degrees a second toward -2.5
    hostsim::SetVariable(68, 0.0);
    UpdatePilotView(&g, 1);
    EXPECT_EQ(g.overspeedReference, 0.0);
    EXPECT_EQ(g.overspeedOffset[0], 0.0);
}

TEST_F(PilotViewTest, HeadLagTurnsWithTheHeadAndIsAFifthNearTheGround) {
    SetVariables({{73, 1000.0}, {2, 0.0}, {77, 1.0}});  // 1000 metres, ground at 0
    g.headLatencyRate = 0.5;
    Adopted();
    g.headHeading = g.headTarget[1] = 90.0;
    hostsim::SetVariable(77, 3.0);  // the nose drops 2 degrees
    UpdatePilotView(&g, 1);
    EXPECT_NEAR(g.latencyOffset[0], 0.0, 1e-9);
    EXPECT_NEAR(g.latencyOffset[2], -1.0, 1e-9) << "looking sideways, a pitch rolls the head";
    SetVariables({{73, 1.0}, {77, 5.0}});  // 3.3 feet up
    UpdatePilotView(&g, 1);
    EXPECT_NEAR(g.latencyOffset[2], -0.9 - 0.2, 1e-9);
}

TEST_F(PilotViewTest, FirstFrameAndHostChangesAreTakenOverUnlessThePilotIsMoving) {
    const std::int16_t words[6] = {100, 200, -300, 156, 56, 44};  // the base eye, then the offset
    for (std::uint32_t i = 0; i < 6; i++) SetHostField((i < 3 ? kViewBaseEye : kViewEyeOffset) + 2 * (i % 3), words[i]);
    SetHostField<std::int16_t>(kViewZoom, 128);
    SetHostField<std::int32_t>(kViewDirectionStep, 1);  // 45 degrees more
    for (int k = 0; k < 9; k++) SetHostField<float>(MatrixAt(k), kPitch10Heading30[k / 3][k % 3]);
    g.eyeTarget[0] = 7.0;
    hostsim::SetViewType(3, 3);
    EXPECT_EQ(UpdatePilotView(&g, 1), 0) << "other eye views are left to the host";
    hostsim::SetViewType(3, 2);
    Adopted();
    EXPECT_DOUBLE_EQ(g.eyeX, 1.0);
    EXPECT_DOUBLE_EQ(g.eyeZ, -1.0);
    EXPECT_DOUBLE_EQ(g.zoom, 2.0);
    EXPECT_NEAR(g.headPitch, 10.0, 1e-4);
    EXPECT_NEAR(g.headHeading, 75.0, 1e-4);
    EXPECT_EQ(g.eyeTarget[0], 1.0);

    // The user zooms with the host's keys during a glide: the glide ends
    // there, and the head keeps its own angle range.
    g.zoomTarget = 3.0, g.zoomRate = 1.0;
    g.headHeading = g.headTarget[1] = 75.0 - 360.0;
    SetHostField<std::int16_t>(kViewZoom, 96);
    UpdatePilotView(&g, 1);
    EXPECT_EQ(g.zoom, 1.5);
    EXPECT_EQ(g.zoomTarget, 1.5);
    EXPECT_NEAR(g.headHeading, -285.0, 1e-4);

    // While a pilot key is held the host's change is overwritten instead.
    g.pilotHeadRight = 1;
    SetHostField<std::int16_t>(kViewZoom, 32);
    UpdatePilotView(&g, 1);
    EXPECT_EQ(g.zoom, 1.5);
    EXPECT_EQ(HostField<std::int16_t>(kViewZoom), 96);
    EXPECT_NEAR(g.headHeading, -285.0 + 1.75, 1e-4);
}

TEST_F(PilotViewTest, CockpitWordsAreTruncatedFromTheModulesState) {
    SetHostField<std::int16_t>(kViewBaseEye, 100);
    SetHostField<std::int16_t>(kViewBaseEye + 4, -300);
    SetHostField<std::int32_t>(kViewDirectionStep, 1);
    Adopted();
    g.eyeX = g.eyeTarget[0] = 2.5, g.eyeZ = g.eyeTarget[2] = -1.3, g.zoom = g.zoomTarget = 1.55;
    g.headPitch = g.headTarget[0] = 10.0, g.headHeading = g.headTarget[1] = 30.0;
    SetHostField<std::int32_t>(kViewHostParameter, 77);  // not a change the module takes over
    UpdatePilotView(&g, 1);
    EXPECT_EQ(HostField<std::int16_t>(kViewEyeOffset), 540);
    EXPECT_EQ(HostField<std::int16_t>(kViewEyeOffset + 4), -32);
    EXPECT_EQ(HostField<std::int16_t>(kViewZoom), 99);
    EXPECT_EQ(HostField<std::int16_t>(kViewHeadHeading), 5461);
    EXPECT_EQ(HostField<std::int32_t>(kViewDirectionStep), 0);
    EXPECT_EQ(HostField<std::int32_t>(kViewHostParameter), 77);
    for (int k = 0; k < 9; k++) EXPECT_NEAR(HostMatrix(k), kPitch10Heading30[k / 3][k % 3], 1e-6) << k;
}

TEST_F(PilotViewTest, SpotViewWordsAreSignExtendedAndTheHostSteersWithoutTheMouse) {
    hostsim::SetViewType(3, 4);
    SetHostField<std::int32_t>(kViewDirectionStep, 1);
    g.useMouseInSpot = 1;
    Adopted();
    g.spotDistance = 200.0, g.spotPitch = 20.0, g.spotHeading = 200.0, g.spotZoom = 1.5;
    UpdatePilotView(&g, 1);
    EXPECT_EQ(HostField<std::int16_t>(kViewSpotHeading), -29128);
    EXPECT_EQ(HostField<std::int16_t>(kViewSpotZoom), 96);
    EXPECT_EQ(HostField<std::int32_t>(kViewSpotHorizontal), -17424) << "48112 does not fit 16 signed bits";
    EXPECT_EQ(HostField<std::int32_t>(kViewSpotVertical), -17511);
    EXPECT_EQ(HostField<std::int32_t>(kViewDirectionStep), 1) << "cockpit fields stay the host's";

    g.useMouseInSpot = 0, g.spotDistance = 10.0;
    SetHostField<std::int32_t>(kViewSpotVertical, -875);
    SetHostField<std::int32_t>(kViewSpotHorizontal, 2405);
    SetHostField<std::int16_t>(kViewSpotHeading, 16384);
    UpdatePilotView(&g, 1);
    EXPECT_DOUBLE_EQ(g.spotHeading, 90.0);
    EXPECT_NEAR(g.spotPitch, 19.99267, 1e-5);
    EXPECT_EQ(g.spotDistance, 10.0) << "9.997 is near enough to keep";
}

TEST_F(PilotViewTest, TowerLiftsTheEyeKeepsItLevelAndPutsItBack) {
    Adopted();
    g.eyeX = 1.0, g.eyeY = 2.0, g.eyeZ = 3.0;
    g.towerEyeHeight = 50.0, g.saveEyeRequest = 1, g.TowerModeActive = 1;
    hostsim::SetVariable(77, 10.0);  // nose down 10 degrees
    UpdatePilotView(&g, 1);
    EXPECT_EQ(g.saveEyeRequest, 0);
    EXPECT_EQ(g.eyeY, 50.0);
    EXPECT_EQ(HostField<std::int16_t>(kViewEyeOffset + 2), 12800);
    // The head looks level: the aircraft's pitch is taken back out.
    for (auto [k, want] : {std::pair{4, 0.9848078}, {5, -0.1736482}, {7, 0.1736482}}) {
        EXPECT_NEAR(HostMatrix(k), want, 1e-6) << k;
    }
    g.TowerModeActive = 0, g.restoreEyeRequest = 1;
    UpdatePilotView(&g, 1);
    EXPECT_EQ(g.eyeX, 1.0);
    EXPECT_EQ(g.eyeY, 2.0);
}

}  // namespace

// Mouse or keys may reach the engine before its first frame: it must take
// the host's record then, not write its empty copy over it.
TEST(PilotViewFirstUse, AnUpdateWithoutDetectionBeforeTheFirstFrameKeepsTheHostView) {
    TestHost host;
    HostgateContext g;
    std::memset(&g, 0, sizeof g);
    LocateHostModules(&g);
    g.frameDelta = 0.02;
    ASSERT_EQ(UpdatePilotView(&g, 0), 1);
    EXPECT_EQ(std::int32_t(hostsim::Read32(hostsim::ViewAddress(3) + kViewType)), kViewTypeVirtualCockpit);
    EXPECT_DOUBLE_EQ(g.zoom, 1.0) << "zoom word 64 taken from the host";
}
