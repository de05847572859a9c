// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/UndoJournal.h"

#include "data/Connection.h"
#include "data/Database.h"
#include "data/DatabaseFailure.h"
#include "data/JetSql.h"
#include "data/Schema.h"
#include "refdata/Departments.h"
#include "text/Encoding.h"
#include "text/GbkText.h"

#include <QDateTime>
#include <QFileInfo>
#include <QString>
#include <QSysInfo>

#include <unistd.h>

namespace wb {

namespace {

// Who runs the program: the login name, as the operating system knows it.
std::string userName() {
    if (const char* name = ::getlogin())
        return name;
    const QByteArray name = qgetenv("USER");
    return name.isEmpty() ? std::string("?") : name.toStdString();
}

} // namespace

Gbk undoColumns(Database& database, const std::string& table, bool withKey) {
    const TableColumns* office = database.columns(table);
    const TableColumns* kept = database.columns(undoMirror(table));
    std::string list;
    if (office && kept)
        for (const TableColumn& column : office->columns)
            if (kept->indexOf(column.name) >= 0 && (withKey || asciiLower(column.name) != "id"))
                list += (list.empty() ? "[" : ",[") + column.name + ']';
    return utf8ToGbk(list);
}

bool UndoJournal::recording() const {
    return request_ && !request_->dryRun && connection_.database().schemaDialect().has_value();
}

void UndoJournal::runStarted(const ImportRequest& request) {
    request_ = request;
    run_.reset();
    runKept_ = false;
    if (recording())
        prepareUndoTables(connection_.database());
}

void UndoJournal::recordRun() {
    if (run_ || !recording())
        return;
    Database& database = connection_.database();
    const std::string workbook =
        QFileInfo(QFile::decodeName(request_->workbookPath.c_str())).fileName().toStdString();
    run_ = database.insertRow(
        kUndoRuns, {"started", "department", "workbook", "overwrite", "user_name", "computer"},
        {EngineValue::ofText(QDateTime::currentDateTime()
                                 .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                 .toStdString()),
         EngineValue::ofText(gbkToUtf8(request_->departmentCode)), EngineValue::ofText(workbook),
         EngineValue::ofInteger(request_->overwrite ? 1 : 0), EngineValue::ofText(userName()),
         EngineValue::ofText(QSysInfo::machineHostName().toStdString())});
    // The oldest runs go as this one comes.
    if (*run_ <= kRunsKept)
        return;
    const Gbk oldest = decimal(*run_ - kRunsKept);
    database.execute("delete from "_ascii + Gbk::ascii(kUndoPersons) + " where run<="_ascii +
                     oldest);
    for (const std::string& table : writtenTables())
        if (database.columns(undoMirror(table)))
            database.execute("delete from "_ascii + Gbk::ascii(undoMirror(table)) +
                             " where wb_run<="_ascii + oldest);
    database.execute("delete from "_ascii + Gbk::ascii(kUndoRuns) + " where id<="_ascii + oldest);
}

void UndoJournal::keepDeletedRows() {
    if (!recording())
        return;
    recordRun();
    Database& database = connection_.database();
    const Gbk run = decimal(*run_);
    const Gbk persons =
        "select id from ryjbxx where "_ascii + departmentFilter(request_->departmentCode);
    for (const std::string& table : writtenTables()) {
        const Gbk columns = undoColumns(database, table, true);
        if (columns.empty())
            continue;
        // What the deletion removes: the department's persons, their dependent rows, and the
        // rows already marked with mid 0, which its "where mid=0" takes too.
        const Gbk which = table == "ryjbxx" ? departmentFilter(request_->departmentCode)
                                            : "mid=0 or mid in ("_ascii + persons + ')';
        database.execute("insert into "_ascii + Gbk::ascii(undoMirror(table)) + " (wb_run,"_ascii +
                         columns + ") select "_ascii + run + ',' + columns + " from "_ascii +
                         Gbk::ascii(table) + " where "_ascii + which);
    }
}

void UndoJournal::personStored(std::int64_t key) {
    if (!recording())
        return;
    recordRun();
    connection_.database().executeDeferred("insert into "_ascii + Gbk::ascii(kUndoPersons) +
                                               " (run,person) values ("_ascii + decimal(*run_) +
                                               ',' + decimal(key) + ')',
                                           [](const std::string& reason) {
                                               // Only a failure of the database itself keeps a row
                                               // of two numbers out of a table of the program's
                                               // own, and that ends the run anyway.
                                               throw DatabaseFailure("无法写入撤销记录：" + reason);
                                           });
}

void UndoJournal::runEnded() {
    request_.reset();
    run_.reset();
    runKept_ = false;
}

} // namespace wb
