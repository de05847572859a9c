#include "import/UndoJournal.h"

#include "data/Database.h"
#include "data/DatabaseFailure.h"
#include "data/Schema.h"
#include "data/sqlite/SqliteFailure.h"
#include "refdata/Departments.h"
#include "text/Encoding.h"
#include "text/Error.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>
#include <bit>
#include <chrono>
#include <thread>

#include <sqlite3.h>

namespace wb {

namespace {

const char* const kSchema[] = {
    "CREATE TABLE IF NOT EXISTS runs (id INTEGER PRIMARY KEY AUTOINCREMENT, started TEXT NOT "
    "NULL, department BLOB NOT NULL, workbook TEXT NOT NULL, overwrite INTEGER NOT NULL, "
    "committed INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS persons (run INTEGER NOT NULL, person INTEGER NOT NULL)",
    "CREATE INDEX IF NOT EXISTS persons_run ON persons (run)",
    "CREATE TABLE IF NOT EXISTS kept_tables (run INTEGER NOT NULL, tbl TEXT NOT NULL, "
    "columns TEXT NOT NULL, PRIMARY KEY (run, tbl))",
    "CREATE TABLE IF NOT EXISTS kept_rows (id INTEGER PRIMARY KEY, run INTEGER NOT NULL, "
    "tbl TEXT NOT NULL, data BLOB NOT NULL)",
    "CREATE INDEX IF NOT EXISTS kept_rows_run ON kept_rows (run)",
};
// The tables that hold a run's records besides runs itself.
const char* const kRunTables[] = {"persons", "kept_tables", "kept_rows"};

// A kept value as the engine writes it back; a date the server gave as a date goes back as
// the ISO text every engine takes for one.
EngineValue engineValueOf(const QVariant& value) {
    if (value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        return EngineValue::ofInteger(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return EngineValue::ofReal(value.toDouble());
    case QMetaType::QDate:
        return EngineValue::ofText(value.toDate().toString(Qt::ISODate).toStdString());
    case QMetaType::QDateTime:
        return EngineValue::ofText(
            value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString());
    default:
        return EngineValue::ofText(value.toString().toStdString());
    }
}

// A kept row's values, compactly: per value a kind byte, then 8 bytes of a number or a 4-byte
// length and the UTF-8 text; little-endian.
void appendNumber(QByteArray& data, std::uint64_t bits, int bytes) {
    for (int i = 0; i < bytes; ++i)
        data.append(static_cast<char>((bits >> (8 * i)) & 0xFF));
}

std::uint64_t readNumber(const QByteArray& data, qsizetype& at, int bytes) {
    if (at + bytes > data.size())
        throw Error("撤销记录已损坏");
    std::uint64_t bits = 0;
    for (int i = 0; i < bytes; ++i)
        bits |= std::uint64_t(static_cast<unsigned char>(data[at + i])) << (8 * i);
    at += bytes;
    return bits;
}

QByteArray encodeValues(const std::vector<EngineValue>& values) {
    QByteArray data;
    for (const EngineValue& value : values) {
        data.append(static_cast<char>(value.kind));
        switch (value.kind) {
        case EngineValue::Kind::Null:
            break;
        case EngineValue::Kind::Integer:
            appendNumber(data, static_cast<std::uint64_t>(value.integer), 8);
            break;
        case EngineValue::Kind::Real:
            appendNumber(data, std::bit_cast<std::uint64_t>(value.real), 8);
            break;
        case EngineValue::Kind::Text:
            appendNumber(data, value.text.size(), 4);
            data.append(value.text.data(), static_cast<qsizetype>(value.text.size()));
            break;
        }
    }
    return data;
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

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ",") + name;
    return text;
}

std::vector<std::string> split(const std::string& text) {
    std::vector<std::string> names;
    std::size_t start = 0;
    for (std::size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1)
        names.push_back(text.substr(start, comma - start));
    names.push_back(text.substr(start));
    return names;
}

} // namespace

// A failure of the journal's file, its cause named as the database's are (a full disk, an
// I/O error), else in the engine's words.
void UndoJournal::fail(const char* what, const QSqlError& error) const {
    int systemErrno = 0;
    if (database_.isValid() && database_.driver())
        if (auto* handle = static_cast<sqlite3*>(database_.driver()->handle().data()))
            systemErrno = sqlite3_system_errno(handle);
    const std::string cause = failureCause(error.nativeErrorCode().toInt(), systemErrno);
    throw Error(std::string(what) + " " + path_ + "：" +
                (cause.empty() ? error.text().toStdString() : cause));
}

UndoJournal::UndoJournal(std::string path) : path_(std::move(path)) {
    static std::atomic<int> counter{0};
    connectionName_ = QStringLiteral("undo-journal-%1").arg(++counter);
}

UndoJournal::~UndoJournal() {
    runEnded();
    prepared_.clear();
    if (database_.isValid()) {
        database_.close();
        database_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName_);
    }
}

