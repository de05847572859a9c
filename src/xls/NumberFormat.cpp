// SPDX-License-Identifier: GPL-3.0-or-later
#include "xls/NumberFormat.h"

#include <type_traits>

namespace wb::xls {

namespace {

// Day numbers count from 1899-12-30; a 1904-mode workbook counts from 1904-01-01.
constexpr double kDays1899To1904 = 1462;
// 10000-01-01, the first day no date format can show.
constexpr double kDayAfterLastDate = 2958466;

template <typename Char> bool showsDate(std::basic_string_view<Char> format) {
    enum class State { Plain, Quoted, Escaped, Bracketed } state = State::Plain;
    int dateParts = 0;
    int digitParts = 0;
    for (const Char character : format) {
        const auto unit = static_cast<char16_t>(static_cast<std::make_unsigned_t<Char>>(character));
        switch (state) {
        case State::Quoted:
            if (unit == u'"')
                state = State::Plain;
            continue;
        case State::Escaped:
            state = State::Plain;
            continue;
        case State::Bracketed:
            if (unit == u']')
                state = State::Plain;
            continue;
        case State::Plain:
            break;
        }
        switch (unit) {
        case u'"':
            state = State::Quoted;
            break;
        case u'\\':
        case u'_':
        case u'*':
            state = State::Escaped;
            break;
        case u'[':
            state = State::Bracketed;
            break;
        case u'y':
        case u'Y':
        case u'm':
        case u'M':
        case u'd':
        case u'D':
        case u'h':
        case u'H':
        case u's':
        case u'S':
            ++dateParts;
            break;
        case u'0':
        case u'#':
        case u'?':
            ++digitParts;
            break;
        default:
            break;
        }
    }
    return dateParts > digitParts;
}

} // namespace

bool isBuiltInDateFormat(std::uint32_t index) {
    return (index >= 14 && index <= 22) || (index >= 27 && index <= 36) ||
           (index >= 45 && index <= 47) || (index >= 50 && index <= 58) ||
           (index >= 71 && index <= 81);
}

bool isDateFormatText(std::u16string_view format) {
    return showsDate(format);
}

bool isDateFormatText(std::string_view format) {
    return showsDate(format);
}

std::vector<bool> dateCellFormats(const std::vector<std::uint32_t>& numberFormats,
                                  const std::map<std::uint32_t, bool>& definedIsDate) {
    std::vector<bool> dates;
    dates.reserve(numberFormats.size());
    for (const std::uint32_t format : numberFormats) {
        const auto defined = definedIsDate.find(format);
        dates.push_back(defined != definedIsDate.end() ? defined->second
                                                       : isBuiltInDateFormat(format));
    }
    return dates;
}

std::optional<double> formattedDate(double value, bool date1904) {
    const double day = value + (date1904 ? kDays1899To1904 : 0);
    if (value >= 0 && day < kDayAfterLastDate)
        return day;
    return std::nullopt;
}

} // namespace wb::xls
