// setup_dialog.h - the setup dialog (numeric settings, effect switches, the
// scenery padlock point) and the about box, and the text forms of the
// padlock point's latitude and longitude.
#pragma once

#include <cstddef>

#include "platform/platform.h"

// Modal, owned by owner; the settings in memory change only on OK.
void OpenSetupDialog(PlatWindow owner);
void OpenAboutDialog(PlatWindow owner);

// The text of any latitude or longitude fits this many bytes (far-off
// values from hostile host data are cut).
inline constexpr std::size_t kAngleTextSize = 16;

// "N45°30.00'" from radians: letter, whole degrees, the degree sign (byte
// 0xB0), minutes to hundredths, apostrophe. Cut to size - 1 characters.
void FormatLatitude(double radians, char* text, std::size_t size = kAngleTextSize);
// "W170°0.00'": the longitude brought into the range above -180 up to 180.
void FormatLongitude(double radians, char* text, std::size_t size = kAngleTextSize);
// Radians from such a text (letters anywhere, last one wins; blanks between
// the parts; a number part ends at the degree sign or the apostrophe).
double ParseAngle(const char* text);
