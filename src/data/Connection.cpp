#include "data/Connection.h"

#include "data/DatabaseFailure.h"
#include "text/Error.h"
#include "text/GbkText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <QVariant>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <unordered_map>

namespace wb {

namespace {

constexpr char kSqliteHeader[] = "SQLite format 3"; // followed by a NUL byte
constexpr const char* kAccessConnection =
    "Driver={Microsoft Access Driver (*.mdb, *.accdb)};DBQ=%1;PWD=Hq7LmX3rTb9WcE5k";

std::string utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

ColumnType columnTypeOfField(const QSqlField& field) {
    switch (field.metaType().id()) {
    case QMetaType::QDate:
    case QMetaType::QDateTime:
    case QMetaType::QTime:
        return ColumnType::Date;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::UChar:
    case QMetaType::Bool:
        return ColumnType::Integer;
    case QMetaType::Double:
    case QMetaType::Float:
        return ColumnType::Real;
    case QMetaType::QString:
        return ColumnType::Text;
    default:
        return ColumnType::Untyped;
    }
}

} // namespace

struct Connection::Cache {
    std::unordered_map<std::string, TableColumns> tables; // by lower-case name
    std::unordered_map<std::string, std::unique_ptr<SqliteStatement>> statements;
};

Connection::Connection(std::string fileName, int busyTimeoutMs)
    : fileName_(std::move(fileName)), busyTimeoutMs_(busyTimeoutMs),
      cache_(std::make_unique<Cache>()) {
    static std::atomic<int> counter{0};
    connectionName_ = QStringLiteral("wagebook-%1").arg(++counter);
}

Connection::~Connection() {
    rollbackUnit();
    rollbackTransaction();
    closeDatabase();
}

void Connection::closeDatabase() {
    // Statements first: the engine closes only once none is left.
    cache_ = std::make_unique<Cache>();
    handle_ = nullptr;
    const QString readerName = connectionName_ + QStringLiteral("-reader");
    if (reader_.isValid())
        reader_.close();
    reader_ = QSqlDatabase();
    if (QSqlDatabase::contains(readerName))
        QSqlDatabase::removeDatabase(readerName);
    if (database_.isValid())
        database_.close();
    database_ = QSqlDatabase();
    if (QSqlDatabase::contains(connectionName_))
        QSqlDatabase::removeDatabase(connectionName_);
}

QSqlDatabase& Connection::readerDatabase() {
    if (engine() == Engine::Jet)
        return database_;
    if (!reader_.isOpen()) {
        reader_ =
            QSqlDatabase::cloneDatabase(database_, connectionName_ + QStringLiteral("-reader"));
        reader_.setConnectOptions(
            QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1;QSQLITE_OPEN_READONLY").arg(busyTimeoutMs_));
        if (!reader_.open())
            fail(reader_.lastError(), "无法打开数据库 " + displayName());
    }
    return reader_;
}

QSqlDatabase& Connection::database() {
    if (!database_.isOpen())
        open();
    return database_;
}

bool Connection::isOpen() const {
    return database_.isOpen();
}

Connection::Engine Connection::engine() {
    database();
    return engine_;
}

std::string Connection::displayName() const {
    return path_.isEmpty() ? utf8(QFile::decodeName(fileName_.c_str())) : utf8(path_);
}

void Connection::open() {
    path_ = QFileInfo(QFile::decodeName(fileName_.c_str())).absoluteFilePath();
    const std::string name = displayName();
    const QFileInfo info(path_);
    if (!info.exists())
        throw Error("找不到数据库文件 " + name + "。");
    QFile file(path_);
    if (info.isDir())
        throw Error("无法读取数据库文件 " + name + "：它是一个文件夹。");
    if (!file.open(QIODevice::ReadOnly))
        throw Error("无法读取数据库文件 " + name + "：" + utf8(file.errorString()) + "。");
    const QByteArray head = file.read(32);
    if (file.error() != QFileDevice::NoError)
        throw Error("无法读取数据库文件 " + name + "：" + utf8(file.errorString()) + "。");
    file.close();

    if (head.startsWith(QByteArray(kSqliteHeader, sizeof kSqliteHeader)))
        openSqlite(path_);
    else if (head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB")
        openJet(path_);
    else
        throw Error("文件 " + name +
                    " 不是人事数据库：它既不是 SQLite 3 数据库，也不是 Access 数据库。");
}

void Connection::openSqlite(const QString& path) {
    // A write past the process's file-size limit would kill the program in the middle of a
    // commit; with the signal ignored the write fails, and the failure is reported.
    static const bool fileSizeSignalIgnored = [] {
        struct sigaction current = {};
        if (sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
            std::signal(SIGXFSZ, SIG_IGN);
        return true;
    }();
    (void)fileSizeSignalIgnored;
    database_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
    database_.setDatabaseName(path);
    engine_ = Engine::Sqlite;
    const std::string what = "无法打开数据库 " + displayName();
    if (!database_.open()) {
        const QSqlError error = database_.lastError();
        closeDatabase();
        fail(error, what);
    }
    const QVariant handle = database_.driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        handle_ = *static_cast<sqlite3* const*>(handle.constData());
    if (!handle_) {
        closeDatabase();
        throw Error(what + "：SQLite 驱动没有交出数据库句柄。");
    }
    useWalWherePossible(what);
    sqlite3_busy_timeout(handle_, busyTimeoutMs_);
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
        failOpen(what);
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0)
        identity_ = {static_cast<std::uint64_t>(info.st_dev),
                     static_cast<std::uint64_t>(info.st_ino),
                     static_cast<std::int64_t>(info.st_size)};
}

// WAL lets the window, the command line and other readers share the file while one of them
// writes. Switching needs the file alone: while another program has it open the switch is
// left for a later start and the file keeps its own journal mode, which is just as safe.
void Connection::useWalWherePossible(const std::string& what) {
    constexpr int kSwitchWaitMs = 200;
    sqlite3_busy_timeout(handle_, kSwitchWaitMs);
    if (sqlite3_exec(handle_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr) == SQLITE_OK)
        return;
    const int code = sqlite3_extended_errcode(handle_);
    switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_READONLY:
        return;
    default:
        failOpen(what);
    }
}

void Connection::openJet(const QString& path) {
    const std::string what = "文件 " + displayName() + " 是 Access 数据库";
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")))
        throw Error(what + "，本机没有可用的 ODBC 数据库驱动，无法打开它。");
    database_ = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), connectionName_);
    database_.setDatabaseName(
        QString::fromLatin1(kAccessConnection).arg(QDir::toNativeSeparators(path)));
    engine_ = Engine::Jet;
    if (!database_.open()) {
        const QSqlError error = database_.lastError();
        closeDatabase();
        throw Error(what + "，本机无法打开它（没有 Access 数据库驱动，或密码不符）：" +
                    utf8(error.text()));
    }
}

