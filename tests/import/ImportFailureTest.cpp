// SPDX-License-Identifier: GPL-3.0-or-later
// What stays when a run cannot finish: an overwrite run is one unit (the department as it
// was, or all of the new rows), an append run keeps every finished row, and a run that could
// not be stored is refused before it writes. Failures come from a disk made to fail, from
// the file being taken away mid-run, and from tables the database lacks.

#include "data/DatabaseFailure.h"
#include "import/WrittenColumns.h"
#include "refdata/Departments.h"
#include "support/FaultyDisk.h"
#include "support/GbkBytes.h"
#include "support/TempOffice.h"

#include <functional>
#include <thread>

using namespace wb;
using namespace wb::test;
using Strings = std::vector<std::string>;

namespace {

class FailureOffice : public TempOffice {
protected:
    void SetUp() override {
        TempOffice::SetUp();
        if (IsSkipped())
            return;
        // Department 01 with two persons and a row in every dependent table; 02 with one.
        for (const auto& [id, bm] : {std::pair{1, "01"}, {2, "0101"}, {3, "02"}})
            storedPerson(id, bm, "old");
        sheet = MemorySheet({kRequiredTitles});
        for (int i = 0; i < 6; ++i)
            sheet.setText(i + 2, 1, "new" + std::to_string(i + 1));
        before_ = snapshot();
    }

    // Every row of every table a run touches, in a fixed order.
    Strings snapshot() {
        Strings all;
        for (const char* table : kPersonTables)
            if (database->hasTable(table))
                for (const std::string& row :
                     rows(std::string("select * from ") + table + " order by id"))
                    all.push_back(std::string(table) + ":" + row);
        return all;
    }
    // The error a run ends with; fails the test when it ends without one.
    std::string failureOf(const std::string& department, bool overwrite) {
        try {
            run(department, overwrite);
        } catch (const Failure& error) {
            return error.what();
        }
        ADD_FAILURE() << "the run ended without an error";
        return {};
    }
    static bool has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }

    Strings before_;
};

// What must be the same on every kind of database.
using ImportFailure = OnEachBackend<FailureOffice>;
WB_ON_EACH_BACKEND(ImportFailure);
// What only a database file can suffer.
using ImportFailureOfFile = FailureOffice;

TEST_P(ImportFailure, AnOverwriteThatFailsMidRunLeavesTheDepartmentAsItWas) {
    ui.onEvents = [](RecordingUi& u) {
        if (u.eventsProcessed == 4) // after the deletion and two rows
            throw Error("模拟的故障");
    };
    const std::string error = failureOf("01", true);
    EXPECT_TRUE(has(error, "模拟的故障")) << error;
    EXPECT_TRUE(has(error, "部门 01 原有的数据都已保留")) << error;
    EXPECT_EQ(snapshot(), before_);
    EXPECT_FALSE(office->connection.database().inTransaction());
    EXPECT_EQ(ui.boxes, Strings{}); // no success reported
}

TEST_P(ImportFailure, AnAbortedOverwriteKeepsTheDeletionAndTheRowsDone) {
    ui.onEvents = [](RecordingUi& u) {
        u.abort = u.eventsProcessed == 3;
    };
    EXPECT_EQ(run("01", true), RunOutcome::Completed);
    EXPECT_EQ(rows("select bm, xm from ryjbxx order by id"),
              (Strings{"02|old3", "01|new1", "01|new2"}));
    EXPECT_EQ(rows("select mid from rykh order by mid"), Strings{"3"});
    EXPECT_EQ(ui.boxes, (Strings{"提示|用户中止!|0", "提示|数据导入成功!|0"}));
}

TEST_P(ImportFailure, AnAppendThatFailsMidRunKeepsEveryFinishedRow) {
    ui.onEvents = [](RecordingUi& u) {
        if (u.eventsProcessed == 3)
            throw Error("模拟的故障");
    };
    failureOf("01", false);
    EXPECT_EQ(rows("select xm from ryjbxx where id > 3 order by id"),
              (Strings{"new1", "new2", "new3"}));
}

