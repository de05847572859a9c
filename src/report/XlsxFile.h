// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An .xlsx written with libxlsxwriter, whole or not at all: it is written into a temporary
// file beside its target and renamed over the target only when complete.

#include "import/ErrorLine.h"
#include "text/Gbk.h"

#include <xlsxwriter.h>

#include <string>

namespace wb {

class XlsxFile {
public:
    // `path` is the target, in the file system's encoding. Throws wb::Error naming it when
    // no temporary file can be made beside it.
    explicit XlsxFile(std::string path);
    // Removes the temporary file unless save() completed.
    ~XlsxFile();
    XlsxFile(const XlsxFile&) = delete;
    XlsxFile& operator=(const XlsxFile&) = delete;

    lxw_workbook* workbook() const { return workbook_; }
    // A new sheet named `name` (UTF-8), after the others.
    lxw_worksheet* addSheet(const std::string& name);
    // A new cell format.
    lxw_format* addFormat();
    // Writes the workbook and puts it in place. Throws wb::Error naming the target.
    void save();

    // Throws wb::Error naming the target and what failed when `error` is one.
    void check(lxw_error error, const char* what) const;

private:
    std::string path_, temporary_;
    lxw_workbook* workbook_ = nullptr;
};

// A cell's name for formulas and links, "C5"; `absolute` gives "$C$5".
std::string cellName(CellPosition cell, bool absolute = false);
// A column's letters, "C".
std::string columnName(int column);
// A sheet's cell or range as a formula names it, quoted: "'代码'!$E$2:$E$9".
std::string sheetReference(const std::string& sheet, const std::string& cells);

// GBK text as a cell holds it: UTF-8, at most 32,767 characters (the rest is cut off).
// libxlsxwriter writes control characters in cells escaped, so they come back as they were.
std::string cellString(const Gbk& text);
// Text for a note (comment): as cellString, with control characters other than tab and
// line break shown as U+FFFD, which a note's XML could not hold.
std::string noteString(const Gbk& text);

} // namespace wb
