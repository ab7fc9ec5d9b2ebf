// lifecycle_test.cpp - start-up and shut-down through the library entry point,
// on the whole core and the substitute host.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "files/view_file.h"
#include "host/hostgate.h"
#include "hostsim/hostsim.h"
#include "input/key_bindings.h"
#include "shell/lifecycle.h"
#include "shell/main_state.h"
#include "shell/module_exports.h"
#include "test_host.h"

namespace {

const PlatInstance kInstance = reinterpret_cast<PlatInstance>(std::uintptr_t(0x10000000));
const char kHookFailure[] = "Skyvane: Unable to set hook";

template <typename T>
std::vector<unsigned char> Bytes(const T& object) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(&object);
    return std::vector<unsigned char>(p, p + sizeof object);
}

// The module's globals as a freshly loaded library has them; the tests share one process.
void FreshGlobals() {
    std::memset(&g_main, 0, sizeof g_main);
    std::memset(&g_shell, 0, sizeof g_shell);
    std::memset(&g_hostgate, 0, sizeof g_hostgate);
}

void UseModulePath(const std::string& path) {
    hostsim::Get().modulePath = path;
    hostsim::MakeParentFolders(path);
}

void CloseMainWindow(const TestHost& host) {
    hostsim::Get().windows[reinterpret_cast<std::uintptr_t>(host.main) - 1].alive = false;
}

std::string ConfigPath() {
    char path[kPathSize];
    ConfigFilePath(path, sizeof path);
    return path;
}

std::string Boxes() {
    std::string out;
    for (const std::string& text : hostsim::Get().messageBoxes) out += "[" + text + "]";
    return out;
}

bool HookInstalled(int slot) {
    return hostsim::Get().hooks[slot].proc != nullptr;
}

// Everything a call that must do nothing could change.
struct Snapshot {
    std::vector<unsigned char> main, shell, hostgate;
    std::size_t boxes, writes, openedKeys;
    bool hooks[2];

    static Snapshot Take() {
        const hostsim::Host& h = hostsim::Get();
        return Snapshot{Bytes(g_main), Bytes(g_shell),  Bytes(g_hostgate),       h.messageBoxes.size(),
                        h.regWrites.size(), h.regOpenKeys.size(), {HookInstalled(0), HookInstalled(1)}};
    }
    void ExpectUnchanged(const char* what) const {
        Snapshot now = Take();
        EXPECT_TRUE(now.main == main) << what << " changed MainState";
        EXPECT_TRUE(now.shell == shell) << what << " changed the shell state";
        EXPECT_TRUE(now.hostgate == hostgate) << what << " changed the hostgate context";
        EXPECT_EQ(now.boxes, boxes) << what << " showed a message box";
        EXPECT_EQ(now.writes, writes) << what << " wrote to the registry";
        EXPECT_EQ(now.openedKeys, openedKeys) << what << " opened a registry key";
        EXPECT_EQ(now.hooks[0], hooks[0]) << what << " changed the message hook";
        EXPECT_EQ(now.hooks[1], hooks[1]) << what << " changed the call hook";
    }
};

class LifecycleTest : public ::testing::Test {
protected:
    void SetUp() override { FreshGlobals(); }
    TestHost host;
};

// [SECTION] Folders and paths

TEST(LifecycleFolders, SimFolderIsTheModulePathLessTwoComponents) {
    struct Case {
        const char* modulePath;
        const char* folder;
    };
    const Case cases[] = {
        {"D:\\Sim\\Modules\\Skyvane2004.dll", "D:\\Sim"},
        {"C:\\FS9\\Modules\\Skyvane2004.dll", "C:\\FS9"},
        {"D:\\a\\b\\c\\d.dll", "D:\\a\\b"},
        {"\\\\server\\share\\FS9\\Modules\\x.dll", "\\\\server\\share\\FS9"},
        {"C:\\Skyvane2004.dll", "C:"},
        {"Skyvane2004.dll", "Skyvane2004.dll"},
        {"", ""},
    };
    for (const Case& c : cases) {
        char folder[kPathSize];
        std::memset(folder, 'X', sizeof folder);
        DeriveSimFolder(c.modulePath, folder, sizeof folder);
        EXPECT_STREQ(folder, c.folder) << "from \"" << c.modulePath << "\"";
    }
}

TEST_F(LifecycleTest, StartUpTakesFoldersAndConfigPathFromTheModulePath) {
    UseModulePath("D:\\Sim\\Modules\\Skyvane2004.dll");
    hostsim::LoadModule();
    EXPECT_STREQ(g_shell.SimFolder, "D:\\Sim");
    EXPECT_STREQ(g_shell.ViewFileFolder, "D:\\Sim");
    EXPECT_EQ(ConfigPath(), "D:\\Sim\\Skyvane2004.cfg");

    hostsim::UnloadModule();
    EXPECT_TRUE(std::filesystem::exists(hostsim::RealPath("D:\\Sim\\Skyvane2004.cfg")))
        << "shut-down did not write the configuration file into the sim folder";
    EXPECT_FALSE(std::filesystem::exists(hostsim::RealPath("D:\\Sim\\Modules\\Skyvane2004.cfg")));
}

