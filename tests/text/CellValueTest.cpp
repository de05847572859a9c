// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/CellValue.h"
#include "support/GbkBytes.h"
#include "text/Encoding.h"
#include "text/Error.h"

#include <gtest/gtest.h>

using namespace wb;

TEST(NumberText, GeneralFormWithFifteenSignificantDigits) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {12, "12"},           {12.5, "12.5"},
        {2.06, "2.06"},       {1990.0999999999999, "1990.1"},
        {-1.5, "-1.5"},       {0, "0"},
        {0.1 + 0.2, "0.3"},   {123456789012345.0, "123456789012345"},
        {1e15, "1E15"},       {110101199001011234.0, "1.10101199001011E17"},
        {0.00001, "0.00001"}, {0.0000015, "1.5E-6"},
        {-2.5e20, "-2.5E20"}, {100, "100"},
        {0.5, "0.5"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(numberText(c.value), c.text) << c.text;
}

TEST(CellText, EachKindAsText) {
    EXPECT_EQ(cellText(CellValue{}), "");
    EXPECT_EQ(cellText(CellValue::ofNumber(6)), "6");
    EXPECT_EQ(cellText(CellValue::ofText(gbk("本科\n硕士"))), gbk("本科\n硕士"));
    EXPECT_EQ(cellText(CellValue::ofDate(33055)), "1990-7-1");
    EXPECT_EQ(cellText(CellValue::ofBoolean(true)), "True");
    EXPECT_EQ(cellText(CellValue::ofError(0x2A)), "#N/A");
    EXPECT_EQ(cellText(CellValue::ofError(0x07)), "#DIV/0!");
}

TEST(CellDate, EmptyIsDayZeroAndTextIsParsed) {
    EXPECT_EQ(cellDate(CellValue{}), 0.0);
    EXPECT_EQ(cellDate(CellValue::ofNumber(33055)), 33055.0);
    EXPECT_EQ(cellDate(CellValue::ofDate(33055.5)), 33055.5);
    EXPECT_EQ(cellDate(CellValue::ofText("1990-07"_ascii)), 33055.0);
    EXPECT_THROW(cellDate(CellValue::ofText(gbk("不详"))), Error);
    EXPECT_THROW(cellDate(CellValue::ofBoolean(true)), Error);
    EXPECT_THROW(cellDate(CellValue::ofNumber(5.96e233)), Error);
    EXPECT_THROW(cellDate(CellValue::ofText("1e300"_ascii)), Error);
    EXPECT_EQ(cellDate(CellValue::ofNumber(2958465)), 2958465.0); // 9999-12-31
    EXPECT_THROW(cellDate(CellValue::ofError(0x2A)), Error);
}
