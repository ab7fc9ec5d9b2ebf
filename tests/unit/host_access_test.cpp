// host_access_test.cpp - finding the simulator's modules and active view,
// the frame clock, host calls and the conversions into host integers.
#include <gtest/gtest.h>

#include "host/host_access.h"
#include "hostsim/host_process.h"
#include "shell/module_exports.h"
#include "test_host.h"

namespace {

// A fresh context after a walk of the module list in the given shape.
HostgateContext Located(hostsim::ModuleListShape shape, int found = 1) {
    hostsim::SetModuleList(shape);
    HostgateContext g{};
    EXPECT_EQ(LocateHostModules(&g), found);
    return g;
}

TEST(HostModules, WalkTakesTheFirstMatchOfEachNameAndDerivesTheRecords) {
    TestHost host;
    HostgateContext g = Located(hostsim::kModulesNormal);
    EXPECT_EQ(g.g3dBase, hostsim::kSimG3dBase);
    EXPECT_EQ(g.objectList, hostsim::kSimG3dBase + 0xA5E30u);
    EXPECT_EQ(g.globalBase, hostsim::kSimGlobalBase);
    // A second GLOBAL.DLL later in the list never replaces the first; names match whatever their case.
    EXPECT_EQ(Located(hostsim::kModulesDuplicateGlobal).globalBase, hostsim::kSimGlobalBase);
    g = Located(hostsim::kModulesLowerCase);
    EXPECT_EQ(g.g3dBase + g.globalBase, hostsim::kSimG3dBase + hostsim::kSimGlobalBase);
}

TEST(HostModules, UnreadableListLeavesEverythingUnfound) {
    TestHost host;
    HostgateContext g = Located(hostsim::kModulesUnreadable, 0);
    EXPECT_EQ(g.moduleListHead | g.g3dBase | g.globalData, 0u);
    // Found addresses stay when the list later becomes unreadable.
    g = Located(hostsim::kModulesNormal);
    hostsim::SetModuleList(hostsim::kModulesUnreadable);
    EXPECT_EQ(LocateHostModules(&g), 0);
    EXPECT_EQ(g.globalBase, hostsim::kSimGlobalBase);
}

TEST(HostViews, LayoutKindChoosesTheListAndTheViewTypeFilters) {
    TestHost host;
    HostgateContext g = Located(hostsim::kModulesNormal);
    for (int kind : {3, 4, 5, 6}) {
        hostsim::SetLayoutKind(kind);
        EXPECT_EQ(FindActiveHostView(&g), kind < 6 ? hostsim::ViewAddress(kind) : 0u) << "layout kind " << kind;
    }
    hostsim::SetLayoutKind(4);
    const struct { int type, shown; } types[] = {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {1250, 1}, {0, 0}, {5, 0}, {1249, 0}};
    for (const auto& t : types) {
        hostsim::SetViewType(4, t.type);
        EXPECT_EQ(FindActiveHostView(&g), t.shown ? hostsim::ViewAddress(4) : 0u) << "type " << t.type;
    }
    g.viewManager = 0;
    EXPECT_EQ(FindActiveHostView(&g), 0u);
}

TEST(HostFrame, ClockStartsFromTheWholeUptimeThenMeasuresEachFrame) {
    TestHost host;
    HostgateContext g{};
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

    ImportTable.interfaceTable = 0;
    request.value = -1.0;
    EXPECT_DOUBLE_EQ(ReadHostVariableValue(&request, 86), -1.0) << "no table: the value stays";
    SendHostEvent(0x1020E, 0);
    ASSERT_EQ(hostsim::SentEvents().size(), 1u) << "an event sent without the table";
    EXPECT_EQ(hostsim::SentEvents()[0].id, 0x1020Fu);
}

TEST(HostConversions, TruncateTowardZeroAndKeepTheLowBits) {
    EXPECT_EQ(HostLow32(-1.9), 0xFFFFFFFFu);
    EXPECT_EQ(HostLow32(4294967296.0 + 5.7), 5u);
    EXPECT_EQ(HostLow16(-2.5), 0xFFFEu);
    EXPECT_EQ(HostLow16(65537.9), 1u);
    // -90 degrees: trunc(-0.25 x 4294967295) = -1073741823 -> 0xC0000001.
    EXPECT_EQ(HostAngle32(-90.0), 0xC0000001u);
    EXPECT_EQ(HostAngle32(180.0), 2147483647u);

    std::int32_t integer = 0;
    std::uint32_t fraction = 0;
    HostSplit32(-10.3, &integer, &fraction);
    EXPECT_EQ(integer, -10);
    EXPECT_EQ(fraction, std::uint32_t((10.3 - 10.0) * 4294967295.0));
    // One degree north is 111130.52399516014 metres: integer 111130, fraction of 0.524.
    HostPosition32 p = ToHostPosition32(1.0, -1.0, 100.25);
    EXPECT_EQ(p.latInteger, 111130);
    EXPECT_NEAR(double(p.latFraction), 0.52399516014 * 4294967295.0, 2.0);
    EXPECT_EQ(p.lonInteger, -11930464);
    EXPECT_EQ(p.altFraction, std::uint32_t(0.25 * 4294967295.0));
}

}  // namespace
