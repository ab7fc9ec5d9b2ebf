// setup_dialog.cpp - the setup dialog and the about box. The setup dialog
// shows the settings in memory and, on OK, stores what the user typed back
// into them with the ranges the settings have; the registry gets them at
// shut-down. Touches: MainState.
#include "dialogs/setup_dialog.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>

#include "camera/geometry.h"
#include "files/number_text.h"
#include "platform/platform_dialogs.h"
#include "resources/dialog_ids.h"
#include "shell/main_state.h"

namespace {

constexpr PlatLParam kSystemMenuClickPoint = 0x0066FAB4;  // what the host is sent when the dialog opens
constexpr std::size_t kEditTextSize = 128;                 // an edit is read as at most 127 characters
constexpr double kMetresToFeet = 3.28084;
constexpr double kFeetToMetres = 0.3048;
constexpr double kTowerHeightMax = 120.0;  // metres
constexpr double kRateMax = 2.0;
constexpr double kSpotRateMax = 1.0;
// Longitudes beyond this many degrees are first brought near the range
// with a remainder, so that stepping by 360 ends quickly.
constexpr double kLongitudeStepLimit = 1e6;
constexpr std::size_t kAnglePartSize = 16;  // a number part keeps its first 15 characters

// [SECTION] Helpers

void SetNumber(PlatWindow dialog, int id, const char* format, double value) {
    char text[400];  // "%.2f" of the largest double fits
    std::snprintf(text, sizeof text, format, value);
    PlatSetItemText(dialog, id, text);
}

void SetInt(PlatWindow dialog, int id, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    PlatSetItemText(dialog, id, text);
}

int ReadInt(PlatWindow dialog, int id) {
    char text[kEditTextSize];
    PlatItemText(dialog, id, text, sizeof text);
    return ParseLeadingInt(text);
}

double ReadDouble(PlatWindow dialog, int id) {
    char text[kEditTextSize];
    PlatItemText(dialog, id, text, sizeof text);
    return ParseLeadingDouble(text);
}

// The absolute value; the one int without a positive counterpart saturates.
int AbsInt(int value) {
    if (value == INT_MIN) return INT_MAX;
    return value < 0 ? -value : value;
}

double Clamp(double value, double low, double high) {
    if (value < low) return low;
    if (value > high) return high;
    return value;
}

int Checked(PlatWindow dialog, int id) {
    return PlatItemChecked(dialog, id) ? 1 : 0;
}

// [SECTION] Setup dialog

void FillSetupDialog(PlatWindow dialog) {
    const MainState& m = g_main;
    PlatSendMessage(g_shell.HostMainWindow, kMsgNcLButtonDown, kHitSystemMenu, kSystemMenuClickPoint);
    SetInt(dialog, IDC_FLYBY_DURATION, m.FlyByDuration);
    SetInt(dialog, IDC_FLYBY_REL_ALTITUDE, m.FlyByRelAltitude);
    SetInt(dialog, IDC_FLYBY_MIN_DISTANCE, m.FlyByMinDistance);
    SetInt(dialog, IDC_FLYBY_ANGLE, m.FlyByAngle);
    PlatSetItemChecked(dialog, IDC_FLYBY_RIGHT, m.FlyByCameraPlacement == 0);
    PlatSetItemChecked(dialog, IDC_FLYBY_LEFT, m.FlyByCameraPlacement == 1);
    PlatSetItemChecked(dialog, IDC_FLYBY_RANDOM, m.FlyByCameraPlacement == 2);
    PlatSetItemChecked(dialog, IDC_FLYBY_TRAVELLING, m.FlyByTravelling);
    SetNumber(dialog, IDC_APPROACH_VIEW_Y, "%.0f", m.ApproachViewY);
    SetNumber(dialog, IDC_APPROACH_TRANS_ALT, "%.0f", m.ApproachTransAlt);
    SetNumber(dialog, IDC_VIEW_TURB_RATE, "%.2f", m.ViewTurbRate);
    SetNumber(dialog, IDC_GROUND_TURB_RATE, "%.2f", m.GroundTurbRate);
    SetNumber(dialog, IDC_BUFFET_TURB_RATE, "%.2f", m.BuffetTurbRate);
    SetNumber(dialog, IDC_SPOT_TURB_RATE, "%.2f", m.SpotTurbRate);
    SetNumber(dialog, IDC_RUNNING_SPEED, "%.2f", m.RunningSpeed);
    PlatSetItemChecked(dialog, IDC_VIEW_TURB_ON, m.ViewTurbOn);
    PlatSetItemChecked(dialog, IDC_GROUND_TURB_ON, m.GroundTurbOn);
    PlatSetItemChecked(dialog, IDC_BUFFET_TURB_ON, m.BuffetTurbOn);
    PlatSetItemChecked(dialog, IDC_SMOOTH_VIEW, m.SmoothView);
    PlatSetItemChecked(dialog, IDC_GROUND_TURB_SOUND, m.GroundTurbSoundOn);
    PlatSetItemChecked(dialog, IDC_VIEW_TURB_SOUND, m.ViewTurbSoundOn);
    SetInt(dialog, IDC_MAX_TRACKS, m.MaxTracks);
    SetNumber(dialog, IDC_MAX_TRACK_DISTANCE, "%.2f", m.MaxTrackDistance);
    SetNumber(dialog, IDC_TOWER_HEIGHT, "%.2f", m.TowerHeight * kMetresToFeet);
    char angle[400];
    FormatLatitude(m.LookAtPoint.latitude, angle, sizeof angle);
    PlatSetItemText(dialog, IDC_LOOKAT_LATITUDE, angle);
    FormatLongitude(m.LookAtPoint.longitude, angle, sizeof angle);
    PlatSetItemText(dialog, IDC_LOOKAT_LONGITUDE, angle);
    SetNumber(dialog, IDC_LOOKAT_ALTITUDE, "%.0f", m.LookAtPoint.altitude);
}

void StoreSetupDialog(PlatWindow dialog) {
    MainState& m = g_main;
    m.FlyByDuration = ReadInt(dialog, IDC_FLYBY_DURATION);
    m.FlyByRelAltitude = ReadInt(dialog, IDC_FLYBY_REL_ALTITUDE);
    m.FlyByMinDistance = AbsInt(ReadInt(dialog, IDC_FLYBY_MIN_DISTANCE));
    m.FlyByAngle = AbsInt(ReadInt(dialog, IDC_FLYBY_ANGLE));
    if (Checked(dialog, IDC_FLYBY_RIGHT)) m.FlyByCameraPlacement = 0;
    if (Checked(dialog, IDC_FLYBY_LEFT)) m.FlyByCameraPlacement = 1;
    if (Checked(dialog, IDC_FLYBY_RANDOM)) m.FlyByCameraPlacement = 2;
    m.FlyByTravelling = Checked(dialog, IDC_FLYBY_TRAVELLING);
    m.ApproachViewY = ReadDouble(dialog, IDC_APPROACH_VIEW_Y);
    m.ApproachTransAlt = ReadDouble(dialog, IDC_APPROACH_TRANS_ALT);
    m.ViewTurbRate = Clamp(ReadDouble(dialog, IDC_VIEW_TURB_RATE), 0.0, kRateMax);
    m.GroundTurbRate = Clamp(ReadDouble(dialog, IDC_GROUND_TURB_RATE), 0.0, kRateMax);
    m.BuffetTurbRate = Clamp(ReadDouble(dialog, IDC_BUFFET_TURB_RATE), 0.0, kRateMax);
    m.SpotTurbRate = Clamp(ReadDouble(dialog, IDC_SPOT_TURB_RATE), 0.0, kSpotRateMax);
    m.RunningSpeed = std::fabs(ReadDouble(dialog, IDC_RUNNING_SPEED));
    m.ViewTurbOn = Checked(dialog, IDC_VIEW_TURB_ON);
    m.GroundTurbOn = Checked(dialog, IDC_GROUND_TURB_ON);
    m.BuffetTurbOn = Checked(dialog, IDC_BUFFET_TURB_ON);
    m.SmoothView = Checked(dialog, IDC_SMOOTH_VIEW);
    m.GroundTurbSoundOn = Checked(dialog, IDC_GROUND_TURB_SOUND);
    m.ViewTurbSoundOn = Checked(dialog, IDC_VIEW_TURB_SOUND);
    m.MaxTracks = ReadInt(dialog, IDC_MAX_TRACKS);
    m.MaxTrackDistance = ReadDouble(dialog, IDC_MAX_TRACK_DISTANCE);
    m.TowerHeight = Clamp(ReadDouble(dialog, IDC_TOWER_HEIGHT) * kFeetToMetres, 0.0, kTowerHeightMax);
    char text[kEditTextSize];
    PlatItemText(dialog, IDC_LOOKAT_LATITUDE, text, sizeof text);
    m.LookAtPoint.latitude = ParseAngle(text);
    PlatItemText(dialog, IDC_LOOKAT_LONGITUDE, text, sizeof text);
    m.LookAtPoint.longitude = ParseAngle(text);
    m.LookAtPoint.altitude = ReadDouble(dialog, IDC_LOOKAT_ALTITUDE);
}

PlatResult PLAT_CALLBACK SetupDialogProc(PlatWindow dialog, std::uint32_t message, PlatWParam wParam, PlatLParam) {
    if (message == kMsgInitDialog) {
        FillSetupDialog(dialog);
        return 1;  // the system sets the focus
    }
    if (message != kMsgCommand) return 0;
    int id = int(wParam & 0xFFFF);
    if (id == kIdCancel) {
        PlatEndDialog(dialog, 0);
    } else if (id == kIdOk) {
        StoreSetupDialog(dialog);
        PlatEndDialog(dialog, 1);
    }
    return 1;
}

// [SECTION] About box

PlatResult PLAT_CALLBACK AboutDialogProc(PlatWindow dialog, std::uint32_t message, PlatWParam wParam, PlatLParam) {
    if (message == kMsgInitDialog) return 1;
    if (message != kMsgCommand) return 0;
    if ((wParam & 0xFFFF) == PlatWParam(kIdOk)) PlatEndDialog(dialog, 1);
    return 1;
}

// [SECTION] Angles

void FormatDegrees(double degrees, const char* negative, const char* positive, char* text, std::size_t size) {
    if (size == 0) return;
    const double whole = std::trunc(degrees);
    const double minutes = std::fabs(degrees - whole) * 60.0;
    std::snprintf(text, size, "%s%.0f\xB0%.2f'", degrees < 0.0 ? negative : positive, std::fabs(whole), minutes);
}

}  // namespace

