// settings_test.cpp - the thirty settings: defaults, and the registry store
// read at start-up and written at shut-down as REG_SZ number text.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "hostsim/hostsim.h"
#include "shell/main_state.h"
#include "shell/settings.h"
#include "test_host.h"

namespace {

const char kKeyPath[] = "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\9.0\\Skyvane";

struct ExpectedSetting {
    const char* name;
    SettingType type;
    std::size_t offset;
    double defaultValue;
    const char* defaultText;  // as the registry holds the default
};

#define INT_SETTING(field, def, text) {#field, kSettingInt, offsetof(MainState, field), def, text}
#define DOUBLE_SETTING(field, def, text) {#field, kSettingDouble, offsetof(MainState, field), def, text}

// Load order.
const ExpectedSetting kExpected[kSettingCount] = {
    INT_SETTING(FlyByActive, 1, "1"),
    INT_SETTING(FlyByDuration, 10, "10"),
    INT_SETTING(FlyByRelAltitude, 0, "0"),
    INT_SETTING(FlyByMinDistance, 50, "50"),
    INT_SETTING(FlyByAngle, 15, "15"),
    INT_SETTING(FlyByCameraPlacement, 0, "0"),
    INT_SETTING(FlyByTravelling, 0, "0"),
    INT_SETTING(ApproachActive, 0, "0"),
    DOUBLE_SETTING(ApproachViewX, 25.0, "25.000000"),
    DOUBLE_SETTING(ApproachViewZ, 0.0, "0.000000"),
    DOUBLE_SETTING(ApproachViewY, 10.0, "10.000000"),
    DOUBLE_SETTING(ApproachTransAlt, 200.0, "200.000000"),
    INT_SETTING(InternalViewActive, 0, "0"),
    INT_SETTING(EnableWheelZoom, 1, "1"),
    INT_SETTING(UseMouseInSpot, 0, "0"),
    INT_SETTING(SmoothView, 1, "1"),
    DOUBLE_SETTING(ViewTurbRate, 0.6, "0.600000"),
    DOUBLE_SETTING(GroundTurbRate, 0.6, "0.600000"),
    DOUBLE_SETTING(BuffetTurbRate, 0.6, "0.600000"),
    DOUBLE_SETTING(SpotTurbRate, 0.25, "0.250000"),
    DOUBLE_SETTING(RunningSpeed, 5.0, "5.000000"),
    INT_SETTING(ViewTurbOn, 1, "1"),
    INT_SETTING(GroundTurbOn, 1, "1"),
    INT_SETTING(BuffetTurbOn, 1, "1"),
    INT_SETTING(SoundOn, 1, "1"),
    INT_SETTING(MaxTracks, 50, "50"),
    DOUBLE_SETTING(MaxTrackDistance, 15.0, "15.000000"),
    DOUBLE_SETTING(TowerHeight, 100.0, "100.000000"),
    INT_SETTING(GroundTurbSoundOn, 0, "0"),
    INT_SETTING(ViewTurbSoundOn, 0, "0"),
};

#undef INT_SETTING
#undef DOUBLE_SETTING

int IntAt(const MainState& s, std::size_t offset) {
    int v;
    std::memcpy(&v, reinterpret_cast<const char*>(&s) + offset, sizeof v);
    return v;
}

double DoubleAt(const MainState& s, std::size_t offset) {
    double v;
    std::memcpy(&v, reinterpret_cast<const char*>(&s) + offset, sizeof v);
    return v;
}

double ValueOf(const MainState& s, const ExpectedSetting& e) {
    return e.type == kSettingInt ? double(IntAt(s, e.offset)) : DoubleAt(s, e.offset);
}

std::vector<std::string> LoadOrderNames() {
    std::vector<std::string> names;
    for (const ExpectedSetting& e : kExpected) names.push_back(e.name);
    return names;
}

// Shut-down order: load order, but RunningSpeed goes before SpotTurbRate.
std::vector<std::string> SaveOrderNames() {
    std::vector<std::string> names;
    for (const ExpectedSetting& e : kExpected) {
        if (std::string(e.name) == "SpotTurbRate") continue;
        names.push_back(e.name);
        if (std::string(e.name) == "RunningSpeed") names.push_back("SpotTurbRate");
    }
    return names;
}

std::string Join(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& n : names) out += (out.empty() ? "" : " ") + n;
    return out;
}

