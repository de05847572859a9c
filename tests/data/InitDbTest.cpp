// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestDatabase.h"
#include "support/GbkBytes.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

using wb::test::TestDatabase;

namespace {

struct ProgramRun {
    int exitCode;
    std::string out;
    std::string err;
};

ProgramRun initdb(const QStringList& arguments, const QString& folder = {}) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(WB_INITDB), arguments);
    EXPECT_TRUE(process.waitForFinished(30000));
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

TEST(InitDb, CreatesEveryTableWithTheDeclaredTypes) {
    TestDatabase db(false);
    const ProgramRun run = initdb({QString::fromUtf8(db.path())});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out + run.err, "");
    EXPECT_EQ(db.rows("SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE "
                      "'sqlite%' AND name NOT LIKE 'wb\\_undo\\_%' ESCAPE '\\' ORDER BY name"),
              (std::vector<std::string>{"dm_jg", "rybdrz", "rygzbhb", "ryjbxx", "ryjc", "ryjl",
                                        "rykh", "ryrz", "ryxl"}));
    // The program's own undo tables: its runs and persons, and a mirror of each table an
    // import writes.
    EXPECT_EQ(
        db.rows("SELECT name FROM sqlite_master WHERE type='table' AND name LIKE "
                "'wb\\_undo\\_%' ESCAPE '\\' ORDER BY name"),
        (std::vector<std::string>{"wb_undo_persons", "wb_undo_runs", "wb_undo_rybdrz",
                                  "wb_undo_rygzbhb", "wb_undo_ryjbxx", "wb_undo_ryjc",
                                  "wb_undo_ryjl", "wb_undo_rykh", "wb_undo_ryrz", "wb_undo_ryxl"}));
    EXPECT_EQ(db.rows("SELECT m.name || '.' || p.name FROM sqlite_master m,"
                      " pragma_table_info(m.name) p WHERE p.type='DATE' AND m.name IN"
                      " ('ryjbxx','ryxl','ryrz') ORDER BY 1"),
              (std::vector<std::string>{"ryjbxx.csny", "ryjbxx.gzsj", "ryrz.rzrq", "ryxl.xlrq"}));
    EXPECT_EQ(
        db.rows("SELECT m.name FROM sqlite_master m, pragma_table_info(m.name) p"
                " WHERE m.type='table' AND p.name='mid' AND m.name NOT LIKE 'wb%' ORDER BY 1"),
        (std::vector<std::string>{"rybdrz", "rygzbhb", "ryjc", "ryjl", "rykh", "ryrz", "ryxl"}));
    EXPECT_EQ(db.rows("SELECT tbl_name || '.' || (SELECT name FROM pragma_index_info(m.name))"
                      " FROM sqlite_master m WHERE type='index' AND tbl_name NOT LIKE 'wb%'"
                      " ORDER BY 1"),
              (std::vector<std::string>{"rybdrz.mid", "rygzbhb.mid", "ryjbxx.bm", "ryjc.mid",
                                        "ryjl.mid", "rykh.mid", "ryrz.mid", "ryxl.mid"}));
    EXPECT_EQ(db.value("SELECT count(*) FROM dm_jg"), "0");
    EXPECT_EQ(db.value("PRAGMA journal_mode"), "wal");
}

TEST(InitDb, DemoAddsTheSampleDepartments) {
    TestDatabase db(false);
    const ProgramRun run = initdb({QStringLiteral("--demo"), QString::fromUtf8(db.path())});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(db.rows("SELECT jgdm FROM dm_jg ORDER BY jgdm"),
              (std::vector<std::string>{"01", "0101", "0102", "02", "0201"}));
    EXPECT_EQ(db.value("SELECT jgmc FROM dm_jg WHERE jgdm='0101'"), "办公室");
}

TEST(InitDb, NeverTouchesAnExistingFile) {
    TestDatabase db(false);
    QFile file(QString::fromUtf8(db.path()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();
    const ProgramRun run = initdb({QString::fromUtf8(db.path())});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("已经存在"), std::string::npos) << run.err;
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("keep me"));
}

