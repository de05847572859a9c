// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/DecimalText.h"
#include "support/GbkBytes.h"

#include <gtest/gtest.h>

using namespace wb;

namespace {
// Whole part and hundredths of a decimal text, truncated toward zero.
std::pair<std::int64_t, std::int64_t> wholeAndHundredths(const char* text) {
    const auto value = parseDecimal(text);
    EXPECT_TRUE(value) << text;
    return {*value->truncatedScaled(0), *value->truncatedScaled(2)};
}
} // namespace

TEST(ParseDecimal, DigitsStayAsWritten) {
    using P = std::pair<std::int64_t, std::int64_t>;
    EXPECT_EQ(wholeAndHundredths("2.06"), (P{2, 206}));
    EXPECT_EQ(wholeAndHundredths("2.069"), (P{2, 206}));
    EXPECT_EQ(wholeAndHundredths("1.1"), (P{1, 110}));
    EXPECT_EQ(wholeAndHundredths("0.03"), (P{0, 3}));
    EXPECT_EQ(wholeAndHundredths("-1.5"), (P{-1, -150}));
    EXPECT_EQ(wholeAndHundredths(".5"), (P{0, 50}));
    EXPECT_EQ(wholeAndHundredths("3."), (P{3, 300}));
    EXPECT_EQ(wholeAndHundredths("2.06e1"), (P{20, 2060}));
    EXPECT_EQ(wholeAndHundredths("206E-2"), (P{2, 206}));
    EXPECT_EQ(wholeAndHundredths(" 7 "), (P{7, 700}));
}

TEST(ParseDecimal, RejectsWhatIsNoNumber) {
    for (const char* text : {"", ".", "-", "abc", "1.2.3", "1,5", "1e", "2x", "--1"})
        EXPECT_FALSE(parseDecimal(text)) << text;
}

TEST(ParseDecimal, OverflowIsReportedNotWrapped) {
    const auto huge = parseDecimal("99999999999999999999");
    ASSERT_TRUE(huge);
    EXPECT_FALSE(huge->truncatedScaled(0));
    EXPECT_DOUBLE_EQ(parseDecimal("-12.25")->toDouble(), -12.25);
}
