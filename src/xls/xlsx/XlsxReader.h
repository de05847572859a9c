// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Our reader of Office Open XML workbooks (.xlsx, .xlsm; transitional and strict): the
// package's relationships lead to the workbook part, its relationships to the active sheet,
// the shared strings and the styles. The sheet is parsed as it is inflated.

#include "xls/XlsSheet.h"
#include "xls/xlsx/ZipPackage.h"

#include <string_view>

namespace wb::xls {

// Reads the active sheet (bookViews' activeTab, else the first) of the package in `bytes`
// into cells of the same kinds the .xls reader gives: shared and inline strings (rich-text
// runs joined, phonetic runs left out, _xHHHH_ escapes decoded) as text, numbers, dates
// (numbers whose cell format shows a date; 1904 workbooks counted from 1904), booleans,
// error values and the cached results of formulas. Throws FormatError for a zip that is no
// workbook (an OpenDocument spreadsheet says so), a damaged or oversized part, XML that is
// not well-formed or has a document type declaration, cell references outside 1,048,576
// rows and 16,384 columns, a shared string index outside the table, an active chart.
XlsSheet readXlsxActiveSheet(std::string_view bytes, InflateBounds bounds = {});

} // namespace wb::xls
