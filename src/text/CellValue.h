// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One cell of a workbook sheet as the spreadsheet delivers it, and the three ways the import
// reads it: as text, as a date, or as delivered (handed to a field that converts it).

#include "text/Gbk.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace wb {

struct CellValue {
    enum class Kind : std::uint8_t { Empty, Number, Text, Date, Boolean, Error };

    Kind kind = Kind::Empty;
    // Number: the value; Date: the day number from 1899-12-30 (fraction = time of day);
    // Boolean: 0 or 1; Error: the spreadsheet's error code (0x07 #DIV/0!, 0x2A #N/A, ...).
    double number = 0;
    Gbk text; // Text: line breaks of multi-line cells kept

    static CellValue ofNumber(double value) { return {Kind::Number, value, {}}; }
    static CellValue ofText(Gbk value) { return {Kind::Text, 0, std::move(value)}; }
    static CellValue ofDate(double dayNumber) { return {Kind::Date, dayNumber, {}}; }
    static CellValue ofBoolean(bool value) { return {Kind::Boolean, value ? 1.0 : 0.0, {}}; }
    static CellValue ofError(int code) { return {Kind::Error, static_cast<double>(code), {}}; }

    bool operator==(const CellValue&) const = default;
};

// A number's general text: at most 15 significant digits, no trailing zeros; exponent form
// ("1.10101199001011E17", "1.5E-6") below 1E-5 and from 1E15 on. 12 gives "12", 12.5 "12.5",
// 1990.0999999999999 "1990.1".
std::string numberText(double value);

// The code of an error value's text ("#DIV/0!" 0x07, "#N/A" 0x2A); 0x2A for a text that is
// no error value the format knows.
int errorCode(std::string_view text);

// The cell as text: empty cell "", number numberText, text as is, date the run's short
// date text (formatShortDate), boolean "True"/"False", error "#N/A", "#DIV/0!" and so on.
Gbk cellText(const CellValue& cell);

// The cell as a date (day number): a date or number as it is, an empty cell 0 (1899-12-30),
// a text through parseDateText. Throws wb::Error for a text that is no date, a day outside
// 0001-01-01..9999-12-31, a boolean or an error value.
double cellDate(const CellValue& cell);

} // namespace wb
