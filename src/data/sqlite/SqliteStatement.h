// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/EngineValue.h"

#include <cstdint>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace wb {

// A statement prepared on the connection's SQLite handle. The statement runner and the
// person table run through it rather than through QSqlQuery, whose per-call costs would
// outweigh the engine's own work on an import's hundred thousand statements.
class SqliteStatement {
public:
    // Prepares `sql` (UTF-8); prepared() tells whether the engine took it (its reason is
    // then the handle's error).
    SqliteStatement(sqlite3* handle, const std::string& sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool prepared() const { return statement_ != nullptr; }
    // Binds the value of the index-th "?" (from 0).
    void bind(int index, const EngineValue& value);
    // One step: SQLITE_ROW, SQLITE_DONE or the engine's error code.
    int step();
    // A column of the current row as UTF-8 text ("" for NULL).
    std::string columnText(int column) const;
    // Makes the statement ready to run again; keeps the bindings.
    void reset();

private:
    sqlite3* handle_;
    sqlite3_stmt* statement_ = nullptr;
};

} // namespace wb
