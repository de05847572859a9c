// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Our own reader of .xls workbooks (BIFF8, and BIFF5 with 8-bit text in the workbook's
// code page) in their compound-file container. Opening reads the workbook's active sheet
// into memory; the file is not held open.

#include "xls/XlsSheet.h"

#include <memory>
#include <string>
#include <string_view>

namespace wb {

class XlsWorkbook {
public:
    // Reads the workbook file at path (a native, UTF-8 file name). Throws wb::Error with a
    // message that names the file and the reason, for example
    // 工作簿 "x.xls" 无法读取: 文件已截断 — for a missing or unreadable file, a file that is no
    // .xls workbook (text, .xlsx), a damaged container or record, a password-protected
    // workbook, or an active sheet that is a chart.
    static std::unique_ptr<XlsWorkbook> open(const std::string& path);

    // The same from bytes in memory; displayName (UTF-8) stands for the file in messages.
    static std::unique_ptr<XlsWorkbook> fromBytes(std::string_view bytes,
                                                  const std::string& displayName);

    // The sheet the workbook was saved with active (the first sheet when none is named).
    const XlsSheet& activeSheet() const { return sheet_; }

private:
    explicit XlsWorkbook(XlsSheet sheet) : sheet_(std::move(sheet)) {}

    XlsSheet sheet_;
};

} // namespace wb
