// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/Query.h"

#include "data/Connection.h"
#include "text/CellValue.h"
#include "text/Encoding.h"
#include "text/Error.h"
#include "text/GbkText.h"

#include <QVariant>

#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace wb {

struct Query::Impl {
    explicit Impl(Connection& connection) : connection(connection) {}

    Connection& connection;
    Gbk text;
    // The rows are read whole when the query opens, so that no statement stays open (it
    // would pin an old view of the database and block the next write).
    bool open = false;
    QueryRows result;
    std::size_t position = 0;

    std::string describe() const { return "查询“" + gbkToUtf8(text) + "”"; }
    bool eof() const { return position >= result.rows.size(); }

    const QVariant& value(std::string_view column) const {
        if (!open)
            throw Error(describe() + "没有打开。");
        if (eof())
            throw Error(describe() + "没有当前记录。");
        for (std::size_t i = 0; i < result.columns.size(); ++i)
            if (equalsIgnoringAsciiCase(result.columns[i], column))
                return result.rows[position][i];
        throw Error(describe() + "的结果中没有字段 " + std::string(column) + "。");
    }
};

Query::Query(Connection& connection) : impl_(new Impl(connection)) {}

Query::~Query() = default;

void Query::close() {
    impl_->open = false;
    impl_->result = QueryRows();
    impl_->position = 0;
}

void Query::setText(Gbk jet) {
    impl_->text = std::move(jet);
}

void Query::open() {
    close();
    impl_->result = impl_->connection.database().select(impl_->text);
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
    const QVariant& value = impl_->value(column);
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

Gbk Query::fieldText(std::string_view column) const {
    const QVariant& value = impl_->value(column);
    if (value.isNull())
        return {};
    switch (value.metaType().id()) {
    case QMetaType::Double:
        return Gbk::ascii(numberText(value.toDouble()));
    case QMetaType::QByteArray: {
        // Bytes stored as they are: taken for the GBK they were written as.
        const QByteArray bytes = value.toByteArray();
        return Gbk::fromBytes(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }
    default:
        return utf8ToGbk(value.toString().toUtf8().toStdString());
    }
}

int Query::rowCount() const {
    if (!impl_->open)
        throw Error(impl_->describe() + "没有打开。");
    return static_cast<int>(impl_->result.rows.size());
}

} // namespace wb