void Connection::fail(const QSqlError& error, const std::string& what) {
    QString engineText = error.databaseText();
    if (engineText.isEmpty())
        engineText = error.text();
    StepFailure failure;
    if (engine_ == Engine::Sqlite && handle_ != nullptr) {
        failure.code = error.nativeErrorCode().toInt();
        failure.systemErrno = sqlite3_system_errno(handle_);
    }
    failure.message = utf8(engineText);
    failWith(failure, what);
}

void Connection::failOpen(const std::string& what) {
    // The engine's account is taken before the handle goes with the closed database.
    const StepFailure failure{sqlite3_extended_errcode(handle_), sqlite3_system_errno(handle_),
                              sqlite3_errmsg(handle_)};
    closeDatabase();
    failWith(failure, what);
}

void Connection::failSqlite(int code, const std::string& what) {
    failWith(
        {code, handle_ ? sqlite3_system_errno(handle_) : 0, handle_ ? sqlite3_errmsg(handle_) : ""},
        what);
}

void Connection::failWith(const StepFailure& failure, const std::string& what) {
    const std::string cause = failureCause(failure.code, failure.systemErrno);
    const std::string text = cause.empty() ? what + "：" + failure.message
                                           : what + "：" + cause + "（" + failure.message + "）";
    // The engine ends the whole transaction on some failures (a full disk, an I/O error):
    // nothing written since it began is kept, and writing on would commit each statement
    // on its own.
    const bool abandoned =
        (inTransaction_ || inUnit_) && handle_ != nullptr && sqlite3_get_autocommit(handle_) != 0;
    if (abandoned) {
        inTransaction_ = false;
        inUnit_ = false;
        throw DatabaseFailure(text + "；尚未提交的写入已全部撤销");
    }
    if (isDatabaseFailure(failure.code))
        throw DatabaseFailure(text);
    throw Error(text);
}

