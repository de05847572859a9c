// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/sqlite/SqliteDatabase.h"

#include "data/DataText.h"
#include "data/DatabaseFailure.h"
#include "data/JetSql.h"
#include "data/sqlite/SqliteFailure.h"
#include "text/Encoding.h"
#include "text/Error.h"
#include "text/GbkText.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <unordered_map>

namespace wb {

namespace {

// A write past the process's file-size limit would kill the program in the middle of a
// commit; with the signal ignored the write fails, and the failure is reported.
void reportFileSizeLimitAsFailure() {
    static const bool done = [] {
        struct sigaction current = {};
        if (sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
            std::signal(SIGXFSZ, SIG_IGN);
        return true;
    }();
    (void)done;
}

} // namespace

struct SqliteDatabase::State {
    // A Jet statement shape, translated and prepared once.
    struct Shape {
        EngineStatement translated;
        SqliteStatement* statement; // kept in `statements`
    };
    // The opened file, to tell it from one put in its place: device, inode, and the largest
    // size seen (the engine never shrinks it; only another program can).
    struct FileIdentity {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = 0;
    };

    std::unordered_map<std::string, TableColumns> tables; // by lower-case name
    std::unordered_map<std::string, std::unique_ptr<SqliteStatement>> statements;
    std::unordered_map<Gbk, Shape> shapes;
    // Inserts by a hash of their table and column names.
    struct Insert {
        std::string table;
        std::vector<std::string> columns;
        SqliteStatement* statement; // kept in `statements`
    };
    std::unordered_map<std::size_t, std::vector<Insert>> inserts;
    std::vector<EngineValue> values; // of the statement being run, kept for its capacity
    FileIdentity identity;
};

SqliteDatabase::SqliteDatabase(const QString& path, int busyTimeoutMs)
    : path_(path), state_(std::make_unique<State>()) {
    static std::atomic<int> counter{0};
    connectionName_ = QStringLiteral("wagebook-sqlite-%1").arg(++counter);
    try {
        open(busyTimeoutMs);
    } catch (...) {
        close();
        throw;
    }
}

SqliteDatabase::~SqliteDatabase() {
    rollbackAll();
    close();
}

void SqliteDatabase::close() {
    // Statements first: the engine closes only once none is left.
    state_->shapes.clear();
    state_->inserts.clear();
    state_->statements.clear();
    handle_ = nullptr;
    if (database_.isValid())
        database_.close();
    database_ = QSqlDatabase();
    if (QSqlDatabase::contains(connectionName_))
        QSqlDatabase::removeDatabase(connectionName_);
}

std::string SqliteDatabase::displayName() const {
    return utf8(path_);
}

void SqliteDatabase::open(int busyTimeoutMs) {
    reportFileSizeLimitAsFailure();
    database_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
    database_.setDatabaseName(path_);
    const std::string what = "无法打开数据库 " + displayName();
    if (!database_.open()) {
        const QSqlError error = database_.lastError();
        throw Error(what + "：" + utf8(error.text()));
    }
    const QVariant handle = database_.driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        handle_ = *static_cast<sqlite3* const*>(handle.constData());
    if (!handle_)
        throw Error(what + "：SQLite 驱动没有交出数据库句柄。");
    useWalWherePossible();
    sqlite3_busy_timeout(handle_, busyTimeoutMs);
    // An appended row is a commit of its own: with synchronous NORMAL a commit only appends
    // to the WAL, and the WAL is copied back (with a sync of each file) once it holds
    // kCheckpointPages pages instead of SQLite's 1,000, which saves most of those syncs. An
    // overwrite run is one transaction: a cache that holds its changed pages spares writing
    // them to the WAL twice, and the journal of each row's savepoint, once a file, would
    // only ever grow: kept in memory it is emptied at each row's end.
    constexpr int kCheckpointPages = 10000;
    constexpr int kCacheKiB = 64 * 1024;
    const std::string pragmas =
        "PRAGMA synchronous=NORMAL; PRAGMA wal_autocheckpoint=" + std::to_string(kCheckpointPages) +
        "; PRAGMA cache_size=-" + std::to_string(kCacheKiB) + "; PRAGMA temp_store=MEMORY";
    if (sqlite3_exec(handle_, pragmas.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        failWith(lastFailure(), what);
    struct stat info = {};
    if (::stat(QFile::encodeName(path_).constData(), &info) == 0)
        state_->identity = {static_cast<std::uint64_t>(info.st_dev),
                            static_cast<std::uint64_t>(info.st_ino),
                            static_cast<std::int64_t>(info.st_size)};
}

// WAL lets the window, the command line and other readers share the file while one of them
// writes. Switching needs the file alone: while another program has it open the switch is
// left for a later start and the file keeps its own journal mode, which is just as safe.
void SqliteDatabase::useWalWherePossible() {
    constexpr int kSwitchWaitMs = 200;
    sqlite3_busy_timeout(handle_, kSwitchWaitMs);
    if (sqlite3_exec(handle_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr) == SQLITE_OK)
        return;
    switch (sqlite3_extended_errcode(handle_) & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_READONLY:
        return;
    default:
        failWith(lastFailure(), "无法打开数据库 " + displayName());
    }
}

SqliteDatabase::StepFailure SqliteDatabase::lastFailure() const {
    return {sqlite3_extended_errcode(handle_), sqlite3_system_errno(handle_),
            sqlite3_errmsg(handle_)};
}

std::string SqliteDatabase::described(const StepFailure& failure) {
    const std::string cause = failureCause(failure.code, failure.systemErrno);
    return cause.empty() ? failure.message : cause + "（" + failure.message + "）";
}

void SqliteDatabase::failWith(const StepFailure& failure, const std::string& what) {
    const std::string text = what + "：" + described(failure);
    // The engine ends the whole transaction on some failures (a full disk, an I/O error):
    // nothing written since it began is kept, and writing on would commit each statement
    // on its own.
    if (writing() && handle_ != nullptr && sqlite3_get_autocommit(handle_) != 0)
        failAbandoned(text);
    if (isDatabaseFailure(failure.code))
        throw DatabaseFailure(text);
    throw Error(text);
}

SqliteStatement& SqliteDatabase::statement(const std::string& sql, const std::string& what) {
    auto found = state_->statements.find(sql);
    if (found != state_->statements.end())
        return *found->second;
    auto prepared = std::make_unique<SqliteStatement>(handle_, sql);
    if (!prepared->prepared())
        failWith(lastFailure(), what.empty() ? refusedStatement(sql) : what);
    return *state_->statements.emplace(sql, std::move(prepared)).first->second;
}

int SqliteDatabase::runToEnd(SqliteStatement& statement, StepFailure& failure) {
    int code;
    while ((code = statement.step()) == SQLITE_ROW) {
    }
    if (code != SQLITE_DONE)
        failure = lastFailure();
    statement.reset();
    return code;
}

void SqliteDatabase::run(SqliteStatement& statement, const std::string& what) {
    StepFailure failure;
    if (runToEnd(statement, failure) != SQLITE_DONE)
        failWith(failure, what);
}

void SqliteDatabase::execute(const Gbk& jetGbk) {
    const auto what = [&] {
        return refusedStatement(gbkToUtf8(jetGbk));
    };
    // Every value is converted before anything is bound, so that a value that is no date
    // leaves the statement unrun.
    std::vector<EngineValue>& values = state_->values;
    const State::Shape& shape = shapeOf(
        state_->shapes, jetGbk, columnsOf(),
        [&](EngineStatement translated) {
            SqliteStatement& prepared = statement(translated.sql, what());
            return State::Shape{std::move(translated), &prepared};
        },
        values);
    for (std::size_t i = 0; i < values.size(); ++i)
        shape.statement->bind(static_cast<int>(i), values[i]);
    StepFailure failure;
    if (runToEnd(*shape.statement, failure) != SQLITE_DONE)
        failWith(failure, what());
}

QueryRows SqliteDatabase::select(const Gbk& jetGbk) {
    const std::string what = "查询“" + gbkToUtf8(jetGbk) + "”失败";
    const QString sql = QString::fromUtf8(translateJet(jetGbk, columnsOf()));
    QSqlQuery query(database_);
    query.setForwardOnly(true);
    const auto fail = [&] {
        const QSqlError error = query.lastError();
        failWith({error.nativeErrorCode().toInt(), sqlite3_system_errno(handle_),
                  utf8(error.databaseText().isEmpty() ? error.text() : error.databaseText())},
                 what);
    };
    if (!query.exec(sql))
        fail();
    QueryRows result = readRows(query);
    if (query.lastError().isValid())
        fail();
    return result;
}

std::int64_t SqliteDatabase::insertRow(std::string_view table,
                                       const std::vector<std::string>& columnNames,
                                       const std::vector<EngineValue>& values) {
    const std::string what = "无法写入表 " + std::string(table) + " 的记录";
    // An insert is prepared once per table and column list; finding it makes no text.
    std::size_t key = std::hash<std::string_view>()(table);
    for (const std::string& name : columnNames)
        key = key * 31 + std::hash<std::string>()(name);
    State::Insert* insertShape = nullptr;
    for (State::Insert& candidate : state_->inserts[key])
        if (candidate.table == table && candidate.columns == columnNames)
            insertShape = &candidate;
    if (!insertShape) {
        const std::string sql = insertStatement(table, columnNames, quotedName);
        state_->inserts[key].push_back({std::string(table), columnNames, &statement(sql, what)});
        insertShape = &state_->inserts[key].back();
    }
    SqliteStatement& insert = *insertShape->statement;
    for (std::size_t i = 0; i < values.size(); ++i)
        insert.bind(static_cast<int>(i), values[i]);
    run(insert, what);
    return sqlite3_last_insert_rowid(handle_);
}

void SqliteDatabase::deleteRow(std::string_view table, std::int64_t key) {
    const std::string what = rowNotTakenBack(table);
    SqliteStatement& remove =
        statement("DELETE FROM " + quotedName(table) + " WHERE rowid = ?", what);
    remove.bind(0, EngineValue::ofInteger(key));
    run(remove, what);
}

const TableColumns* SqliteDatabase::columns(std::string_view table) {
    const std::string key = asciiLower(table);
    auto found = state_->tables.find(key);
    if (found != state_->tables.end())
        return &found->second;
    TableColumns result;
    const std::string what = "无法读取表 " + std::string(table) + " 的字段";
    SqliteStatement& query = statement("SELECT name, type FROM pragma_table_info(?)", what);
    query.bind(0, EngineValue::ofText(std::string(table)));
    int code;
    while ((code = query.step()) == SQLITE_ROW)
        result.columns.push_back(
            {query.columnText(0), columnTypeOfDeclaration(query.columnText(1))});
    if (code != SQLITE_DONE) {
        const StepFailure failure = lastFailure();
        query.reset();
        failWith(failure, what);
    }
    query.reset();
    if (result.columns.empty())
        return nullptr;
    return &state_->tables.emplace(key, std::move(result)).first->second;
}

void SqliteDatabase::executeSql(const std::string& sql) {
    state_->tables.clear();
    if (sqlite3_exec(handle_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        failWith(lastFailure(), refusedStatement(sql));
}

std::vector<std::string> SqliteDatabase::indexedColumns(std::string_view table) {
    const std::string what = "无法读取表 " + std::string(table) + " 的索引";
    SqliteStatement& query = statement("SELECT lower(ii.name) FROM pragma_index_list(?) AS il,"
                                       " pragma_index_info(il.name) AS ii WHERE ii.seqno = 0",
                                       what);
    query.bind(0, EngineValue::ofText(std::string(table)));
    std::vector<std::string> columns;
    int code;
    while ((code = query.step()) == SQLITE_ROW)
        columns.push_back(query.columnText(0));
    if (code != SQLITE_DONE) {
        const StepFailure failure = lastFailure();
        query.reset();
        failWith(failure, what);
    }
    query.reset();
    return columns;
}

void SqliteDatabase::startTransaction() {
    // IMMEDIATE takes the write lock now, where the busy timeout applies; a deferred
    // transaction could fail half-way when another writer came first.
    run(statement("BEGIN IMMEDIATE", {}), beginFailure());
}

void SqliteDatabase::startSavepoint() {
    run(statement("SAVEPOINT wb_unit", {}), beginFailure());
}

void SqliteDatabase::releaseSavepoint() {
    run(statement("RELEASE wb_unit", {}), commitFailure());
}

bool SqliteDatabase::rollBackToSavepoint() {
    // Errors are dropped: the engine may have ended the transaction itself (a full disk),
    // and a rollback runs while another error is on its way to the caller.
    StepFailure ignored;
    runToEnd(statement("ROLLBACK TO wb_unit", {}), ignored);
    runToEnd(statement("RELEASE wb_unit", {}), ignored);
    return sqlite3_get_autocommit(handle_) == 0;
}

void SqliteDatabase::commitWork() {
    checkSameFile();
    StepFailure failure;
    if (runToEnd(statement("COMMIT", {}), failure) != SQLITE_DONE)
        failCommit(described(failure)); // taken before the rollback, whose complaint would hide it
}

void SqliteDatabase::rollBack() {
    if (handle_ == nullptr || sqlite3_get_autocommit(handle_) != 0)
        return; // nothing open: the engine may have ended it itself
    StepFailure ignored;
    runToEnd(statement("ROLLBACK", {}), ignored);
}

void SqliteDatabase::checkSameFile() {
    const std::string name = displayName();
    State::FileIdentity& identity = state_->identity;
    struct stat info = {};
    if (::stat(QFile::encodeName(path_).constData(), &info) != 0)
        throw DatabaseFailure("数据库文件 " + name + " 在打开之后被删除或移走了，不能再写入");
    if (static_cast<std::uint64_t>(info.st_dev) != identity.device ||
        static_cast<std::uint64_t>(info.st_ino) != identity.inode)
        throw DatabaseFailure("数据库文件 " + name + " 在打开之后被另一个文件替换了，不能再写入");
    if (static_cast<std::int64_t>(info.st_size) < identity.size)
        throw DatabaseFailure("数据库文件 " + name + " 在打开之后被截短了，不能再写入");
    identity.size = static_cast<std::int64_t>(info.st_size);
}

void SqliteDatabase::checkWritable() {
    checkSameFile();
    if (sqlite3_db_readonly(handle_, "main") == 1)
        throw DatabaseFailure("数据库文件 " + displayName() + " 是只读的，不能写入");
    const QString folder = QFileInfo(path_).absolutePath();
    if (::access(QFile::encodeName(folder).constData(), W_OK) != 0)
        throw DatabaseFailure("数据库所在的文件夹 " + utf8(folder) +
                              " 不能写入，数据库无法在那里建立它的日志文件");
}

} // namespace wb
