// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a test needs of an .xlsx that our reader does not read (data validations, notes,
// fills, links, hidden sheets, frozen panes), through openpyxl: tests/support/xlsx_probe.py.

#include "support/FileLines.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace wb::test {

// Why a test that needs openpyxl is skipped, or empty when it is there.
inline std::string withoutOpenpyxl() {
    static const bool present =
        std::system("/usr/bin/python3 -c 'import openpyxl' >/dev/null 2>&1") == 0;
    return present ? std::string()
                   : "python3-openpyxl is not installed (tools/setup.sh installs it)";
}

// Runs xlsx_probe.py with `arguments` (shell words); its standard output.
inline std::string runProbe(const std::string& arguments, const std::filesystem::path& folder) {
    const std::filesystem::path script =
        std::filesystem::path(WB_FIXTURES).parent_path() / "support" / "xlsx_probe.py";
    const std::filesystem::path out = folder / "probe.out";
    const std::string command =
        "/usr/bin/python3 '" + script.string() + "' " + arguments + " >'" + out.string() + "'";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("xlsx_probe.py " + arguments + " failed");
    return fileBytes(out);
}

inline std::string quoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

// Everything the probe reads of a workbook (see xlsx_probe.py dump).
inline QJsonObject dumpXlsx(const std::filesystem::path& file) {
    const std::string json = runProbe("dump " + quoted(file), file.parent_path());
    return QJsonDocument::fromJson(QByteArray::fromStdString(json)).object();
}

// `file` with `rows` (objects of title -> value) below its titles, written to `out`.
inline void fillXlsx(const std::filesystem::path& file, const std::filesystem::path& out,
                     const QJsonArray& rows) {
    const std::filesystem::path json = out.parent_path() / "rows.json";
    std::ofstream(json, std::ios::binary) << QJsonDocument(rows).toJson().toStdString();
    runProbe("fill " + quoted(file) + " " + quoted(out) + " " + quoted(json), out.parent_path());
}

// `file` with its sheet `index` (0-based) active, written to `out`: our reader then reads it.
inline void activateSheet(const std::filesystem::path& file, int index,
                          const std::filesystem::path& out) {
    runProbe("activate " + quoted(file) + " " + std::to_string(index) + " " + quoted(out),
             out.parent_path());
}

// A sheet's entry in a dump.
inline QJsonObject dumpedSheet(const QJsonObject& dump, const char* name) {
    return dump[QStringLiteral("sheet")].toObject()[QString::fromUtf8(name)].toObject();
}

inline std::string utf8(const QJsonValue& value) {
    return value.isDouble() ? QString::number(value.toDouble()).toStdString()
                            : value.toString().toStdString();
}

} // namespace wb::test