TEST_P(ImportFailure, AnErrorHalfWayThroughARowKeepsTheRowsBeforeItAndShowsJustThem) {
    // Row 4 (new3) fails at its assessments, after its person and education were written.
    sheet.setText(1, 5, "从2006年开始的考核情况");
    for (int row = 2; row <= 7; ++row)
        sheet.setText(row, 5, "2007 优秀"); // a text the office has no code for
    sheet.failingCell = std::pair{4, 5};
    EXPECT_TRUE(has(failureOf("01", false), "模拟的故障"));
    EXPECT_EQ(rows("select xm from ryjbxx where id > 3 order by id"), (Strings{"new1", "new2"}));
    EXPECT_EQ(ui.errors, (Strings{"考核:new1:优秀", "考核:new2:优秀"}));
    EXPECT_EQ(ui.runLog.size(), 3u); // the layout line and the two names
    EXPECT_EQ(rows("select count(*) from wb_undo_persons"), Strings{"2"});
    EXPECT_EQ(rows("select count(*) from wb_undo_runs"), Strings{"1"});
}

TEST_P(ImportFailure, AWildcardInTheDepartmentCodeMatchesOnlyItself) {
    exec("insert into ryjbxx (id, bm, xm) values (4, '0%1', 'old4')");
    exec("insert into ryjbxx (id, bm, xm) values (5, '0_', 'old5')");
    EXPECT_EQ(run("0%", true), RunOutcome::Completed);
    EXPECT_EQ(rows("select bm from ryjbxx where xm like 'old%' order by id"),
              (Strings{"01", "0101", "02", "0_"}));
    EXPECT_EQ(one("select count(*) from ryjbxx where bm = '0%'"), "6");
    EXPECT_EQ(run("0_", true), RunOutcome::Completed);
    EXPECT_EQ(rows("select distinct bm from ryjbxx order by bm"),
              (Strings{"0%", "01", "0101", "02", "0_"}));
    EXPECT_EQ(one("select count(*) from ryjbxx where bm = '0_'"), "6");
    EXPECT_EQ(listStaff(office->staffQuery, gbk("0%")), 6);
}

TEST_P(ImportFailure, MissingTablesAndColumnsAreAllNamedBeforeAnythingIsWritten) {
    exec("alter table ryxl drop column dzysxl");
    exec("alter table ryjbxx drop column gzsj");
    exec("drop table rybdrz");
    EXPECT_EQ(missingWrittenColumns(office->connection.database(), false),
              (Strings{"ryjbxx.gzsj", "ryxl.dzysxl"}));
    // The column cache has the tables as they were when first read: a new office reads anew.
    office = std::make_unique<Office>();
    before_ = snapshot();
    const std::string error = failureOf("01", true);
    EXPECT_TRUE(has(error, "缺少导入要写入的表或字段：ryjbxx.gzsj、ryxl.dzysxl、表 rybdrz"))
        << error;
    EXPECT_EQ(snapshot(), before_);
    EXPECT_TRUE(ui.runLog.empty());
}

TEST_F(ImportFailureOfFile, ADatabaseFileTakenAwayMidRunIsNeverReportedAsSuccess) {
    struct Case {
        const char* name;
        std::function<void()> takeAway;
        const char* says;
    };
    const std::vector<Case> cases = {
        {"deleted", [] { std::filesystem::remove("wagebook.mdb"); }, "被删除或移走"},
        {"replaced",
         [] {
             createDatabase("other.mdb", true);
             std::filesystem::rename("other.mdb", "wagebook.mdb");
         },
         "被另一个文件替换"},
        {"truncated", [] { std::filesystem::resize_file("wagebook.mdb", 0); }, "被截短"},
    };
    for (const Case& c : cases) {
        for (bool overwrite : {false, true}) {
            TearDown();
            SetUp();
            ui = RecordingUi{};
            ui.onEvents = [&c](RecordingUi& u) {
                if (u.eventsProcessed == 3)
                    c.takeAway();
            };
            const std::string error = failureOf("01", overwrite);
            EXPECT_TRUE(has(error, c.says)) << c.name << ": " << error;
            EXPECT_TRUE(ui.boxes.empty()) << c.name;
            EXPECT_EQ(ui.status[1], "") << c.name;
        }
    }
}