SqliteStatement& Connection::statement(const std::string& sql, const std::string& what) {
    auto found = cache_->statements.find(sql);
    if (found != cache_->statements.end())
        return *found->second;
    if (engine() != Engine::Sqlite)
        throw Error("数据库 " + displayName() + " 不是 SQLite 数据库，不能执行“" + sql + "”。");
    auto statement = std::make_unique<SqliteStatement>(handle_, sql);
    if (!statement->prepared())
        failSqlite(sqlite3_extended_errcode(handle_),
                   what.empty() ? "数据库拒绝了语句“" + sql + "”" : what);
    return *cache_->statements.emplace(sql, std::move(statement)).first->second;
}

const int Connection::kDone = SQLITE_DONE;

int Connection::runToEnd(SqliteStatement& statement, StepFailure& failure) {
    int code;
    while ((code = statement.step()) == SQLITE_ROW) {
    }
    if (code != SQLITE_DONE)
        failure = {sqlite3_extended_errcode(handle_), sqlite3_system_errno(handle_),
                   sqlite3_errmsg(handle_)};
    statement.reset();
    return code;
}

void Connection::run(SqliteStatement& statement, const std::string& what) {
    run(statement, [&what] { return what; });
}

std::int64_t Connection::lastInsertId() {
    return sqlite3_last_insert_rowid(handle_);
}

const TableColumns* Connection::columns(std::string_view table) {
    const std::string key = asciiLower(table);
    auto found = cache_->tables.find(key);
    if (found != cache_->tables.end())
        return &found->second;
    TableColumns columns;
    if (engine() == Engine::Sqlite) {
        const std::string what = "无法读取表 " + std::string(table) + " 的字段";
        SqliteStatement& query = statement("SELECT name, type FROM pragma_table_info(?)", what);
        query.bind(0, EngineValue::ofText(std::string(table)));
        int code;
        while ((code = query.step()) == SQLITE_ROW)
            columns.columns.push_back(
                {query.columnText(0), columnTypeOfDeclaration(query.columnText(1))});
        if (code != SQLITE_DONE) {
            const StepFailure failure{sqlite3_extended_errcode(handle_),
                                      sqlite3_system_errno(handle_), sqlite3_errmsg(handle_)};
            query.reset();
            failWith(failure, what);
        }
        query.reset();
    } else {
        const QSqlRecord record =
            database_.record(QString::fromUtf8(table.data(), static_cast<qsizetype>(table.size())));
        for (int i = 0; i < record.count(); ++i)
            columns.columns.push_back(
                {utf8(record.fieldName(i)), columnTypeOfField(record.field(i))});
    }
    if (columns.columns.empty())
        return nullptr;
    return &cache_->tables.emplace(key, std::move(columns)).first->second;
}

void Connection::beginTransaction() {
    if (inTransaction_ || inUnit_)
        throw Error("上一个写入事务还没有结束。");
    const std::string what = "无法开始写入数据库 " + displayName();
    if (engine() == Engine::Sqlite) {
        // IMMEDIATE takes the write lock now, where the busy timeout applies; a deferred
        // transaction could fail half-way when another writer came first.
        run(statement("BEGIN IMMEDIATE"), what);
    } else if (!database_.transaction()) {
        fail(database_.lastError(), what);
    }
    inTransaction_ = true;
}

void Connection::commitTransaction() {
    if (!inTransaction_)
        throw Error("没有要提交的写入事务。");
    if (inUnit_)
        throw Error("写入单元还没有结束，不能提交事务。");
    commitOrRollBack("无法提交对数据库 " + displayName() + " 的写入");
}

void Connection::rollbackTransaction() {
    if (!inTransaction_)
        return;
    inUnit_ = false;
    rollBackQuietly();
}

bool Connection::inTransaction() const {
    return inTransaction_;
}

void Connection::beginUnit() {
    if (inUnit_)
        throw Error("上一个写入单元还没有结束。");
    unitOwnsTransaction_ = !inTransaction_;
    if (unitOwnsTransaction_)
        beginTransaction();
    else if (engine_ == Engine::Sqlite)
        run(statement("SAVEPOINT wb_unit"), "无法开始写入数据库 " + displayName());
    inUnit_ = true;
}

