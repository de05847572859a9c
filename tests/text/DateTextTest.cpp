// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/DateText.h"
#include "support/GbkBytes.h"
#include "text/Encoding.h"

#include <gtest/gtest.h>

using namespace wb;
using test::bytes;

TEST(DayNumber, CountsFrom18991230) {
    EXPECT_EQ(dayNumber(1899, 12, 30), 0.0);
    EXPECT_EQ(dayNumber(1900, 1, 1), 2.0);
    EXPECT_EQ(dayNumber(1990, 7, 1), 33055.0);
    EXPECT_EQ(dayNumber(2000, 2, 29), 36585.0);
    EXPECT_FALSE(dayNumber(1999, 2, 29));
    EXPECT_FALSE(dayNumber(1990, 13, 1));
    EXPECT_FALSE(dayNumber(1990, 0, 1));
    EXPECT_FALSE(dayNumber(0, 1, 1));
}

TEST(FormatDate, IsoAndShortForms) {
    EXPECT_EQ(formatIsoDate(0), "1899-12-30");
    EXPECT_EQ(formatIsoDate(33055), "1990-07-01");
    EXPECT_EQ(formatIsoDate(33055.75), "1990-07-01");
    EXPECT_EQ(formatIsoDate(-1), "1899-12-29");
    EXPECT_EQ(formatShortDate(33055), "1990-7-1");
    EXPECT_EQ(formatShortDate(33055.5), "1990-7-1 12:00:00");
    // Out of range is clamped, never undefined.
    EXPECT_EQ(formatIsoDate(5.96e233), "9999-12-31");
    EXPECT_EQ(formatIsoDate(-1e300), "0001-01-01");
    EXPECT_FALSE(isDayNumberInRange(2958466));
    EXPECT_TRUE(isDayNumberInRange(-693593));
}

TEST(ParseDateText, AcceptsTheChineseLocaleForms) {
    const double july1 = 33055, july15 = 33069;
    EXPECT_EQ(parseDateText("1990-07-15"_ascii), july15);
    EXPECT_EQ(parseDateText("1990-7-15"_ascii), july15);
    EXPECT_EQ(parseDateText("1990/7/15"_ascii), july15);
    EXPECT_EQ(parseDateText("1990.7.15"_ascii), july15);
    EXPECT_EQ(parseDateText(gbk("1990年7月15日")), july15);
    EXPECT_EQ(parseDateText("1990-07"_ascii), july1);
    EXPECT_EQ(parseDateText("1990/7"_ascii), july1);
    EXPECT_EQ(parseDateText("1990.07"_ascii), july1);
    EXPECT_EQ(parseDateText(gbk("1990年7月")), july1);
    EXPECT_EQ(parseDateText(" 1990-07-15 "_ascii), july15);
    EXPECT_EQ(parseDateText("1990-07-15 12:00"_ascii), july15 + 0.5);
    EXPECT_EQ(parseDateText("90-7-15"_ascii), july15);
    EXPECT_EQ(parseDateText("05-7-15"_ascii), dayNumber(2005, 7, 15));
}

TEST(ParseDateText, FallsBackToADayCountAndRejectsTheRest) {
    EXPECT_EQ(parseDateText("33055"_ascii), 33055.0);
    EXPECT_EQ(parseDateText("1.5"_ascii), 1.5);
    for (const char* text : {"", "abc", "1990-13-01", "1990-02-30", "1990-07-15x", "1990-",
                             "1990--07", "1990-07-15 25:00", "1990.07.15.1"})
        EXPECT_FALSE(parseDateText(Gbk::ascii(text))) << text;
    EXPECT_FALSE(parseDateText(gbk("1990年7")));
    EXPECT_FALSE(parseDateText(gbk("不详")));
}
