// SPDX-License-Identifier: GPL-3.0-or-later
#include "xls/NumberFormat.h"
#include "support/GbkBytes.h"

#include <gtest/gtest.h>

using namespace wb::xls;

namespace {

TEST(NumberFormat, FormatTextsThatShowDatesOrTimes) {
    const struct {
        const char16_t* format;
        bool date;
    } cases[] = {
        {u"yyyy-mm-dd", true},
        {u"yyyy/m/d", true},
        {u"yyyy.mm", true},
        {u"yyyy年m月", true},
        {u"[$-804]yyyy\"年\"m\"月\"d\"日\"", true},
        {u"[DBNum1][$-804]yyyy\"年\"m\"月\"", true},
        {u"h:mm", true},
        {u"[h]:mm:ss", true},
        {u"mm:ss.0", true},
        {u"yyyy-mm-dd;@", true},
        {u"\"日期\"yyyy-mm-dd", true},
        {u"General", false},
        {u"0.00", false},
        {u"#,##0_);[Red](#,##0)", false},
        {u"[Red]0.00", false}, // the d of Red is inside brackets
        {u"0\"天\"", false},
        {u"0 \"days\"", false},  // quoted letters are not date parts
        {u"\\d\\a\\y 0", false}, // nor escaped ones
        {u"_(* #,##0.00_);_(* \\(#,##0.00\\)", false},
        {u"0.00E+00", false},
        {u"@", false},
        {u"\"Yes\";\"Yes\";\"No\"", false},
        {u"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isDateFormatText(c.format), c.date) << std::string(
            std::u16string_view(c.format).begin(), std::u16string_view(c.format).end());
}

TEST(NumberFormat, BuiltInDateFormats) {
    for (int index : {14, 18, 22, 27, 31, 36, 45, 47, 50, 58, 71, 81})
        EXPECT_TRUE(isBuiltInDateFormat(index)) << index;
    for (int index : {0, 1, 13, 23, 26, 37, 44, 48, 49, 59, 70, 82, 164})
        EXPECT_FALSE(isBuiltInDateFormat(index)) << index;
}

} // namespace
