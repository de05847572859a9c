// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/CellValue.h"

#include "text/DateText.h"
#include "text/Encoding.h"
#include "text/Error.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace wb {

namespace {

constexpr int kSignificantDigits = 15;

struct ErrorName {
    int code;
    const char* text;
};

// The spreadsheet's error values: their codes (as BIFF stores them) and texts.
constexpr ErrorName kErrors[] = {
    {0x00, "#NULL!"}, {0x07, "#DIV/0!"}, {0x0F, "#VALUE!"}, {0x17, "#REF!"},
    {0x1D, "#NAME?"}, {0x24, "#NUM!"},   {0x2A, "#N/A"},
};
constexpr int kNotAvailable = 0x2A;

// Text of a spreadsheet error code, as the spreadsheet shows it.
const char* errorText(int code) {
    for (const ErrorName& error : kErrors)
        if (error.code == code)
            return error.text;
    return "#N/A";
}

} // namespace

int errorCode(std::string_view text) {
    for (const ErrorName& error : kErrors)
        if (text == error.text)
            return error.code;
    return kNotAvailable;
}

std::string numberText(double value) {
    if (value == 0 || !std::isfinite(value))
        return value == 0 ? "0" : (std::isnan(value) ? "NAN" : (value > 0 ? "INF" : "-INF"));
    // Round to 15 significant digits once; every later step works on these digits.
    // to_chars, unlike printf, ignores the locale's decimal point.
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                   std::chars_format::scientific, kSignificantDigits - 1)
                         .ptr;
    std::string digits;
    const char* p = buffer;
    for (; p != end && *p != 'e'; ++p)
        if (*p != '.')
            digits += *p;
    const int exponent = std::atoi(std::string(p + 1, static_cast<const char*>(end)).c_str());
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = value < 0 ? "-" : "";
    if (exponent >= kSignificantDigits || exponent < -5) {
        out += digits[0];
        if (digits.size() > 1)
            out += "." + digits.substr(1);
        return out + "E" + std::to_string(exponent);
    }
    if (exponent < 0)
        return out + "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    const std::size_t integerDigits = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= integerDigits)
        return out + digits + std::string(integerDigits - digits.size(), '0');
    return out + digits.substr(0, integerDigits) + "." + digits.substr(integerDigits);
}

Gbk cellText(const CellValue& cell) {
    switch (cell.kind) {
    case CellValue::Kind::Empty:
        return {};
    case CellValue::Kind::Number:
        return Gbk::ascii(numberText(cell.number));
    case CellValue::Kind::Text:
        return cell.text;
    case CellValue::Kind::Date:
        return Gbk::ascii(formatShortDate(cell.number));
    case CellValue::Kind::Boolean:
        return Gbk::ascii(cell.number != 0 ? "True" : "False");
    case CellValue::Kind::Error:
        return Gbk::ascii(errorText(static_cast<int>(cell.number)));
    }
    return {};
}

namespace {
double inDateRange(double dayNumber, const CellValue& cell) {
    if (!isDayNumberInRange(dayNumber))
        throw Error("日期超出范围: " + gbkToUtf8(cellText(cell)));
    return dayNumber;
}
} // namespace

double cellDate(const CellValue& cell) {
    switch (cell.kind) {
    case CellValue::Kind::Empty:
        return 0;
    case CellValue::Kind::Number:
    case CellValue::Kind::Date:
        return inDateRange(cell.number, cell);
    case CellValue::Kind::Text:
        if (const auto date = parseDateText(cell.text))
            return inDateRange(*date, cell);
        throw Error("不是日期: " + gbkToUtf8(cell.text));
    case CellValue::Kind::Boolean:
    case CellValue::Kind::Error:
        break;
    }
    throw Error("不是日期: " + gbkToUtf8(cellText(cell)));
}

} // namespace wb
