// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Workbook files as the import opens them: the reader is chosen by the file's content, not
// its name. A zip ("PK\3\4") is read as .xlsx/.xlsm, a compound file as .xls; anything else
// is refused, and formats the program does not read (.ods, .et, CSV text) are named with
// what to do instead.

#include "text/Error.h"
#include "xls/PasswordPrompt.h"
#include "xls/XlsSheet.h"

#include <string>
#include <string_view>

namespace wb {

// Reads the workbook file at path (a native, UTF-8 file name) and gives its active sheet.
// Throws wb::Error with a message that names the file and the reason, for example
// 工作簿 "x.xlsx" 无法读取: 文件已截断:zip 压缩包末尾的目录不完整 — for a missing or
// unreadable file, a file over 1 GB, a file that no reader here reads, a damaged or hostile
// workbook, or an active sheet that is a chart.
//
// A workbook encrypted with a password (.xls, or .xlsx in its encrypted package) is first
// tried with the fixed password the spreadsheet program uses for workbooks only protected
// against changes, silently; when that does not open it, askPassword is asked once. No
// prompt, no password given or a wrong one throw wb::Error (密码不正确 for a wrong one).
XlsSheet openWorkbookActiveSheet(const std::string& path, const PasswordPrompt& askPassword = {});

// The same from bytes in memory; displayName (UTF-8) stands for the file in messages and
// in the password prompt, and its extension only tells a .et file that cannot be read from
// other unreadable files.
XlsSheet readWorkbookActiveSheet(std::string_view bytes, const std::string& displayName,
                                 const PasswordPrompt& askPassword = {});

// The bytes of the file at path. Throws wb::Error naming the file when it is missing, is
// no regular file (a folder, a FIFO, a device: nothing is opened then), cannot be read or
// is larger than 1 GB.
std::string readWorkbookFile(const std::string& path);

// The error for a workbook that cannot be read: 工作簿 "NAME" 无法读取: REASON (UTF-8).
Error workbookError(const std::string& displayName, const std::string& reason);

namespace xls {
// The active sheet of an .xls file's bytes (compound file and BIFF records), decrypted as
// readWorkbookActiveSheet says; throws FormatError.
XlsSheet readXlsActiveSheet(std::string_view file, const PasswordPrompt& askPassword = {},
                            const std::string& displayName = {});

// The password the spreadsheet program encrypts with when a workbook is only protected
// against changes, and opens without asking.
inline constexpr const char* kFixedPassword = "VelvetSweatshop";
} // namespace xls

} // namespace wb
