// host_access_test.cpp - finding the simulator's modules and active view,
// the frame clock, host calls and the conversions into host integers.
#include <gtest/gtest.h>

#include <cstring>

#include "host/host_access.h"
#include "hostsim/host_process.h"
#include "shell/module_exports.h"
#include "test_host.h"

namespace {

HostgateContext Located(hostsim::ModuleListShape shape) {
    hostsim::SetModuleList(shape);
    HostgateContext g;
    std::memset(&g, 0, sizeof g);
    LocateHostModules(&g);
    return g;
}

TEST(HostModules, WalkTakesTheFirstMatchOfEachNameAndDerivesTheRecords) {
    TestHost host;
    HostgateContext g = Located(hostsim::kModulesNormal);
    EXPECT_EQ(g.g3dBase, hostsim::kSimG3dBase);
    EXPECT_EQ(g.objectList, hostsim::kSimG3dBase + 0xA5E30u);
    EXPECT_EQ(g.projectionMatrix, hostsim::kSimG3dBase + 0xAEA50u);
    EXPECT_EQ(g.globalBase, hostsim::kSimGlobalBase);
    EXPECT_EQ(g.globalData, hostsim::kSimGlobalBase + 0x3000u);
    EXPECT_EQ(g.eyePositionRecord, hostsim::kSimGlobalBase + 0x35B0u);
    EXPECT_EQ(g.eyeAttitudeRecord, hostsim::kSimGlobalBase + 0x35C8u);
    EXPECT_EQ(g.viewLayoutKind, 0x47D0BCu);
    EXPECT_NE(g.viewManager, 0u);

    // A second GLOBAL.DLL later in the list never replaces the first.
    g = Located(hostsim::kModulesDuplicateGlobal);
    EXPECT_EQ(g.globalBase, hostsim::kSimGlobalBase);
    // Names match whatever their case.
    g = Located(hostsim::kModulesLowerCase);
    EXPECT_EQ(g.g3dBase, hostsim::kSimG3dBase);
    EXPECT_EQ(g.globalBase, hostsim::kSimGlobalBase);
}

TEST(HostModules, UnreadableListLeavesEverythingUnfound) {
    TestHost host;
    hostsim::SetModuleList(hostsim::kModulesUnreadable);
    HostgateContext g;
    std::memset(&g, 0, sizeof g);
    EXPECT_EQ(LocateHostModules(&g), 0);
    EXPECT_EQ(g.moduleListHead, 0u);
    EXPECT_EQ(g.g3dBase, 0u);
    EXPECT_EQ(g.globalData, 0u);
    // Found addresses stay when the list later becomes unreadable.
    g = Located(hostsim::kModulesNormal);
    hostsim::SetModuleList(hostsim::kModulesUnreadable);
    EXPECT_EQ(LocateHostModules(&g), 0);
    EXPECT_EQ(g.globalBase, hostsim::kSimGlobalBase);
}

TEST(HostViews, LayoutKindChoosesTheListAndTheViewTypeFilters) {
    TestHost host;
    HostgateContext g = Located(hostsim::kModulesNormal);
    for (int kind : {3, 4, 5}) {
        hostsim::SetLayoutKind(kind);
        EXPECT_EQ(FindActiveHostView(&g), hostsim::ViewAddress(kind)) << "layout kind " << kind;
    }
    hostsim::SetLayoutKind(6);
    EXPECT_EQ(FindActiveHostView(&g), 0u) << "layout kind 6";
    hostsim::SetLayoutKind(4);
    for (int type : {1, 2, 3, 4, 1250}) {
        hostsim::SetViewType(4, type);
        EXPECT_EQ(FindActiveHostView(&g), hostsim::ViewAddress(4)) << "type " << type;
    }
    for (int type : {0, 5, 1249}) {
        hostsim::SetViewType(4, type);
        EXPECT_EQ(FindActiveHostView(&g), 0u) << "type " << type;
    }
    g.viewManager = 0;
    EXPECT_EQ(FindActiveHostView(&g), 0u);
}

TEST(HostFrame, ClockStartsFromTheWholeUptimeThenMeasuresEachFrame) {
    TestHost host;
    HostgateContext g;
    std::memset(&g, 0, sizeof g);
    hostsim::Get().clockMs = 4000000000u;  // near the 32-bit wrap: no sign trouble
    SyncHostFrame(&g);
    EXPECT_DOUBLE_EQ(g.frameDelta, 4000000.0);
    hostsim::Get().clockMs += 25;
    SyncHostFrame(&g);
    EXPECT_NEAR(g.frameDelta, 0.025, 1e-9);
    EXPECT_EQ(g.globalBase, hostsim::kSimGlobalBase) << "each frame walks the module list";
}

TEST(HostCalls, GoThroughTheTableTheHostGaveAndNowhereWithout) {
    TestHost host;
    hostsim::SetVariable(86, 271.5);
    HostVariableRequest request{};
    EXPECT_DOUBLE_EQ(ReadHostVariableValue(&request, 86), 271.5);
    SendHostEvent(0x1020F, 0);
    ASSERT_EQ(hostsim::SentEvents().size(), 1u);
    EXPECT_EQ(hostsim::SentEvents()[0].id, 0x1020Fu);

    ImportTable.interfaceTable = 0;
    request.value = -1.0;
    EXPECT_DOUBLE_EQ(ReadHostVariableValue(&request, 86), -1.0) << "no table: the value stays";
    SendHostEvent(0x1020E, 0);
    EXPECT_EQ(hostsim::SentEvents().size(), 1u);
}

TEST(HostConversions, TruncateTowardZeroAndKeepTheLowBits) {
    EXPECT_EQ(HostLow32(-1.9), 0xFFFFFFFFu);
    EXPECT_EQ(HostLow32(4294967296.0 + 5.7), 5u);
    EXPECT_EQ(HostLow16(-2.5), 0xFFFEu);
    EXPECT_EQ(HostLow16(65537.9), 1u);
    // -90 degrees: trunc(-0.25 x 4294967295) = -1073741823 -> 0xC0000001.
    EXPECT_EQ(HostAngle32(-90.0), 0xC0000001u);
    EXPECT_EQ(HostAngle32(180.0), 2147483647u);

    std::int32_t integer;
    std::uint32_t fraction;
    HostSplit32(-10.3, &integer, &fraction);
    EXPECT_EQ(integer, -10);
    EXPECT_EQ(fraction, std::uint32_t((10.3 - 10.0) * 4294967295.0));
    // One degree north is 111130.52399516014 metres: integer 111130, fraction of 0.524.
    HostPosition32 p = ToHostPosition32(1.0, -1.0, 100.25);
    EXPECT_EQ(p.latInteger, 111130);
    EXPECT_NEAR(double(p.latFraction), 0.52399516014 * 4294967295.0, 2.0);
    EXPECT_EQ(p.lonInteger, -11930464);
    EXPECT_EQ(p.altInteger, 100);
    EXPECT_EQ(p.altFraction, std::uint32_t(0.25 * 4294967295.0));
}

}  // namespace
