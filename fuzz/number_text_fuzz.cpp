// number_text_fuzz.cpp - any bytes as the text of a number. The integer
// reader agrees with a plain digit-by-digit reading that saturates; the
// double reader always answers a finite number, 0 exactly when the text
// holds no decimal number, else what the C library makes of the decimal
// number it holds (saturated); the bounded copy stays in its buffer.
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "files/number_text.h"
#include "fuzz_support.h"

namespace {

bool Blank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool Digit(char c) { return c >= '0' && c <= '9'; }

int ExpectedInt(const char* p) {
    while (Blank(*p)) p++;
    bool negative = *p == '-';
    if (*p == '+' || *p == '-') p++;
    long long magnitude = 0;
    for (; Digit(*p); p++) {
        if (magnitude <= 3000000000LL) magnitude = magnitude * 10 + (*p - '0');
    }
    long long value = negative ? -magnitude : magnitude;
    return value > INT_MAX ? INT_MAX : (value < INT_MIN ? INT_MIN : int(value));
}

// The decimal number at the start of the text (after blanks), or "" when
// there is none: sign, digits with an optional point and fraction (at least
// one digit), then an exponent only when it has digits.
std::string DecimalPrefix(const char* p) {
    while (Blank(*p)) p++;
    const char* start = p;
    if (*p == '+' || *p == '-') p++;
    int digits = 0;
    while (Digit(*p)) p++, digits++;
    if (*p == '.') {
        p++;
        while (Digit(*p)) p++, digits++;
    }
    if (digits == 0) return "";
    // "0x" is a 0 followed by other text.
    const char* end = p;
    if (*p == 'e' || *p == 'E') {
        const char* e = p + 1;
        if (*e == '+' || *e == '-') e++;
        if (Digit(*e)) {
            while (Digit(*e)) e++;
            end = e;
        }
    }
    return std::string(start, std::size_t(end - start));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);  // ends at the first NUL as C text
    const char* c = text.c_str();

    FUZZ_CHECK(ParseLeadingInt(c) == ExpectedInt(c));

    const double value = ParseLeadingDouble(c);
    FUZZ_CHECK(std::isfinite(value));
    const std::string prefix = DecimalPrefix(c);
    if (prefix.empty()) {
        FUZZ_CHECK(value == 0.0);
    } else {
        double expected = std::strtod(prefix.c_str(), nullptr);
        if (std::isinf(expected)) expected = expected > 0 ? DBL_MAX : -DBL_MAX;
        FUZZ_CHECK(value == expected);
        FUZZ_CHECK(std::signbit(value) == std::signbit(expected));
    }

    // The copy into a buffer of every small size, guarded on both sides.
    for (std::size_t room = 0; room < 12; room++) {
        char buffer[16];
        std::memset(buffer, 0x5A, sizeof buffer);
        int whole = CopyText(buffer + 2, room, c);
        FUZZ_CHECK(buffer[0] == 0x5A && buffer[1] == 0x5A);
        for (std::size_t i = 2 + room; i < sizeof buffer; i++) FUZZ_CHECK(buffer[i] == 0x5A);
        const std::size_t length = std::strlen(c);
        FUZZ_CHECK(whole == (room > length ? 1 : 0));
        if (room > 0) FUZZ_CHECK(std::strncmp(buffer + 2, c, room - 1) == 0 && std::strlen(buffer + 2) < room);
    }
    return 0;
}
