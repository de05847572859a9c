// SPDX-License-Identifier: GPL-3.0-or-later
// Jet values turned into what the SQLite copy stores: dates either side of day 0, compressed
// and plain Unicode text, code-page text, single-precision numbers.

#include "migrate/JetValues.h"

#include <gtest/gtest.h>

#include <string>

using namespace wb::migrate;

namespace {

struct DateCase {
    const char* name;
    double day;
    const char* text;
};

class JetDate : public ::testing::TestWithParam<DateCase> {};

TEST_P(JetDate, IsIsoText) {
    EXPECT_EQ(jetDateText(GetParam().day), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Days, JetDate,
    ::testing::Values(DateCase{"DayZero", 0, "1899-12-30"},
                      DateCase{"Noon", 0.5, "1899-12-30 12:00:00"},
                      DateCase{"Recent", 44532, "2021-12-02"},
                      DateCase{"WithTime", 44532.75, "2021-12-02 18:00:00"},
                      // Before day 0 the fraction still counts forward from midnight.
                      DateCase{"BeforeDayZeroWithTime", -1.25, "1899-12-29 06:00:00"},
                      DateCase{"BeforeDayZeroHalf", -0.5, "1899-12-30 12:00:00"},
                      DateCase{"Pre1900", -728, "1898-01-01"},
                      DateCase{"RoundsToNextMidnight", 1.9999999, "1900-01-01"},
                      DateCase{"RoundsToNextMidnightBeforeDayZero", -1.9999999, "1899-12-30"},
                      DateCase{"RoundsToSecond", 0.0000115, "1899-12-30 00:00:01"},
                      DateCase{"Year9999", 2958101, "9999-01-01"},
                      DateCase{"NotANumber", std::numeric_limits<double>::quiet_NaN(),
                               "1899-12-30"}),
    [](const auto& info) { return std::string(info.param.name); });

struct TextCase {
    const char* name;
    std::string bytes;
    const char* utf8;
};

class JetUnicode : public ::testing::TestWithParam<TextCase> {};

TEST_P(JetUnicode, IsUtf8) {
    EXPECT_EQ(jetUnicodeToUtf8(GetParam().bytes), GetParam().utf8);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(Texts, JetUnicode,
                         ::testing::Values(TextCase{"Plain", "H\0\xe4\0"s, "Hä"},
                                           TextCase{"PlainChinese", "\x2d\x4e\x87\x65"s, "中文"},
                                           TextCase{"Compressed", "\xff\xfeHallo"s, "Hallo"},
                                           TextCase{"CompressedLatin1", "\xff\xfeM\xe8re"s, "Mère"},
                                           // A 00 byte switches to two bytes a character and back.
                                           TextCase{"CompressedSwitching",
                                                    "\xff\xfe"
                                                    "ab\0\x2d\x4e\0c"s,
                                                    "ab中c"},
                                           TextCase{"CompressedEmpty", "\xff\xfe"s, ""},
                                           TextCase{"OddLastByteDropped", "A\0B"s, "A"},
                                           TextCase{"SurrogatePair", "\x3d\xd8\x00\xde"s,
                                                    "\xf0\x9f\x98\x80"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(JetCodePage, DecodesTheNamedCodePage) {
    EXPECT_EQ(jetCodePageToUtf8("M\xe8re", 1252), "Mère");
    EXPECT_EQ(jetCodePageToUtf8("\xd6\xd0\xce\xc4", 936), "中文");
    EXPECT_EQ(jetCodePageToUtf8("\xd6\xd0", 1251), "ЦР");
}

TEST(JetCodePage, KnowsTheCodePagesTheSystemConverts) {
    EXPECT_TRUE(isKnownCodePage(936));
    EXPECT_TRUE(isKnownCodePage(1252));
    EXPECT_FALSE(isKnownCodePage(0));
    EXPECT_FALSE(isKnownCodePage(-936));
    EXPECT_FALSE(isKnownCodePage(12345));
}

TEST(JetFloat, IsTheDecimalTheUserSaw) {
    EXPECT_EQ(floatAsDecimal(0.05f), 0.05);
    EXPECT_EQ(floatAsDecimal(0.15f), 0.15);
    EXPECT_EQ(floatAsDecimal(16777216.0f), 16777216.0);
    EXPECT_EQ(floatAsDecimal(-1.5e-7f), -1.5e-7);
}

} // namespace
