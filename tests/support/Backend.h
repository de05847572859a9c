// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The kinds of database the engine and command-line suites run on, each suite once per kind:
// the embedded file (wagebook.mdb) and a PostgreSQL server, the one WB_TEST_POSTGRES_URL
// names (tools/with-postgres.sh starts a throw-away one; ./test.sh runs ctest through it).
// Without that variable the server's instances are skipped, saying why.

#include "data/Schema.h"
#include "data/ServerAddress.h"
#include "data/postgres/PostgresConnection.h"
#include "support/SqlRows.h"
#include "support/TempFolder.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace wb::test {

enum class Backend { Sqlite, Postgres };

inline std::string backendName(const ::testing::TestParamInfo<Backend>& info) {
    return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
}

// Runs a parameterised suite once on each kind of database.
#define WB_ON_EACH_BACKEND(Suite)                                                                  \
    INSTANTIATE_TEST_SUITE_P(                                                                      \
        Engines, Suite,                                                                            \
        ::testing::Values(::wb::test::Backend::Sqlite, ::wb::test::Backend::Postgres),             \
        ::wb::test::backendName)

inline const char* kNoServer = "WB_TEST_POSTGRES_URL is not set: no PostgreSQL server to test "
                               "against (tools/with-postgres.sh starts one; ./test.sh uses it)";

// A fixture run on the kind of database its parameter names (the fixture asks backend()).
template <class Fixture>
class OnEachBackend : public Fixture, public ::testing::WithParamInterface<Backend> {
protected:
    Backend backend() const override { return this->GetParam(); }
};

// A fresh, empty personnel database of one kind for one test, in `folder`: wagebook.mdb
// there, or a database of its own on the test server, which wagebook.ini in the folder
// names. Tests set up and read rows through a connection of their own.
class BackendDatabase {
public:
    BackendDatabase(Backend kind, std::filesystem::path folder)
        : kind_(kind), folder_(std::move(folder)) {
        static std::atomic<int> counter{0};
        checkName_ = QStringLiteral("backend-check-%1").arg(++counter);
        if (kind_ == Backend::Sqlite || !std::getenv("WB_TEST_POSTGRES_URL"))
            return;
        const std::string base = std::getenv("WB_TEST_POSTGRES_URL");
        name_ = "wbt_" + std::to_string(::getpid()) + "_" + std::to_string(counter.load());
        admin("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
        admin("CREATE DATABASE " + name_);
        QUrl url(QString::fromStdString(base));
        url.setPath(QString::fromStdString("/" + name_));
        url_ = url.toString().toStdString();
        std::ofstream(folder_ / kSettingsFile) << "[database]\nurl=" << url_ << "\n";
    }
    ~BackendDatabase() {
        close();
        if (name_.empty())
            return;
        try {
            admin("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
        } catch (const std::exception&) {
            // A connection the test user may not end (a killed program's backend still
            // closing): the database stays in the throw-away cluster, which goes as a whole.
        }
    }
    BackendDatabase(const BackendDatabase&) = delete;
    BackendDatabase& operator=(const BackendDatabase&) = delete;

    Backend kind() const { return kind_; }
    // False for the server's kind when no test server is named: the test is to be skipped.
    bool available() const { return kind_ == Backend::Sqlite || !name_.empty(); }
    // The database as wagebook-initdb takes it: the file, or the server database's url.
    std::string location() const {
        return kind_ == Backend::Sqlite ? (folder_ / "wagebook.mdb").string() : url_;
    }
    // The tables, and the sample departments with `demo`, made in this process.
    void create(bool demo) { wb::createDatabase(location(), demo); }
    // The same made as a user makes it: by running wagebook-initdb --demo.
    void createWithInitDb() { runInitDb(location()); }

    std::vector<std::string> rows(const std::string& sql) { return sqlRows(check(), sql); }
    std::string one(const std::string& sql) {
        const auto result = rows(sql);
        return result.empty() ? "<none>" : result.front();
    }
    // Runs SQL; after an insert the server's id sequences are moved past the ids given.
    void exec(const std::string& sql) {
        QSqlQuery query(check());
        ASSERT_TRUE(query.exec(QString::fromUtf8(sql)))
            << sql << ": " << query.lastError().text().toStdString();
        if (kind_ == Backend::Postgres && sql.rfind("insert", 0) == 0)
            for (std::string table : writtenTables())
                if (hasTable(table))
                    rows("SELECT setval(pg_get_serial_sequence('" + table +
                         "', 'id'),"
                         " coalesce(max(id), 0) + 1, false) FROM " +
                         table);
    }
    bool hasTable(const std::string& table) {
        return one(kind_ == Backend::Sqlite
                       ? "select count(*) from sqlite_master where name = '" + table + "'"
                       : "select count(*) from pg_class where oid = to_regclass('" + table +
                             "')") == "1";
    }
    // Closes the test's own connection (the next read opens it again).
    void close() {
        if (QSqlDatabase::contains(checkName_)) {
            QSqlDatabase::database(checkName_, false).close();
            QSqlDatabase::removeDatabase(checkName_);
        }
    }

private:
    static QSqlDatabase open(const QString& connection, const std::string& url) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        setServer(db, parseServerUrl(url));
        return db;
    }
    static void admin(const std::string& sql) {
        const QString name = QStringLiteral("backend-admin");
        {
            QSqlDatabase db = open(name, std::getenv("WB_TEST_POSTGRES_URL"));
            if (!db.open())
                throw std::runtime_error("test server: " + db.lastError().text().toStdString());
            QSqlQuery query(db);
            if (!query.exec(QString::fromStdString(sql)))
                throw std::runtime_error(sql + ": " + query.lastError().text().toStdString());
        }
        QSqlDatabase::removeDatabase(name);
    }
    QSqlDatabase check() {
        if (!QSqlDatabase::contains(checkName_)) {
            if (kind_ == Backend::Postgres) {
                open(checkName_, url_);
            } else {
                QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), checkName_);
                db.setDatabaseName(QString::fromStdString(location()));
            }
        }
        QSqlDatabase db = QSqlDatabase::database(checkName_, false);
        if (!db.isOpen()) {
            EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
        }
        return db;
    }

    Backend kind_;
    std::filesystem::path folder_;
    QString checkName_;
    std::string name_; // of the server database
    std::string url_;
};

// A fixture with a fresh folder and an empty database in it of the kind backend() names; on
// the server's kind, when no test server is named, the test is skipped (derived SetUps call
// this one first and return when IsSkipped()).
class DatabaseFolder : public ::testing::Test {
protected:
    virtual Backend backend() const = 0;

    void SetUp() override {
        database_ = std::make_unique<BackendDatabase>(backend(), folder_.path());
        if (!database_->available())
            GTEST_SKIP() << kNoServer;
    }
    void TearDown() override { database_.reset(); }

    TempFolder folder_;
    std::unique_ptr<BackendDatabase> database_;
};

} // namespace wb::test
