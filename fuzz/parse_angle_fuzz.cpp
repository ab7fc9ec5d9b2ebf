// parse_angle_fuzz.cpp - the padlock point's text as the user types it into
// the setup dialog: ParseAngle over any bytes (held in a block of exactly
// their size, zero-terminated, so a read past the text is caught), and the
// text forms of what it returns. What ParseAngle gives is always a number,
// and the shown text of an angle reads back as that angle to within the
// hundredth of a minute it shows (a longitude as the same direction).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "dialogs/setup_dialog.h"

namespace {

constexpr double kRadToDeg = 57.29577951471995;
// Half a shown hundredth of a minute, and the rounding of the two factors
// (their product is 1 - 2.5e-13) and of "%.2f" on large whole degrees.
double Tolerance(double degrees) {
    return 0.005 / 60.0 + 1e-12 * std::fabs(degrees) + 1e-9;
}

// Degrees a into b's turn: the difference brought into -180..180.
double TurnDifference(double a, double b) {
    double d = std::fmod(a - b, 360.0);
    if (d > 180.0) d -= 360.0;
    if (d < -180.0) d += 360.0;
    return d;
}

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::unique_ptr<char[]> text(new char[size + 1]);
    std::memcpy(text.get(), data, size);
    text[size] = 0;
    const double radians = ParseAngle(text.get());
    Check(std::isfinite(radians));

    char shown[64];
    FormatLatitude(radians, shown, sizeof shown);
    Check(std::strlen(shown) < sizeof shown);
    const double degrees = radians * kRadToDeg;
    // Whole degrees of up to 15 digits fit a number part.
    if (std::fabs(degrees) < 1e14) {
        const double back = ParseAngle(shown) * kRadToDeg;
        Check(std::fabs(back - degrees) <= Tolerance(degrees));
    }
    FormatLongitude(radians, shown, sizeof shown);
    Check(std::strlen(shown) < sizeof shown);
    if (std::fabs(degrees) < 1e6) {
        const double back = ParseAngle(shown) * kRadToDeg;
        Check(std::fabs(back) <= 180.0 + Tolerance(180.0));
        Check(std::fabs(TurnDifference(back, degrees)) <= Tolerance(degrees) + 1e-10);
    }
    return 0;
}
