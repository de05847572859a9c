// A dry run writes nothing; an undo takes back exactly what its run wrote.

#include "import/Undo.h"
#include "support/GbkBytes.h"
#include "support/TempOffice.h"

#include <QSqlDatabase>
#include <QSqlQuery>

using namespace wb;
using namespace wb::test;
using Strings = std::vector<std::string>;

namespace {

class BeforeAndAfter : public TempOffice {
protected:
    void SetUp() override {
        TempOffice::SetUp();
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
        const auto message = undoNewestRun(office->connection.database(), office->undoJournal);
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

TEST_F(BeforeAndAfter, ADryRunSaysWhatItWouldWriteAndLeavesEveryTableAsItWas) {
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

TEST_F(BeforeAndAfter, UndoOfAnAppendThenOfAnOverwriteGivesBackEveryTableExactly) {
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

TEST_F(BeforeAndAfter, UndoGoesBackMoreThanTenRunsNewestFirst) {
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

TEST_F(BeforeAndAfter, AKeptRowWhoseKeyWasTakenComesBackUnderANewOne) {
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

TEST_F(BeforeAndAfter, AnUndoThatCannotPutAPersonBackChangesNothing) {
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

TEST_F(BeforeAndAfter, AnOverwriteWhoseCommitNeverHappenedIsSkipped) {
    staff({"甲"});
    run("02");
    const Strings afterAppend = everyRow();
    // The journal was written and the commit of the database then lost: the file as it was
    // before the overwrite comes back.
    office.reset();
    closeCheckConnection();
    std::filesystem::copy_file("wagebook.mdb", "before.mdb");
    office = std::make_unique<Office>();
    run("01", true);
    office.reset();
    std::filesystem::copy_file("before.mdb", "wagebook.mdb",
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::remove("wagebook.mdb-wal");
    {
        QSqlDatabase journal =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("journal"));
        journal.setDatabaseName(QStringLiteral("wagebook.undo"));
        ASSERT_TRUE(journal.open());
        QSqlQuery(journal).exec(
            QStringLiteral("update runs set committed = 0 where overwrite = 1"));
        journal.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("journal"));
    office = std::make_unique<Office>();
    ASSERT_EQ(everyRow(), afterAppend);

    const auto message = undo();
    ASSERT_TRUE(message);
    EXPECT_TRUE(contains(*message, "追加")) << *message;
    EXPECT_EQ(one("select count(*) from ryjbxx"), "3");
}
