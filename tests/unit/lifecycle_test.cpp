// lifecycle_test.cpp - start-up and shut-down on the whole core: what the
// scenario tests cannot drive (odd module paths, thread events, a second
// start over state left in the process).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "files/view_file.h"
#include "host/hostgate.h"
#include "hostsim/hostsim.h"
#include "input/key_bindings.h"
#include "shell/lifecycle.h"
#include "shell/main_state.h"
#include "shell/module_exports.h"
#include "shell/settings.h"
#include "test_host.h"

namespace {

// The module's globals as a freshly loaded library has them; the tests share one process.
void FreshGlobals() {
    std::memset(&g_main, 0, sizeof g_main);
    std::memset(&g_shell, 0, sizeof g_shell);
    std::memset(&g_hostgate, 0, sizeof g_hostgate);
    g_keyBindings.count = 0;
}

template <typename T>
std::string Bytes(const T& object) {
    return std::string(reinterpret_cast<const char*>(&object), sizeof object);
}

// Everything a call that must do nothing could change.
std::string Snapshot() {
    const hostsim::Host& h = hostsim::Get();
    return Bytes(g_main) + Bytes(g_shell) + Bytes(g_hostgate) + Bytes(g_viewPresets) +
           std::to_string(g_keyBindings.count) + " boxes " + std::to_string(h.messageBoxes.size()) + " writes " +
           std::to_string(h.regWrites.size()) + " keys " + std::to_string(h.regOpenKeys.size()) + " hooks " +
           std::to_string(h.hooks[0].proc != nullptr) + std::to_string(h.hooks[1].proc != nullptr);
}

TEST(Lifecycle, SimFolderIsTheModulePathLessTwoComponents) {
    const struct { const char* modulePath; const char* folder; } cases[] = {
        {"D:\\a\\b\\c\\d.dll", "D:\\a\\b"},
        {"\\\\server\\share\\FS9\\Modules\\x.dll", "\\\\server\\share\\FS9"},
        {"C:\\Skyvane2004.dll", "C:"},
        {"Skyvane2004.dll", "Skyvane2004.dll"},
        {"", ""},
    };
    for (const auto& c : cases) {
        char folder[kPathSize];
        std::memset(folder, 'X', sizeof folder);
        DeriveSimFolder(c.modulePath, folder, sizeof folder);
        EXPECT_STREQ(folder, c.folder) << "from \"" << c.modulePath << "\"";
    }
}

TEST(Lifecycle, EntryAnswersOneAndOnlyProcessEventsStartOrStop) {
    TestHost host;
    FreshGlobals();
    const PlatInstance instance = reinterpret_cast<PlatInstance>(std::uintptr_t(0x10000000));
    EXPECT_EQ(ModuleEntry(instance, kProcessAttach), 1);
    EXPECT_EQ(g_shell.instance, instance);
    ASSERT_TRUE(hostsim::Get().hooks[0].proc && hostsim::Get().hooks[1].proc);
    g_main.TrafficViewActive = 1;  // a start or a settings load would clear it

    const std::string before = Snapshot();
    for (std::uint32_t reason : {std::uint32_t(kThreadAttach), std::uint32_t(kThreadDetach), 7u}) {
        EXPECT_EQ(ModuleEntry(instance, reason), 1) << "reason " << reason;
        EXPECT_TRUE(Snapshot() == before) << "reason " << reason << " changed the module or the host";
    }
    Linkage.init();
    EXPECT_TRUE(Snapshot() == before) << "Linkage.init changed the module or the host";
    Linkage.deinit();
    EXPECT_TRUE(Snapshot() == before) << "Linkage.deinit changed the module or the host";

    EXPECT_EQ(ModuleEntry(instance, kProcessDetach), 1);
    EXPECT_FALSE(hostsim::Get().hooks[0].proc || hostsim::Get().hooks[1].proc) << "detach did not stop the module";
}

TEST(Lifecycle, SecondStartBeginsAgainFromDefaultsRegistryAndAnEmptyBindingTable) {
    TestHost host;
    FreshGlobals();
    host.WriteFile("C:\\FS9\\Skyvane2004.cfg", "[Keyboard]\r\nToggleFlyBy=F1\r\n");
    hostsim::LoadModule();
    ASSERT_EQ(g_keyBindings.count, 1);
    // Mode flags that are not persisted, then two persisted settings.
    g_main.ExternalViewActive = g_main.TrafficViewActive = g_main.TrafficLockActive = 1;
    g_main.LookAtViewActive = g_main.TowerModeActive = 1;
    g_main.TrafficIndex = 4;
    std::strcpy(g_main.TrafficLockId, "N123");
    g_main.InternalViewActive = 1;
    g_main.FlyByActive = 0;
    hostsim::UnloadModule();
    for (ViewPreset& p : g_viewPresets) p = ViewPreset{1, {1, 2, 3}, {4, 5, 6}, 7};
    g_hostgate.towerEyeHeight = 12.0;
    g_hostgate.restoreEyeRequest = 1;

    hostsim::LoadModule();
    EXPECT_EQ(g_keyBindings.count, 1) << "the bindings were appended to those of the first start";
    MainState expected;
    std::memset(&expected, 0, sizeof expected);
    SetDefaultSettings(&expected);
    expected.InternalViewActive = 1;
    expected.FlyByActive = 0;
    EXPECT_TRUE(Bytes(g_main) == Bytes(expected)) << "not the defaults with the two stored changes";
    HostgateContext gate;
    std::memset(&gate, 0, sizeof gate);
    gate.keyBindingTable = &g_keyBindings;
    EXPECT_TRUE(Bytes(g_hostgate) == Bytes(gate)) << "the hostgate context was not cleared";
    for (const ViewPreset& p : g_viewPresets) {
        EXPECT_TRUE(Bytes(p) == std::string(sizeof p, '\0')) << "a view preset was kept";
    }
    hostsim::UnloadModule();
}

}  // namespace
