// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Rows of a query on an SQLite file, read with SQLite's own interface: each row's columns
// joined by "|", NULL as "NULL", a BLOB as "blob:" and its size.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

namespace wb::test {

inline std::vector<std::string> sqliteRows(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    std::vector<std::string> rows;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "cannot open " << file;
        sqlite3_close(db);
        return rows;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
        ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db);
    while (statement && sqlite3_step(statement) == SQLITE_ROW) {
        std::string row;
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            row += i ? "|" : "";
            switch (sqlite3_column_type(statement, i)) {
            case SQLITE_NULL:
                row += "NULL";
                break;
            case SQLITE_BLOB:
                row += "blob:" + std::to_string(sqlite3_column_bytes(statement, i));
                break;
            default:
                row += reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
            }
        }
        rows.push_back(row);
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

} // namespace wb::test
