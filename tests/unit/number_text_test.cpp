// number_text_test.cpp - the leading-number readers and the bounded copy: the
// exact edge cases (limits, non-decimal forms, buffer bounds) that the
// scenario tests' stored settings do not reach.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "files/number_text.h"

namespace {

TEST(NumberText, LeadingIntStopsAtTheFirstNonDigitAndSaturates) {
    const struct { const char* text; int expected; } cases[] = {
        {"007", 7},      {"\t\r\n 42", 42}, {"+17", 17},     {"-5.9", -5},    {"42 7", 42},    {"1e3", 1},
        {"0x10", 0},     {"", 0},           {"-", 0},        {"- 5", 0},      {"+-5", 0},      {"x12", 0},
        {"12-3", 12},    {"2147483647", INT_MAX},            {"2147483648", INT_MAX},          {"-2147483648", INT_MIN},
        {"-2147483649", INT_MIN},           {"99999999999999999999999999", INT_MAX},
        {"-99999999999999999999999999", INT_MIN},            {"00000000000000000000000000012", 12},
    };
    for (const auto& c : cases) {
        int got = ParseLeadingInt(c.text);
        EXPECT_EQ(got, c.expected) << "\"" << c.text << "\": got " << got << " (expected " << c.expected << ")";
    }
}

// Hex, infinity and NaN, which a C library reader would accept, read as 0.
TEST(NumberText, LeadingDoubleReadsOnlyTheDecimalGrammar) {
    const struct { const char* text; double expected; } cases[] = {
        {"\t-2.25", -2.25}, {"+3", 3.0},     {"1E3", 1000.0}, {"2.5e-2", 0.025}, {"-1.5e+2", -150.0}, {".5", 0.5},
        {"-.5e-1", -0.05},  {"5.", 5.0},     {"3.25.7", 3.25}, {"7 8", 7.0},     {"1e", 1.0},         {"1e+", 1.0},
        {"-2E-", -2.0},     {"4ex", 4.0},    {".5e", 0.5},    {"0x10", 0},       {"-0X1A", 0},        {" 0x1p3", 0},
        {"inf", 0},         {"-INF", 0},     {"infinity", 0}, {"nan", 0},        {"-nan", 0},         {".", 0},
        {"-.", 0},          {".e5", 0},      {"e5", 0},       {"- 1", 0},
    };
    for (const auto& c : cases) {
        double got = ParseLeadingDouble(c.text);
        EXPECT_DOUBLE_EQ(got, c.expected) << "\"" << c.text << "\": got " << got << " (expected " << c.expected
                                          << ")";
    }
}

TEST(NumberText, CopyTextStaysWithinSizeAndReportsWhetherAllFit) {
    const struct { std::size_t size; const char* src; int fit; std::string buffer; } cases[] = {
        {8, "abc", 1, std::string("abc\0XXXX", 8)},   {8, "abcdefg", 1, std::string("abcdefg\0", 8)},
        {8, "", 1, std::string("\0XXXXXXX", 8)},      {4, "abcdef", 0, std::string("abc\0XXXX", 8)},
        {4, "abcd", 0, std::string("abc\0XXXX", 8)},  {1, "a", 0, std::string("\0XXXXXXX", 8)},
        {1, "", 1, std::string("\0XXXXXXX", 8)},      {0, "abc", 0, "XXXXXXXX"},
    };
    for (const auto& c : cases) {
        char buf[8];
        std::memset(buf, 'X', sizeof buf);
        EXPECT_EQ(CopyText(buf, c.size, c.src), c.fit) << "\"" << c.src << "\" into " << c.size;
        EXPECT_EQ(std::string(buf, sizeof buf), c.buffer) << "\"" << c.src << "\" into " << c.size;
    }
}

}  // namespace
