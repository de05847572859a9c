// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/OldUndoJournal.h"

#include "data/Database.h"
#include "data/Schema.h"
#include "import/KeyLists.h"
#include "text/Encoding.h"
#include "text/Error.h"
#include "text/GbkText.h"

#include <QDir>
#include <QFile>

#include <bit>
#include <vector>

namespace wb {

namespace {

// A kept row's values as the earlier journal wrote them: per value a kind byte, then 8 bytes
// of a number or a 4-byte length and the UTF-8 text; little-endian.
std::uint64_t readNumber(const QByteArray& data, qsizetype& at, int bytes) {
    if (at + bytes > data.size())
        throw Error("撤销记录已损坏");
    std::uint64_t bits = 0;
    for (int i = 0; i < bytes; ++i)
        bits |= std::uint64_t(static_cast<unsigned char>(data[at + i])) << (8 * i);
    at += bytes;
    return bits;
}

std::vector<EngineValue> decodeValues(const QByteArray& data) {
    std::vector<EngineValue> values;
    for (qsizetype at = 0; at < data.size();) {
        const auto kind = static_cast<EngineValue::Kind>(readNumber(data, at, 1));
        if (kind == EngineValue::Kind::Null) {
            values.emplace_back();
        } else if (kind == EngineValue::Kind::Integer) {
            values.push_back(
                EngineValue::ofInteger(static_cast<std::int64_t>(readNumber(data, at, 8))));
        } else if (kind == EngineValue::Kind::Real) {
            values.push_back(EngineValue::ofReal(std::bit_cast<double>(readNumber(data, at, 8))));
        } else if (kind == EngineValue::Kind::Text) {
            const auto size = static_cast<qsizetype>(readNumber(data, at, 4));
            if (at + size > data.size())
                throw Error("撤销记录已损坏");
            values.push_back(EngineValue::ofText(data.mid(at, size).toStdString()));
            at += size;
        } else {
            throw Error("撤销记录已损坏");
        }
    }
    return values;
}

std::vector<std::string> split(const std::string& text) {
    std::vector<std::string> names;
    std::size_t start = 0;
    for (std::size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1)
        names.push_back(text.substr(start, comma - start));
    names.push_back(text.substr(start));
    return names;
}

struct KeptRow {
    std::string table;
    std::vector<std::string> columns;
    std::vector<EngineValue> values;
};

struct OldRun {
    std::string started;
    Gbk departmentCode;
    std::string workbook;
    bool overwrite = false;
    bool committed = true;
    std::vector<std::int64_t> persons;
    std::vector<KeptRow> kept;
};

std::vector<OldRun> readRuns(Database& journal) {
    std::vector<OldRun> runs;
    for (const auto& row :
         journal
             .select("select id,started,department,workbook,overwrite,committed from runs "
                     "order by id"_ascii)
             .rows) {
        OldRun run;
        const Gbk id = decimal(row.at(0).toLongLong());
        run.started = row.at(1).toString().toStdString();
        run.departmentCode = Gbk::fromBytes(row.at(2).toByteArray().toStdString());
        run.workbook = row.at(3).toString().toStdString();
        run.overwrite = row.at(4).toLongLong() != 0;
        run.committed = row.at(5).toLongLong() != 0;
        for (const auto& person :
             journal.select("select person from persons where run="_ascii + id).rows)
            run.persons.push_back(person.at(0).toLongLong());
        for (const auto& kept :
             journal
                 .select("select r.tbl,t.columns,r.data from kept_rows r join kept_tables t on "
                         "t.run=r.run and t.tbl=r.tbl where r.run="_ascii +
                         id + " order by r.id"_ascii)
                 .rows)
            run.kept.push_back({kept.at(0).toString().toStdString(),
                                split(kept.at(1).toString().toStdString()),
                                decodeValues(kept.at(2).toByteArray())});
        runs.push_back(std::move(run));
    }
    return runs;
}

// Whether an overwrite the journal kept before its commit was committed: its deleted persons
// are gone, and the persons it stored are there.
bool overwriteHappened(Database& database, const OldRun& run) {
    std::vector<std::int64_t> deleted;
    for (const KeptRow& row : run.kept)
        if (row.table == "ryjbxx")
            for (std::size_t i = 0; i < row.columns.size(); ++i)
                if (row.columns[i] == "id")
                    deleted.push_back(row.values[i].integer);
    return countRowsWithKeys(database, "ryjbxx", "id", deleted) == 0 &&
           countRowsWithKeys(database, "ryjbxx", "id", run.persons) ==
               static_cast<std::int64_t>(run.persons.size());
}

void copyRun(Database& database, const OldRun& run) {
    const std::int64_t id = database.insertRow(
        kUndoRuns, {"started", "department", "workbook", "overwrite", "user_name", "computer"},
        {EngineValue::ofText(run.started), EngineValue::ofText(gbkToUtf8(run.departmentCode)),
         EngineValue::ofText(run.workbook), EngineValue::ofInteger(run.overwrite ? 1 : 0),
         EngineValue::ofText(""), EngineValue::ofText("")});
    for (const std::int64_t person : run.persons)
        database.insertRow(kUndoPersons, {"run", "person"},
                           {EngineValue::ofInteger(id), EngineValue::ofInteger(person)});
    for (const KeptRow& row : run.kept) {
        const TableColumns* mirror = database.columns(undoMirror(row.table));
        if (!mirror)
            continue;
        std::vector<std::string> columns = {"wb_run"};
        std::vector<EngineValue> values = {EngineValue::ofInteger(id)};
        for (std::size_t i = 0; i < row.columns.size() && i < row.values.size(); ++i)
            if (mirror->indexOf(row.columns[i]) >= 0) {
                columns.push_back(row.columns[i]);
                values.push_back(row.values[i]);
            }
        database.insertRow(undoMirror(row.table), columns, values);
    }
}

} // namespace

void takeOverOldJournal(Database& database, const std::string& folder) {
    const QString path = QDir(QFile::decodeName(folder.c_str()))
                             .absoluteFilePath(QString::fromLatin1(kOldUndoJournal));
    if (!QFile::exists(path) || !database.schemaDialect())
        return;
    const std::string name = QFile::encodeName(path).toStdString();
    std::vector<OldRun> runs;
    try {
        const std::unique_ptr<Database> journal = openDatabaseFile(name, 5000);
        runs = readRuns(*journal);
    } catch (...) {
        throw Error("无法读取旧的撤销记录 " + path.toStdString() + "：" + failureText());
    }
    prepareUndoTables(database);
    const QString renamed = path + QString::fromLatin1(kTakenOverSuffix);
    database.beginTransaction();
    try {
        for (const OldRun& run : runs)
            if (run.committed || overwriteHappened(database, run))
                copyRun(database, run);
        // Renamed before the commit: a program ended in between leaves the runs in the
        // renamed file, never copied twice.
        if (!QFile::rename(path, renamed))
            throw Error("无法把旧的撤销记录 " + path.toStdString() + " 改名为 " +
                        renamed.toStdString());
    } catch (...) {
        database.rollbackTransaction();
        throw;
    }
    try {
        database.commitTransaction();
    } catch (...) {
        QFile::rename(renamed, path);
        throw;
    }
}

} // namespace wb
