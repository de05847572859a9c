#include "data/Connection.h"

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

#include <atomic>
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
    try {
        flushUnits();
    } catch (const Error&) {
        // Nothing can report it any more; the units of the failed group are not stored.
    }
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
    // The busy timeout first, so that switching to WAL waits for another program's lock.
    const std::string pragmas = "PRAGMA busy_timeout=" + std::to_string(busyTimeoutMs_) +
                                "; PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL";
    if (sqlite3_exec(handle_, pragmas.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        const int code = sqlite3_extended_errcode(handle_);
        const std::string message = sqlite3_errmsg(handle_);
        closeDatabase();
        failWith(code, message, what);
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

void Connection::fail(const QSqlError& error, const std::string& what) const {
    QString engineText = error.databaseText();
    if (engineText.isEmpty())
        engineText = error.text();
    failWith(engine_ == Engine::Sqlite ? error.nativeErrorCode().toInt() : 0, utf8(engineText),
             what);
}

void Connection::failSqlite(int code, const std::string& what) const {
    failWith(code, sqlite3_errmsg(handle_), what);
}

void Connection::failWith(int sqliteCode, const std::string& engineText,
                          const std::string& what) const {
    std::string reason;
    switch (sqliteCode & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        reason = "数据库正被其他程序使用（已锁定），请稍后再试";
        break;
    case SQLITE_READONLY:
        reason = "数据库文件是只读的，不能写入";
        break;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        reason = "数据库文件已损坏";
        break;
    case SQLITE_FULL:
        reason = "磁盘已满";
        break;
    default:
        break;
    }
    if (reason.empty())
        throw Error(what + "：" + engineText);
    throw Error(what + "：" + reason + "（" + engineText + "）");
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

int Connection::runToEnd(SqliteStatement& statement, std::string& message) {
    int code;
    while ((code = statement.step()) == SQLITE_ROW) {
    }
    if (code != SQLITE_DONE)
        message = sqlite3_errmsg(handle_);
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
        const std::string message = code == SQLITE_DONE ? "" : sqlite3_errmsg(handle_);
        query.reset();
        if (code != SQLITE_DONE)
            failWith(code, message, what);
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

void Connection::beginUnit() {
    if (inUnit_)
        throw Error("上一个写入单元还没有结束。");
    const std::string what = "无法开始写入数据库 " + displayName();
    if (engine() == Engine::Sqlite) {
        if (!inGroup_) {
            // IMMEDIATE takes the write lock now, where the busy timeout applies; a deferred
            // unit could fail half-way when another writer came first.
            run(statement("BEGIN IMMEDIATE"), what);
            inGroup_ = true;
            unitsInGroup_ = 0;
            groupStart_ = std::chrono::steady_clock::now();
        }
        run(statement("SAVEPOINT wb_unit"), what);
    } else if (!database_.transaction()) {
        fail(database_.lastError(), what);
    }
    inUnit_ = true;
}

void Connection::commitUnit() {
    if (!inUnit_)
        throw Error("没有要提交的写入单元。");
    const std::string what = "无法提交对数据库 " + displayName() + " 的写入";
    if (engine_ == Engine::Sqlite) {
        std::string message;
        const int code = runToEnd(statement("RELEASE wb_unit"), message);
        if (code != SQLITE_DONE) {
            rollbackUnit();
            failWith(code, message, what);
        }
        inUnit_ = false;
        ++unitsInGroup_;
        if (std::chrono::steady_clock::now() - groupStart_ >= groupWindow_)
            commitGroup();
        return;
    }
    if (!database_.commit()) {
        const QSqlError error = database_.lastError();
        rollbackUnit();
        fail(error, what);
    }
    inUnit_ = false;
}

void Connection::commitGroup() {
    inGroup_ = false;
    std::string message;
    const int code = runToEnd(statement("COMMIT"), message);
    if (code == SQLITE_DONE)
        return;
    const int lost = unitsInGroup_;
    try {
        runToEnd(statement("ROLLBACK"), message);
    } catch (const Error&) {
    }
    failWith(code, message,
             "无法提交对数据库 " + displayName() + " 的写入, 最近的 " + std::to_string(lost) +
                 " 个单元没有保存");
}

void Connection::flushUnits() {
    if (inGroup_ && !inUnit_)
        commitGroup();
}

void Connection::setGroupWindow(std::chrono::milliseconds window) {
    groupWindow_ = window;
}

void Connection::rollbackUnit() {
    if (!inUnit_)
        return;
    inUnit_ = false;
    // Errors are dropped: the engine may have ended the transaction itself (a full disk),
    // and a rollback runs while another error is on its way to the caller.
    if (engine_ == Engine::Sqlite) {
        std::string message;
        try {
            runToEnd(statement("ROLLBACK TO wb_unit"), message);
            runToEnd(statement("RELEASE wb_unit"), message);
        } catch (const Error&) {
        }
        if (handle_ != nullptr && sqlite3_get_autocommit(handle_) != 0)
            inGroup_ = false; // the engine abandoned the whole transaction
        else if (inGroup_ && unitsInGroup_ == 0) {
            try {
                commitGroup(); // nothing of value in it: end it so the lock is released
            } catch (const Error&) {
            }
        }
    } else {
        database_.rollback();
    }
}

bool Connection::inUnit() const {
    return inUnit_;
}

} // namespace wb
