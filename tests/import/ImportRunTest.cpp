#include "import/OverwriteDeletion.h"
#include "import/TitleColumnMap.h"
#include "support/GbkBytes.h"
#include "support/TempOffice.h"

using namespace wb;
using test::bytes;
using namespace wb::test;
using Strings = std::vector<std::string>;

namespace {
const Strings kRequired = {"姓名", "出生年月", "参加工作时间", "个人身份"};

class ImportRun : public TempOffice {
protected:
    // A workbook with the required titles and one row per name.
    void persons(const Strings& names) {
        sheet = MemorySheet({kRequired});
        for (std::size_t i = 0; i < names.size(); ++i)
            sheet.setText(static_cast<int>(i) + 2, 1, names[i]);
    }
    // One person of department `bm` with a row in every dependent table.
    void storedPerson(int id, const std::string& bm) {
        exec("insert into ryjbxx (id, bm, xm) values (" + std::to_string(id) + ", '" +
             escapeSqlText(bytes(bm)).bytes() + "', 'p" + std::to_string(id) + "')");
        for (const char* table : {"ryrz", "rybdrz", "rykh", "ryxl", "ryjl", "ryjc", "rygzbhb"})
            exec(std::string("insert into ") + table + " (mid) values (" + std::to_string(id) +
                 ")");
    }
    int dependentRows() {
        int total = 0;
        for (const char* table : {"ryrz", "rybdrz", "rykh", "ryxl", "ryjl", "ryjc", "rygzbhb"})
            total += std::stoi(one(std::string("select count(*) from ") + table));
        return total;
    }
};
} // namespace

TEST_F(ImportRun, ImportsRowsDownToTheFirstEmptyName) {
    persons({"张三", " ", "", "王五"});
    EXPECT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(rows("select xm, bm, jxqyf, jkzk from ryjbxx order by id"),
              (Strings{"张三|01|12|10", " |01|12|10"}));
    EXPECT_EQ(ui.runLog, (Strings{"XLS相配置!准备导入", "张三", " "}));
    EXPECT_EQ(ui.status[1], "数据导入成功!");
    EXPECT_EQ(ui.boxes, Strings{"提示|数据导入成功!|0"});
    EXPECT_EQ(ui.eventsProcessed, 2); // once per row
}

TEST_F(ImportRun, AnEmptyFirstRowStillEndsInSuccess) {
    persons({});
    sheet.setText(3, 1, "never read");
    EXPECT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(one("select count(*) from ryjbxx"), "0");
    EXPECT_EQ(ui.boxes, Strings{"提示|数据导入成功!|0"});
}

TEST_F(ImportRun, MissingWorkbookEndsBeforeAnyDatabaseWork) {
    storedPerson(7, "01");
    std::filesystem::remove("book.xls");
    EXPECT_EQ(run("01", true), RunOutcome::EndedEarly);
    EXPECT_EQ(ui.status[1], "文件不存在!");
    EXPECT_EQ(ui.boxes, Strings{"失败|未选择导入文件!|0"});
    EXPECT_EQ(one("select count(*) from ryjbxx"), "1");
    EXPECT_EQ(dependentRows(), 7);
}

