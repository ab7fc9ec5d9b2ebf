// number_text_test.cpp - the leading-number readers and the bounded copy that
// the registry store, the view files and the dialogs rely on.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "files/number_text.h"

namespace {

struct IntCase {
    const char* text;
    int expected;
};

struct DoubleCase {
    const char* text;
    double expected;
};

// [SECTION] ParseLeadingInt

TEST(NumberTextInt, ReadsOnlyTheLeadingDecimalNumber) {
    const IntCase cases[] = {
        {"0", 0},        {"42", 42},      {"007", 7},        {"  42", 42},     {"\t\r\n 42", 42},
        {"+17", 17},     {"-17", -17},    {"12abc", 12},     {"42 7", 42},     {"5.5", 5},
        {"-5.9", -5},    {"1e3", 1},      {"0x10", 0},       {"", 0},          {"abc", 0},
        {"-", 0},        {"+", 0},        {"- 5", 0},        {"+-5", 0},       {"--5", 0},
        {"x12", 0},      {"12-3", 12},
    };
    for (const IntCase& c : cases) {
        int got = ParseLeadingInt(c.text);
        EXPECT_EQ(got, c.expected) << "\"" << c.text << "\": got " << got << " (expected " << c.expected << ")";
    }
}

TEST(NumberTextInt, SaturatesAtTheInt32Limits) {
    const IntCase cases[] = {
        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},
        {"-2147483647", -INT_MAX},
        {"-2147483648", INT_MIN},
        {"-2147483649", INT_MIN},
        {"99999999999999999999999999", INT_MAX},
        {"-99999999999999999999999999", INT_MIN},
        {"00000000000000000000000000012", 12},  // leading zeros are not magnitude
    };
    for (const IntCase& c : cases) {
        int got = ParseLeadingInt(c.text);
        EXPECT_EQ(got, c.expected) << "\"" << c.text << "\": got " << got << " (expected " << c.expected << ")";
    }
}

// [SECTION] ParseLeadingDouble

TEST(NumberTextDouble, ReadsSignDigitsFractionAndExponent) {
    const DoubleCase cases[] = {
        {"5.5", 5.5},       {" 5.5", 5.5},     {"\t-2.25", -2.25}, {"+3", 3.0},
        {"0.250000", 0.25}, {"1e3", 1000.0},   {"1E3", 1000.0},    {"2.5e-2", 0.025},
        {"-1.5e+2", -150.0}, {".5", 0.5},      {"-.5e-1", -0.05},  {"5.", 5.0},
        {"12abc", 12.0},    {"3.25.7", 3.25},  {"7 8", 7.0},
    };
    for (const DoubleCase& c : cases) {
        double got = ParseLeadingDouble(c.text);
        EXPECT_DOUBLE_EQ(got, c.expected) << "\"" << c.text << "\": got " << got << " (expected " << c.expected
                                          << ")";
    }
}

TEST(NumberTextDouble, IncompleteExponentEndsTheNumberBeforeIt) {
    const DoubleCase cases[] = {{"1e", 1.0}, {"1e+", 1.0}, {"-2E-", -2.0}, {"4ex", 4.0}, {".5e", 0.5}};
    for (const DoubleCase& c : cases) {
        double got = ParseLeadingDouble(c.text);
        EXPECT_DOUBLE_EQ(got, c.expected) << "\"" << c.text << "\": got " << got << " (expected " << c.expected
                                          << ")";
    }
}

TEST(NumberTextDouble, NonDecimalFormsReadAsZero) {
    // Hex, infinity and NaN are what a C library reader would accept beyond
    // the decimal grammar; the module's texts never mean them.
    const char* const texts[] = {"0x10", "0X1A", "-0x10", " 0x1p3", "inf", "-inf", "INF",  "infinity",
                                 "nan",  "NAN",  "-nan",  "",       "abc", ".",    "-.", "+",
                                 "- 1",  ".e5",  "e5"};
    for (const char* text : texts) {
        double got = ParseLeadingDouble(text);
        EXPECT_EQ(got, 0.0) << "\"" << text << "\": got " << got << " (expected 0)";
    }
}

// [SECTION] CopyText

TEST(NumberTextCopy, CopiesWholeTextAndReportsItFit) {
    char buf[8];
    std::memset(buf, 'X', sizeof buf);
    EXPECT_EQ(CopyText(buf, sizeof buf, "abc"), 1);
    EXPECT_STREQ(buf, "abc");

    std::memset(buf, 'X', sizeof buf);
    EXPECT_EQ(CopyText(buf, sizeof buf, "abcdefg"), 1) << "seven characters and the zero fill eight bytes";
    EXPECT_STREQ(buf, "abcdefg");

    std::memset(buf, 'X', sizeof buf);
    EXPECT_EQ(CopyText(buf, sizeof buf, ""), 1);
    EXPECT_STREQ(buf, "");
}

TEST(NumberTextCopy, TruncatesWithinSizeAndReportsTheCut) {
    char buf[8];
    std::memset(buf, 'X', sizeof buf);
    EXPECT_EQ(CopyText(buf, 4, "abcdef"), 0);
    EXPECT_STREQ(buf, "abc");
    EXPECT_EQ(buf[4], 'X') << "wrote past the given size";

    std::memset(buf, 'X', sizeof buf);
    EXPECT_EQ(CopyText(buf, 4, "abcd"), 0) << "one character too many for four bytes";
    EXPECT_STREQ(buf, "abc");

    std::memset(buf, 'X', sizeof buf);
    EXPECT_EQ(CopyText(buf, 1, "a"), 0);
    EXPECT_EQ(buf[0], '\0');
    EXPECT_EQ(buf[1], 'X');

    std::memset(buf, 'X', sizeof buf);
    EXPECT_EQ(CopyText(buf, 1, ""), 1);
    EXPECT_EQ(buf[0], '\0');
}

TEST(NumberTextCopy, ZeroSizeWritesNothing) {
    char buf[4];
    std::memset(buf, 'X', sizeof buf);
    EXPECT_EQ(CopyText(buf, 0, "abc"), 0);
    EXPECT_EQ(std::string(buf, sizeof buf), "XXXX");
}

}  // namespace