MainState Defaults() {
    MainState s;
    std::memset(&s, 0, sizeof s);
    SetDefaultSettings(&s);
    return s;
}

class SettingsTest : public ::testing::Test {
protected:
    TestHost host;

    static void Store(const std::string& name, const std::string& text) {
        hostsim::SetRegString(kKeyPath, name, text);
    }

    // The value's text, checked to be stored with exactly one terminating zero.
    static std::string Stored(const std::string& name) {
        const hostsim::RegKey* key = hostsim::FindRegKey(kKeyPath);
        const hostsim::RegValue* value = key ? hostsim::FindRegValue(*key, name) : nullptr;
        if (!value) return "<missing>";
        const std::vector<std::uint8_t>& d = value->data;
        if (d.empty() || d.back() != 0) return "<unterminated>";
        std::string text(d.begin(), d.end() - 1);
        if (text.find('\0') != std::string::npos) return "<inner zero>";
        return text;
    }

    static int OpenHandles() {
        int open = 0;
        for (const std::string& handle : hostsim::Get().regOpenKeys) open += handle.empty() ? 0 : 1;
        return open;
    }

    // Start and stop the module as the host does.
    static MainState RunModule() {
        hostsim::LoadModule();
        MainState seen = g_main;
        hostsim::UnloadModule();
        return seen;
    }
};

// [SECTION] Defaults

TEST_F(SettingsTest, TableListsTheThirtySettingsInLoadOrder) {
    for (int i = 0; i < kSettingCount; i++) {
        const SettingInfo& got = kSettings[i];
        const ExpectedSetting& want = kExpected[i];
        SCOPED_TRACE(std::string("setting ") + std::to_string(i) + " " + want.name);
        EXPECT_STREQ(got.name, want.name);
        EXPECT_EQ(got.type, want.type);
        EXPECT_EQ(got.offset, want.offset) << "the value name does not address its own field";
        EXPECT_EQ(got.defaultValue, want.defaultValue);
    }
}

TEST_F(SettingsTest, DefaultsFillEverySettingField) {
    MainState s;
    std::memset(&s, 0x5A, sizeof s);  // nothing may survive from before
    SetDefaultSettings(&s);
    for (const ExpectedSetting& e : kExpected) {
        double got = ValueOf(s, e);
        EXPECT_EQ(got, e.defaultValue) << e.name << ": got " << got << " (expected " << e.defaultValue << ")";
    }
    // By name, so a wrong offset in both tables would still show.
    EXPECT_EQ(s.FlyByActive, 1);
    EXPECT_EQ(s.FlyByMinDistance, 50);
    EXPECT_EQ(s.ApproachActive, 0);
    EXPECT_EQ(s.ApproachViewY, 10.0);
    EXPECT_EQ(s.SpotTurbRate, 0.25);
    EXPECT_EQ(s.RunningSpeed, 5.0);
    EXPECT_EQ(s.MaxTracks, 50);
    EXPECT_EQ(s.TowerHeight, 100.0);
    EXPECT_EQ(s.ViewTurbSoundOn, 0);
}

// [SECTION] First run and the stored texts

