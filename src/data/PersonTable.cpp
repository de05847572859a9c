// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/PersonTable.h"

#include "data/Connection.h"
#include "data/JetSql.h"
#include "text/DecimalText.h"
#include "text/Encoding.h"
#include "text/Error.h"
#include "text/GbkText.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <unordered_map>
#include <vector>

namespace wb {

namespace {

EngineValue dateValue(double dayNumber) {
    return EngineValue::ofText(storedDateText(dayNumber));
}

// The value as a whole number, when it is one that a 64-bit integer holds.
std::optional<std::int64_t> wholeNumber(double value) {
    if (!std::isfinite(value) || value != std::trunc(value) || std::fabs(value) >= 9.2e18)
        return std::nullopt;
    return static_cast<std::int64_t>(value);
}

} // namespace

struct PersonTable::Impl {
    Impl(Connection& connection, std::string table)
        : connection(connection), table(std::move(table)) {}

    Connection& connection;
    std::string table;
    const TableColumns* columns = nullptr; // kept by the connection
    bool pending = false;
    std::vector<EngineValue> values; // per column of the table
    std::vector<char> assigned;      // per column: '1' when set, else '0'
    std::int32_t id = 0;
    std::unordered_map<std::string, std::vector<std::string>> namesByFields;
    std::vector<EngineValue> assignedValues; // kept for its capacity

    // Index of a column of the pending record; throws when there is none.
    std::size_t field(std::string_view column) const {
        if (!columns)
            throw Error("表 " + table + " 没有打开。");
        if (!pending)
            throw Error("表 " + table + " 没有待写入的记录。");
        const int index = columns->indexOf(column);
        if (index < 0)
            throw Error("表 " + table + " 没有字段 " + std::string(column) + "。");
        return static_cast<std::size_t>(index);
    }

    ColumnType typeOf(std::size_t index) const { return columns->columns[index].type; }

    void set(std::size_t index, EngineValue value) {
        values[index] = std::move(value);
        assigned[index] = '1';
    }

    [[noreturn]] void reject(std::size_t index, const std::string& valueUtf8,
                             const char* reason) const {
        throw Error("字段 " + table + "." + columns->columns[index].name + " 不能取值“" +
                    valueUtf8 + "”：" + reason + "。");
    }

    // Inserts the pending record; gives the key the database assigned.
    std::int64_t insert() {
        // The names of a set of assigned fields are made once.
        const std::string fields(assigned.begin(), assigned.end());
        auto found = namesByFields.find(fields);
        if (found == namesByFields.end()) {
            std::vector<std::string> names;
            for (std::size_t i = 0; i < assigned.size(); ++i)
                if (assigned[i] == '1')
                    names.push_back(columns->columns[i].name);
            found = namesByFields.emplace(fields, std::move(names)).first;
        }
        assignedValues.clear();
        for (std::size_t i = 0; i < assigned.size(); ++i)
            if (assigned[i] == '1')
                assignedValues.push_back(values[i]); // kept: a failed post stays pending
        return connection.database().insertRow(table, found->second, assignedValues);
    }

