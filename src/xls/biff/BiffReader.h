// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The BIFF5/BIFF8 records of a workbook stream: the workbook globals (code page, date mode,
// formats, shared strings, sheets, active sheet) and the cells of the active sheet.

#include "xls/XlsSheet.h"

#include <string_view>

namespace wb::xls {

// Reads the active sheet of a workbook stream: the sheet WINDOW1 names, else the first.
// namedBook says the stream was named "Book", as BIFF5 writers name it; decrypted that its
// records were decrypted (its FILEPASS record is then passed over). Throws FormatError for
// a password-protected workbook not decrypted, a version before BIFF5, an active chart or
// module, and for records whose offsets, counts or lengths do not fit their data.
XlsSheet readActiveSheet(std::string_view stream, bool namedBook, bool decrypted = false);

} // namespace wb::xls
