// SPDX-License-Identifier: GPL-3.0-or-later
// Departments added, renamed and removed as the tree reads them, on each kind of database:
// the rows a new department gets, the refusals (each writes nothing) and the list.

#include "refdata/DepartmentChanges.h"
#include "refdata/Departments.h"
#include "support/ErrorText.h"
#include "support/TempOffice.h"

using namespace wb;
using wb::test::TempOffice;

namespace {

using Strings = std::vector<std::string>;

// On the demo departments 01 行政部门, 0101 办公室, 0102 人事科, 02 教学部门, 0201 语文教研组.
class DepartmentChanges : public TempOffice {
protected:
    void add(const std::string& parent, const std::string& code, const std::string& name) {
        addDepartment(office->connection, utf8ToGbk(parent), utf8ToGbk(code), utf8ToGbk(name));
    }
    // "upid|px|jgdm|jgmc|jgjb" of every row, by code.
    Strings departments() {
        return rows("select upid, px, jgdm, jgmc, jgjb from dm_jg order by jgdm");
    }
    // The tree built from dm_jg as the window builds it, one "level code name" a node.
    Strings tree() {
        Strings lines;
        for (const DepartmentListing& department : listDepartments(office->connection).listed)
            lines.push_back(std::to_string(department.level) + " " + gbkToUtf8(department.code) +
                            " " + gbkToUtf8(department.name));
        return lines;
    }
    std::string idOf(const std::string& code) {
        return one("select id from dm_jg where jgdm = '" + code + "'");
    }
};

using DepartmentChangesOnEachEngine = test::OnEachBackend<DepartmentChanges>;
WB_ON_EACH_BACKEND(DepartmentChangesOnEachEngine);

TEST_P(DepartmentChangesOnEachEngine, NewRowsTakeTheParentsIdTheLevelAndTheirPlaceInCodeOrder) {
    add("", "03", "后勤部门");
    add("01", "0100", "党办"); // before 0101 and 0102: they move down one
    add("0100", "010001", "档案室");
    add("02", "0202", "数学教研组");

    EXPECT_EQ(departments(),
              (Strings{"0|1|01|行政部门|1", "1|1|0100|党办|2", idOf("0100") + "|1|010001|档案室|3",
                       "1|2|0101|办公室|2", "1|3|0102|人事科|2", "0|2|02|教学部门|1",
                       "4|1|0201|语文教研组|2", "4|2|0202|数学教研组|2", "0|3|03|后勤部门|1"}));
    EXPECT_EQ(tree(), (Strings{"1 01 行政部门", "2 0100 党办", "3 010001 档案室", "2 0101 办公室",
                               "2 0102 人事科", "1 02 教学部门", "2 0201 语文教研组",
                               "2 0202 数学教研组", "1 03 后勤部门"}));
}

TEST_P(DepartmentChangesOnEachEngine, AnOfficeWithoutDepartmentsGetsItsFirstOnes) {
    exec("delete from dm_jg");
    add("", "01", "行政部门");
    add("01", "0101", "办公室");

    EXPECT_EQ(departments(), (Strings{"0|1|01|行政部门|1", idOf("01") + "|1|0101|办公室|2"}));
}

TEST_P(DepartmentChangesOnEachEngine, AddRefusesWithTheReasonAndWritesNothing) {
    const Strings before = everyRow();
    const struct {
        const char* parent;
        const char* code;
        const char* name;
        const char* reason;
    } cases[] = {
        {"", "", "甲", "部门代码不能为空。"},
        {"", "0 3", "甲", "部门代码 0 3 只能由字母和数字组成。"},
        {"", "0'", "甲", "部门代码 0' 只能由字母和数字组成。"},
        {"", "部门", "甲", "部门代码 部门 只能由字母和数字组成。"},
        {"01", "010", "甲", "部门代码 010 的长度不对：每级两个字符（如 01、0101）。"},
        {"", "0301", "甲", "顶层部门的代码是两个字符（如 01），0301 不是。"},
        {"01", "0201", "甲", "部门代码 0201 不是上级部门 01 的代码再加两个字符（如 0101）。"},
        {"01", "010101", "甲", "部门代码 010101 不是上级部门 01 的代码再加两个字符（如 0101）。"},
        {"", "01", "甲", "部门 01（行政部门）已经存在。"},
        {"01", "0102", "甲", "部门 0102（人事科）已经存在。"},
        {"03", "0301", "甲", "没有上级部门 03（部门树中没有这个部门）。"},
        {"01", "0103", " \t", "部门名称不能为空。"},
        {"01", "0103", "财务\n科", "部门名称中不能有换行符或其他控制字符。"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(test::errorText([&] { add(c.parent, c.code, c.name); }), c.reason) << c.code;
    EXPECT_EQ(everyRow(), before);
}

TEST_P(DepartmentChangesOnEachEngine, RenameChangesTheNameAloneAndKeepsQuotes) {
    renameDepartment(office->connection, "0101"_ascii, utf8ToGbk(" 秘书'科 "));
    EXPECT_EQ(departments()[1], "1|1|0101|秘书'科|2");

    const Strings before = everyRow();
    EXPECT_EQ(test::errorText([&] { renameDepartment(office->connection, "99"_ascii, gbk("甲")); }),
              "没有部门 99。");
    EXPECT_EQ(test::errorText([&] { renameDepartment(office->connection, "01"_ascii, Gbk()); }),
              "部门名称不能为空。");
    EXPECT_EQ(everyRow(), before);
}

TEST_P(DepartmentChangesOnEachEngine, RemoveRefusesADepartmentThatStillHoldsSomething) {
    for (int id = 1; id <= 4; ++id)
        storedPerson(id, "0101");
    const Strings before = everyRow();

    EXPECT_EQ(test::errorText([&] { removeDepartment(office->connection, "01"_ascii); }),
              "部门 01（行政部门）下还有部门 0101（办公室）、0102（人事科），不能删除；"
              "请先删除这些部门。");
    EXPECT_EQ(test::errorText([&] { removeDepartment(office->connection, "0101"_ascii); }),
              "部门 0101（办公室）还有 4 人（p1、p2、p3 等），不能删除。");
    EXPECT_EQ(test::errorText([&] { removeDepartment(office->connection, "99"_ascii); }),
              "没有部门 99。");
    EXPECT_EQ(everyRow(), before);

    removeDepartment(office->connection, "0102"_ascii);
    removeDepartment(office->connection, "0201"_ascii);
    removeDepartment(office->connection, "02"_ascii);
    EXPECT_EQ(tree(), (Strings{"1 01 行政部门", "2 0101 办公室"}));
}

TEST_P(DepartmentChangesOnEachEngine,
       TheListCountsPersonsAsTheStaffListDoesAndNamesWhatItLeavesOut) {
    storedPerson(1, "01");
    storedPerson(2, "0101");
    storedPerson(3, "0102");
    storedPerson(4, "0201");
    exec("insert into dm_jg (upid, px, jgdm, jgmc, jgjb) values (0, 9, '0301', '孤', '2')");

    const DepartmentList list = listDepartments(office->connection);
    Strings counts;
    for (const DepartmentListing& department : list.listed)
        counts.push_back(gbkToUtf8(department.code) + "=" + std::to_string(department.persons));
    EXPECT_EQ(counts, (Strings{"01=3", "0101=1", "0102=1", "02=1", "0201=1"}));
    ASSERT_EQ(list.leftOut.size(), 1u);
    EXPECT_EQ(gbkToUtf8(list.leftOut[0].jgmc), "孤");
}

TEST(ParentCode, IsTheCodeWithoutItsLastLevel) {
    EXPECT_EQ(parentCodeOf("010203"_ascii), "0102"_ascii);
    EXPECT_EQ(parentCodeOf("0102"_ascii), "01"_ascii);
    EXPECT_EQ(parentCodeOf("01"_ascii), Gbk());
    EXPECT_EQ(parentCodeOf("1"_ascii), Gbk());
}

} // namespace