QSqlDatabase& UndoJournal::open() {
    if (database_.isOpen())
        return database_;
    if (!database_.isValid()) {
        database_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
        database_.setDatabaseName(QFileInfo(QFile::decodeName(path_.c_str())).absoluteFilePath());
        database_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    }
    if (!database_.open())
        fail("无法打开撤销记录", database_.lastError());
    // Programs starting at once all set the file up; switching its journal mode is refused at
    // once (not waited for) while another one is at it, so the set-up is tried again briefly.
    for (int attempt = 0;; ++attempt) {
        try {
            exec(QStringLiteral("PRAGMA journal_mode=WAL"));
            exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
            for (const char* statement : kSchema)
                exec(QString::fromUtf8(statement));
            return database_;
        } catch (const Error&) {
            if (attempt == 100)
                throw;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
}

void UndoJournal::exec(const QString& sql, const QVariantList& values) {
    // Prepared once: a run records a row for every person it stores.
    auto found = prepared_.find(sql);
    if (found == prepared_.end()) {
        QSqlQuery query(open());
        if (!query.prepare(sql))
            fail("无法写入撤销记录", query.lastError());
        found = prepared_.emplace(sql, std::move(query)).first;
    }
    QSqlQuery& query = found->second;
    for (qsizetype i = 0; i < values.size(); ++i)
        query.bindValue(static_cast<int>(i), values[i]);
    if (!query.exec())
        fail("无法写入撤销记录", query.lastError());
    query.finish();
}

void UndoJournal::runStarted(const ImportRequest& request) {
    overwrite_ = request.overwrite;
    personsRecorded_ = 0;
    // An overwrite's record shows only once the run commits; an append's as its rows do.
    if (overwrite_) {
        exec(QStringLiteral("BEGIN IMMEDIATE"));
        inTransaction_ = true;
    }
    for (const char* table : kRunTables)
        exec(QStringLiteral("DELETE FROM %1 WHERE run <= (SELECT max(id) FROM runs) - %2")
                 .arg(QLatin1String(table))
                 .arg(kRunsKept));
    exec(QStringLiteral("DELETE FROM runs WHERE id <= (SELECT max(id) FROM runs) - %1")
             .arg(kRunsKept));
    const QString workbook = QFileInfo(QFile::decodeName(request.workbookPath.c_str())).fileName();
    QSqlQuery insert(open());
    insert.prepare(QStringLiteral("INSERT INTO runs (started, department, workbook, overwrite, "
                                  "committed) VALUES (?, ?, ?, ?, ?)"));
    insert.addBindValue(
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    insert.addBindValue(QByteArray::fromStdString(request.departmentCode.bytes()));
    insert.addBindValue(workbook);
    insert.addBindValue(overwrite_ ? 1 : 0);
    insert.addBindValue(overwrite_ ? 0 : 1);
    if (!insert.exec())
        fail("无法写入撤销记录", insert.lastError());
    run_ = insert.lastInsertId().toLongLong();
}

void UndoJournal::keepDeletedRows(Database& database, const Gbk& departmentCode) {
    const Gbk persons = "select id from ryjbxx where "_ascii + departmentFilter(departmentCode);
    // What the deletion removes: the department's persons, their dependent rows, and the rows
    // already marked with mid 0, which its "where mid=0" takes too.
    std::vector<std::pair<std::string, Gbk>> queries;
    for (const std::string& table : dependentTables())
        queries.emplace_back(table, "select * from "_ascii + Gbk::ascii(table) +
                                        " where mid=0 or mid in ("_ascii + persons + ')');
    queries.emplace_back("ryjbxx", staffStatement(departmentCode));
    for (const auto& [table, query] : queries) {
        const QueryRows rows = database.select(query);
        const QString columns = QString::fromStdString(joined(rows.columns));
        if (rows.rows.empty())
            continue;
        exec(QStringLiteral("INSERT INTO kept_tables (run, tbl, columns) VALUES (?,?,?)"),
             {QVariant::fromValue(*run_), QString::fromStdString(table), columns});
        std::vector<EngineValue> values;
        for (const std::vector<QVariant>& row : rows.rows) {
            values.clear();
            for (const QVariant& value : row)
                values.push_back(engineValueOf(value));
            exec(QStringLiteral("INSERT INTO kept_rows (run, tbl, data) VALUES (?,?,?)"),
                 {QVariant::fromValue(*run_), QString::fromStdString(table), encodeValues(values)});
        }
    }
}

void UndoJournal::personStored(std::int64_t key) {
    if (!run_)
        return;
    exec(QStringLiteral("INSERT INTO persons (run, person) VALUES (?, ?)"),
         {QVariant::fromValue(*run_), QVariant::fromValue(key)});
    ++personsRecorded_;
}

void UndoJournal::runCommitting() {
    if (inTransaction_) {
        inTransaction_ = false;
        exec(QStringLiteral("COMMIT"));
    }
}

void UndoJournal::runCommitted() {
    if (run_ && overwrite_)
        exec(QStringLiteral("UPDATE runs SET committed = 1 WHERE id = ?"),
             {QVariant::fromValue(*run_)});
}

void UndoJournal::runEnded() {
    if (!run_)
        return;
    try {
        if (inTransaction_) {
            inTransaction_ = false;
            exec(QStringLiteral("ROLLBACK"));
        } else if (!overwrite_ && personsRecorded_ == 0) {
            forget(*run_); // an append that stored nobody wrote nothing
        }
    } catch (const std::exception&) {
        // What is left is an entry that undo skips or finds empty.
    }
    run_.reset();
}

std::optional<JournalRun> UndoJournal::newestRun() {
    QSqlQuery query(open());
    if (!query.exec(QStringLiteral("SELECT id, started, department, workbook, overwrite, "
                                   "committed FROM runs ORDER BY id DESC LIMIT 1")))
        fail("无法读取撤销记录", query.lastError());
    if (!query.next())
        return std::nullopt;
    return JournalRun{query.value(0).toLongLong(),
                      query.value(1).toString().toStdString(),
                      Gbk::fromBytes(query.value(2).toByteArray().toStdString()),
                      query.value(3).toString().toStdString(),
                      query.value(4).toBool(),
                      query.value(5).toBool()};
}

std::vector<std::int64_t> UndoJournal::storedPersons(std::int64_t run) {
    QSqlQuery query(open());
    query.prepare(QStringLiteral("SELECT person FROM persons WHERE run = ? ORDER BY person"));
    query.addBindValue(QVariant::fromValue(run));
    if (!query.exec())
        fail("无法读取撤销记录", query.lastError());
    std::vector<std::int64_t> keys;
    while (query.next())
        keys.push_back(query.value(0).toLongLong());
    return keys;
}

void UndoJournal::forEachKeptRow(std::int64_t run,
                                 const std::function<void(const KeptRow&)>& visit) {
    QSqlQuery query(open());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT r.tbl, t.columns, r.data FROM kept_rows r JOIN "
                                 "kept_tables t ON t.run = r.run AND t.tbl = r.tbl WHERE r.run = ? "
                                 "ORDER BY r.tbl <> 'ryjbxx', r.id"));
    query.addBindValue(QVariant::fromValue(run));
    if (!query.exec())
        fail("无法读取撤销记录", query.lastError());
    while (query.next())
        visit(KeptRow{query.value(0).toString().toStdString(),
                      split(query.value(1).toString().toStdString()),
                      decodeValues(query.value(2).toByteArray())});
}

void UndoJournal::forget(std::int64_t run) {
    for (const char* table : kRunTables)
        exec(QStringLiteral("DELETE FROM %1 WHERE run = ?").arg(QLatin1String(table)),
             {QVariant::fromValue(run)});
    exec(QStringLiteral("DELETE FROM runs WHERE id = ?"), {QVariant::fromValue(run)});
}

} // namespace wb