TEST(LifecycleFolders, ShortModulePathsAreCutOnlyWhereTheyHaveBackslashes) {
    struct Case {
        const char* modulePath;
        const char* folder;
        const char* config;
    };
    const Case cases[] = {
        {"C:\\Skyvane2004.dll", "C:", "C:\\Skyvane2004.cfg"},
        {"Skyvane2004.dll", "Skyvane2004.dll", "Skyvane2004.dll\\Skyvane2004.cfg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.modulePath);
        TestHost host;
        FreshGlobals();
        hostsim::Get().modulePath = c.modulePath;
        hostsim::LoadModule();
        EXPECT_STREQ(g_shell.SimFolder, c.folder);
        EXPECT_STREQ(g_shell.ViewFileFolder, c.folder);
        EXPECT_EQ(ConfigPath(), c.config);
        hostsim::UnloadModule();
    }
}

// [SECTION] Main window and hooks

TEST_F(LifecycleTest, MissingMainWindowShowsOneBoxAndStartUpGoesOn) {
    CloseMainWindow(host);
    hostsim::LoadModule();
    EXPECT_EQ(Boxes(), "[FS window not found]");
    EXPECT_EQ(g_shell.HostMainWindow, nullptr);
    EXPECT_TRUE(HookInstalled(0) && HookInstalled(1)) << "start-up stopped at the missing window";
    EXPECT_STREQ(g_shell.ViewFileFolder, "C:\\FS9");
    EXPECT_EQ(g_hostgate.keyBindingTable, &g_keyBindings);
}

TEST_F(LifecycleTest, MainWindowIsFoundByItsClass) {
    hostsim::LoadModule();
    EXPECT_EQ(g_shell.HostMainWindow, host.main);
    EXPECT_EQ(Boxes(), "");
}

TEST(LifecycleHooks, EachFailedHookShowsOneBox) {
    struct Case {
        bool getMessageFails;
        bool callWndProcFails;
        int boxes;
    };
    const Case cases[] = {{false, false, 0}, {true, false, 1}, {false, true, 1}, {true, true, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "getmessage fails " << c.getMessageFails << ", callwndproc fails "
                                          << c.callWndProcFails);
        TestHost host;
        FreshGlobals();
        hostsim::Get().hookFails[0] = c.getMessageFails;
        hostsim::Get().hookFails[1] = c.callWndProcFails;
        hostsim::LoadModule();
        std::string expected;
        for (int i = 0; i < c.boxes; i++) expected += std::string("[") + kHookFailure + "]";
        EXPECT_EQ(Boxes(), expected);
        EXPECT_EQ(HookInstalled(0), !c.getMessageFails);
        EXPECT_EQ(HookInstalled(1), !c.callWndProcFails);
        EXPECT_EQ(g_hostgate.keyBindingTable, &g_keyBindings) << "start-up stopped at the failed hook";
        hostsim::UnloadModule();
        EXPECT_FALSE(HookInstalled(0) || HookInstalled(1)) << "a hook stayed installed after shut-down";
    }
}

TEST_F(LifecycleTest, HooksAreInstalledForTheStartUpThreadAndRemovedAtStop) {
    hostsim::Get().currentThread = hostsim::kOtherThreadId;
    hostsim::LoadModule();
    EXPECT_EQ(g_shell.HostThreadId, hostsim::kOtherThreadId);
    for (int slot = 0; slot < 2; slot++) {
        EXPECT_TRUE(HookInstalled(slot)) << "slot " << slot;
        EXPECT_EQ(hostsim::Get().hooks[slot].thread, hostsim::kOtherThreadId) << "slot " << slot;
    }
    hostsim::UnloadModule();
    EXPECT_FALSE(HookInstalled(0));
    EXPECT_FALSE(HookInstalled(1));
}

TEST_F(LifecycleTest, BothHooksRouteTheMessagesOfTheirKind) {
    hostsim::LoadModule();
    ASSERT_EQ(g_main.InternalViewActive, 0);
    // A sent command goes through the call hook, a posted one through the message hook.
    EXPECT_EQ(hostsim::SendMessage(host.main, kMsgCommand, 30723, 0), hostsim::kDeliveredNull);
    EXPECT_EQ(g_main.InternalViewActive, 1);
    hostsim::PostMessage(host.main, kMsgCommand, 30723, 0);
    hostsim::QueuedMessage taken;
    hostsim::Delivery delivery;
    ASSERT_TRUE(hostsim::PumpOne(&taken, &delivery));
    EXPECT_EQ(delivery, hostsim::kDeliveredNull);
    EXPECT_EQ(g_main.InternalViewActive, 0);
}

// [SECTION] State at start-up

TEST_F(LifecycleTest, StartUpClearsViewPresetsAndTheHostgateContext) {
    for (ViewPreset& p : g_viewPresets) p = ViewPreset{1, {1, 2, 3}, {4, 5, 6}, 7};
    g_hostgate.towerEyeHeight = 12.0;
    g_hostgate.saveEyeRequest = 1;
    g_hostgate.TowerModeActive = 1;
    hostsim::LoadModule();
    for (int i = 0; i < kViewPresetCount; i++) {
        std::vector<unsigned char> bytes = Bytes(g_viewPresets[i]);
        EXPECT_EQ(bytes, std::vector<unsigned char>(sizeof(ViewPreset), 0)) << "preset " << i << " not cleared";
    }
    EXPECT_EQ(g_hostgate.towerEyeHeight, 0.0);
    EXPECT_EQ(g_hostgate.saveEyeRequest, 0);
    EXPECT_EQ(g_hostgate.TowerModeActive, 0);
    EXPECT_EQ(g_hostgate.keyBindingTable, &g_keyBindings);
}

TEST_F(LifecycleTest, SecondStartBeginsAgainFromDefaultsAndRegistry) {
    hostsim::LoadModule();
    g_main.TrafficViewActive = 1;
    g_main.ExternalViewActive = 1;
    g_main.TowerModeActive = 1;
    g_main.TrafficIndex = 4;
    std::strcpy(g_main.TrafficLockId, "N123");
    g_main.InternalViewActive = 1;  // persisted: comes back from the registry
    g_main.FlyByActive = 0;         // persisted
    hostsim::UnloadModule();

    hostsim::LoadModule();
    EXPECT_EQ(g_main.TrafficViewActive, 0);
    EXPECT_EQ(g_main.ExternalViewActive, 0);
    EXPECT_EQ(g_main.TowerModeActive, 0);
    EXPECT_EQ(g_main.TrafficIndex, 0);
    EXPECT_STREQ(g_main.TrafficLockId, "");
    EXPECT_EQ(g_main.InternalViewActive, 1);
    EXPECT_EQ(g_main.FlyByActive, 0);
}

TEST_F(LifecycleTest, SecondStartWithoutRegistryReturnsToDefaults) {
    hostsim::Get().regAccess = hostsim::kRegDenied;
    hostsim::LoadModule();
    g_main.FlyByActive = 0;
    g_main.TowerHeight = 3.0;
    g_main.LookAtViewActive = 1;
    hostsim::UnloadModule();

    hostsim::LoadModule();
    EXPECT_EQ(g_main.FlyByActive, 1);
    EXPECT_EQ(g_main.TowerHeight, 100.0);
    EXPECT_EQ(g_main.LookAtViewActive, 0);
}

// [SECTION] Entry point and exported records

TEST_F(LifecycleTest, EntryAnswersOneAndThreadEventsDoNothing) {
    EXPECT_EQ(ModuleEntry(kInstance, kProcessAttach), 1);
    ASSERT_TRUE(HookInstalled(0) && HookInstalled(1));
    EXPECT_EQ(g_shell.instance, kInstance);

    Snapshot before = Snapshot::Take();
    EXPECT_EQ(ModuleEntry(kInstance, kThreadAttach), 1);
    before.ExpectUnchanged("thread attach");
    EXPECT_EQ(ModuleEntry(kInstance, kThreadDetach), 1);
    before.ExpectUnchanged("thread detach");
    EXPECT_EQ(ModuleEntry(kInstance, 7), 1);
    before.ExpectUnchanged("an unknown reason");

    EXPECT_EQ(ModuleEntry(kInstance, kProcessDetach), 1);
    EXPECT_FALSE(HookInstalled(0) || HookInstalled(1)) << "process detach did not stop the module";
}

TEST_F(LifecycleTest, LinkageInitAndDeinitDoNothing) {
    hostsim::LoadModule();
    g_main.TrafficViewActive = 1;
    ASSERT_NE(Linkage.init, nullptr);
    ASSERT_NE(Linkage.deinit, nullptr);
    Snapshot before = Snapshot::Take();
    Linkage.init();
    before.ExpectUnchanged("Linkage.init");
    Linkage.deinit();
    before.ExpectUnchanged("Linkage.deinit");
}

TEST(LifecycleExports, RecordsCarryTheWordsTheHostReads) {
    EXPECT_EQ(ImportTable.entryId, 0x0Fu);
    EXPECT_EQ(ImportTable.interfaceTable, 0u) << "the host fills this slot, not the module";
    EXPECT_EQ(ImportTable.endId, 0u);
    EXPECT_EQ(ImportTable.endPointer, 0u);
    EXPECT_EQ(Linkage.moduleId, 0x13u);
    EXPECT_EQ(Linkage.version, 0x0900u);
    EXPECT_EQ(Linkage.end, 0u);
}

}  // namespace
