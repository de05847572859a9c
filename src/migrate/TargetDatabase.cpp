// SPDX-License-Identifier: GPL-3.0-or-later
#include "migrate/TargetDatabase.h"

#include "data/DataText.h"
#include "data/Schema.h"
#include "migrate/JetValues.h"
#include "text/Error.h"
#include "text/GbkText.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>

namespace wb::migrate {

namespace {

namespace fs = std::filesystem;

std::string sqlType(AccessType type) {
    switch (type) {
    case AccessType::Integer:
        return "INTEGER";
    case AccessType::Real:
        return "REAL";
    case AccessType::Date:
        return "DATETIME";
    case AccessType::Text:
        return "TEXT";
    case AccessType::Binary:
        return "BLOB";
    }
    return "BLOB";
}

// How a value is stored, by the column's declared type.
enum class Stored { Integer, Text, Other };

Stored storedAs(const std::string& declared) {
    const std::string type = asciiLower(declared);
    if (type.find("int") != std::string::npos)
        return Stored::Integer;
    if (type.find("text") != std::string::npos || type.find("char") != std::string::npos)
        return Stored::Text;
    return Stored::Other;
}

bool isWhole(double value) {
    return std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 9.0e15;
}

} // namespace

struct TargetDatabase::Impl {
    std::string target, temporary;
    sqlite3* db = nullptr;
    sqlite3_stmt* insert = nullptr;
    std::vector<Stored> insertColumns;
    std::map<std::string, std::string> programTables; // lower-case name -> name
    bool finished = false;

    [[noreturn]] void fail(const std::string& what) const {
        throw Error(what + "：" + (db ? sqlite3_errmsg(db) : "") + "。");
    }
    void exec(const std::string& sql) {
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            fail("无法在 " + temporary + " 中执行“" + sql + "”");
    }
    // Rows of a one-column-or-more query, each column as text.
    std::vector<std::vector<std::string>> rows(const std::string& sql) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
            fail("无法在 " + temporary + " 中执行“" + sql + "”");
        std::vector<std::vector<std::string>> result;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                const auto* text = sqlite3_column_text(statement, i);
                row.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
            }
            result.push_back(std::move(row));
        }
        sqlite3_finalize(statement);
        return result;
    }
    void bind(int index, const AccessValue& value, Stored stored);
};

