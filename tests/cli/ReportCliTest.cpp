// SPDX-License-Identifier: GPL-3.0-or-later
// wagebook-template and wagebook-check run as a user runs them: what they write, what they
// print, their exit statuses.

#include "support/CliOffice.h"
#include "support/XlsxProbe.h"
#include "text/Encoding.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class ReportCli : public wb::test::CliOffice {
protected:
    int check(const std::string& arguments) { return runProgram("wagebook-check", arguments); }
    int makeTemplate(const std::string& arguments) {
        return runProgram("wagebook-template", arguments);
    }
};

} // namespace

TEST_F(ReportCli, TheTemplateIsWrittenInTheOfficeFolder) {
    ASSERT_EQ(makeTemplate("模板.xlsx"), 0) << ::testing::PrintToString(err);
    EXPECT_TRUE(fs::is_regular_file(dir_ / "模板.xlsx"));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].rfind("已生成导入模板 模板.xlsx：16 列；代码 11 条、岗位等级 29 个；", 0), 0u)
        << out[0];

    EXPECT_EQ(makeTemplate(""), 2);
    EXPECT_EQ(makeTemplate("a.xlsx b.xlsx"), 2);
    EXPECT_EQ(makeTemplate("模板.xls"), 2); // a spreadsheet program would refuse the name
    EXPECT_FALSE(fs::exists(dir_ / "模板.xls"));

    // Without the office's code file there is nothing to offer: no template.
    fs::remove(dir_ / "dm.txt");
    EXPECT_EQ(makeTemplate("新模板.xlsx"), 1);
    EXPECT_FALSE(fs::exists(dir_ / "新模板.xlsx"));
    EXPECT_EQ(err.back().rfind("错误: 没有生成导入模板", 0), 0u) << err.back();
}

TEST_F(ReportCli, ACheckExitsWithOneWhenTheWorkbookHasErrorLines) {
    copyFixture("full.xls");
    EXPECT_EQ(check("full.xls"), 1);
    EXPECT_EQ(err, (Strings{"学历:甲:博士", "职务:甲:处长", "考核:甲:良好", "工资类别:乙:外聘"}));
    ASSERT_GE(out.size(), 2u);
    EXPECT_EQ(out[out.size() - 2],
              "试导入：将导入 3 人，学历 3 条、职务 5 条、考核 4 条；未写入数据库");
    EXPECT_EQ(out.back(), "检查结果：错误信息 4 条，标出单元格 4 个；已写入 full.检查结果.xlsx");
    EXPECT_TRUE(fs::is_regular_file(dir_ / "full.检查结果.xlsx"));
    EXPECT_EQ(rows("select count(*) from ryjbxx"), Strings{"0"});

    // With every text in the code file the same workbook is clean.
    std::ofstream(dir_ / "dm.txt", std::ios::app | std::ios::binary)
        << wb::gbk("博士=91\r\n处长=0801\r\n良好=5\r\n外聘=3\r\n").bytes();
    EXPECT_EQ(check("--dept 01 full.xls -o 'out dir.xlsx'"), 0);
    EXPECT_EQ(out.back(), "检查结果：没有错误信息；已写入 out dir.xlsx");
    EXPECT_TRUE(fs::is_regular_file(dir_ / "out dir.xlsx"));
}

TEST_F(ReportCli, AWorkbookTheImportRefusesIsRefusedAndNothingIsWritten) {
    copyFixture("no_work_start.xls");
    EXPECT_EQ(check("no_work_start.xls"), 1);
    EXPECT_EQ(out, (Strings{"XLS数据格式不配置!不能导入", "缺少标题：参加工作时间"}));
    EXPECT_EQ(check("missing.xls"), 1);
    copyFixture("full.xls");
    EXPECT_EQ(check("--dept 99 full.xls"), 1); // no such department
    for (const char* written :
         {"no_work_start.检查结果.xlsx", "missing.检查结果.xlsx", "full.检查结果.xlsx"})
        EXPECT_FALSE(fs::exists(dir_ / written)) << written;

    EXPECT_EQ(check(""), 2);
    EXPECT_EQ(check("full.xls other.xls"), 2);
    EXPECT_EQ(check("full.xls -o"), 2);
    EXPECT_EQ(check("--unknown full.xls"), 2);
}

TEST_F(ReportCli, TheDemoWorkbookGetsOnlyTheCellOfZhaoLisDoctorate) {
    if (const std::string reason = wb::test::withoutOpenpyxl(); !reason.empty())
        GTEST_SKIP() << reason;
    const fs::path tools = fs::path(WB_FIXTURES).parent_path().parent_path() / "tools";
    ASSERT_EQ(std::system(("/usr/bin/python3 '" + (tools / "make_demo.py").string() + "' '" +
                           dir_.string() + "'")
                              .c_str()),
              0);
    EXPECT_EQ(check("staff.xls"), 1);
    EXPECT_EQ(err, Strings{"学历:赵丽:博士"});
    const QJsonObject copy =
        wb::test::dumpedSheet(wb::test::dumpXlsx(dir_ / "staff.检查结果.xlsx"), "人员");
    EXPECT_EQ(copy[QStringLiteral("fills")].toObject().keys(), QStringList{QStringLiteral("N5")});
    EXPECT_EQ(wb::test::utf8(copy[QStringLiteral("cells")].toObject()[QStringLiteral("B5")]),
              "赵丽");
    EXPECT_EQ(wb::test::utf8(copy[QStringLiteral("notes")].toObject()[QStringLiteral("N5")]),
              "代码文件中没有“博士”这一学历");
}