void OpenSetupDialog(PlatWindow owner) {
    PlatDialogBox(g_shell.instance, IDD_SETUP, owner, SetupDialogProc, 0);
}

void OpenAboutDialog(PlatWindow owner) {
    PlatDialogBox(g_shell.instance, IDD_ABOUT, owner, AboutDialogProc, 0);
}

void FormatLatitude(double radians, char* text, std::size_t size) {
    FormatDegrees(radians * kRadToDeg, "S", "N", text, size);
}

void FormatLongitude(double radians, char* text, std::size_t size) {
    double degrees = radians * kRadToDeg;
    if (std::fabs(degrees) > kLongitudeStepLimit) degrees = std::fmod(degrees, 360.0);  // infinity gives NaN
    while (degrees < 0.0) degrees += 360.0;
    while (degrees > 360.0) degrees -= 360.0;
    if (degrees > 180.0) degrees -= 360.0;
    FormatDegrees(degrees, "W", "E", text, size);
}

// The first number part is the degrees, up to the degree sign; every later
// one is the minutes, up to the apostrophe (a third part replaces the
// second). Parts keep their first 15 characters.
double ParseAngle(const char* text) {
    double sign = 1.0;
    char parts[2][kAnglePartSize] = {{0}, {0}};
    int partCount = 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text ? text : "");
    while (*p) {
        if (*p == 'N' || *p == 'E') {
            sign = 1.0, p++;
        } else if (*p == 'S' || *p == 'W') {
            sign = -1.0, p++;
        } else if (*p == ' ') {
            for (p++; *p && *p <= ' '; p++) {
            }
        } else {
            char* part = parts[partCount == 0 ? 0 : 1];
            const unsigned char end = partCount == 0 ? 0xB0 : '\'';
            std::size_t n = 0;
            for (; *p && *p != end; p++) {
                if (n + 1 < kAnglePartSize) part[n++] = char(*p);
            }
            part[n] = 0;
            if (*p == end) p++;
            if (partCount < 2) partCount++;
        }
    }
    // Two numbers near the largest double add up past it: saturate, as the
    // number reader does, so the padlock point is always a number.
    double degrees = ParseLeadingDouble(parts[0]) + ParseLeadingDouble(parts[1]) / 60.0;
    if (std::isinf(degrees)) degrees = degrees > 0.0 ? DBL_MAX : -DBL_MAX;
    return degrees * kDegToRad * sign;
}
