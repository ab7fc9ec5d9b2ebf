// number_text.h - numbers as the module's files, registry and dialogs hold
// them: written with printf formats, read back by their leading number.
#pragma once

#include <cstddef>

// Leading integer: blanks, optional sign, decimal digits up to the first other
// character; 0 when there are none. Out-of-range values saturate to int32.
int ParseLeadingInt(const char* text);

// Leading double: blanks, optional sign, digits with optional fraction and
// exponent; 0 when there is none. Hex, "inf" and "nan" forms are not numbers.
// A number beyond the double range ("1e999") saturates to the largest finite
// double of its sign, so the result is always finite.
double ParseLeadingDouble(const char* text);

// Bounded copy: dst always ends with a zero; returns 1 when src fit whole.
int CopyText(char* dst, std::size_t size, const char* src);
