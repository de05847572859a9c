#pragma once
// An office in a fresh temporary directory, made the current directory: a database with the
// schema and the demo departments, a code file, and helpers to read the database back.

#include "data/JetSql.h"
#include "import/ImportRun.h"
#include "import/Office.h"
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
#include <string>
#include <vector>

namespace wb::test {

class TempOffice : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::make_unique<TempFolder>();
        folder->enter();
        folder->createDatabase();
        std::ofstream("book.xls") << "stand-in: the sheet comes from memory";
        office = std::make_unique<Office>();
    }
    void TearDown() override {
        office.reset();
        folder.reset();
    }

    // Code file entries, UTF-8 "key=value" lines.
    void codes(const std::string& utf8Lines) {
        std::ofstream("dm.txt", std::ios::binary) << gbk(utf8Lines);
        office->ASetDm(ui);
    }

    RunOutcome run(const std::string& department = "01", bool overwrite = false) {
        ImportComponents components{office->ADOConnection1, office->ADOTable1,
                                    office->ADOQuery1,      office->AQ2,
                                    office->CodeFileMap,    office->tables};
        const ImportRequest request{gbk(department), "book.xls", overwrite};
        return runImport(request, components, ui, [this](const std::string&) {
            return std::shared_ptr<const Sheet>(&sheet, [](const Sheet*) {});
        });
    }

    // Rows of a query, each row's values joined by "|", NULL shown as "NULL"; UTF-8.
    std::vector<std::string> rows(const std::string& sql) {
        return sqlRows(office->ADOConnection1.database(), sql);
    }
    std::string one(const std::string& sql) {
        const auto result = rows(sql);
        return result.empty() ? "<none>" : result.front();
    }
    void exec(const std::string& sql) {
        QSqlQuery query(office->ADOConnection1.database());
        ASSERT_TRUE(query.exec(QString::fromUtf8(sql))) << query.lastError().text().toStdString();
    }

    std::unique_ptr<TempFolder> folder;
    std::unique_ptr<Office> office;
    RecordingUi ui;
    MemorySheet sheet;
};

} // namespace wb::test