TEST(InitDb, WrongArgumentsShowTheUsage) {
    TestDatabase db(false);
    for (const QStringList& arguments :
         {QStringList{}, QStringList{QStringLiteral("--bogus"), QString::fromUtf8(db.path())},
          QStringList{QStringLiteral("a"), QStringLiteral("b")}}) {
        const ProgramRun run = initdb(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_NE(run.err.find("wagebook-initdb [--demo]"), std::string::npos);
    }
    EXPECT_FALSE(QFile::exists(QString::fromUtf8(db.path())));
}

TEST(InitDb, UsageErrorsNameWhatIsWrong) {
    const struct {
        QStringList arguments;
        const char* message;
    } cases[] = {
        {{QStringLiteral("--bogus"), QStringLiteral("f.mdb")}, "未知选项 --bogus"},
        {{QStringLiteral("-d"), QStringLiteral("f.mdb")}, "未知选项 -d"},
        {{QStringLiteral("--demo=yes"), QStringLiteral("f.mdb")}, "--demo 不带值"},
        {{QStringLiteral("--demo")}, "需要且只需要一个文件名"},
        {{QString()}, "需要且只需要一个文件名"},
    };
    for (const auto& c : cases) {
        const ProgramRun run = initdb(c.arguments);
        EXPECT_EQ(run.exitCode, 2) << c.message;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind(std::string("wagebook-initdb: ") + c.message +
                                    "\n\n用法: wagebook-initdb [--demo]",
                                0),
                  0u)
            << run.err;
    }
}

TEST(InitDb, VersionAndHelpAreShownOnStdout) {
    ProgramRun run = initdb({QStringLiteral("--version")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "wagebook-initdb " WB_VERSION "\n");
    EXPECT_EQ(run.err, "");
    run = initdb({QStringLiteral("-h")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out.rfind("用法: wagebook-initdb [--demo]", 0), 0u) << run.out;
    for (const char* option : {"\n  --demo ", "\n  -h, --help ", "\n  --version ", "\n  -- "})
        EXPECT_NE(run.out.find(option), std::string::npos) << option << " in\n" << run.out;
}

TEST(InitDb, ADoubleDashEndsTheOptions) {
    TestDatabase db(false);
    const QString folder = QFileInfo(QString::fromUtf8(db.path())).absolutePath();
    const ProgramRun run = initdb({QStringLiteral("--"), QStringLiteral("--demo")}, folder);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/--demo")));
    EXPECT_FALSE(QFile::exists(QString::fromUtf8(db.path())));
}

TEST(InitDb, AFailureLeavesNoFileBehind) {
    TestDatabase db(false);
    const std::string path = db.file("missing-folder/wagebook.mdb");
    const ProgramRun run = initdb({QString::fromUtf8(path)});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("无法创建"), std::string::npos) << run.err;
    EXPECT_FALSE(QFile::exists(QString::fromUtf8(path)));
}

} // namespace

TEST(InitDb, AddIndexesAddsOnlyTheMissingOnesAndSaysWhich) {
    TestDatabase db(false);
    ASSERT_EQ(initdb({QString::fromUtf8(db.path())}).exitCode, 0);
    db.exec("DROP INDEX ryxl_mid");
    db.exec("DROP INDEX ryjbxx_bm");
    db.exec("CREATE INDEX other_index ON ryrz (gzzwdm)"); // another tool's, left alone
    const auto schema = [&db] {
        return db.rows("SELECT type || ' ' || name || ' ' || sql FROM sqlite_master ORDER BY name");
    };
    const std::vector<std::string> before = schema();

    ProgramRun run = initdb({QStringLiteral("--add-indexes"), QString::fromUtf8(db.path())});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("添加了索引 ryjbxx.bm、ryxl.mid"), std::string::npos) << run.out;
    std::vector<std::string> after = schema();
    EXPECT_EQ(after.size(), before.size() + 2);
    for (const std::string& entry : before)
        EXPECT_NE(std::find(after.begin(), after.end(), entry), after.end()) << entry;

    run = initdb({QStringLiteral("--add-indexes"), QString::fromUtf8(db.path())});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("不缺少索引"), std::string::npos) << run.out;
    EXPECT_EQ(schema(), after);
    EXPECT_EQ(initdb({QStringLiteral("--add-indexes"), QStringLiteral("--demo"),
                      QString::fromUtf8(db.path())})
                  .exitCode,
              2);
}
