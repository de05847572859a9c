// SPDX-License-Identifier: GPL-3.0-or-later
#include "refdata/Departments.h"
#include "support/GbkBytes.h"
#include "support/TempOffice.h"
#include "text/Error.h"

#include <gtest/gtest.h>

using namespace wb;
using test::bytes;
using wb::test::TempOffice;

namespace {

std::string codeList(const std::vector<DepartmentRecord>& records) {
    std::string joined;
    for (const DepartmentRecord& record : records)
        joined += (joined.empty() ? "" : " ") + ("[" + record.jgdm.bytes() + "]");
    return joined;
}

} // namespace

TEST(StaffStatement, PlacesTheCodeWithQuotesDoubled) {
    const struct {
        const char* code;
        const char* statement;
    } cases[] = {
        {"0101", "select * from ryjbxx where bm like '0101%'"},
        {"", "select * from ryjbxx where bm like '%'"},
        {"0'1", "select * from ryjbxx where bm like '0''1%'"},
        {"'; delete from ryjbxx; --", "select * from ryjbxx where bm like '''; delete from "
                                      "ryjbxx; --%'"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(staffStatement(bytes(c.code)), c.statement) << c.code;
}

TEST(StaffCountText, IsTheNumberFollowedByPersons) {
    EXPECT_EQ(gbkToUtf8(staffCountText(25)), "25人");
    EXPECT_EQ(gbkToUtf8(staffCountText(0)), "0人");
}

using Departments = TempOffice;

TEST_F(Departments, LoadsEveryColumnInCodeLengthThenCodeOrder) {
    exec("delete from dm_jg");
    exec("insert into dm_jg (id, upid, px, jgdm, jgmc, jgjb) values"
         " (7, 3, 2, '0201', '乙一', '2'), (3, 0, 9, '02', '乙', '1'),"
         " (5, 1, 1, '010101', '甲一一', '3'), (1, 0, 1, '01', '甲', '1'),"
         " (2, 1, 4, '0101 ', '甲一', NULL), (4, NULL, NULL, '1', '单', '1')");

    const std::vector<DepartmentRecord> records = loadDepartments(office->departmentQuery);
    EXPECT_EQ(codeList(records), "[1] [01] [02] [0201] [0101 ] [010101]");
    ASSERT_EQ(records.size(), 6u);
    const DepartmentRecord& second = records[2];
    EXPECT_EQ(second.id, 3);
    EXPECT_EQ(second.upid, 0);
    EXPECT_EQ(second.px, 9);
    EXPECT_EQ(second.codeLength, 2);
    EXPECT_EQ(gbkToUtf8(second.jgmc), "乙");
    EXPECT_EQ(second.jgjb, "1");
    // Values that are absent read as 0 and the empty text; the code keeps its blank.
    EXPECT_EQ(records[0].upid, 0);
    EXPECT_EQ(records[0].px, 0);
    EXPECT_EQ(records[4].codeLength, 5);
    EXPECT_EQ(records[4].jgjb, "");
}

TEST_F(Departments, AnEmptyTableGivesNoRecords) {
    exec("delete from dm_jg");
    EXPECT_TRUE(loadDepartments(office->departmentQuery).empty());
}

TEST_F(Departments, AMissingTableIsAnError) {
    exec("drop table dm_jg");
    EXPECT_THROW(loadDepartments(office->departmentQuery), Error);
}

TEST_F(Departments, ListingStaffCountsTheDepartmentAndItsSubdepartments) {
    exec("insert into ryjbxx (xm, bm) values ('a', '01'), ('b', '0101'), ('c', '010'),"
         " ('d', '02'), ('e', '0''1')");
    EXPECT_EQ(listStaff(office->staffQuery, "01"_ascii), 3);
    EXPECT_EQ(listStaff(office->staffQuery, "0101"_ascii), 1);
    EXPECT_EQ(listStaff(office->staffQuery, "03"_ascii), 0);
    EXPECT_EQ(listStaff(office->staffQuery, "0'1"_ascii), 1);
    EXPECT_TRUE(office->staffQuery.isOpen());
}

TEST_F(Departments, ADepartmentExistsWhenItsTrimmedCodeIsTheCodeAsked) {
    exec("insert into dm_jg (upid, px, jgdm, jgmc, jgjb) values (0, 9, ' 03\t', '丙', '1'),"
         " (0, 9, '0''4', '丁', '1')");
    EXPECT_TRUE(departmentExists(office->departmentQuery, "01"_ascii));
    EXPECT_TRUE(departmentExists(office->departmentQuery, "0201"_ascii));
    EXPECT_TRUE(departmentExists(office->departmentQuery, "03"_ascii));
    EXPECT_TRUE(departmentExists(office->departmentQuery, "0'4"_ascii));
    // Codes are compared whole: neither a prefix nor a longer code, nor the untrimmed text.
    EXPECT_FALSE(departmentExists(office->departmentQuery, "0"_ascii));
    EXPECT_FALSE(departmentExists(office->departmentQuery, "010"_ascii));
    EXPECT_FALSE(departmentExists(office->departmentQuery, "010101"_ascii));
    EXPECT_FALSE(departmentExists(office->departmentQuery, " 03\t"_ascii));
    EXPECT_FALSE(departmentExists(office->departmentQuery, ""_ascii));

    exec("delete from dm_jg");
    EXPECT_FALSE(departmentExists(office->departmentQuery, "01"_ascii));
    exec("drop table dm_jg");
    EXPECT_THROW(departmentExists(office->departmentQuery, "01"_ascii), Error);
}
