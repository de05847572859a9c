// SPDX-License-Identifier: GPL-3.0-or-later
// A dry run writes nothing; an undo takes back exactly what its run wrote.

#include "import/Undo.h"
#include "support/GbkBytes.h"
#include "support/TempOffice.h"

#include <filesystem>
#include <fstream>

using namespace wb;
using namespace wb::test;
using Strings = std::vector<std::string>;

namespace {

class BeforeAndAfter : public OnEachBackend<TempOffice> {
protected:
    void SetUp() override {
        OnEachBackend::SetUp();
        if (IsSkipped())
            return;
        codes("本科=21\n硕士=11\n馆员=3601\n优秀=1\n合格=2");
        // Persons of 01, of a department below it and of another, and a row already marked
        // with mid 0, which an overwrite's deletion also takes.
        storedPerson(1, "01");
        storedPerson(2, "0101");
        storedPerson(3, "02");
        exec("insert into ryxl (mid, xxxs) values (0, 'orphan')");
    }

    // Names with an education, two appointments and an assessment each.
    void staff(const std::vector<std::string>& names) {
        sheet = MemorySheet({{"姓名", "出生年月", "参加工作时间", "个人身份", "学历",
                              "执行基本工资对应职务", "从2006年开始的考核情况"}});
        for (std::size_t i = 0; i < names.size(); ++i) {
            const int row = static_cast<int>(i) + 2;
            sheet.setText(row, 1, names[i]);
            sheet.setText(row, 5, "1990.07本科");
            sheet.setText(row, 7, "2007 优秀");
            sheet.setText(row, 6, "2008.03 馆员\n2009.01 馆员");
        }
    }
    RunOutcome dryRun(const std::string& department, bool overwrite) {
        ImportRequest request{gbk(department), "book.xls", overwrite};
        request.dryRun = true;
        return office->import(request, ui, [this](const std::string&) {
            return std::shared_ptr<const Sheet>(&sheet, [](const Sheet*) {});
        });
    }
    std::optional<std::string> undo() {
        office->prepareUndo();
        const auto message = undoNewestRun(office->connection.database());
        return message ? std::optional(gbkToUtf8(*message)) : std::nullopt;
    }
    // Another program's person in department 02 with a record, written after the runs.
    void othersWrite() {
        exec("insert into ryjbxx (id, bm, xm) values (50, '02', 'p50')");
        exec("insert into ryjc (id, mid, jcnr) values (1000, 50, 'other')");
    }
    // Takes the other program's rows out again, checking that they were all there.
    void othersRowsStayed() {
        EXPECT_EQ(one("select xm from ryjbxx where id = 50"), "p50");
        EXPECT_EQ(one("select jcnr from ryjc where mid = 50"), "other");
        exec("delete from ryjbxx where id = 50");
        exec("delete from ryjc where mid = 50");
    }
};

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

WB_ON_EACH_BACKEND(BeforeAndAfter);

TEST_P(BeforeAndAfter, ADryRunSaysWhatItWouldWriteAndLeavesEveryTableAsItWas) {
    staff({"甲", "乙"});
    for (bool overwrite : {false, true}) {
        const Strings before = everyRow();
        ui = RecordingUi{};
        EXPECT_EQ(dryRun("01", overwrite), RunOutcome::Completed);
        EXPECT_EQ(everyRow(), before) << overwrite;
        ASSERT_TRUE(office->lastDryRun);
        EXPECT_EQ(office->lastDryRun->persons, 2);
        EXPECT_EQ(office->lastDryRun->education, 2);
        EXPECT_EQ(office->lastDryRun->appointments, 4);
        EXPECT_EQ(office->lastDryRun->assessments, 2);
        const Strings dryLog = ui.runLog;

        // The real run says the same, and writes what the dry run counted.
        ui = RecordingUi{};
        run("01", overwrite);
        EXPECT_EQ(ui.runLog, dryLog);
        EXPECT_EQ(one("select count(*) from ryxl x join ryjbxx p on p.id = x.mid "
                      "where p.xm in ('甲', '乙') and p.id > 3"),
                  overwrite ? "2" : "2");
        ASSERT_TRUE(undo());
    }
    // Nothing of the dry runs was recorded: both real runs are undone, and no more.
    EXPECT_FALSE(undo());
}

TEST_P(BeforeAndAfter, UndoOfAnAppendThenOfAnOverwriteGivesBackEveryTableExactly) {
    const Strings original = everyRow();
    staff({"甲", "乙"});
    run("01");
    const Strings afterAppend = everyRow();
    staff({"丙"});
    run("01", true);
    ASSERT_EQ(one("select count(*) from ryjbxx where bm like '01%'"), "1");
    othersWrite();

    const auto undoneOverwrite = undo();
    ASSERT_TRUE(undoneOverwrite);
    EXPECT_TRUE(contains(*undoneOverwrite, "部门 01（book.xls，覆盖）的导入：删除 1 人，恢复 4 人"))
        << *undoneOverwrite;
    EXPECT_TRUE(contains(*undoneOverwrite, "撤销了 ")) << *undoneOverwrite;
    othersRowsStayed();
    EXPECT_EQ(everyRow(), afterAppend);

    othersWrite();
    const auto undoneAppend = undo();
    ASSERT_TRUE(undoneAppend);
    EXPECT_TRUE(contains(*undoneAppend, "（book.xls，追加）的导入：删除 2 人，恢复 0 人"))
        << *undoneAppend;
    othersRowsStayed();
    EXPECT_EQ(everyRow(), original);
    EXPECT_FALSE(undo());
}

TEST_P(BeforeAndAfter, UndoGoesBackMoreThanTenRunsNewestFirst) {
    for (int i = 1; i <= 12; ++i) {
        staff({"p" + std::to_string(i)});
        run("02");
    }
    for (int i = 12; i >= 1; --i) {
        ASSERT_TRUE(undo()) << i;
        EXPECT_EQ(one("select count(*) from ryjbxx where xm = 'p" + std::to_string(i) + "'"),
                  i <= 3 ? "1" : "0") // persons 1 to 3 were there before
            << i;
    }
    EXPECT_FALSE(undo());
}

TEST_P(BeforeAndAfter, AKeptRowWhoseKeyWasTakenComesBackUnderANewOne) {
    staff({"甲"});
    run("01", true);
    // Another program's record took the key of a record the overwrite deleted.
    const std::string deletedKey = "1"; // person 1's education
    exec("insert into ryxl (id, mid, xxxs) values (" + deletedKey + ", 3, 'taken')");
    ASSERT_TRUE(undo());
    EXPECT_EQ(one("select mid, xxxs from ryxl where id = 1"), "3|taken");
    EXPECT_EQ(one("select count(*) from ryxl where mid = 1"), "1");
    EXPECT_EQ(one("select count(*) from ryjbxx where bm like '01%'"), "2");
}

TEST_P(BeforeAndAfter, AnUndoThatCannotPutAPersonBackChangesNothing) {
    staff({"甲"});
    run("01", true);
    // Another program stored a person under the key of one the overwrite deleted.
    exec("insert into ryjbxx (id, bm, xm) values (2, '02', 'other')");
    const Strings before = everyRow();
    EXPECT_THROW(undo(), Error);
    EXPECT_EQ(everyRow(), before);
    // The run stays recorded: once the key is free again, the undo goes through.
    exec("delete from ryjbxx where id = 2");
    EXPECT_TRUE(undo());
    EXPECT_EQ(one("select count(*) from ryjbxx where bm like '01%'"), "2");
}

TEST_P(BeforeAndAfter, TheUndoRecordIsTheDatabasesWhateverTheCurrentDirectory) {
    staff({"甲"});
    run("02");
    staff({"乙"});
    run("01", true);
    const Strings afterRuns = everyRow();
    // The office's connection stays on its database while the current directory moves on,
    // as the window's folder browser moves it, to a folder with an office of its own.
    const std::filesystem::path elsewhere = std::filesystem::current_path() / "elsewhere";
    std::filesystem::create_directory(elsewhere);
    std::filesystem::current_path(elsewhere);
    BackendDatabase other(backend(), elsewhere.string());
    other.create(true);
    std::ofstream("book.xls") << "stand-in: the sheet comes from memory";
    staff({"丙"});
    run("02");
    const auto undone = undo();
    ASSERT_TRUE(undone);
    EXPECT_TRUE(contains(*undone, "部门 02（book.xls，追加）的导入：删除 1 人")) << *undone;
    EXPECT_EQ(everyRow(), afterRuns);
    // The other office has no run of this one to undo.
    Office otherOffice(std::string("wagebook.mdb"));
    otherOffice.prepareUndo();
    EXPECT_FALSE(undoNewestRun(otherOffice.connection.database()));
}

TEST_P(BeforeAndAfter, TheRecordSaysWhoRanWhatAndWhere) {
    staff({"甲", "乙"});
    run("01", true);
    const std::optional<UndoRun> newest = newestUndoRun(office->connection.database());
    ASSERT_TRUE(newest);
    EXPECT_TRUE(newest->overwrite);
    EXPECT_EQ(newest->departmentCode, gbk("01"));
    EXPECT_EQ(newest->workbook, "book.xls");
    EXPECT_EQ(newest->storedPersons, 2);
    EXPECT_EQ(newest->deletedPersons, 2); // persons 1 and 2, of 01 and 0101
    EXPECT_FALSE(newest->user.empty());
    EXPECT_FALSE(newest->computer.empty());
    const std::string description = gbkToUtf8(undoRunDescription(*newest));
    EXPECT_TRUE(contains(description, "部门 01 的覆盖导入（工作簿 book.xls）：删除了原有的 2 人，"
                                      "导入 2 人"))
        << description;
}

// An office of the earlier version: its undo record in wagebook.undo beside the database,
// three runs (an append into 0101, an overwrite of 01, an append into 02, all of the demo
// workbook) and an overwrite whose commit never happened.
class OldJournal : public TempOffice {
protected:
    void SetUp() override {
        TempOffice::SetUp();
        office.reset();
        database.reset();
        for (const char* file : {"wagebook.mdb", "wagebook.mdb-wal", "wagebook.mdb-shm"})
            std::filesystem::remove(file);
        for (const char* file : {"wagebook.mdb", "wagebook.undo"})
            std::filesystem::copy_file(std::filesystem::path(WB_FIXTURES) / "undo" / file, file);
        database = std::make_unique<BackendDatabase>(backend(), folder->path());
        office = std::make_unique<Office>();
    }
};

TEST_F(OldJournal, IsTakenOverOnceAndItsRunsUndoneNewestFirst) {
    office->prepareUndo();
    EXPECT_FALSE(std::filesystem::exists("wagebook.undo"));
    EXPECT_TRUE(std::filesystem::exists("wagebook.undo.imported"));
    for (const char* expected : {"部门 02（staff.xls，追加）的导入：删除 4 人，恢复 0 人",
                                 "部门 01（staff.xls，覆盖）的导入：删除 4 人，恢复 4 人",
                                 "部门 0101（staff.xls，追加）的导入：删除 4 人，恢复 0 人"}) {
        const auto message = undoNewestRun(office->connection.database());
        ASSERT_TRUE(message) << expected;
        EXPECT_TRUE(contains(gbkToUtf8(*message), expected)) << gbkToUtf8(*message);
    }
    // Back to the demo office before the three imports; the overwrite that never happened
    // was not taken over.
    EXPECT_FALSE(undoNewestRun(office->connection.database()));
    EXPECT_EQ(one("select count(*) from ryjbxx"), "0");
    EXPECT_EQ(dependentRows(), 0);
    // A second office on the folder finds nothing more to take over.
    office = std::make_unique<Office>();
    office->prepareUndo();
    EXPECT_FALSE(undoNewestRun(office->connection.database()));
}
