// parse_angle_fuzz.cpp - the padlock point's text as the user types it into
// the setup dialog: ParseAngle over any bytes (held in a block of exactly
// their size, zero-terminated, so a read past the text is caught), and the
// text forms of what it returns.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "dialogs/setup_dialog.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::unique_ptr<char[]> text(new char[size + 1]);
    std::memcpy(text.get(), data, size);
    text[size] = 0;
    const double radians = ParseAngle(text.get());
    char shown[64];
    FormatLatitude(radians, shown, sizeof shown);
    FormatLongitude(radians, shown, sizeof shown);
    return 0;
}