TEST_F(SettingsTest, FirstRunStartsOnDefaultsAndLeavesThirtyTexts) {
    ASSERT_EQ(hostsim::FindRegKey(kKeyPath), nullptr);
    MainState seen = RunModule();
    for (const ExpectedSetting& e : kExpected) {
        EXPECT_EQ(ValueOf(seen, e), e.defaultValue) << e.name;
    }

    const hostsim::RegKey* key = hostsim::FindRegKey(kKeyPath);
    ASSERT_NE(key, nullptr) << "shut-down did not create the key";
    EXPECT_EQ(key->path, kKeyPath);
    ASSERT_EQ(key->values.size(), std::size_t(kSettingCount));
    for (const ExpectedSetting& e : kExpected) {
        std::string got = Stored(e.name);
        EXPECT_EQ(got, e.defaultText) << e.name << ": got \"" << got << "\" (expected \"" << e.defaultText << "\")";
    }
}

TEST_F(SettingsTest, ShutDownSavesRunningSpeedBeforeSpotTurbRate) {
    RunModule();
    std::vector<std::string> expected = SaveOrderNames();
    EXPECT_EQ(Join(hostsim::Get().regWrites), Join(expected));
    // The key was created by the first write, so its values keep that order too.
    std::vector<std::string> created;
    for (const hostsim::RegValue& v : hostsim::FindRegKey(kKeyPath)->values) created.push_back(v.name);
    EXPECT_EQ(Join(created), Join(expected));
}

TEST_F(SettingsTest, DoublesAreWrittenWithSixDecimals) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0.25, "0.250000"},  {1e-7, "0.000000"},   {0.0000004, "0.000000"}, {0.0000006, "0.000001"},
        {-2.5, "-2.500000"}, {123456.789, "123456.789000"}, {7.0, "7.000000"},
    };
    const SettingInfo& tower = kSettings[27];
    ASSERT_STREQ(tower.name, "TowerHeight");
    for (const Case& c : cases) {
        MainState s = Defaults();
        s.TowerHeight = c.value;
        char text[64];
        FormatSetting(&s, tower, text, sizeof text);
        EXPECT_STREQ(text, c.text) << "value " << c.value;
    }
}

TEST_F(SettingsTest, SavedTextsFollowTheFieldValues) {
    MainState s = Defaults();
    s.FlyByRelAltitude = -120;
    s.MaxTracks = 2147483647;
    s.SpotTurbRate = 1e-7;
    s.RunningSpeed = 0.25;
    s.ApproachViewZ = -40.125;
    SaveSettings(&s);
    EXPECT_EQ(Stored("FlyByRelAltitude"), "-120");
    EXPECT_EQ(Stored("MaxTracks"), "2147483647");
    EXPECT_EQ(Stored("SpotTurbRate"), "0.000000");
    EXPECT_EQ(Stored("RunningSpeed"), "0.250000");
    EXPECT_EQ(Stored("ApproachViewZ"), "-40.125000");
    EXPECT_EQ(Stored("FlyByActive"), "1");
}

// [SECTION] Reading stored values

TEST_F(SettingsTest, StoredTextsAreReadByTheirLeadingNumber) {
    Store("RunningSpeed", "5.5");
    Store("MaxTracks", "12abc");
    Store("FlyByDuration", " 7");
    Store("FlyByRelAltitude", "-3");
    Store("SoundOn", "abc");        // default 1: reading it gives 0
    Store("FlyByAngle", "5.5");     // an int field takes the whole part
    Store("FlyByMinDistance", "1e3");  // and knows no exponent
    Store("TowerHeight", "1e3");
    Store("SpotTurbRate", "5.5");   // above its dialog range: no clamping
    Store("EnableWheelZoom", "");
    Store("ApproachViewX", "0x10"); // hex is not a number here
    MainState s = Defaults();
    LoadSettings(&s);
    EXPECT_EQ(s.RunningSpeed, 5.5);
    EXPECT_EQ(s.MaxTracks, 12);
    EXPECT_EQ(s.FlyByDuration, 7);
    EXPECT_EQ(s.FlyByRelAltitude, -3);
    EXPECT_EQ(s.SoundOn, 0);
    EXPECT_EQ(s.FlyByAngle, 5);
    EXPECT_EQ(s.FlyByMinDistance, 1);
    EXPECT_EQ(s.TowerHeight, 1000.0);
    EXPECT_EQ(s.SpotTurbRate, 5.5);
    EXPECT_EQ(s.EnableWheelZoom, 0);
    EXPECT_EQ(s.ApproachViewX, 0.0);
    EXPECT_EQ(s.FlyByActive, 1) << "a value that is not stored keeps its default";
    EXPECT_EQ(s.ApproachViewY, 10.0) << "a value that is not stored keeps its default";
}

