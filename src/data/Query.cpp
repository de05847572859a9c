#include "data/Query.h"

#include "data/CellValue.h"
#include "data/Connection.h"
#include "data/JetSql.h"
#include "text/Encoding.h"
#include "text/Error.h"
#include "text/GbkText.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <cmath>
#include <limits>
#include <optional>

namespace wb {

struct Query::Impl {
    explicit Impl(Connection& connection) : connection(connection) {}

    Connection& connection;
    std::string text;
    std::optional<QSqlQuery> query;
    QString sql; // what the open query runs
    bool eof = true;
    mutable std::optional<int> rowCount;

    std::string describe() const { return "查询“" + gbkToUtf8(text) + "”"; }

    QVariant value(std::string_view column) const {
        if (!query)
            throw Error(describe() + "没有打开。");
        if (eof)
            throw Error(describe() + "没有当前记录。");
        const int index = query->record().indexOf(
            QString::fromUtf8(column.data(), static_cast<qsizetype>(column.size())));
        if (index < 0)
            throw Error(describe() + "的结果中没有字段 " + std::string(column) + "。");
        return query->value(index);
    }
};

Query::Query(Connection& connection) : impl_(new Impl(connection)) {}

Query::~Query() {
    delete impl_;
}

void Query::close() {
    impl_->query.reset();
    impl_->eof = true;
    impl_->rowCount.reset();
}

void Query::setText(std::string jetGbk) {
    impl_->text = std::move(jetGbk);
}

QString Query::engineSql() const {
    Connection& connection = impl_->connection;
    if (connection.engine() == Connection::Engine::Jet)
        return QString::fromUtf8(gbkToUtf8(impl_->text));
    return QString::fromUtf8(translateJet(
        impl_->text, [&connection](std::string_view table) { return connection.columns(table); }));
}

void Query::open() {
    close();
    const QString sql = engineSql();
    QSqlQuery query(impl_->connection.database());
    query.setForwardOnly(true);
    if (!query.exec(sql))
        impl_->connection.fail(query.lastError(), impl_->describe() + "失败");
    impl_->eof = !query.next();
    impl_->sql = sql;
    impl_->query.emplace(std::move(query));
}

bool Query::isOpen() const {
    return impl_->query.has_value();
}

bool Query::eof() const {
    return impl_->eof;
}

void Query::next() {
    if (impl_->query && !impl_->eof)
        impl_->eof = !impl_->query->next();
}

std::int32_t Query::fieldInteger(std::string_view column) const {
    const QVariant value = impl_->value(column);
    if (value.isNull())
        return 0;
    std::optional<qlonglong> number;
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::Bool:
        number = value.toLongLong();
        break;
    case QMetaType::Double: {
        const double real = value.toDouble();
        if (real == std::trunc(real) && std::fabs(real) < 9.2e18)
            number = static_cast<qlonglong>(real);
        break;
    }
    default:
        if (const auto parsed =
                parseWholeNumber(trim(utf8ToGbk(value.toString().toUtf8().toStdString()))))
            number = *parsed;
        break;
    }
    if (!number || *number < std::numeric_limits<std::int32_t>::min() ||
        *number > std::numeric_limits<std::int32_t>::max())
        throw Error(impl_->describe() + "的字段 " + std::string(column) + " 的值“" +
                    value.toString().toUtf8().toStdString() + "”不是整数。");
    return static_cast<std::int32_t>(*number);
}

std::string Query::fieldText(std::string_view column) const {
    const QVariant value = impl_->value(column);
    if (value.isNull())
        return {};
    switch (value.metaType().id()) {
    case QMetaType::Double:
        return numberText(value.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    default:
        return utf8ToGbk(value.toString().toUtf8().toStdString());
    }
}

int Query::rowCount() const {
    if (!impl_->query)
        throw Error(impl_->describe() + "没有打开。");
    if (impl_->rowCount)
        return *impl_->rowCount;
    int count = impl_->query->size(); // -1 where the driver cannot tell
    if (count < 0) {
        QSqlQuery counter(impl_->connection.database());
        if (!counter.exec(QStringLiteral("SELECT count(*) FROM (%1) AS counted").arg(impl_->sql)) ||
            !counter.next())
            impl_->connection.fail(counter.lastError(), impl_->describe() + "无法计数");
        count = counter.value(0).toInt();
    }
    impl_->rowCount = count;
    return count;
}

} // namespace wb