    void clearRecord() {
        pending = false;
        values.assign(values.size(), EngineValue());
        assigned.assign(assigned.size(), '0');
    }
};

PersonTable::PersonTable(Connection& connection, std::string table)
    : impl_(new Impl(connection, std::move(table))) {}

PersonTable::~PersonTable() = default;

void PersonTable::open() {
    if (impl_->columns)
        return;
    const TableColumns* columns = impl_->connection.database().columns(impl_->table);
    if (!columns)
        throw Error("数据库 " + impl_->connection.displayName() + " 中没有表 " + impl_->table +
                    "。");
    impl_->columns = columns;
    impl_->values.assign(columns->columns.size(), EngineValue());
    impl_->assigned.assign(columns->columns.size(), '0');
    impl_->pending = false;
}

void PersonTable::close() {
    impl_->clearRecord();
    impl_->columns = nullptr;
}

bool PersonTable::isOpen() const {
    return impl_->columns != nullptr;
}

void PersonTable::append() {
    if (!impl_->columns)
        throw Error("表 " + impl_->table + " 没有打开。");
    if (impl_->pending) {
        const bool hasFields =
            std::find(impl_->assigned.begin(), impl_->assigned.end(), '1') != impl_->assigned.end();
        if (hasFields)
            post();
    }
    impl_->clearRecord();
    impl_->pending = true;
}

void PersonTable::setText(std::string_view column, const Gbk& gbk) {
    const std::size_t index = impl_->field(column);
    switch (impl_->typeOf(index)) {
    case ColumnType::Integer:
        if (const auto number = parseWholeNumber(trim(gbk)))
            return impl_->set(index, EngineValue::ofInteger(*number));
        impl_->reject(index, gbkToUtf8(gbk), "不是整数");
    case ColumnType::Real:
        if (const auto number = parseDecimal(gbk))
            return impl_->set(index, EngineValue::ofReal(number->toDouble()));
        impl_->reject(index, gbkToUtf8(gbk), "不是数字");
    case ColumnType::Date:
        if (auto date = storedDateText(gbk))
            return impl_->set(index, EngineValue::ofText(std::move(*date)));
        impl_->reject(index, gbkToUtf8(gbk), "不是日期");
    case ColumnType::Text:
    case ColumnType::Untyped:
        break;
    }
    impl_->set(index, EngineValue::ofText(gbkToUtf8(gbk)));
}

void PersonTable::setInteger(std::string_view column, std::int32_t value) {
    const std::size_t index = impl_->field(column);
    switch (impl_->typeOf(index)) {
    case ColumnType::Text:
        return impl_->set(index, EngineValue::ofText(std::to_string(value)));
    case ColumnType::Date:
        return impl_->set(index, dateValue(value));
    case ColumnType::Integer:
    case ColumnType::Real:
    case ColumnType::Untyped:
        break;
    }
    impl_->set(index, EngineValue::ofInteger(value));
}

void PersonTable::setCell(std::string_view column, const CellValue& value) {
    const std::size_t index = impl_->field(column);
    switch (value.kind) {
    case CellValue::Kind::Empty:
        return impl_->set(index, EngineValue());
    case CellValue::Kind::Text:
        return setText(column, value.text);
    case CellValue::Kind::Error:
        impl_->reject(index, gbkToUtf8(cellText(value)), "单元格是错误值");
    case CellValue::Kind::Number:
    case CellValue::Kind::Date:
    case CellValue::Kind::Boolean:
        break;
    }
    switch (impl_->typeOf(index)) {
    case ColumnType::Integer:
        if (const auto number = wholeNumber(value.number))
            return impl_->set(index, EngineValue::ofInteger(*number));
        impl_->reject(index, gbkToUtf8(cellText(value)), "不是整数");
    case ColumnType::Text:
        return impl_->set(index, EngineValue::ofText(gbkToUtf8(cellText(value))));
    case ColumnType::Date:
        if (value.kind == CellValue::Kind::Boolean)
            impl_->reject(index, gbkToUtf8(cellText(value)), "不是日期");
        return impl_->set(index, dateValue(value.number));
    case ColumnType::Real:
    case ColumnType::Untyped:
        break;
    }
    impl_->set(index, EngineValue::ofReal(value.number));
}

void PersonTable::post() {
    if (!impl_->columns)
        throw Error("表 " + impl_->table + " 没有打开。");
    if (!impl_->pending)
        throw Error("表 " + impl_->table + " 没有待写入的记录。");
    const std::int64_t key = impl_->insert();
    impl_->clearRecord();
    if (key <= 0 || key > std::numeric_limits<std::int32_t>::max()) {
        // A record whose key cannot be handed on would be stored without its dependent
        // records while the caller reports it as not stored: take it back out.
        if (key > 0)
            impl_->connection.database().deleteRow(impl_->table, key);
        throw Error("表 " + impl_->table + " 的新记录没有得到可用的编号。");
    }
    impl_->id = static_cast<std::int32_t>(key);
}

std::int32_t PersonTable::id() const {
    return impl_->id;
}

void PersonTable::cancel() {
    impl_->clearRecord();
}

} // namespace wb