TEST_F(SettingsTest, EachValueReachesItsOwnFieldAndRoundTrips) {
    // A distinct number per setting shows any two names sharing or swapping a field.
    for (int i = 0; i < kSettingCount; i++) {
        const ExpectedSetting& e = kExpected[i];
        Store(e.name, e.type == kSettingInt ? std::to_string(100 + i) : std::to_string(100 + i) + ".5");
    }
    MainState s = Defaults();
    LoadSettings(&s);
    for (int i = 0; i < kSettingCount; i++) {
        const ExpectedSetting& e = kExpected[i];
        double want = e.type == kSettingInt ? 100 + i : 100 + i + 0.5;
        double got = ValueOf(s, e);
        EXPECT_EQ(got, want) << e.name << ": got " << got << " (expected " << want << ")";
    }

    hostsim::Get().regKeys.clear();
    SaveSettings(&s);
    for (int i = 0; i < kSettingCount; i++) {
        const ExpectedSetting& e = kExpected[i];
        std::string want = std::to_string(100 + i) + (e.type == kSettingInt ? "" : ".500000");
        EXPECT_EQ(Stored(e.name), want) << e.name;
    }
}

TEST_F(SettingsTest, ValueLongerThanTheQueryBufferKeepsTheDefault) {
    auto storeBytes = [](const std::string& name, const std::string& text) {
        std::vector<std::uint8_t> data(text.begin(), text.end());
        data.push_back(0);
        hostsim::CreateRegKey(kKeyPath).values.push_back(hostsim::RegValue{name, data});
    };
    storeBytes("MaxTracks", std::string(299, '7'));               // 300 bytes
    storeBytes("FlyByDuration", std::string(255, '0'));            // 256 bytes: the most that fits
    storeBytes("FlyByAngle", std::string(255, '0') + "9");         // 257 bytes
    storeBytes("FlyByMinDistance", std::string(254, '0') + "9");   // 256 bytes
    MainState s = Defaults();
    LoadSettings(&s);
    EXPECT_EQ(s.MaxTracks, 50);
    EXPECT_EQ(s.FlyByDuration, 0) << "256 bytes fit the buffer and are read";
    EXPECT_EQ(s.FlyByAngle, 15) << "257 bytes do not fit";
    EXPECT_EQ(s.FlyByMinDistance, 9);
}

TEST_F(SettingsTest, EachSettingOpensAndClosesTheKeyOnce) {
    Store("FlyByActive", "0");
    MainState s = Defaults();
    LoadSettings(&s);
    EXPECT_EQ(hostsim::Get().regOpenKeys.size(), std::size_t(kSettingCount)) << "handles opened while loading";
    EXPECT_EQ(OpenHandles(), 0) << "handles left open after loading";

    hostsim::Get().regOpenKeys.clear();
    SaveSettings(&s);
    EXPECT_EQ(hostsim::Get().regOpenKeys.size(), std::size_t(kSettingCount)) << "handles opened while saving";
    EXPECT_EQ(OpenHandles(), 0) << "handles left open after saving";
}

TEST_F(SettingsTest, SavingCreatesTheMissingKeyAndClosesEveryHandle) {
    MainState s = Defaults();
    SaveSettings(&s);
    EXPECT_EQ(hostsim::Get().regOpenKeys.size(), std::size_t(kSettingCount));
    EXPECT_EQ(OpenHandles(), 0);
    EXPECT_EQ(hostsim::Get().regWrites.size(), std::size_t(kSettingCount));
}

