// settings.h - the thirty user settings: defaults, and their registry store
// (read once at start-up, written once at shut-down, REG_SZ number text).
#pragma once

#include "platform/platform.h"
#include "shell/main_state.h"

inline constexpr char kSettingsKey[] =
    "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\9.0\\Skyvane";

// The record both registry operations take.
struct RegValueRecord {
    PlatRegKey root;
    char subkey[300];
    char valueName[300];
    char valueText[300];
};

// 1 when the value was read into valueText, else 0.
int LoadRegValue(RegValueRecord* record);
// 1 when the value was written, else 0 (nobody looks).
int SaveRegValue(RegValueRecord* record);

enum SettingType { kSettingInt, kSettingDouble };

struct SettingInfo {
    const char* name;    // registry value name, also the MainState field name
    SettingType type;
    std::size_t offset;  // of the field in MainState
    double defaultValue;
};

inline constexpr int kSettingCount = 30;
// The settings in load order.
extern const SettingInfo kSettings[kSettingCount];
// Indices into kSettings in the order shut-down saves them.
extern const int kSettingSaveOrder[kSettingCount];

// Defaults of the settings; the caller has cleared the state.
void SetDefaultSettings(MainState* state);
// The longest value text the loader reads back (its 256-byte buffer holds
// the terminator too).
inline constexpr int kSettingTextMax = 255;

// Setting value as the registry holds it ("%d" or "%f"; a double whose "%f"
// text would be longer than kSettingTextMax in "%.17g").
void FormatSetting(const MainState* state, const SettingInfo& info, char* text, std::size_t size);
// Store the leading number of text into the setting.
void ParseSetting(MainState* state, const SettingInfo& info, const char* text);
void LoadSettings(MainState* state);
void SaveSettings(const MainState* state);
