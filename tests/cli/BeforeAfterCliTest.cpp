// SPDX-License-Identifier: GPL-3.0-or-later
// The commands around an import: a dry run, the error list as a file, undo.

#include "support/Backend.h"
#include "support/CliOffice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

namespace {

class BeforeAndAfterCli : public wb::test::CliOffice {
protected:
    // Every row of the tables an import writes, in key order.
    Strings everyRow() {
        Strings all;
        for (const char* table :
             {"ryjbxx", "ryxl", "ryrz", "rykh", "rybdrz", "ryjl", "ryjc", "rygzbhb", "dm_jg"}) {
            const Strings tableRows = rows(std::string("select * from ") + table + " order by id");
            all.push_back(table);
            all.insert(all.end(), tableRows.begin(), tableRows.end());
        }
        return all;
    }
};

// What a dry run, the error file and undo do must be the same on a server.
using BeforeAndAfterCliOnEachEngine = wb::test::OnEachBackend<BeforeAndAfterCli>;
WB_ON_EACH_BACKEND(BeforeAndAfterCliOnEachEngine);

const Strings kFullRunLog = {"XLS相配置!准备导入", "甲", "乙", "丙", "提示: 数据导入成功!"};
const Strings kFullErrors = {"学历:甲:博士", "职务:甲:处长", "考核:甲:良好", "工资类别:乙:外聘"};

} // namespace

TEST_P(BeforeAndAfterCliOnEachEngine, ADryRunPrintsWhatTheRunPrintsAndWritesNothing) {
    copyFixture("full.xls");
    ASSERT_EQ(run("--dept 0101 full.xls"), 0);
    for (const std::string mode : {"", "--overwrite "}) {
        const Strings before = everyRow();
        ASSERT_EQ(run("--dry-run " + mode + "--dept 01 full.xls"), 0) << mode;
        Strings expectedLog = kFullRunLog;
        if (!mode.empty())
            expectedLog.insert(expectedLog.begin() + 1, "正在删除旧数据!");
        expectedLog.push_back("试导入：将导入 3 人，学历 3 条、职务 5 条、考核 4 条；未写入数据库");
        EXPECT_EQ(out, expectedLog) << mode;
        EXPECT_EQ(err, kFullErrors) << mode;
        EXPECT_EQ(everyRow(), before) << mode;
    }
    // A dry run that ends early ends as the run would.
    EXPECT_EQ(run("--dry-run --dept 01 missing.xls"), 1);
    // Only the real run is there to undo.
    ASSERT_EQ(runProgram("wagebook-undo", ""), 0);
    EXPECT_EQ(runProgram("wagebook-undo", ""), 1);
}

TEST_P(BeforeAndAfterCliOnEachEngine, TheErrorFileIsCsvWithOneRowPerErrorListLine) {
    // 原因 says why for every line, the texts without a code included.
    copyFixture("full.xls");
    ASSERT_EQ(run("--errors 'errors list.csv' --dept 0101 full.xls"), 0);
    ASSERT_EQ(err, kFullErrors);
    // Read back as a spreadsheet program's neighbour, Python's csv module, reads it.
    const std::string python =
        "import csv; rows = list(csv.reader(open('errors list.csv', encoding='utf-8-sig', "
        "newline=''))); print('\\n'.join('|'.join(row) for row in rows))";
    ASSERT_EQ(std::system(
                  ("cd '" + dir_.string() + "' && /usr/bin/python3 -c \"" + python + "\" >rows.txt")
                      .c_str()),
              0);
    EXPECT_EQ(wb::test::readLines(dir_ / "rows.txt"),
              (Strings{"类别|姓名|内容|原因", "学历|甲|博士|代码文件中没有“博士”这一学历",
                       "职务|甲|处长|代码文件中没有“处长”这一职务，也不是岗位等级（如 管理8级）",
                       "考核|甲|良好|代码文件中没有“良好”这一考核结果",
                       "工资类别|乙|外聘|代码文件中没有“外聘”这一工资类别"}));

    // A file that cannot be written is refused before anything is imported.
    const Strings before = everyRow();
    EXPECT_EQ(run("--errors no/such/folder.csv --dept 0101 full.xls"), 1);
    ASSERT_EQ(err.size(), 1u);
    EXPECT_NE(err[0].find("no/such/folder.csv"), std::string::npos) << err[0];
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(everyRow(), before);
}

TEST_P(BeforeAndAfterCliOnEachEngine, UndoTakesBackTheNewestRunThenTheOneBefore) {
    copyFixture("full.xls");
    const Strings original = everyRow();
    ASSERT_EQ(run("--dept 0101 full.xls"), 0);
    const Strings afterAppend = everyRow();
    ASSERT_EQ(run("--overwrite --dept 01 full.xls"), 0);

    ASSERT_EQ(runProgram("wagebook-undo", ""), 0);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_NE(out[0].find("部门 01（full.xls，覆盖）的导入：删除 3 人，恢复 3 人"),
              std::string::npos)
        << out[0];
    EXPECT_EQ(everyRow(), afterAppend);

    ASSERT_EQ(runProgram("wagebook-undo", ""), 0);
    EXPECT_NE(out.at(0).find("部门 0101（full.xls，追加）的导入：删除 3 人，恢复 0 人"),
              std::string::npos)
        << out[0];
    EXPECT_EQ(everyRow(), original);

    EXPECT_EQ(runProgram("wagebook-undo", ""), 1);
    ASSERT_EQ(err.size(), 1u);
    EXPECT_NE(err[0].find("没有可以撤销的导入"), std::string::npos) << err[0];
    EXPECT_EQ(runProgram("wagebook-undo", "extra"), 2);
}