void Connection::commitUnit() {
    if (!inUnit_)
        throw Error("没有要提交的写入单元。");
    const std::string what = "无法提交对数据库 " + displayName() + " 的写入";
    if (unitOwnsTransaction_) {
        inUnit_ = false;
        commitOrRollBack(what);
        return;
    }
    if (engine_ == Engine::Sqlite) {
        StepFailure failure;
        if (runToEnd(statement("RELEASE wb_unit"), failure) != SQLITE_DONE) {
            rollbackUnit();
            failWith(failure, what);
        }
    }
    inUnit_ = false;
}

void Connection::rollbackUnit() {
    if (!inUnit_)
        return;
    inUnit_ = false;
    if (unitOwnsTransaction_) {
        rollBackQuietly();
        return;
    }
    if (engine_ != Engine::Sqlite)
        return; // undone with the transaction it is part of
    // Errors are dropped: the engine may have ended the transaction itself (a full disk),
    // and a rollback runs while another error is on its way to the caller.
    StepFailure ignored;
    runToEnd(statement("ROLLBACK TO wb_unit"), ignored);
    runToEnd(statement("RELEASE wb_unit"), ignored);
    if (sqlite3_get_autocommit(handle_) != 0)
        inTransaction_ = false;
}

bool Connection::inUnit() const {
    return inUnit_;
}

void Connection::commitOrRollBack(const std::string& what) {
    try {
        checkSameFile();
    } catch (const DatabaseFailure&) {
        rollBackQuietly();
        throw;
    }
    if (engine_ == Engine::Jet) {
        inTransaction_ = false;
        if (!database_.commit()) {
            const QSqlError error = database_.lastError();
            database_.rollback();
            fail(error, what);
        }
        return;
    }
    StepFailure failure;
    if (runToEnd(statement("COMMIT"), failure) == SQLITE_DONE) {
        inTransaction_ = false;
        return;
    }
    // The cause is taken before the rollback, whose own complaint would hide it.
    rollBackQuietly();
    throw DatabaseFailure(what + "：" + [&] {
        const std::string cause = failureCause(failure.code, failure.systemErrno);
        return cause.empty() ? failure.message : cause + "（" + failure.message + "）";
    }() + "；尚未提交的写入已全部撤销");
}

void Connection::rollBackQuietly() {
    inTransaction_ = false;
    inUnit_ = false;
    if (engine_ == Engine::Jet) {
        database_.rollback();
        return;
    }
    if (handle_ == nullptr || sqlite3_get_autocommit(handle_) != 0)
        return; // nothing open: the engine may have ended it itself
    StepFailure ignored;
    runToEnd(statement("ROLLBACK"), ignored);
}

void Connection::checkSameFile() {
    if (engine_ != Engine::Sqlite || path_.isEmpty())
        return;
    const std::string name = displayName();
    struct stat info = {};
    if (::stat(QFile::encodeName(path_).constData(), &info) != 0)
        throw DatabaseFailure("数据库文件 " + name + " 在打开之后被删除或移走了，不能再写入");
    if (static_cast<std::uint64_t>(info.st_dev) != identity_.device ||
        static_cast<std::uint64_t>(info.st_ino) != identity_.inode)
        throw DatabaseFailure("数据库文件 " + name + " 在打开之后被另一个文件替换了，不能再写入");
    if (static_cast<std::int64_t>(info.st_size) < identity_.size)
        throw DatabaseFailure("数据库文件 " + name + " 在打开之后被截短了，不能再写入");
    identity_.size = static_cast<std::int64_t>(info.st_size);
}

void Connection::checkWritable() {
    if (engine() != Engine::Sqlite)
        return;
    checkSameFile();
    const std::string name = displayName();
    if (sqlite3_db_readonly(handle_, "main") == 1)
        throw DatabaseFailure("数据库文件 " + name + " 是只读的，不能写入");
    const QByteArray folder = QFile::encodeName(QFileInfo(path_).absolutePath());
    if (::access(folder.constData(), W_OK) != 0)
        throw DatabaseFailure("数据库所在的文件夹 " + utf8(QFileInfo(path_).absolutePath()) +
                              " 不能写入，数据库无法在那里建立它的日志文件");
}

} // namespace wb
