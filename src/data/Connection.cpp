#include "data/Connection.h"

#include "text/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <unordered_map>

namespace wb {

namespace {

constexpr char kSqliteHeader[] = "SQLite format 3"; // followed by a NUL byte
constexpr const char* kAccessConnection =
    "Driver={Microsoft Access Driver (*.mdb, *.accdb)};DBQ=%1;PWD=Hq7LmX3rTb9WcE5k";

std::string utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
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
    std::unordered_map<std::string, std::unique_ptr<QSqlQuery>> statements;
};

Connection::Connection(std::string fileName, int busyTimeoutMs)
    : fileName_(std::move(fileName)), busyTimeoutMs_(busyTimeoutMs),
      cache_(std::make_unique<Cache>()) {
    static std::atomic<int> counter{0};
    connectionName_ = QStringLiteral("wagebook-%1").arg(++counter);
}

Connection::~Connection() {
    rollbackUnit();
    closeDatabase();
}

void Connection::closeDatabase() {
    // Queries first: a connection is removed only once nothing uses it.
    cache_ = std::make_unique<Cache>();
    if (database_.isValid())
        database_.close();
    database_ = QSqlDatabase();
    if (QSqlDatabase::contains(connectionName_))
        QSqlDatabase::removeDatabase(connectionName_);
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
    // The busy timeout first, so that switching to WAL waits for another program's lock.
    const QString pragmas[] = {
        QStringLiteral("PRAGMA busy_timeout=%1").arg(busyTimeoutMs_),
        QStringLiteral("PRAGMA journal_mode=WAL"),
        QStringLiteral("PRAGMA synchronous=NORMAL"),
    };
    for (const QString& pragma : pragmas) {
        QSqlQuery query(database_);
        if (!query.exec(pragma)) {
            const QSqlError error = query.lastError();
            query = QSqlQuery();
            closeDatabase();
            fail(error, what);
        }
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
    std::string reason;
    if (engine_ == Engine::Sqlite) {
        switch (error.nativeErrorCode().toInt() & 0xFF) {
        case 5: // SQLITE_BUSY
        case 6: // SQLITE_LOCKED
            reason = "数据库正被其他程序使用（已锁定），请稍后再试";
            break;
        case 8: // SQLITE_READONLY
            reason = "数据库文件是只读的，不能写入";
            break;
        case 11: // SQLITE_CORRUPT
        case 26: // SQLITE_NOTADB
            reason = "数据库文件已损坏";
            break;
        case 13: // SQLITE_FULL
            reason = "磁盘已满";
            break;
        default:
            break;
        }
    }
    QString engineText = error.databaseText();
    if (engineText.isEmpty())
        engineText = error.text();
    if (reason.empty())
        throw Error(what + "：" + utf8(engineText));
    throw Error(what + "：" + reason + "（" + utf8(engineText) + "）");
}

void Connection::run(QSqlQuery& query, const std::string& what) {
    if (!query.exec())
        fail(query.lastError(), what);
}

QSqlQuery& Connection::prepared(const std::string& sql, const std::string& what) {
    auto found = cache_->statements.find(sql);
    if (found != cache_->statements.end())
        return *found->second;
    auto query = std::make_unique<QSqlQuery>(database());
    query->setForwardOnly(true);
    if (!query->prepare(QString::fromUtf8(sql)))
        fail(query->lastError(), what.empty() ? "数据库拒绝了语句“" + sql + "”" : what);
    return *cache_->statements.emplace(sql, std::move(query)).first->second;
}

const TableColumns* Connection::columns(std::string_view table) {
    const std::string key = lowered(table);
    auto found = cache_->tables.find(key);
    if (found != cache_->tables.end())
        return &found->second;
    TableColumns columns;
    if (engine() == Engine::Sqlite) {
        QSqlQuery& query = prepared("SELECT name, type FROM pragma_table_info(?)");
        query.bindValue(0, QString::fromUtf8(table.data(), static_cast<qsizetype>(table.size())));
        run(query, "无法读取表 " + std::string(table) + " 的字段");
        while (query.next()) {
            const std::string type = utf8(query.value(1).toString());
            columns.columns.push_back(
                {utf8(query.value(0).toString()), columnTypeOfDeclaration(type)});
        }
        query.finish();
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
    if (engine() == Engine::Sqlite) {
        // IMMEDIATE takes the write lock now, where the busy timeout applies; a deferred
        // unit could fail half-way when another writer came first.
        run(prepared("BEGIN IMMEDIATE"), "无法开始写入数据库 " + displayName());
    } else if (!database_.transaction()) {
        fail(database_.lastError(), "无法开始写入数据库 " + displayName());
    }
    inUnit_ = true;
}

void Connection::commitUnit() {
    if (!inUnit_)
        throw Error("没有要提交的写入单元。");
    const std::string what = "无法提交对数据库 " + displayName() + " 的写入";
    if (engine_ == Engine::Sqlite) {
        QSqlQuery& commit = prepared("COMMIT");
        if (!commit.exec()) {
            const QSqlError error = commit.lastError();
            rollbackUnit();
            fail(error, what);
        }
    } else if (!database_.commit()) {
        const QSqlError error = database_.lastError();
        rollbackUnit();
        fail(error, what);
    }
    inUnit_ = false;
}

void Connection::rollbackUnit() {
    if (!inUnit_)
        return;
    inUnit_ = false;
    // Errors are dropped: the engine may have ended the unit itself (a full disk), and a
    // rollback runs while another error is on its way to the caller.
    if (engine_ == Engine::Sqlite) {
        try {
            prepared("ROLLBACK").exec();
        } catch (const Error&) {
        }
    } else {
        database_.rollback();
    }
}

bool Connection::inUnit() const {
    return inUnit_;
}

} // namespace wb
