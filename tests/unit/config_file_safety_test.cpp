// config_file_safety_test.cpp - no binding is lost: what the reader takes
// the writer writes back, a byte-order mark does not hide the section, a file
// the module could not read is never rewritten, and the rewrite replaces the
// file whole or not at all. Also the settings that used to come back as 0 or
// as their defaults after a save and a load.
#include <gtest/gtest.h>

#include <cfloat>
#include <cstring>
#include <string>

#include "files/file_replace.h"
#include "files/number_text.h"
#include "files/text_file.h"
#include "files/view_file.h"
#include "hostsim/sim_files.h"
#include "input/key_bindings.h"
#include "shell/settings.h"
#include "test_host.h"

namespace {

const char* const kCfg = "C:\\FS9\\Skyvane2004.cfg";
const char* const kTemp = "C:\\FS9\\Skyvane2004.cfg.tmp";

struct Table {
    KeyBinding store[kKeyBindingCapacity];
    KeyBindingTable table = {kKeyBindingCapacity, 0, store};
};

std::string Save(const TestHost& host, const KeyBindingTable& table) {
    std::FILE* file = OpenTextFileForWriting(kCfg);
    SaveKeyBindings(file, "Keyboard", &table);
    std::fclose(file);
    return host.ReadFile(kCfg);
}

std::string Names(const KeyBindingTable& table) {
    std::string names;
    for (int i = 0; i < table.count; i++) {
        names += std::string(table.bindings[i].name) + ":" + std::to_string(table.bindings[i].keyCode) + " ";
    }
    return names;
}

// [SECTION] What is read is written so that it reads back

TEST(KeyFileRoundTrip, NamesBeginningWithSlashesAndEmptyNamesSurviveTwoCycles) {
    TestHost host;
    const struct { const char* file; const char* names; const char* written; } cases[] = {
        // The reader passes over the ',' and takes "//" as the name.
        {"[Keyboard] ,//=1", "//:49 ", "[Keyboard]\r\n\r\n,//=1\r\n\r\n"},
        {"[Keyboard] ,//x=F1,SHIFT", "//x:112 ", "[Keyboard]\r\n\r\n,//x=F1,SHIFT\r\n\r\n"},
        {"[Keyboard] \x01//=A", "//:65 ", "[Keyboard]\r\n\r\n,//=A\r\n\r\n"},
        {"[Keyboard] /=A //=B", "/:65 ", "[Keyboard]\r\n\r\n/=A\r\n\r\n"},  // the second is a comment
        {"[Keyboard] =Q", ":81 ", "[Keyboard]\r\n\r\n=Q\r\n\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        host.WriteFile(kCfg, c.file);
        Table first;
        ASSERT_EQ(LoadKeyBindings(kCfg, "Keyboard", &first.table), 1);
        EXPECT_EQ(Names(first.table), c.names);
        const std::string written = Save(host, first.table);
        EXPECT_EQ(written, c.written);
        Table second;
        ASSERT_EQ(LoadKeyBindings(kCfg, "Keyboard", &second.table), 1);
        EXPECT_EQ(Names(second.table), c.names);
        EXPECT_EQ(Save(host, second.table), written);
    }
}

// Only the dialogs make such a binding: an empty name with a key that is
// written as nothing would be "=" alone, too short for an entry; it is
// written with NONE, which is what it reads back as anyway.
TEST(KeyFileRoundTrip, AnEmptyNameWithAnUnwritableKeyStaysAnEntry) {
    TestHost host;
    Table t;
    t.store[0] = KeyBinding{};
    t.store[0].keyCode = 0x441;  // no row, and its low byte would read back as A
    t.store[1] = KeyBinding{};
    t.store[1].keyCode = 0x441;
    std::strcpy(t.store[1].name, "Named");
    t.table.count = 2;
    EXPECT_EQ(Save(host, t.table), "[Keyboard]\r\n\r\n=NONE\r\nNamed=\r\n\r\n");
    Table back;
    LoadKeyBindings(kCfg, "Keyboard", &back.table);
    EXPECT_EQ(Names(back.table), ":0 Named:0 ");
}

// [SECTION] Byte-order mark

TEST(KeyFileByteOrderMark, IsPassedOverAtTheStartOnly) {
    TestHost host;
    const struct { std::string file; int count; } cases[] = {
        {"\xEF\xBB\xBF[Keyboard]\r\nToggleFlyBy=F1\r\n", 1},
        {"\xEF\xBB\xBF[keyboard] A=1 B=2", 2},
        {"\xEF\xBB\xBF", 0},
        {"\xEF\xBB", 0},
        {" \xEF\xBB\xBF[Keyboard] A=1", 0},      // not at the start: part of the word
        {"\xEF\xBB\xBF\xEF\xBB\xBF[Keyboard] A=1", 0},  // only one mark
    };
    for (const auto& c : cases) {
        host.WriteFile(kCfg, c.file);
        Table t;
        ASSERT_EQ(LoadKeyBindings(kCfg, "Keyboard", &t.table), 1);
        EXPECT_EQ(t.table.count, c.count) << testing::PrintToString(c.file);
    }
}

// [SECTION] A full table ends the reading

TEST(KeyFileCapacity, ReadingStopsOnceTheTableIsFull) {
    TestHost host;
    // 1 MB of '=': words of 1023 '=', each an entry with an empty name whose
    // last word '=' sets key code 61.
    host.WriteFile(kCfg, "[Keyboard] " + std::string(1 << 20, '='));
    Table t;
    ASSERT_EQ(LoadKeyBindings(kCfg, "Keyboard", &t.table), 1);
    ASSERT_EQ(t.table.count, kKeyBindingCapacity);
    EXPECT_EQ(t.store[255].name[0], 0);
    EXPECT_EQ(t.store[255].keyCode, 61);
    EXPECT_EQ(KeyBindingFileMayBeReplaced(), 1);
    // A smaller table stops sooner and holds the same first records.
    KeyBinding small[3] = {};
    KeyBindingTable three = {3, 0, small};
    ASSERT_EQ(LoadKeyBindings(kCfg, "Keyboard", &three), 1);
    EXPECT_EQ(three.count, 3);
    EXPECT_EQ(std::memcmp(small, t.store, sizeof small), 0);
}

// [SECTION] What the file allows shut-down to do

TEST(KeyFileReplaceable, OnlyAFileThatWasReadOrHoldsNothingMayBeRewritten) {
    TestHost host;
    const struct { const char* file; bool present, locked; int replaceable; } cases[] = {
        {"", false, false, 1},                          // none yet: the first run writes it
        {"[Keyboard] A=1", true, false, 1},
        {"[Other] A=1 [KEYBOARD]", true, false, 1},      // read, even without entries
        {"", true, false, 1},                            // an empty file loses nothing
        {" \r\n\t ", true, false, 1},
        {"[Keybaord] ToggleFlyBy=F1", true, false, 0},   // a typing error hides the section
        {"ToggleFlyBy=F1", true, false, 0},
        {"\xEF\xBB\xBF", true, false, 1},
        {"[Keyboard] A=1", true, true, 0},               // there, but not to be opened
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.file)) + (c.present ? " present" : " absent") +
                     (c.locked ? " locked" : ""));
        std::remove(hostsim::RealPath(kCfg).c_str());
        if (c.present) host.WriteFile(kCfg, c.file);
        hostsim::LockFile(kCfg, c.locked);
        Table t;
        EXPECT_EQ(LoadKeyBindings(kCfg, "Keyboard", &t.table), c.locked ? 0 : (c.present ? 1 : 0));
        EXPECT_EQ(KeyBindingFileMayBeReplaced(), c.replaceable);
        hostsim::LockFile(kCfg, false);
    }
}

