#pragma once
// An office in a fresh temporary directory, made the current directory: a database with the
// schema and the demo departments, a code file, and helpers to read the database back.

#include "data/JetSql.h"
#include "data/Schema.h"
#include "import/ImportRun.h"
#include "import/Office.h"
#include "support/GbkBytes.h"
#include "support/MemorySheet.h"
#include "support/RecordingUi.h"
#include "support/SqlRows.h"
#include "text/Error.h"
#include "text/GbkText.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace wb::test {

class TempOffice : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               ("wb-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
                std::to_string(::getpid()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        std::filesystem::current_path(dir_);
        createDatabase("wagebook.mdb", true);
        std::ofstream("book.xls") << "stand-in: the sheet comes from memory";
        office = std::make_unique<Office>();
    }
    void TearDown() override {
        office.reset();
        closeCheckConnection();
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(dir_);
    }

    // Code file entries, UTF-8 "key=value" lines.
    void codes(const std::string& utf8Lines) {
        std::ofstream("dm.txt", std::ios::binary) << gbk(utf8Lines).bytes();
        office->loadCodeFile(ui);
    }

    RunOutcome run(const std::string& department = "01", bool overwrite = false) {
        const ImportRequest request{gbk(department), "book.xls", overwrite};
        return office->import(request, ui, [this](const std::string&) {
            return std::shared_ptr<const Sheet>(&sheet, [](const Sheet*) {});
        });
    }

    // Rows of a query, each row's values joined by "|", NULL shown as "NULL"; UTF-8. They
    // are read through a connection of the test's own, so they show what was committed.
    std::vector<std::string> rows(const std::string& sql) { return sqlRows(check(), sql); }
    std::string one(const std::string& sql) {
        const auto result = rows(sql);
        return result.empty() ? "<none>" : result.front();
    }
    void exec(const std::string& sql) {
        QSqlQuery query(check());
        ASSERT_TRUE(query.exec(QString::fromUtf8(sql))) << query.lastError().text().toStdString();
    }

    // Closes the test's own connection (rows() opens it again).
    void closeCheckConnection() {
        if (QSqlDatabase::contains(kCheck)) {
            QSqlDatabase::database(kCheck, false).close();
            QSqlDatabase::removeDatabase(kCheck);
        }
    }

    std::unique_ptr<Office> office;
    RecordingUi ui;
    MemorySheet sheet;

private:
    static inline const QString kCheck = QStringLiteral("temp-office-check");
    QSqlDatabase check() {
        if (!QSqlDatabase::contains(kCheck)) {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kCheck);
            db.setDatabaseName(QString::fromStdString((dir_ / "wagebook.mdb").string()));
        }
        QSqlDatabase db = QSqlDatabase::database(kCheck, false);
        if (!db.isOpen()) {
            EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
        }
        return db;
    }

    std::filesystem::path previous_, dir_;
};

} // namespace wb::test
