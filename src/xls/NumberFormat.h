// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which number formats show a cell's number as a date or time. The spreadsheet delivers
// such a cell as a date, every other number as a number.

#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

namespace wb::xls {

// The built-in formats that show dates or times: 14-22, the East Asian date formats 27-36
// and 50-58, 45-47 (minutes and seconds) and the Thai date formats 71-81.
bool isBuiltInDateFormat(std::uint32_t index);

// Whether a format text shows a date or time: it has more date or time parts (y, m, d, h,
// s in either case) than digit placeholders (0, #, ?), not counting quoted text ("年"),
// bracketed codes ([Red], [$-804], [h] counts nothing) and the character after \, _ or *.
// So "yyyy.mm", "yyyy年m月" and "[$-804]yyyy\"年\"m\"月\"" are dates, "0.00" and
// "0\"天\"" are not. Only ASCII is looked at: the text may be UTF-16 code units, or UTF-8
// or other 8-bit bytes that keep ASCII as it is.
bool isDateFormatText(std::u16string_view format);
bool isDateFormatText(std::string_view format);

// For each cell format (XF) of a workbook, given its number format index, whether it shows
// dates: a format the workbook defines (definedIsDate, by index) decides by its text, any
// other index is a built-in format.
std::vector<bool> dateCellFormats(const std::vector<std::uint32_t>& numberFormats,
                                  const std::map<std::uint32_t, bool>& definedIsDate);

// What a number shown in a date format is delivered as: its day number counted from
// 1899-12-30 (the workbook counts from 1904-01-01 when date1904), or nullopt when it stays
// a number: before the workbook's day 0, from 10000-01-01 on (the spreadsheet shows ####),
// or no number at all (NaN).
std::optional<double> formattedDate(double value, bool date1904);

} // namespace wb::xls
