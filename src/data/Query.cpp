#include "data/Query.h"

#include "xls/CellValue.h"
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
#include <vector>

namespace wb {

struct Query::Impl {
    explicit Impl(Connection& connection) : connection(connection) {}

    Connection& connection;
    std::string text;
    // The rows are read whole when the query opens, so that no statement stays open on the
    // writing connection (it would pin an old view of the database; see readerDatabase).
    bool open = false;
    QSqlRecord record;
    std::vector<std::vector<QVariant>> rows;
    std::size_t position = 0;

    std::string describe() const { return "查询“" + gbkToUtf8(text) + "”"; }
    bool eof() const { return position >= rows.size(); }

    QVariant value(std::string_view column) const {
        if (!open)
            throw Error(describe() + "没有打开。");
        if (eof())
            throw Error(describe() + "没有当前记录。");
        const int index =
            record.indexOf(QString::fromUtf8(column.data(), static_cast<qsizetype>(column.size())));
        if (index < 0)
            throw Error(describe() + "的结果中没有字段 " + std::string(column) + "。");
        return rows[position][static_cast<std::size_t>(index)];
    }
};

Query::Query(Connection& connection) : impl_(new Impl(connection)) {}

Query::~Query() = default;

void Query::close() {
    impl_->open = false;
    impl_->rows.clear();
    impl_->position = 0;
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
    impl_->record = query.record();
    const int columns = impl_->record.count();
    while (query.next()) {
        std::vector<QVariant> row(static_cast<std::size_t>(columns));
        for (int i = 0; i < columns; ++i)
            row[static_cast<std::size_t>(i)] = query.value(i);
        impl_->rows.push_back(std::move(row));
    }
    if (query.lastError().isValid())
        impl_->connection.fail(query.lastError(), impl_->describe() + "失败");
    query.finish();
    impl_->open = true;
}

bool Query::isOpen() const {
    return impl_->open;
}

bool Query::eof() const {
    return impl_->eof();
}

void Query::next() {
    if (impl_->open && !impl_->eof())
        ++impl_->position;
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
    if (!impl_->open)
        throw Error(impl_->describe() + "没有打开。");
    return static_cast<int>(impl_->rows.size());
}

} // namespace wb