TEST_F(ImportRun, UnreadableWorkbookIsReportedAndDeletesNothing) {
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

TEST_F(ImportRun, RejectedLayoutInOverwriteModeDeletesNothing) {
    storedPerson(7, "01");
    sheet = MemorySheet({{"姓名", "出生年月", "参加工作时间"}, {"张三"}});
    EXPECT_EQ(run("01", true), RunOutcome::EndedEarly);
    EXPECT_EQ(ui.runLog, Strings{"XLS数据格式不配置!不能导入"});
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(one("select count(*) from ryjbxx"), "1");
    EXPECT_EQ(dependentRows(), 7);
}

TEST_F(ImportRun, OverwriteDeletesTheDepartmentTreeAfterTheLayoutCheck) {
    storedPerson(1, "01");
    storedPerson(2, "0101");
    storedPerson(3, "010203");
    storedPerson(4, "02");
    exec("insert into ryxl (mid) values (0)");   // marked before the run
    exec("insert into rykh (mid) values (999)"); // belongs to nobody
    persons({"新人"});
    EXPECT_EQ(run("01", true), RunOutcome::Completed);
    EXPECT_EQ(ui.runLog, (Strings{"XLS相配置!准备导入", "正在删除旧数据!", "新人"}));
    EXPECT_EQ(rows("select bm, xm from ryjbxx order by id"), (Strings{"02|p4", "01|新人"}));
    EXPECT_EQ(rows("select mid from ryrz"), Strings{"4"});
    EXPECT_EQ(rows("select mid from ryxl"), Strings{"4"});
    EXPECT_EQ(rows("select mid from rykh order by mid"), (Strings{"4", "999"}));
    EXPECT_EQ(dependentRows(), 8);
}

TEST_F(ImportRun, AbortStopsAfterTheRowInProgress) {
    persons({"一", "二", "三", "四", "五", "六", "七"});
    ui.onEvents = [](RecordingUi& u) {
        u.abort = u.eventsProcessed == 5;
    };
    EXPECT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(one("select count(*) from ryjbxx"), "5");
    EXPECT_EQ(ui.boxes, (Strings{"提示|用户中止!|0", "提示|数据导入成功!|0"}));
    EXPECT_EQ(ui.status[1], "数据导入成功!");
}

TEST_F(ImportRun, ASecondRunStartsAfreshWithItsOwnTitles) {
    ui.abort = true; // pressed while no run was active
    sheet = MemorySheet({{"姓名", "出生年月", "参加工作时间", "个人身份", "学历"},
                         {"甲", "", "", "", "1990.07本科"}});
    codes("本科=21");
    EXPECT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(one("select count(*) from ryxl"), "1");
    EXPECT_EQ(ui.boxes.size(), 1u) << "an abort before the run must not count";

    sheet = MemorySheet({kRequired, {"乙"}});
    sheet.setText(2, 5, "1990.07本科"); // untitled column: the first run's title is gone
    EXPECT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(one("select count(*) from ryxl"), "1");
    EXPECT_EQ(one("select count(*) from ryjbxx"), "2");
}

TEST_F(ImportRun, TheGridShownIsRefreshedWithItsCount) {
    persons({"甲", "乙"});
    EXPECT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(ui.status[0], "") << "no department shown yet";

    office->staffQuery.setText("select * from ryjbxx where bm like '01%'"_ascii);
    office->staffQuery.open();
    EXPECT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(ui.status[0], "4人");
}

TEST_F(ImportRun, TitlesAreFoundByTextInAnyOrder) {
    struct Case {
        const char* what;
        Strings titles;
        bool accepted;
    };
    const Case cases[] = {
        {"reordered", {"个人身份", "参加工作时间", "姓名", "出生年月"}, true},
        {"extra columns", {"备注", "姓名", "出生年月", "参加工作时间", "个人身份", "x"}, true},
        {"gap before a title", {"姓名", "出生年月", "", "参加工作时间", "个人身份"}, false},
        {"blank before the name", {" 姓名", "出生年月", "参加工作时间", "个人身份"}, false},
        {"only 工作时间", {"姓名", "出生年月", "工作时间", "个人身份"}, false},
    };
    for (const Case& c : cases) {
        MemorySheet titles({c.titles});
        TitleColumnMap map;
        map.scan(titles);
        EXPECT_EQ(map.layoutMatches(), c.accepted) << c.what;
    }
}

TEST_F(ImportRun, DuplicateTitlesUseTheRightmostAndWorkTimeWins) {
    sheet =
        MemorySheet({{"序号", "姓名", "出生年月", "参加工作时间", "个人身份", "序号", "工作时间"},
                     {"1", "甲", "", "1990-01-01", "", "2", "1991-02-03"}});
    EXPECT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(one("select bh, gzsj from ryjbxx"), "2|1991-02-03");
}

TEST(OverwriteDeletionStatements, AreTheFifteenInOrder) {
    const auto statements = overwriteDeletionStatements("0102"_ascii);
    ASSERT_EQ(statements.size(), 15u);
    EXPECT_EQ(statements[0],
              "update ryrz a,ryjbxx b set a.mid=0 where a.mid=b.id and b.bm like '0102%'");
    EXPECT_EQ(statements[1], "delete from ryrz where mid=0");
    EXPECT_EQ(statements[2],
              "update rybdrz a,ryjbxx b set a.mid=0 where a.mid=b.id and b.bm like '0102%'");
    EXPECT_EQ(statements[12],
              "update rygzbhb  a,ryjbxx b set a.mid=0 where a.mid=b.id and b.bm like '0102%'");
    EXPECT_EQ(statements[13], "delete from rygzbhb where mid=0");
    EXPECT_EQ(statements[14], "delete from ryjbxx where bm like '0102%'");
    EXPECT_EQ(overwriteDeletionStatements("0'1"_ascii)[14],
              "delete from ryjbxx where bm like '0''1%'");
}

TEST_F(ImportRun, AQuoteInTheDepartmentCodeSelectsOnlyThatCode) {
    storedPerson(1, "0'1");
    storedPerson(2, "02");
    persons({"甲"});
    EXPECT_EQ(run("0'1", true), RunOutcome::Completed);
    EXPECT_EQ(rows("select bm, xm from ryjbxx order by id"), (Strings{"02|p2", "0'1|甲"}));
}

TEST_F(ImportRun, ACodeFileThatCannotBeReadIsReportedAsAnErrorLineAndAStopBox) {
    std::filesystem::remove("dm.txt");
    std::filesystem::create_directory("dm.txt");
    office->loadCodeFile(ui);
    EXPECT_EQ(ui.errors, Strings{"代码文件dm.txt无法读取：它不是普通文件"});
    EXPECT_EQ(ui.boxes, Strings{"错误|代码文件dm.txt无法读取：它不是普通文件|16"});
    EXPECT_TRUE(office->CodeFileMap.empty());
}
