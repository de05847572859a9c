// SPDX-License-Identifier: GPL-3.0-or-later
// wagebook-cells run as a user runs it: the cells the import reads, one escaped line each,
// and the import's own message for a workbook it cannot read.

#include "support/ProgramRun.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

namespace {

class CellsCli : public ::testing::Test {
protected:
    int run(const std::string& arguments) {
        wb::test::ProgramRun result = wb::test::runProgram(dir_, "wagebook-cells", arguments);
        out = std::move(result.out);
        err = std::move(result.err);
        return result.status;
    }
    // The same in the import, which needs an office in the folder.
    wb::test::ProgramRun import(const std::string& workbook) {
        if (!fs::exists(dir_ / "wagebook.mdb")) {
            folder_.runInitDb();
            folder_.copyFixture("import/dm.txt");
        }
        return wb::test::runProgram(dir_, "wagebook-import", "--dept 01 " + workbook);
    }

    Strings out, err;
    wb::test::TempFolder folder_;
    const fs::path& dir_ = folder_.path();
};

TEST_F(CellsCli, ListsEveryFilledCellInRowThenColumnOrderWithItsTextEscaped) {
    // A tab, a backslash and line breaks inside texts; a date and numbers as the import
    // reads them; empty cells and an empty row left out.
    const Strings expected = {
        "1\t1\t姓名",
        "1\t2\t出生年月",
        "1\t3\t备注",
        "1\t4\t编号",
        "2\t1\t张三",
        "2\t2\t1970-1-1",
        "2\t3\ta\\tb\\\\c\\nd",
        "2\t4\t12.5",
        "3\t1\t李四",
        "3\t3\t行1\\r\\n行2",
        "5\t3\tC:\\\\dm.txt\\\\",
        "5\t4\t1.1010119700101E17",
        "6\t2\tTrue",
    };
    for (const char* workbook : {"cells.xls", "cells.xlsx"}) {
        folder_.copyFixture(std::string("import/") + workbook);
        EXPECT_EQ(run(workbook), 0) << workbook;
        EXPECT_EQ(out, expected) << workbook;
        EXPECT_EQ(err, Strings{}) << workbook;
    }
}

TEST_F(CellsCli, ControlCharactersAreEscapedInHex) {
    folder_.copyFixture("import/control_chars.xls");
    ASSERT_EQ(run("control_chars.xls"), 0);
    ASSERT_EQ(out.size(), 14u);
    EXPECT_EQ(out[10], "2\t2\t甲\\x1b[31m乙\\x7f");
    EXPECT_EQ(out[13], "3\t2\t丙\\u0085丁\\t戊\\r己");
}

TEST_F(CellsCli, AWorkbookThatCannotBeReadGetsTheImportsMessage) {
    folder_.copyFixture("xlsx/bad_xml.xlsx");
    folder_.copyFixture("xls/truncated.xls");
    std::ofstream(dir_ / "text.xls") << "name,birth\n";
    for (const char* workbook : {"bad_xml.xlsx", "truncated.xls", "text.xls"}) {
        EXPECT_EQ(run(workbook), 1) << workbook;
        EXPECT_EQ(out, Strings{}) << workbook;
        const wb::test::ProgramRun imported = import(workbook);
        ASSERT_EQ(imported.err.size(), 1u) << workbook;
        EXPECT_EQ(imported.err[0].rfind("错误: 工作簿 \"", 0), 0u) << imported.err[0];
        EXPECT_EQ(err, imported.err) << workbook;
    }
}

TEST_F(CellsCli, AMissingFileOrAFolderIsNamed) {
    EXPECT_EQ(run("missing.xls"), 1);
    EXPECT_EQ(out, Strings{});
    EXPECT_EQ(err, Strings{"错误: 工作簿 \"missing.xls\" 无法读取: 文件不存在"});
    fs::create_directory(dir_ / "folder.xls");
    EXPECT_EQ(run("folder.xls"), 1);
    EXPECT_EQ(err, Strings{"错误: 工作簿 \"folder.xls\" 无法读取: 它不是普通文件"});
}

TEST_F(CellsCli, UsageHelpAndVersion) {
    for (const char* arguments : {"", "a.xls b.xls", "--frobnicate a.xls"}) {
        EXPECT_EQ(run(arguments), 2) << arguments;
        ASSERT_GE(err.size(), 3u) << arguments;
        EXPECT_EQ(err[2].rfind("用法: wagebook-cells", 0), 0u) << err[2];
    }
    EXPECT_EQ(run("--version"), 0);
    EXPECT_EQ(out, Strings{"wagebook-cells " WB_VERSION});
    EXPECT_EQ(run("--help"), 0);
    std::string help;
    for (const std::string& line : out)
        help += line + "\n";
    for (const char* part : {"行<TAB>列<TAB>文字", "\\\\", "\\xHH", "\\u00HH", "退出码"})
        EXPECT_NE(help.find(part), std::string::npos) << part << " in\n" << help;
    // A workbook whose name looks like an option.
    folder_.copyFixture("import/cells.xls", "-x.xls");
    EXPECT_EQ(run("-- -x.xls"), 0);
    EXPECT_EQ(out.size(), 13u);
}

} // namespace

namespace {

TEST_F(CellsCli, AProtectedWorkbookListsAsItsPlainCopyWithThePasswordFromStandardInput) {
    for (const char* workbook : {"full.xlsx", "full_password.xlsx", "full_fixed.xlsx"})
        folder_.copyFixture(std::string("import/") + workbook);
    ASSERT_EQ(run("full.xlsx"), 0);
    const Strings plain = out;
    ASSERT_GT(plain.size(), 10u);
    EXPECT_EQ(run("full_fixed.xlsx"), 0); // the fixed password: nothing asked
    EXPECT_EQ(out, plain);
    const wb::test::ProgramRun given = wb::test::runProgram(
        dir_, "wagebook-cells", "--password-stdin full_password.xlsx", {}, "工资 2024\n");
    EXPECT_EQ(given.status, 0);
    EXPECT_EQ(given.out, plain);
    const wb::test::ProgramRun wrong = wb::test::runProgram(
        dir_, "wagebook-cells", "--password-stdin full_password.xlsx", {}, "x\n");
    EXPECT_EQ(wrong.status, 1);
    ASSERT_EQ(wrong.err.size(), 1u);
    EXPECT_NE(wrong.err[0].find("full_password.xlsx\" 无法读取: 密码不正确"), std::string::npos)
        << wrong.err[0];
}

} // namespace
