// number_text.cpp - leading-number conversion and bounded text copies.
#include "files/number_text.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>

static bool IsBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

static bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int ParseLeadingInt(const char* text) {
    const char* p = text;
    while (IsBlank(*p)) p++;
    int sign = 1;
    if (*p == '+' || *p == '-') {
        if (*p == '-') sign = -1;
        p++;
    }
    std::int64_t value = 0;
    for (; IsDigit(*p); p++) {
        value = value * 10 + (*p - '0');
        if (value > std::int64_t(INT_MAX) + 1) value = std::int64_t(INT_MAX) + 1;  // saturate, no overflow
    }
    value *= sign;
    if (value > INT_MAX) value = INT_MAX;
    if (value < INT_MIN) value = INT_MIN;
    return int(value);
}

double ParseLeadingDouble(const char* text) {
    const char* p = text;
    while (IsBlank(*p)) p++;
    const char* start = p;
    if (*p == '+' || *p == '-') p++;
    bool mantissa = IsDigit(p[0]) || (p[0] == '.' && IsDigit(p[1]));
    if (!mantissa) return 0.0;
    // strtod would read "0x..." as hexadecimal; the decimal grammar stops after the 0.
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) return *start == '-' ? -0.0 : 0.0;
    // From here strtod's decimal grammar is exactly ours. Beyond the double
    // range it answers an infinity, which no file or registry text can hold
    // again: saturate, as the integer reader does.
    double value = std::strtod(start, nullptr);
    if (std::isinf(value)) value = value > 0.0 ? DBL_MAX : -DBL_MAX;
    return value;
}

int CopyText(char* dst, std::size_t size, const char* src) {
    if (size == 0) return 0;
    std::size_t i = 0;
    for (; i + 1 < size && src[i]; i++) dst[i] = src[i];
    dst[i] = 0;
    return src[i] == 0;
}
