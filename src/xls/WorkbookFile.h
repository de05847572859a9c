#pragma once
// Workbook files as the import opens them: the reader is chosen by the file's content, not
// its name. A zip ("PK\3\4") is read as .xlsx/.xlsm, a compound file as .xls; anything else
// is refused, and formats the program does not read (.ods, .et, CSV text) are named with
// what to do instead.

#include "text/Error.h"
#include "xls/XlsSheet.h"

#include <string>
#include <string_view>

namespace wb {

// Reads the workbook file at path (a native, UTF-8 file name) and gives its active sheet.
// Throws wb::Error with a message that names the file and the reason, for example
// 工作簿 "x.xlsx" 无法读取: 文件已截断:zip 压缩包末尾的目录不完整 — for a missing or
// unreadable file, a file over 1 GB, a file that no reader here reads, a damaged or hostile
// workbook, a password-protected one, or an active sheet that is a chart.
XlsSheet openWorkbookActiveSheet(const std::string& path);

// The same from bytes in memory; displayName (UTF-8) stands for the file in messages, and
// its extension only tells a .et file that cannot be read from other unreadable files.
XlsSheet readWorkbookActiveSheet(std::string_view bytes, const std::string& displayName);

// The bytes of the file at path. Throws wb::Error naming the file when it is missing, is
// no regular file (a folder, a FIFO, a device: nothing is opened then), cannot be read or
// is larger than 1 GB.
std::string readWorkbookFile(const std::string& path);

// The error for a workbook that cannot be read: 工作簿 "NAME" 无法读取: REASON (UTF-8).
Error workbookError(const std::string& displayName, const std::string& reason);

namespace xls {
// The active sheet of an .xls file's bytes (compound file and BIFF records); throws
// FormatError.
XlsSheet readXlsActiveSheet(std::string_view file);
} // namespace xls

} // namespace wb
