// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wb {

// How a column stores its values, from its declared type.
enum class ColumnType : std::uint8_t {
    Integer, // INTEGER, INT, ...: whole numbers only
    Real,    // REAL, DOUBLE, NUMERIC, ...
    Text,    // TEXT, VARCHAR, ...
    Date,    // DATE, DATETIME, TIMESTAMP: ISO text "yyyy-mm-dd[ hh:mm:ss]"
    Untyped, // no declared type: values are stored as given
};

// The type of a declared SQLite column type. Date types are recognised first (SQLite would
// give them numeric affinity); the rest follow SQLite's affinity rules.
ColumnType columnTypeOfDeclaration(std::string_view declaredType);

struct TableColumn {
    std::string name; // as declared
    ColumnType type = ColumnType::Untyped;
};

// The columns of one table in declaration order.
struct TableColumns {
    std::vector<TableColumn> columns;

    // Index of a column by name, ignoring ASCII case as SQL does; -1 when there is none.
    int indexOf(std::string_view name) const;
};

} // namespace wb