// [SECTION] Start, stop and the file on disk

struct Cycle {
    std::string before;  // the file at start-up; "absent" for none
    std::string after;   // the file after shut-down
};

TEST(KeyFileShutDown, AFileTheModuleCouldNotReadIsKeptAsItWas) {
    TestHost host;
    const std::string section = "[Keyboard]\r\n\r\nToggleFlyBy=F1\r\n\r\n";
    const struct { const char* name; std::string before; bool lock; std::string after; } cases[] = {
        {"normal", "[Keyboard] ToggleFlyBy=f1", false, section},
        {"first run", "", false, "[Keyboard]\r\n\r\n\r\n"},
        {"byte-order mark", "\xEF\xBB\xBF[Keyboard]\r\nToggleFlyBy=F1\r\n", false, section},
        {"no section", "[Keybaord]\r\nToggleFlyBy=F1\r\n", false, "[Keybaord]\r\nToggleFlyBy=F1\r\n"},
        {"locked", "[Keyboard]\r\nToggleFlyBy=F1\r\nPilotUp=A\r\n", true, "[Keyboard]\r\nToggleFlyBy=F1\r\nPilotUp=A\r\n"},
        {"blank", "\r\n\r\n", false, "[Keyboard]\r\n\r\n\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(hostsim::RealPath(kCfg).c_str());
        if (std::string(c.name) != "first run") host.WriteFile(kCfg, c.before);
        hostsim::LockFile(kCfg, c.lock);
        hostsim::LoadModule();
        hostsim::UnloadModule();
        hostsim::LockFile(kCfg, false);
        EXPECT_EQ(host.ReadFile(kCfg), c.after);
        EXPECT_FALSE(hostsim::FileExists(kTemp)) << "a temporary file was left behind";
    }
}

// A full disk or a process that dies before the rename leaves the old file
// whole; before, the file was emptied first and then written.
TEST(KeyFileShutDown, AFailedWriteLeavesTheOldFileWhole) {
    TestHost host;
    const std::string old = "[Keyboard]\r\n\r\nToggleFlyBy=F1\r\nPilotUp=A\r\n\r\n";
    for (int trouble = 0; trouble < 3; trouble++) {
        SCOPED_TRACE(trouble);
        host.WriteFile(kCfg, old);
        hostsim::LoadModule();
        g_keyBindings.count = 1;  // the user removed a binding in the dialog
        hostsim::SetDiskFull(trouble == 1);
        hostsim::SetReplaceFails(trouble == 2);
        hostsim::UnloadModule();
        hostsim::SetDiskFull(false);
        hostsim::SetReplaceFails(false);
        EXPECT_EQ(host.ReadFile(kCfg), trouble == 0 ? "[Keyboard]\r\n\r\nToggleFlyBy=F1\r\n\r\n" : old);
        EXPECT_FALSE(hostsim::FileExists(kTemp));
    }
}

// [SECTION] Replacing a file

void WriteHello(std::FILE* file, const void* text) {
    TextPrintf(file, "%s\n", static_cast<const char*>(text));
}

TEST(FileReplace, ReplacesWholeOrNotAtAll) {
    TestHost host;
    const char* const path = "C:\\FS9\\some.txt";
    host.WriteFile(path, "old");
    EXPECT_EQ(ReplaceTextFile(path, WriteHello, "new"), 1);
    EXPECT_EQ(host.ReadFile(path), "new\r\n");
    EXPECT_EQ(ReplaceTextFile("C:\\FS9\\fresh.txt", WriteHello, "made"), 1);
    EXPECT_EQ(host.ReadFile("C:\\FS9\\fresh.txt"), "made\r\n");

    hostsim::SetDiskFull(true);
    EXPECT_EQ(ReplaceTextFile(path, WriteHello, "lost"), 0);
    hostsim::SetDiskFull(false);
    EXPECT_EQ(host.ReadFile(path), "new\r\n");
    hostsim::LockFile("C:\\FS9\\some.txt.tmp", true);  // the temporary file cannot be made
    EXPECT_EQ(ReplaceTextFile(path, WriteHello, "lost"), 0);
    hostsim::LockFile("C:\\FS9\\some.txt.tmp", false);
    EXPECT_EQ(host.ReadFile(path), "new\r\n");
    EXPECT_FALSE(hostsim::FileExists("C:\\FS9\\some.txt.tmp"));

    // A path with no room for ".tmp" in 259 characters is not written at all.
    std::string longPath = "C:\\FS9\\" + std::string(248, 'x');
    ASSERT_EQ(longPath.size(), 255u);
    EXPECT_EQ(ReplaceTextFile(longPath.c_str(), WriteHello, "long"), 1);
    longPath += "y";
    EXPECT_EQ(ReplaceTextFile(longPath.c_str(), WriteHello, "long"), 0);
    EXPECT_FALSE(hostsim::FileExists(longPath));
}

// [SECTION] Settings that survive a save and a load

// The text each value is saved as, and what a load makes of it; before, a
// stored 1e999 was saved as "inf" (read back as 0) and values from about
// 1e248 up were saved longer than the 256 bytes a load reads (default).
TEST(SettingsRoundTrip, SavedTextAlwaysReadsBackAsTheValueInMemory) {
    const SettingInfo& rate = kSettings[16];  // ViewTurbRate, a double
    ASSERT_STREQ(rate.name, "ViewTurbRate");
    const struct { const char* stored; double parsed; const char* saved; double back; } cases[] = {
        {"0.6", 0.6, "0.600000", 0.6},
        {"1e999", DBL_MAX, "1.7976931348623157e+308", DBL_MAX},
        {"-1e999", -DBL_MAX, "-1.7976931348623157e+308", -DBL_MAX},
        {"1e248", 1e248, "1e+248", 1e248},            // "%f" would be 256 characters
        {"-9e247", -9e247, "-9e+247", -9e247},        // 256 with the sign
        {"1e249", 1e249, "9.9999999999999992e+248", 1e249},
        {"-5e300", -5e300, "-5.0000000000000003e+300", -5e300},
        {"1e-7", 1e-7, "0.000000", 0.0},  // "%f" keeps six decimals, as it always did
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        MainState state{};
        ParseSetting(&state, rate, c.stored);
        EXPECT_EQ(state.ViewTurbRate, c.parsed);
        char text[300];
        FormatSetting(&state, rate, text, sizeof text);
        EXPECT_STREQ(text, c.saved);
        MainState back{};
        ParseSetting(&back, rate, text);
        EXPECT_EQ(back.ViewTurbRate, c.back);
    }
    // The longest "%f" text that still fits stays "%f": 9e247 has 248 digits
    // before the point, 255 characters with the six decimals.
    MainState state{};
    state.ViewTurbRate = 9e247;
    char text[300];
    FormatSetting(&state, rate, text, sizeof text);
    EXPECT_EQ(std::strlen(text), 255u);
    EXPECT_EQ(text[248], '.');
    EXPECT_EQ(ParseLeadingDouble(text), 9e247);
}

TEST(SettingsRoundTrip, ThroughTheRegistryNothingFallsBackToItsDefault) {
    TestHost host;
    hostsim::SetRegString(kSettingsKey, "ApproachViewX", "1e999");
    hostsim::SetRegString(kSettingsKey, "TowerHeight", std::string(250, '9'));
    MainState first{};
    SetDefaultSettings(&first);
    LoadSettings(&first);
    SaveSettings(&first);
    MainState second{};
    SetDefaultSettings(&second);
    LoadSettings(&second);
    EXPECT_EQ(second.ApproachViewX, DBL_MAX);
    EXPECT_EQ(second.TowerHeight, first.TowerHeight);
    EXPECT_GT(second.TowerHeight, 9e249);
}

}  // namespace

