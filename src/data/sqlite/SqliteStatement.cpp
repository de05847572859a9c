// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/sqlite/SqliteStatement.h"

#include <sqlite3.h>

namespace wb {

SqliteStatement::SqliteStatement(sqlite3* handle, const std::string& sql) : handle_(handle) {
    if (sqlite3_prepare_v2(handle_, sql.c_str(), static_cast<int>(sql.size()) + 1, &statement_,
                           nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement_);
        statement_ = nullptr;
    }
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(statement_);
}

void SqliteStatement::bind(int index, const EngineValue& value) {
    switch (value.kind) {
    case EngineValue::Kind::Null:
        sqlite3_bind_null(statement_, index + 1);
        break;
    case EngineValue::Kind::Integer:
        sqlite3_bind_int64(statement_, index + 1, value.integer);
        break;
    case EngineValue::Kind::Real:
        sqlite3_bind_double(statement_, index + 1, value.real);
        break;
    case EngineValue::Kind::Text:
        sqlite3_bind_text(statement_, index + 1, value.text.data(),
                          static_cast<int>(value.text.size()), SQLITE_TRANSIENT);
        break;
    }
}

int SqliteStatement::step() {
    return sqlite3_step(statement_);
}

std::string SqliteStatement::columnText(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return text ? std::string(text,
                              static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)))
                : std::string();
}

void SqliteStatement::reset() {
    sqlite3_reset(statement_);
}

} // namespace wb
