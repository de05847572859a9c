// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small pieces of text every kind of database words the same way.

#include <QString>

#include <string>
#include <string_view>
#include <vector>

namespace wb {

// A Qt string as UTF-8 bytes.
inline std::string utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

// A name quoted as SQL quotes names: in double quotes, a quote in it doubled.
inline std::string quotedName(std::string_view name) {
    std::string out = "\"";
    for (char c : name)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + '"';
}

// "INSERT INTO table (a,b) VALUES (?,?)", or "... DEFAULT VALUES" without columns; table and
// columns as `quote` writes names.
template <typename Quote>
std::string insertStatement(std::string_view table, const std::vector<std::string>& columns,
                            const Quote& quote) {
    std::string names, marks;
    for (const std::string& name : columns) {
        names += (names.empty() ? "" : ",") + quote(name);
        marks += marks.empty() ? "?" : ",?";
    }
    return "INSERT INTO " + quote(table) +
           (names.empty() ? " DEFAULT VALUES" : " (" + names + ") VALUES (" + marks + ")");
}

// What a refused statement (its text in UTF-8) is called in a message.
inline std::string refusedStatement(const std::string& sql) {
    return "数据库拒绝了语句“" + sql + "”";
}

// What a row inserted into `table` that could not be taken out again is called in a message.
inline std::string rowNotTakenBack(std::string_view table) {
    return "表 " + std::string(table) + " 的新记录无法撤回";
}

} // namespace wb