namespace {

// [SECTION] Reproducers of what the fuzz harnesses found

// A preset of huge values writes lines of over 2,000 characters; each still
// ends, so the presets after it come back (found by view_file_fuzz: the
// whole line went through one 1023-character print and lost its line end).
TEST(FuzzFindings, HugePresetsKeepTheirLineEnds) {
    TestHost host;
    ClearViewPresets();
    g_viewPresets[3] = ViewPreset{0, {1e300, -1e300, 1e300}, {1e300, 1e300, -1e300}, 1e300};
    g_viewPresets[4] = ViewPreset{1, {1.5, 2.5, 3.5}, {4.5, 5.5, 6.5}, 7.5};
    SaveViewFile("C:\\FS9\\huge.skv");
    const std::string text = host.ReadFile("C:\\FS9\\huge.skv");
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) lines++;
    EXPECT_EQ(lines, 10u);
    EXPECT_NE(text.find("\r\nView.4=1,1.5000,2.5000,3.5000,4.5000,5.5000,6.5000,7.5000\r\n"), std::string::npos);
    ClearViewPresets();
    LoadViewFile("C:\\FS9\\huge.skv");
    EXPECT_EQ(g_viewPresets[4].kind, 1);
    EXPECT_EQ(g_viewPresets[4].zoom, 7.5);
}

// A registry value of no bytes at all reads as empty text, 0 (found by
// settings_fuzz in the substitute host's registry).
TEST(FuzzFindings, AnEmptyRegistryValueReadsAsZero) {
    TestHost host;
    hostsim::CreateRegKey(kSettingsKey).values.push_back(hostsim::RegValue{"FlyByDuration", {}});
    MainState state{};
    SetDefaultSettings(&state);
    LoadSettings(&state);
    EXPECT_EQ(state.FlyByDuration, 0);
}

}  // namespace