TEST_F(ImportFailureOfFile, AFullDiskOrAnIoErrorIsNamedAndKeepsWhatItMust) {
    struct Case {
        const char* name;
        int result;
        int systemErrno;
        const char* says;
    };
    for (const Case& c : {Case{"disk full", SQLITE_FULL, ENOSPC, "磁盘已满"},
                          Case{"I/O error", SQLITE_IOERR_WRITE, EIO, "输入输出错误"}}) {
        for (bool overwrite : {false, true}) {
            TearDown();
            SetUp();
            ui = RecordingUi{};
            FaultyDisk disk;
            office = std::make_unique<Office>(); // opens through the faulty disk
            office->rowGroups.maxRows = 2;
            before_ = snapshot();
            ui.onEvents = [&disk, &c](RecordingUi& u) {
                if (u.eventsProcessed == 3)
                    disk.failWritesAfter(0, c.result, c.systemErrno);
            };
            const std::string error = failureOf("01", overwrite);
            disk.heal();
            const std::string mode = overwrite ? " (overwrite)" : " (append)";
            EXPECT_TRUE(has(error, c.says)) << c.name << mode << ": " << error;
            EXPECT_FALSE(has(error, "cannot rollback")) << c.name << mode << ": " << error;
            EXPECT_GT(disk.failedWrites(), 0) << c.name << mode;
            EXPECT_TRUE(ui.boxes.empty()) << c.name << mode;
            office = std::make_unique<Office>();
            if (overwrite) {
                EXPECT_TRUE(has(error, "原有的数据都已保留")) << c.name << ": " << error;
                EXPECT_EQ(snapshot(), before_) << c.name;
            } else {
                // The group committed before the disk failed is stored and was shown; the rows
                // of the open group were neither.
                EXPECT_EQ(rows("select xm from ryjbxx where id > 3 order by id"),
                          (Strings{"new1", "new2"}))
                    << c.name;
                EXPECT_EQ(ui.runLog, (Strings{"XLS相配置!准备导入", "new1", "new2"})) << c.name;
            }
            office.reset(); // its files were opened through the disk that goes now
        }
    }
}

TEST_F(ImportFailureOfFile, AnotherWriterIsWaitedForInTheFilesOwnJournalMode) {
    office.reset();
    closeCheckConnection();
    // Another program keeps the file in rollback-journal mode, reading it while the office
    // opens, which keeps the office from switching it to WAL.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open("wagebook.mdb", &other), SQLITE_OK);
    const auto sql = [other](const char* text) {
        return sqlite3_exec(other, text, nullptr, nullptr, nullptr);
    };
    ASSERT_EQ(sql("PRAGMA journal_mode=DELETE; BEGIN; SELECT count(*) FROM ryjbxx"), SQLITE_OK);
    office = std::make_unique<Office>();
    EXPECT_EQ(one("pragma journal_mode"), "delete");
    ASSERT_EQ(sql("COMMIT"), SQLITE_OK);

    // It then holds the write lock for a while: the run waits for it instead of failing.
    ASSERT_EQ(sql("BEGIN IMMEDIATE; insert into ryjbxx (bm, xm) values ('02', 'x')"), SQLITE_OK);
    std::thread release([&sql] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sql("COMMIT");
    });
    EXPECT_EQ(run("01", false), RunOutcome::Completed);
    release.join();
    sqlite3_close(other);
    EXPECT_EQ(one("select count(*) from ryjbxx"), "10");
}

} // namespace
