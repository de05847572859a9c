// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/Connection.h"
#include "data/DatabaseFailure.h"
#include "data/sqlite/SqliteDatabase.h"
#include "support/GbkBytes.h"
#include "text/Error.h"

#include "TestDatabase.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace wb;
using test::bytes;
using wb::test::TestDatabase;

namespace {

void writeFile(const std::string& path, const QByteArray& bytes) {
    QFile file(QString::fromUtf8(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The header of an Access file: four bytes, then the format's name.
QByteArray accessHeader(const char* format) {
    QByteArray bytes("\x00\x01\x00\x00", 4);
    bytes += format;
    bytes += QByteArray(2048 - bytes.size(), '\0');
    return bytes;
}

// The message of the error that opening `path` throws; "" when it opens.
std::string openError(const std::string& path) {
    Connection connection(path, 100);
    try {
        connection.database();
    } catch (const Failure& error) {
        EXPECT_FALSE(connection.isOpen());
        return error.what();
    }
    return {};
}

TEST(Connection, FilesThatAreNoUsableDatabaseGiveAClearError) {
    struct Case {
        const char* name;
        std::function<void(const std::string& path)> make;
        const char* says;
    };
    const std::vector<Case> cases = {
        {"missing file", [](const std::string&) {}, "找不到数据库文件"},
        {"folder", [](const std::string& path) { QDir().mkdir(QString::fromUtf8(path)); },
         "无法读取数据库文件"},
        {"empty file", [](const std::string& path) { writeFile(path, {}); }, "不是人事数据库"},
        {"text file", [](const std::string& path) { writeFile(path, "id=1\nname=x\n"); },
         "不是人事数据库"},
        {"Jet file",
         [](const std::string& path) { writeFile(path, accessHeader("Standard Jet DB")); },
         "是 Access 数据库"},
        {"ACE file",
         [](const std::string& path) { writeFile(path, accessHeader("Standard ACE DB")); },
         "是 Access 数据库"},
        {"damaged SQLite file",
         [](const std::string& path) {
             writeFile(path, QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\x7f'));
         },
         "已损坏"},
    };
    for (const Case& c : cases) {
        TestDatabase folder(false);
        const std::string path = folder.path();
        c.make(path);
        const std::string message = openError(path);
        EXPECT_NE(message.find(c.says), std::string::npos) << c.name << ": " << message;
        EXPECT_NE(message.find(path), std::string::npos) << c.name << ": " << message;
    }
}

TEST(Connection, OpensInWalModeWithItsBusyTimeout) {
    TestDatabase db(false);
    {
        // A database in the default rollback-journal mode, as another tool would make it.
        QSqlDatabase& raw = db.observer();
        wb::test::runRaw(raw, "CREATE TABLE t (a INTEGER)");
        EXPECT_EQ(db.value("PRAGMA journal_mode"), "delete");
        db.closeObserver();
    }
    Connection connection(db.path(), 1234);
    EXPECT_FALSE(connection.isOpen()); // not before first use
    const auto pragma = [&connection](const char* name) {
        const QueryRows result = connection.database().select(Gbk::ascii(name));
        return result.rows.empty() ? -1 : result.rows.front().front().toInt();
    };
    EXPECT_EQ(pragma("PRAGMA busy_timeout"), 1234);
    EXPECT_EQ(pragma("PRAGMA synchronous"), 1); // NORMAL
    EXPECT_TRUE(connection.isOpen());
    EXPECT_NE(dynamic_cast<SqliteDatabase*>(&connection.database()), nullptr);
    EXPECT_EQ(db.value("PRAGMA journal_mode"), "wal");
}

TEST(Connection, ALockedFileIsReportedAndOpensOnceTheLockIsGone) {
    TestDatabase db(false);
    QSqlDatabase& holder = db.observer();
    wb::test::runRaw(holder, "PRAGMA locking_mode=EXCLUSIVE");
    wb::test::runRaw(holder, "CREATE TABLE t (a INTEGER)"); // keeps the lock from here on

    Connection connection(db.path(), 100);
    try {
        connection.database();
        FAIL() << "opened a locked database";
    } catch (const DatabaseFailure& error) {
        EXPECT_NE(std::string(error.what()).find("已锁定"), std::string::npos) << error.what();
    }
    db.closeObserver();
    EXPECT_NO_THROW(connection.database());
    EXPECT_TRUE(connection.isOpen());
}

TEST(Connection, ARelativeNameResolvesWhenTheConnectionOpens) {
    TestDatabase db;
    const QString before = QDir::currentPath();
    Connection connection("wagebook.mdb"); // resolved in the folder current at first use
    ASSERT_TRUE(QDir::setCurrent(QFileInfo(QString::fromUtf8(db.path())).absolutePath()));
    EXPECT_NO_THROW(connection.database());
    EXPECT_EQ(connection.displayName(), db.path());
    QDir::setCurrent(before);
}

} // namespace
