// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An office in a fresh temporary directory, made the current directory: a database with the
// schema and the demo departments, a code file, and helpers to read the database back.

#include "data/JetSql.h"
#include "import/ImportRun.h"
#include "import/Office.h"
#include "support/Backend.h"
#include "support/GbkBytes.h"
#include "support/MemorySheet.h"
#include "support/RecordingUi.h"
#include "support/SqlRows.h"
#include "support/TempFolder.h"
#include "text/Error.h"
#include "text/GbkText.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace wb::test {

// The titles a workbook must have (UTF-8).
inline const std::vector<std::string> kRequiredTitles = {"姓名", "出生年月", "参加工作时间",
                                                         "个人身份"};
// The person table, then the tables whose rows belong to a person through mid.
inline constexpr const char* kPersonTables[] = {"ryjbxx", "ryrz", "rybdrz", "rykh",
                                                "ryxl",   "ryjl", "ryjc",   "rygzbhb"};
inline constexpr std::span<const char* const> kDependentTables =
    std::span(kPersonTables).subspan<1>();

// On the embedded file; a suite that must behave the same on a server derives through
// OnEachBackend (its server instances are skipped when no test server is named: derived
// SetUps return when IsSkipped()).
class TempOffice : public ::testing::Test {
protected:
    virtual Backend backend() const { return Backend::Sqlite; }

    void SetUp() override {
        folder = std::make_unique<TempFolder>();
        folder->enter();
        database = std::make_unique<BackendDatabase>(backend(), folder->path());
        if (!database->available())
            GTEST_SKIP() << kNoServer;
        database->create(true);
        std::ofstream("book.xls") << "stand-in: the sheet comes from memory";
        office = std::make_unique<Office>();
    }
    void TearDown() override {
        office.reset();
        database.reset();
        folder.reset();
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

    // A workbook with the required titles and one row per name (UTF-8).
    void persons(const std::vector<std::string>& names) {
        sheet = MemorySheet({kRequiredTitles});
        for (std::size_t i = 0; i < names.size(); ++i)
            sheet.setText(static_cast<int>(i) + 2, 1, names[i]);
    }
    // Stores person `id` of department `bm` (named "<prefix><id>") with a row in every
    // dependent table.
    void storedPerson(int id, const std::string& bm, const std::string& prefix = "p") {
        exec("insert into ryjbxx (id, bm, xm) values (" + std::to_string(id) + ", '" +
             escapeSqlText(bytes(bm)).bytes() + "', '" + prefix + std::to_string(id) + "')");
        for (const char* table : kDependentTables)
            exec(std::string("insert into ") + table + " (mid) values (" + std::to_string(id) +
                 ")");
    }
    // The rows of all dependent tables together.
    int dependentRows() {
        int total = 0;
        for (const char* table : kDependentTables)
            total += std::stoi(one(std::string("select count(*) from ") + table));
        return total;
    }

    // Every row of every table, each table's rows by key: what "unchanged" compares.
    std::vector<std::string> everyRow() {
        std::vector<std::string> all;
        for (const char* table :
             {"ryjbxx", "ryrz", "rybdrz", "rykh", "ryxl", "ryjl", "ryjc", "rygzbhb", "dm_jg"}) {
            all.push_back(table);
            for (const std::string& row :
                 rows(std::string("select * from ") + table + " order by id"))
                all.push_back(row);
        }
        return all;
    }

    // Rows of a query, each row's values joined by "|", NULL shown as "NULL"; UTF-8. They
    // are read through a connection of the test's own, so they show what was committed.
    std::vector<std::string> rows(const std::string& sql) { return database->rows(sql); }
    std::string one(const std::string& sql) { return database->one(sql); }
    void exec(const std::string& sql) { database->exec(sql); }
    // Closes the test's own connection (rows() opens it again).
    void closeCheckConnection() { database->close(); }

    // Held by pointer: a test may call TearDown and SetUp again for a fresh folder.
    std::unique_ptr<TempFolder> folder;
    std::unique_ptr<BackendDatabase> database;
    std::unique_ptr<Office> office;
    RecordingUi ui;
    MemorySheet sheet;
};

} // namespace wb::test