TargetDatabase::TargetDatabase(const std::string& target) : impl_(std::make_unique<Impl>()) {
    Impl& d = *impl_;
    d.target = target;
    std::error_code error;
    if (fs::exists(fs::symlink_status(target, error)))
        throw Error("文件 " + target + " 已经存在，不会改动它。");
    const fs::path path(target);
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::string pattern = (folder / ("." + path.filename().string() + ".migrate-XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        throw Error("无法在 " + folder.string() + " 中创建临时文件：" + std::strerror(errno) +
                    "。");
    // mkstemp makes the file private; the database gets the permissions a new file gets.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::close(fd);
    d.temporary = pattern;
    if (sqlite3_open_v2(d.temporary.c_str(), &d.db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        d.fail("无法打开 " + d.temporary);
    d.exec("BEGIN");
    for (const std::string& statement : schemaStatements())
        d.exec(statement);
    for (const auto& row : d.rows("SELECT name FROM sqlite_master WHERE type = 'table'"
                                  " AND name NOT LIKE 'sqlite_%'"))
        d.programTables[asciiLower(row[0])] = row[0];
}

TargetDatabase::~TargetDatabase() {
    sqlite3_finalize(impl_->insert);
    if (impl_->db)
        sqlite3_close(impl_->db);
    if (!impl_->finished && !impl_->temporary.empty())
        for (const char* suffix : {"", "-journal", "-wal", "-shm"})
            ::unlink((impl_->temporary + suffix).c_str());
}

std::string TargetDatabase::beginTable(const std::string& name,
                                       const std::vector<AccessColumn>& columns) {
    Impl& d = *impl_;
    sqlite3_finalize(d.insert);
    d.insert = nullptr;
    d.insertColumns.clear();
    std::string table = name;
    std::vector<std::string> targetColumns;
    const auto program = d.programTables.find(asciiLower(name));
    if (program != d.programTables.end()) {
        table = program->second;
        std::map<std::string, std::pair<std::string, std::string>> existing; // lower -> name, type
        for (const auto& row : d.rows("PRAGMA table_info(" + quotedName(table) + ")"))
            existing[asciiLower(row[1])] = {row[1], row[2]};
        for (const AccessColumn& column : columns) {
            const auto found = existing.find(asciiLower(column.name));
            if (found == existing.end()) {
                d.exec("ALTER TABLE " + quotedName(table) + " ADD COLUMN " +
                       quotedName(column.name) + " " + sqlType(column.type));
                targetColumns.push_back(column.name);
                d.insertColumns.push_back(storedAs(sqlType(column.type)));
            } else {
                targetColumns.push_back(found->second.first);
                d.insertColumns.push_back(storedAs(found->second.second));
            }
        }
    } else {
        std::string create = "CREATE TABLE " + quotedName(table) + " (";
        for (const AccessColumn& column : columns) {
            create += (targetColumns.empty() ? "" : ", ") + quotedName(column.name) + " " +
                      sqlType(column.type);
            targetColumns.push_back(column.name);
            d.insertColumns.push_back(storedAs(sqlType(column.type)));
        }
        d.exec(create + ")");
    }
    std::string names, marks;
    for (const std::string& column : targetColumns) {
        names += (names.empty() ? "" : ", ") + quotedName(column);
        marks += marks.empty() ? "?" : ", ?";
    }
    const std::string sql =
        "INSERT INTO " + quotedName(table) + " (" + names + ") VALUES (" + marks + ")";
    if (sqlite3_prepare_v2(d.db, sql.c_str(), -1, &d.insert, nullptr) != SQLITE_OK)
        d.fail("无法准备表 " + table + " 的插入语句");
    return table;
}

void TargetDatabase::Impl::bind(int index, const AccessValue& value, Stored stored) {
    using Kind = AccessValue::Kind;
    switch (value.kind) {
    case Kind::Null:
        sqlite3_bind_null(insert, index);
        return;
    case Kind::Integer:
        sqlite3_bind_int64(insert, index, value.integer);
        return;
    case Kind::Real:
        // A whole number goes into an integer or text column as one ("12", not "12.0").
        if (stored != Stored::Other && isWhole(value.real))
            sqlite3_bind_int64(insert, index, static_cast<sqlite3_int64>(value.real));
        else
            sqlite3_bind_double(insert, index, value.real);
        return;
    case Kind::Date: {
        const std::string text = jetDateText(value.real);
        sqlite3_bind_text(insert, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
        return;
    }
    case Kind::Text:
        sqlite3_bind_text(insert, index, value.bytes.data(), static_cast<int>(value.bytes.size()),
                          SQLITE_TRANSIENT);
        return;
    case Kind::Binary:
        sqlite3_bind_blob(insert, index, value.bytes.data(), static_cast<int>(value.bytes.size()),
                          SQLITE_TRANSIENT);
        return;
    }
}

void TargetDatabase::insert(const std::vector<AccessValue>& row) {
    Impl& d = *impl_;
    for (std::size_t i = 0; i < row.size() && i < d.insertColumns.size(); ++i)
        d.bind(static_cast<int>(i + 1), row[i], d.insertColumns[i]);
    const int result = sqlite3_step(d.insert);
    sqlite3_reset(d.insert);
    if (result != SQLITE_DONE)
        d.fail("无法写入 " + d.temporary);
}

std::uint64_t TargetDatabase::count(const std::string& name) {
    return std::stoull(impl_->rows("SELECT count(*) FROM " + quotedName(name)).at(0).at(0));
}

void TargetDatabase::finish() {
    Impl& d = *impl_;
    sqlite3_finalize(d.insert);
    d.insert = nullptr;
    d.exec("COMMIT");
    d.exec("PRAGMA journal_mode=WAL");
    if (sqlite3_close(d.db) != SQLITE_OK)
        d.fail("无法关闭 " + d.temporary);
    d.db = nullptr;
    // Never over a file that appeared meanwhile: a hard link fails when the name is taken.
    // File systems without hard links get a rename after one more look.
    if (::link(d.temporary.c_str(), d.target.c_str()) != 0) {
        const int reason = errno;
        std::error_code error;
        if ((reason == EPERM || reason == ENOTSUP) &&
            !fs::exists(fs::symlink_status(d.target, error)) &&
            ::rename(d.temporary.c_str(), d.target.c_str()) == 0) {
            d.finished = true;
            return;
        }
        throw Error(reason == EEXIST
                        ? "文件 " + d.target + " 已经存在，不会改动它。"
                        : "无法创建 " + d.target + "：" + std::strerror(reason) + "。");
    }
    ::unlink(d.temporary.c_str());
    d.finished = true;
}

} // namespace wb::migrate
