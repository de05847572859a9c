// SPDX-License-Identifier: GPL-3.0-or-later
// wagebook-dept run as a user runs it, in the demo office on each kind of database: exact
// stdout, stderr and exit status for the list, each change, each refusal and usage errors.

#include "support/CliOffice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using Strings = std::vector<std::string>;

namespace {

class DeptCli : public wb::test::CliOffice {
protected:
    int dept(const std::string& arguments) { return runProgram("wagebook-dept", arguments); }
};

using DeptCliOnEachEngine = wb::test::OnEachBackend<DeptCli>;
WB_ON_EACH_BACKEND(DeptCliOnEachEngine);

TEST_P(DeptCliOnEachEngine, ListsTheTreeIndentedWithEachDepartmentsPersons) {
    database_->exec("insert into ryjbxx (xm, bm) values ('甲', '0101'), ('乙', '0101'), "
                    "('丙', '02')");
    EXPECT_EQ(dept("list"), 0);
    EXPECT_EQ(out, (Strings{"01\t行政部门\t2", "  0101\t办公室\t2", "  0102\t人事科\t0",
                            "02\t教学部门\t1", "  0201\t语文教研组\t0"}));
    EXPECT_EQ(err, Strings{});
}

TEST_P(DeptCliOnEachEngine, AddsRenamesAndRemovesUnderTheParentTheCodeNames) {
    EXPECT_EQ(dept("add 0103 财务科"), 0);
    EXPECT_EQ(out, Strings{"已新增部门 0103"});
    EXPECT_EQ(dept("add 010301 '出纳 组'"), 0);
    EXPECT_EQ(dept("rename 0103 计财科"), 0);
    EXPECT_EQ(out, Strings{"已为部门 0103 改名"});
    EXPECT_EQ(dept("remove 0201"), 0);
    EXPECT_EQ(out, Strings{"已删除部门 0201"});
    EXPECT_EQ(err, Strings{});

    EXPECT_EQ(dept("list"), 0);
    EXPECT_EQ(out, (Strings{"01\t行政部门\t0", "  0101\t办公室\t0", "  0102\t人事科\t0",
                            "  0103\t计财科\t0", "    010301\t出纳 组\t0", "02\t教学部门\t0"}));
    EXPECT_EQ(rows("select upid, px, jgjb from dm_jg where jgdm = '010301'"),
              Strings{rows("select id from dm_jg where jgdm = '0103'").at(0) + "|1|3"});
}

TEST_P(DeptCliOnEachEngine, ARefusalSaysWhyOnStderrAndExitsWithOne) {
    database_->exec("insert into ryjbxx (xm, bm) values ('甲', '0201')");
    const struct {
        const char* arguments;
        const char* message;
    } cases[] = {
        {"add 0301 甲", "错误: 没有上级部门 03（部门树中没有这个部门）。"},
        {"add 0101 甲", "错误: 部门 0101（办公室）已经存在。"},
        {"add 1 甲", "错误: 部门代码 1 的长度不对：每级两个字符（如 01、0101）。"},
        {"add -- -1 甲", "错误: 部门代码 -1 只能由字母和数字组成。"},
        {"rename 99 甲", "错误: 没有部门 99。"},
        {"remove 02", "错误: 部门 02（教学部门）下还有部门 0201（语文教研组），不能删除；"
                      "请先删除这些部门。"},
        {"remove 0201", "错误: 部门 0201（语文教研组）还有 1 人（甲），不能删除。"},
    };
    const Strings before = rows("select * from dm_jg order by id");
    for (const auto& c : cases) {
        EXPECT_EQ(dept(c.arguments), 1) << c.arguments;
        EXPECT_EQ(out, Strings{}) << c.arguments;
        EXPECT_EQ(err, Strings{c.message});
    }
    EXPECT_EQ(rows("select * from dm_jg order by id"), before);
}

TEST_F(DeptCli, UsageErrorsExitWithTwoAndAMissingDatabaseWithOne) {
    for (const char* arguments : {"", "move 01", "add 01", "remove", "list 01", "--all list"}) {
        EXPECT_EQ(dept(arguments), 2) << arguments;
        EXPECT_EQ(out, Strings{}) << arguments;
        ASSERT_FALSE(err.empty()) << arguments;
        EXPECT_EQ(err[0].rfind("wagebook-dept: ", 0), 0u) << err[0];
    }
    EXPECT_EQ(err[0], "wagebook-dept: 未知选项 --all");
    EXPECT_EQ(dept("add 01"), 2);
    EXPECT_EQ(err[0], "wagebook-dept: add 需要 2 个参数");

    EXPECT_EQ(dept("--help"), 0);
    EXPECT_EQ(out.at(0), "用法: wagebook-dept list");
    EXPECT_EQ(err, Strings{});

    std::filesystem::remove(dir_ / "wagebook.mdb");
    EXPECT_EQ(dept("list"), 1);
    EXPECT_EQ(out, Strings{});
    EXPECT_EQ(err, Strings{"文件丢失错误: 文件(wagebook.dat)丢失,或运行目录不正确!"});
}

} // namespace
