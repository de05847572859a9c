// SPDX-License-Identifier: GPL-3.0-or-later
#include "refdata/BuiltinTables.h"
#include "support/GbkBytes.h"
#include "text/Encoding.h"

#include <gtest/gtest.h>

using namespace wb;
using test::bytes;

namespace {
const BuiltinTables& tables() {
    static const BuiltinTables filled = [] {
        BuiltinTables t;
        fillBuiltinTables(t);
        return t;
    }();
    return filled;
}
} // namespace

TEST(CodeTable, LookupIsByteExactAndAbsentKeysGiveEmptyText) {
    CodeTable table;
    table.set(gbk("本科"), "21"_ascii);
    table.set("A"_ascii, "1"_ascii);
    table.set("A"_ascii, "2"_ascii);
    EXPECT_EQ(table.lookup(gbk("本科")), "21");
    EXPECT_EQ(table.lookup("A"_ascii), "2");
    EXPECT_EQ(table.lookup("a"_ascii), "");
    EXPECT_EQ(table.lookup(gbk("Ａ")), ""); // full-width letter
    EXPECT_EQ(table.lookup(" "_ascii + gbk("本科")), "");
    EXPECT_EQ(table.lookup(""_ascii), "");
    EXPECT_EQ(table.size(), 2u);
}

TEST(BuiltinTables, HoldTheirEntryCounts) {
    EXPECT_EQ(tables().WagePostToPositionGrade.size(), 23u);
    EXPECT_EQ(tables().PositionGradeNameToCode.size(), 29u);
    EXPECT_EQ(tables().PositionGradeToWagePost.size(), 29u);
}

TEST(BuiltinTables, AreNotInverseToEachOther) {
    const auto& t = tables();
    EXPECT_EQ(t.PositionGradeNameToCode.lookup(gbk("技术2级")), "0202");
    EXPECT_EQ(t.PositionGradeToWagePost.lookup("0202"_ascii), "2101");
    EXPECT_EQ(t.WagePostToPositionGrade.lookup("2101"_ascii), "0204");
    for (const char* name : {"技术1级", "技术2级", "技术3级", "技术4级"})
        EXPECT_EQ(t.PositionGradeToWagePost.lookup(t.PositionGradeNameToCode.lookup(gbk(name))),
                  "2101");
    for (const char* name : {"技术5级", "技术6级", "技术7级"})
        EXPECT_EQ(t.PositionGradeToWagePost.lookup(t.PositionGradeNameToCode.lookup(gbk(name))),
                  "2201");
    EXPECT_EQ(t.WagePostToPositionGrade.lookup("1201"_ascii), "0110");
    EXPECT_EQ(t.WagePostToPositionGrade.lookup("1301"_ascii), "0110");
    EXPECT_EQ(t.WagePostToPositionGrade.lookup("2501"_ascii), "0213");
    EXPECT_EQ(t.WagePostToPositionGrade.lookup("2601"_ascii), "0213");
    EXPECT_EQ(t.WagePostToPositionGrade.lookup("1302"_ascii), "");
}

TEST(BuiltinTables, GradeNamesAreExactKeys) {
    const auto& names = tables().PositionGradeNameToCode;
    EXPECT_EQ(names.lookup(gbk("管理10级")), "0110");
    EXPECT_EQ(names.lookup(gbk("管理1级")), "0101");
    EXPECT_EQ(gbk("管理10级").size(), 8u);
    EXPECT_EQ(names.lookup(gbk("管理8级")), "0108");
    EXPECT_EQ(tables().PositionGradeToWagePost.lookup("0108"_ascii), "1001");
    EXPECT_EQ(names.lookup(gbk("普工")), "0401");
    EXPECT_EQ(tables().PositionGradeToWagePost.lookup("0401"_ascii), "3761");
    for (const char* missing : {"管理01级", "管理１级", " 管理1级", "管理1级 ", "普工1级"})
        EXPECT_EQ(names.lookup(gbk(missing)), "") << missing;
}
