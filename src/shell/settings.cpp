// settings.cpp - settings table, defaults and registry load/save.
// Touches: the registry through the platform seam; MainState.
#include "shell/settings.h"

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "files/number_text.h"

MainState g_main;

#define SETTING_INT(name, def) {#name, kSettingInt, offsetof(MainState, name), def}
#define SETTING_DOUBLE(name, def) {#name, kSettingDouble, offsetof(MainState, name), def}

const SettingInfo kSettings[kSettingCount] = {
    SETTING_INT(FlyByActive, 1),
    SETTING_INT(FlyByDuration, 10),
    SETTING_INT(FlyByRelAltitude, 0),
    SETTING_INT(FlyByMinDistance, 50),
    SETTING_INT(FlyByAngle, 15),
    SETTING_INT(FlyByCameraPlacement, 0),
    SETTING_INT(FlyByTravelling, 0),
    SETTING_INT(ApproachActive, 0),
    SETTING_DOUBLE(ApproachViewX, 25.0),
    SETTING_DOUBLE(ApproachViewZ, 0.0),
    SETTING_DOUBLE(ApproachViewY, 10.0),
    SETTING_DOUBLE(ApproachTransAlt, 200.0),
    SETTING_INT(InternalViewActive, 0),
    SETTING_INT(EnableWheelZoom, 1),
    SETTING_INT(UseMouseInSpot, 0),
    SETTING_INT(SmoothView, 1),
    SETTING_DOUBLE(ViewTurbRate, 0.6),
    SETTING_DOUBLE(GroundTurbRate, 0.6),
    SETTING_DOUBLE(BuffetTurbRate, 0.6),
    SETTING_DOUBLE(SpotTurbRate, 0.25),
    SETTING_DOUBLE(RunningSpeed, 5.0),
    SETTING_INT(ViewTurbOn, 1),
    SETTING_INT(GroundTurbOn, 1),
    SETTING_INT(BuffetTurbOn, 1),
    SETTING_INT(SoundOn, 1),
    SETTING_INT(MaxTracks, 50),
    SETTING_DOUBLE(MaxTrackDistance, 15.0),
    SETTING_DOUBLE(TowerHeight, 100.0),
    SETTING_INT(GroundTurbSoundOn, 0),
    SETTING_INT(ViewTurbSoundOn, 0),
};

#undef SETTING_INT
#undef SETTING_DOUBLE

// Shut-down writes RunningSpeed (20) before SpotTurbRate (19); all else in load order.
const int kSettingSaveOrder[kSettingCount] = {
    0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14,
    15, 16, 17, 18, 20, 19, 21, 22, 23, 24, 25, 26, 27, 28, 29,
};

static int* IntField(MainState* state, const SettingInfo& info) {
    return reinterpret_cast<int*>(reinterpret_cast<char*>(state) + info.offset);
}

static double* DoubleField(MainState* state, const SettingInfo& info) {
    return reinterpret_cast<double*>(reinterpret_cast<char*>(state) + info.offset);
}

void SetDefaultSettings(MainState* state) {
    for (const SettingInfo& info : kSettings) {
        if (info.type == kSettingInt) {
            *IntField(state, info) = int(info.defaultValue);
        } else {
            *DoubleField(state, info) = info.defaultValue;
        }
    }
}

// A double's text: "%f", unless that would not fit the 256 bytes the loader
// reads (from about 1e248 on); then the shortest exact form, "%.17g", which
// reads back as the very same double. No value ever needs an infinity's
// text, which would read back as 0: the reader saturates out-of-range
// numbers, and a value that is not finite anyway is written as the number
// the reader would have made of it.
static void FormatDouble(double value, char* text, std::size_t size) {
    if (std::isnan(value)) value = 0.0;
    if (std::isinf(value)) value = value > 0.0 ? DBL_MAX : -DBL_MAX;
    int length = std::snprintf(text, size, "%f", value);
    if (length > kSettingTextMax) std::snprintf(text, size, "%.17g", value);
}

void FormatSetting(const MainState* state, const SettingInfo& info, char* text, std::size_t size) {
    MainState* s = const_cast<MainState*>(state);
    if (info.type == kSettingInt) {
        std::snprintf(text, size, "%d", *IntField(s, info));
    } else {
        FormatDouble(*DoubleField(s, info), text, size);
    }
}

void ParseSetting(MainState* state, const SettingInfo& info, const char* text) {
    if (info.type == kSettingInt) {
        *IntField(state, info) = ParseLeadingInt(text);
    } else {
        *DoubleField(state, info) = ParseLeadingDouble(text);
    }
}

int LoadRegValue(RegValueRecord* record) {
    PlatRegKey key = PlatRegOpenKey(record->root, record->subkey);
    if (!key) return 0;
    // One byte more than the query may fill, so the text always ends.
    std::uint8_t buf[257] = {};
    int ok = PlatRegQueryValue(key, record->valueName, buf, 256);
    if (ok) CopyText(record->valueText, sizeof record->valueText, reinterpret_cast<char*>(buf));
    PlatRegCloseKey(key);
    return ok ? 1 : 0;
}

int SaveRegValue(RegValueRecord* record) {
    PlatRegKey key = PlatRegOpenKey(record->root, record->subkey);
    if (!key) key = PlatRegCreateKey(record->root, record->subkey);
    if (!key) return 0;
    std::uint32_t size = std::uint32_t(std::strlen(record->valueText) + 1);
    int ok = PlatRegSetString(key, record->valueName, record->valueText, size);
    PlatRegCloseKey(key);
    return ok ? 1 : 0;
}

static void FillRecord(RegValueRecord* record, const char* name) {
    std::memset(record, 0, sizeof *record);
    record->root = PlatRegLocalMachine();
    CopyText(record->subkey, sizeof record->subkey, kSettingsKey);
    CopyText(record->valueName, sizeof record->valueName, name);
}

void LoadSettings(MainState* state) {
    for (const SettingInfo& info : kSettings) {
        RegValueRecord record;
        FillRecord(&record, info.name);
        if (LoadRegValue(&record) == 1) ParseSetting(state, info, record.valueText);
    }
}

void SaveSettings(const MainState* state) {
    for (int index : kSettingSaveOrder) {
        const SettingInfo& info = kSettings[index];
        RegValueRecord record;
        FillRecord(&record, info.name);
        FormatSetting(state, info, record.valueText, sizeof record.valueText);
        SaveRegValue(&record);
    }
}
