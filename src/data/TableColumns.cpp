// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/TableColumns.h"

#include "text/GbkText.h"

namespace wb {

namespace {

bool contains(const std::string& upperText, std::string_view part) {
    return upperText.find(part) != std::string::npos;
}

} // namespace

ColumnType columnTypeOfDeclaration(std::string_view declaredType) {
    const std::string type = asciiUpper(declaredType);
    if (contains(type, "DATE") || contains(type, "TIMESTAMP"))
        return ColumnType::Date;
    if (contains(type, "INT"))
        return ColumnType::Integer;
    if (contains(type, "CHAR") || contains(type, "CLOB") || contains(type, "TEXT"))
        return ColumnType::Text;
    if (type.empty() || contains(type, "BLOB"))
        return ColumnType::Untyped;
    return ColumnType::Real;
}

int TableColumns::indexOf(std::string_view name) const {
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (equalsIgnoringAsciiCase(columns[i].name, name))
            return static_cast<int>(i);
    return -1;
}

} // namespace wb
