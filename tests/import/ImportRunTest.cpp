// SPDX-License-Identifier: GPL-3.0-or-later
// The import run as a whole on an in-memory sheet: rows down to the first empty name, the
// messages and status it ends with, abort, and what a run leaves for the next one.

#include "support/TempOffice.h"

using namespace wb;
using test::bytes;
using namespace wb::test;
using Strings = std::vector<std::string>;

using ImportRun = OnEachBackend<TempOffice>;
WB_ON_EACH_BACKEND(ImportRun);

TEST_P(ImportRun, ImportsRowsDownToTheFirstEmptyName) {
    persons({"张三", " ", "", "王五"});
    EXPECT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(rows("select xm, bm, jxqyf, jkzk from ryjbxx order by id"),
              (Strings{"张三|01|12|10", " |01|12|10"}));
    EXPECT_EQ(ui.runLog, (Strings{"XLS相配置!准备导入", "张三", " "}));
    EXPECT_EQ(ui.status[1], "数据导入成功!");
    EXPECT_EQ(ui.boxes, Strings{"提示|数据导入成功!|0"});
    EXPECT_EQ(ui.eventsProcessed, 2); // once per row
}

TEST_P(ImportRun, AnEmptyFirstRowStillEndsInSuccess) {
    persons({});
    sheet.setText(3, 1, "never read");
    EXPECT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(one("select count(*) from ryjbxx"), "0");
    EXPECT_EQ(ui.boxes, Strings{"提示|数据导入成功!|0"});
}

TEST_P(ImportRun, MissingWorkbookEndsBeforeAnyDatabaseWork) {
    storedPerson(7, "01");
    std::filesystem::remove("book.xls");
    EXPECT_EQ(run("01", true), RunOutcome::EndedEarly);
    EXPECT_EQ(ui.status[1], "文件不存在!");
    EXPECT_EQ(ui.boxes, Strings{"失败|未选择导入文件!|0"});
    EXPECT_EQ(one("select count(*) from ryjbxx"), "1");
    EXPECT_EQ(dependentRows(), 7);
}

TEST_P(ImportRun, UnreadableWorkbookIsReportedAndDeletesNothing) {
    storedPerson(7, "01");
    const auto outcome = office->import(ImportRequest{"01"_ascii, "book.xls", true}, ui,
                                        [](const std::string&) -> std::shared_ptr<const Sheet> {
                                            throw Error("工作簿 \"book.xls\" 无法读取: 文件已截断");
                                        });
    EXPECT_EQ(outcome, RunOutcome::EndedEarly);
    EXPECT_EQ(ui.boxes, Strings{"错误|工作簿 \"book.xls\" 无法读取: 文件已截断|16"});
    EXPECT_EQ(one("select count(*) from ryjbxx"), "1");
    EXPECT_EQ(dependentRows(), 7);
}

TEST_P(ImportRun, AbortStopsAfterTheRowInProgress) {
    persons({"一", "二", "三", "四", "五", "六", "七"});
    ui.onEvents = [](RecordingUi& u) {
        u.abort = u.eventsProcessed == 5;
    };
    EXPECT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(one("select count(*) from ryjbxx"), "5");
    EXPECT_EQ(ui.boxes, (Strings{"提示|用户中止!|0", "提示|数据导入成功!|0"}));
    EXPECT_EQ(ui.status[1], "数据导入成功!");
}

TEST_P(ImportRun, ASecondRunStartsAfreshWithItsOwnTitles) {
    ui.abort = true; // pressed while no run was active
    sheet = MemorySheet({{"姓名", "出生年月", "参加工作时间", "个人身份", "学历"},
                         {"甲", "", "", "", "1990.07本科"}});
    codes("本科=21");
    EXPECT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(one("select count(*) from ryxl"), "1");
    EXPECT_EQ(ui.boxes.size(), 1u) << "an abort before the run must not count";

    sheet = MemorySheet({kRequiredTitles, {"乙"}});
    sheet.setText(2, 5, "1990.07本科"); // untitled column: the first run's title is gone
    EXPECT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(one("select count(*) from ryxl"), "1");
    EXPECT_EQ(one("select count(*) from ryjbxx"), "2");
}

TEST_P(ImportRun, TheGridShownIsRefreshedWithItsCount) {
    persons({"甲", "乙"});
    EXPECT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(ui.status[0], "") << "no department shown yet";

    office->staffQuery.setText("select * from ryjbxx where bm like '01%'"_ascii);
    office->staffQuery.open();
    EXPECT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(ui.status[0], "4人");
}

TEST_P(ImportRun, AFolderAtTheCodeFilesNameIsReportedAsMissingAndAFileThatFailsEndsTheCommand) {
    std::filesystem::remove("dm.txt");
    std::filesystem::create_directory("dm.txt");
    EXPECT_FALSE(office->loadCodeFile(ui));
    EXPECT_EQ(ui.errors, Strings{"代码文件dm.txt不存在"});
    EXPECT_EQ(ui.boxes, Strings{"错误|代码文件dm.txt不存在|16"});
    EXPECT_TRUE(office->codeMap.empty());

    // A file whose reading fails, whoever runs the test: neither line nor box, but the end.
    std::filesystem::remove("dm.txt");
    std::filesystem::create_symlink("/proc/self/mem", "dm.txt");
    ui.errors.clear();
    ui.boxes.clear();
    try {
        office->loadCodeFile(ui);
        ADD_FAILURE() << "an unreadable code file did not end the command";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "代码文件dm.txt无法读取：输入/输出错误");
    }
    EXPECT_EQ(ui.errors, Strings{});
    EXPECT_EQ(ui.boxes, Strings{});
}
