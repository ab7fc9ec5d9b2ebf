// settings_test.cpp - the settings store at unit level: each registry value
// name reaches its own MainState field with its own type, the single-value
// operations answer as documented, and every registry key handle is closed.
// Defaults, save order and denied or read-only registries are proven end to
// end by the scenario tests.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "hostsim/hostsim.h"
#include "shell/main_state.h"
#include "shell/settings.h"
#include "test_host.h"

namespace {

// Every setting by its field name, independent of the module's own table.
struct NamedField {
    const char* name;
    bool isInt;
    std::size_t offset;
};

#define I(field) {#field, true, offsetof(MainState, field)}
#define D(field) {#field, false, offsetof(MainState, field)}
const NamedField kFields[kSettingCount] = {
    I(FlyByActive),      I(FlyByDuration),    I(FlyByRelAltitude),   I(FlyByMinDistance), I(FlyByAngle),
    I(FlyByCameraPlacement), I(FlyByTravelling), I(ApproachActive),   D(ApproachViewX),    D(ApproachViewZ),
    D(ApproachViewY),    D(ApproachTransAlt), I(InternalViewActive), I(EnableWheelZoom),  I(UseMouseInSpot),
    I(SmoothView),       D(ViewTurbRate),     D(GroundTurbRate),     D(BuffetTurbRate),   D(SpotTurbRate),
    D(RunningSpeed),     I(ViewTurbOn),       I(GroundTurbOn),       I(BuffetTurbOn),     I(SoundOn),
    I(MaxTracks),        D(MaxTrackDistance), D(TowerHeight),        I(GroundTurbSoundOn), I(ViewTurbSoundOn),
};
#undef I
#undef D

double FieldValue(const MainState& s, const NamedField& f) {
    const char* at = reinterpret_cast<const char*>(&s) + f.offset;
    return f.isInt ? *reinterpret_cast<const int*>(at) : *reinterpret_cast<const double*>(at);
}

// The value's text, checked to be stored with exactly one terminating zero.
std::string Stored(const std::string& name) {
    const hostsim::RegKey* key = hostsim::FindRegKey(kSettingsKey);
    const hostsim::RegValue* value = key ? hostsim::FindRegValue(*key, name) : nullptr;
    const std::string text = value ? std::string(value->data.begin(), value->data.end()) : "<missing>";
    return text.find('\0') + 1 == text.size() ? text.substr(0, text.size() - 1) : "<not one end zero: " + text + ">";
}

int OpenHandles() {
    int open = 0;
    for (const std::string& handle : hostsim::Get().regOpenKeys) open += handle.empty() ? 0 : 1;
    return open;
}

// Opens, and closes, one handle per setting.
void ExpectOneHandlePerSettingClosed(const char* what) {
    EXPECT_EQ(hostsim::Get().regOpenKeys.size(), std::size_t(kSettingCount)) << "handles opened while " << what;
    EXPECT_EQ(OpenHandles(), 0) << "handles left open after " << what;
    hostsim::Get().regOpenKeys.clear();
}

TEST(Settings, EachValueNameReachesItsOwnFieldAndIsWrittenBack) {
    TestHost host;
    // A distinct number per setting shows two names sharing or swapping a
    // field. Integer fields take the whole part only; doubles read the
    // fraction and the exponent.
    for (int i = 0; i < kSettingCount; i++) {
        hostsim::SetRegString(kSettingsKey, kFields[i].name, (i % 2 ? "-" : " ") + std::to_string(100 + i) + ".5e1");
    }
    MainState s = {};
    LoadSettings(&s);
    ExpectOneHandlePerSettingClosed("loading");
    for (int i = 0; i < kSettingCount; i++) {
        const double sign = i % 2 ? -1 : 1;
        EXPECT_EQ(FieldValue(s, kFields[i]), sign * (kFields[i].isInt ? 100 + i : 1005 + 10 * i)) << kFields[i].name;
    }

    hostsim::Get().regKeys.clear();
    SaveSettings(&s);
    ExpectOneHandlePerSettingClosed("saving");
    for (int i = 0; i < kSettingCount; i++) {
        const std::string whole = (i % 2 ? "-" : "") + std::to_string(kFields[i].isInt ? 100 + i : 1005 + 10 * i);
        EXPECT_EQ(Stored(kFields[i].name), whole + (kFields[i].isInt ? "" : ".000000")) << kFields[i].name;
    }
}

TEST(Settings, DoublesAreWrittenWithSixRoundedDecimals) {
    const struct { double value; const char* text; } cases[] = {{6e-7, "0.000001"}, {-123456.789, "-123456.789000"}};
    for (const auto& c : cases) {
        MainState s = {};
        s.TowerHeight = c.value;
        char text[64];
        FormatSetting(&s, kSettings[27], text, sizeof text);  // TowerHeight
        EXPECT_STREQ(text, c.text) << "value " << c.value;
    }
}

RegValueRecord Record(const char* name, const char* text) {
    RegValueRecord r = {};
    r.root = PlatRegLocalMachine();
    std::strcpy(r.subkey, kSettingsKey);
    std::strcpy(r.valueName, name);
    std::strcpy(r.valueText, text);
    return r;
}

TEST(Settings, SingleValueOperationsAnswerAndCloseTheirKeys) {
    TestHost host;
    RegValueRecord r = Record("SoundOn", "unchanged");
    hostsim::SetRegString(kSettingsKey, "FlyByActive", "1");
    EXPECT_EQ(LoadRegValue(&r), 0) << "key without the value";
    EXPECT_STREQ(r.valueText, "unchanged") << "a failed read changed the text";
    hostsim::SetRegString(kSettingsKey, "SoundOn", "0");
    EXPECT_EQ(LoadRegValue(&r), 1);
    EXPECT_STREQ(r.valueText, "0");

    r = Record("MaxTrackDistance", "15.000000");
    EXPECT_EQ(SaveRegValue(&r), 1);
    EXPECT_EQ(Stored("MaxTrackDistance"), "15.000000");
    EXPECT_EQ(OpenHandles(), 0) << "a key handle was left open";
}

}  // namespace
