// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/Gbk.h"

#include <string>
#include <utility>
#include <vector>

namespace wb {

// A cell of the workbook's active sheet, 1-based; row 0 when a line comes from no cell.
struct CellPosition {
    int row = 0;
    int column = 0;
    bool operator==(const CellPosition&) const = default;
};

// One line of the error list, kept in its parts so that the list can also be written as a
// table. Shown, it reads kind ":" name ":" text, then ":" reason when there is one (a refused
// person: kind ":" name ":" reason); a line that names no kind (a code-file problem) is its
// text alone. The cell and the explanation are for the tables (the CSV, the checked copy)
// and are never part of the shown line, which reads as it always has.
struct ErrorLine {
    ErrorLine() = default;
    ErrorLine(Gbk kind, Gbk name, Gbk text, Gbk reason, Gbk explanation = {},
              CellPosition cell = {})
        : kind(std::move(kind)), name(std::move(name)), text(std::move(text)),
          reason(std::move(reason)), explanation(std::move(explanation)), cell(cell) {}

    Gbk kind;   // what could not be taken, e.g. "学历"
    Gbk name;   // the person's name
    Gbk text;   // the untranslated text
    Gbk reason; // why a record was refused; empty when the text simply had no code
    // Why, in the clerk's words, where the shown line gives no reason: "代码文件中没有“博士”
    // 这一学历".
    Gbk explanation;
    CellPosition cell; // the cell the line comes from: for a multi-line cell, the whole cell

    static ErrorLine plain(Gbk line, Gbk explanation = {}) {
        return {{}, {}, std::move(line), {}, std::move(explanation), {}};
    }
    Gbk line() const;
    // The table's 原因: the reason, else the explanation.
    const Gbk& cause() const { return reason.empty() ? explanation : reason; }
};

// Why a text found no code, as an explanation: "代码文件中没有“博士”这一学历" for `what`
// 学历; an empty text: "没有写学历"; a text with blanks at either end says that they are
// part of it.
Gbk noCodeExplanation(const Gbk& text, const Gbk& what);

// The error list as CSV: UTF-8 with a byte-order mark (spreadsheet programs then read it as
// UTF-8), CRLF line ends, a header row 类别,姓名,内容,原因 (原因: cause()), then one row per
// line.
std::string errorListCsv(const std::vector<ErrorLine>& lines);

// Writes errorListCsv(lines) to `path` (in the file system's encoding) whole or not at all.
// Throws wb::Error naming the file and the reason.
void writeErrorListCsv(const std::string& path, const std::vector<ErrorLine>& lines);

} // namespace wb
