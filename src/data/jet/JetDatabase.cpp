// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/jet/JetDatabase.h"

#include "data/DataText.h"
#include "data/DatabaseFailure.h"
#include "text/Encoding.h"
#include "text/Error.h"
#include "text/GbkText.h"

#include <QDir>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

#include <atomic>

namespace wb {

namespace {

constexpr const char* kAccessConnection =
    "Driver={Microsoft Access Driver (*.mdb, *.accdb)};DBQ=%1;PWD=Hq7LmX3rTb9WcE5k";

QString fromGbk(const Gbk& gbk) {
    return QString::fromUtf8(gbkToUtf8(gbk));
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

QVariant variant(const EngineValue& value) {
    switch (value.kind) {
    case EngineValue::Kind::Integer:
        return QVariant(static_cast<qlonglong>(value.integer));
    case EngineValue::Kind::Real:
        return QVariant(value.real);
    case EngineValue::Kind::Text:
        return QVariant(QString::fromUtf8(value.text));
    case EngineValue::Kind::Null:
        break;
    }
    return QVariant();
}

} // namespace

JetDatabase::JetDatabase(const QString& path) : path_(path) {
    static std::atomic<int> counter{0};
    connectionName_ = QStringLiteral("wagebook-jet-%1").arg(++counter);
    const std::string what = "文件 " + displayName() + " 是 Access 数据库";
    const std::string migrate = "请先用 wagebook-migrate 把它复制成 SQLite 数据库（见 README 的"
                                "“Moving an existing office”）。";
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")))
        throw Error(what + "，本机没有可用的 ODBC 数据库驱动，无法打开它。" + migrate);
    database_ = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), connectionName_);
    database_.setDatabaseName(
        QString::fromLatin1(kAccessConnection).arg(QDir::toNativeSeparators(path)));
    if (!database_.open()) {
        const QString reason = database_.lastError().text();
        database_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName_);
        throw Error(what + "，本机无法打开它（没有 Access 数据库驱动，或密码不符）：" +
                    utf8(reason) + "。" + migrate);
    }
}

JetDatabase::~JetDatabase() {
    rollbackAll();
    database_.close();
    database_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(connectionName_);
}

std::string JetDatabase::displayName() const {
    return utf8(path_);
}

void JetDatabase::fail(const QString& engineText, const std::string& what) const {
    throw Error(what + "：" + utf8(engineText));
}

void JetDatabase::execute(const Gbk& jetGbk) {
    QSqlQuery query(database_);
    if (!query.exec(fromGbk(jetGbk)))
        fail(query.lastError().text(), refusedStatement(gbkToUtf8(jetGbk)));
}

QueryRows JetDatabase::select(const Gbk& jetGbk) {
    QSqlQuery query(database_);
    query.setForwardOnly(true);
    const std::string what = "查询“" + gbkToUtf8(jetGbk) + "”失败";
    if (!query.exec(fromGbk(jetGbk)))
        fail(query.lastError().text(), what);
    QueryRows result = readRows(query);
    if (query.lastError().isValid())
        fail(query.lastError().text(), what);
    return result;
}

std::int64_t JetDatabase::insertRow(std::string_view table, const std::vector<std::string>& names,
                                    const std::vector<EngineValue>& values) {
    const std::string sql = insertStatement(
        table, names, [](std::string_view name) { return "[" + std::string(name) + "]"; });
    const std::string what = "无法写入表 " + std::string(table) + " 的记录";
    QSqlQuery query(database_);
    if (!query.prepare(QString::fromUtf8(sql)))
        fail(query.lastError().text(), what);
    for (std::size_t i = 0; i < values.size(); ++i)
        query.bindValue(static_cast<int>(i), variant(values[i]));
    if (!query.exec())
        fail(query.lastError().text(), what);
    QVariant key = query.lastInsertId();
    if (!key.isValid()) {
        QSqlQuery identity(database_);
        if (identity.exec(QStringLiteral("SELECT @@IDENTITY")) && identity.next())
            key = identity.value(0);
    }
    return key.toLongLong();
}

void JetDatabase::deleteRow(std::string_view table, std::int64_t key) {
    QSqlQuery query(database_);
    if (!query.exec(QStringLiteral("DELETE FROM [%1] WHERE id = %2")
                        .arg(QString::fromUtf8(table.data(), static_cast<qsizetype>(table.size())))
                        .arg(key)))
        fail(query.lastError().text(), rowNotTakenBack(table));
}

const TableColumns* JetDatabase::columns(std::string_view table) {
    const std::string key = asciiLower(table);
    auto found = tables_.find(key);
    if (found != tables_.end())
        return &found->second;
    TableColumns result;
    const QSqlRecord record =
        database_.record(QString::fromUtf8(table.data(), static_cast<qsizetype>(table.size())));
    for (int i = 0; i < record.count(); ++i)
        result.columns.push_back({utf8(record.fieldName(i)), columnTypeOfField(record.field(i))});
    if (result.columns.empty())
        return nullptr;
    return &tables_.emplace(key, std::move(result)).first->second;
}

void JetDatabase::startTransaction() {
    if (!database_.transaction())
        fail(database_.lastError().text(), beginFailure());
}

void JetDatabase::commitWork() {
    if (!database_.commit())
        failCommit(utf8(database_.lastError().text()));
}

void JetDatabase::rollBack() {
    database_.rollback();
}

void JetDatabase::checkWritable() {}

} // namespace wb
