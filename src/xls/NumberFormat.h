#pragma once
// Which number formats show a cell's number as a date or time. The spreadsheet delivers
// such a cell as a date, every other number as a number.

#include <string_view>

namespace wb::xls {

// The built-in formats that show dates or times: 14-22, the East Asian date formats 27-36
// and 50-58, 45-47 (minutes and seconds) and the Thai date formats 71-81.
bool isBuiltInDateFormat(int index);

// Whether a format text shows a date or time: it has more date or time parts (y, m, d, h,
// s in either case) than digit placeholders (0, #, ?), not counting quoted text ("年"),
// bracketed codes ([Red], [$-804], [h] counts nothing) and the character after \, _ or *.
// So "yyyy.mm", "yyyy年m月" and "[$-804]yyyy\"年\"m\"月\"" are dates, "0.00" and
// "0\"天\"" are not. Text is in UTF-16 code units; only ASCII units are looked at.
bool isDateFormatText(std::u16string_view format);

} // namespace wb::xls