// [SECTION] Registry access refused

TEST_F(SettingsTest, DeniedRegistryGivesDefaultsAndWritesNothing) {
    Store("FlyByActive", "0");
    Store("TowerHeight", "42.5");
    hostsim::Get().regAccess = hostsim::kRegDenied;
    hostsim::LoadModule();
    EXPECT_EQ(g_main.FlyByActive, 1);
    EXPECT_EQ(g_main.TowerHeight, 100.0);
    g_main.MaxTracks = 3;
    hostsim::UnloadModule();
    EXPECT_TRUE(hostsim::Get().regWrites.empty()) << "wrote: " << Join(hostsim::Get().regWrites);
    EXPECT_EQ(Stored("FlyByActive"), "0");
    EXPECT_EQ(Stored("MaxTracks"), "<missing>");
    EXPECT_EQ(OpenHandles(), 0);
}

TEST_F(SettingsTest, DeniedRegistryCreatesNoKey) {
    hostsim::Get().regAccess = hostsim::kRegDenied;
    RunModule();
    EXPECT_TRUE(hostsim::Get().regKeys.empty());
}

TEST_F(SettingsTest, ReadOnlyRegistryIsReadButNotWritten) {
    Store("FlyByActive", "0");
    Store("TowerHeight", "42.5");
    hostsim::Get().regAccess = hostsim::kRegReadOnly;
    hostsim::LoadModule();
    EXPECT_EQ(g_main.FlyByActive, 0);
    EXPECT_EQ(g_main.TowerHeight, 42.5);
    g_main.FlyByActive = 1;
    hostsim::UnloadModule();
    EXPECT_TRUE(hostsim::Get().regWrites.empty()) << "wrote: " << Join(hostsim::Get().regWrites);
    EXPECT_EQ(Stored("FlyByActive"), "0");
    EXPECT_EQ(hostsim::FindRegKey(kKeyPath)->values.size(), 2u);
    EXPECT_EQ(OpenHandles(), 0);
}

// [SECTION] The single-value operations

RegValueRecord Record(const char* name, const char* text) {
    RegValueRecord r;
    std::memset(&r, 0, sizeof r);
    r.root = PlatRegLocalMachine();
    std::strcpy(r.subkey, kKeyPath);
    std::strcpy(r.valueName, name);
    std::strcpy(r.valueText, text);
    return r;
}

TEST_F(SettingsTest, LoadRegValueAnswersWhetherTheTextWasRead) {
    RegValueRecord r = Record("SoundOn", "unchanged");
    EXPECT_EQ(LoadRegValue(&r), 0) << "no key";
    EXPECT_STREQ(r.valueText, "unchanged");

    Store("FlyByActive", "1");
    EXPECT_EQ(LoadRegValue(&r), 0) << "key without the value";
    EXPECT_STREQ(r.valueText, "unchanged");

    Store("SoundOn", "0");
    EXPECT_EQ(LoadRegValue(&r), 1);
    EXPECT_STREQ(r.valueText, "0");
    EXPECT_EQ(OpenHandles(), 0);
}

TEST_F(SettingsTest, SaveRegValueWritesTextWithItsTerminator) {
    RegValueRecord r = Record("MaxTrackDistance", "15.000000");
    EXPECT_EQ(SaveRegValue(&r), 1);
    EXPECT_EQ(Stored("MaxTrackDistance"), "15.000000");

    hostsim::Get().regAccess = hostsim::kRegReadOnly;
    r = Record("MaxTrackDistance", "3.000000");
    EXPECT_EQ(SaveRegValue(&r), 0);
    EXPECT_EQ(Stored("MaxTrackDistance"), "15.000000");
    EXPECT_EQ(OpenHandles(), 0);
}

}  // namespace
