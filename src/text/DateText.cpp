// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/DateText.h"

#include "text/DecimalText.h"
#include "text/GbkText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace wb {

namespace {

// Days from 1970-01-01 to a proleptic Gregorian date (H. Hinnant's algorithm).
long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

constexpr long long kEpochOffset = 25569; // day number of 1970-01-01
constexpr double kFirstDay = -693593;     // 0001-01-01
constexpr double kLastDay = 2958465;      // 9999-12-31

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

// Reads a run of 1..maxDigits decimal digits at pos.
std::optional<int> readNumber(std::string_view s, std::size_t& pos, std::size_t maxDigits) {
    const std::size_t start = pos;
    int value = 0;
    while (pos < s.size() && pos - start < maxDigits && s[pos] >= '0' && s[pos] <= '9')
        value = value * 10 + (s[pos++] - '0');
    if (pos == start || (pos < s.size() && s[pos] >= '0' && s[pos] <= '9'))
        return std::nullopt;
    return value;
}

bool consume(std::string_view s, std::size_t& pos, std::string_view token) {
    if (s.substr(pos, token.size()) != token)
        return false;
    pos += token.size();
    return true;
}

constexpr std::string_view kYear = "\xC4\xEA";  // 年
constexpr std::string_view kMonth = "\xD4\xC2"; // 月
constexpr std::string_view kDay = "\xC8\xD5";   // 日

int windowedYear(int year, std::size_t digits) {
    if (digits > 2)
        return year;
    return year < 30 ? 2000 + year : 1900 + year;
}

// Optional " h:mm[:ss]" after the date; gives the fraction of the day.
std::optional<double> readTime(std::string_view s, std::size_t& pos) {
    if (pos == s.size())
        return 0.0;
    if (s[pos] != ' ')
        return std::nullopt;
    while (pos < s.size() && s[pos] == ' ')
        ++pos;
    const auto hour = readNumber(s, pos, 2);
    if (!hour || !consume(s, pos, ":"))
        return std::nullopt;
    const auto minute = readNumber(s, pos, 2);
    if (!minute)
        return std::nullopt;
    int second = 0;
    if (consume(s, pos, ":")) {
        const auto sec = readNumber(s, pos, 2);
        if (!sec)
            return std::nullopt;
        second = *sec;
    }
    if (pos != s.size() || *hour > 23 || *minute > 59 || second > 59)
        return std::nullopt;
    return (*hour * 3600 + *minute * 60 + second) / 86400.0;
}

std::optional<double> parseCalendarText(std::string_view s) {
    std::size_t pos = 0;
    const auto year = readNumber(s, pos, 4);
    if (!year)
        return std::nullopt;
    const std::size_t yearDigits = pos;
    std::string_view separator;
    for (std::string_view candidate :
         {std::string_view("-"), std::string_view("/"), std::string_view("."), kYear}) {
        if (consume(s, pos, candidate)) {
            separator = candidate;
            break;
        }
    }
    // A point after a short year is a decimal number ("1.5", "12.25"), not a date.
    if (separator.empty() || (separator == "." && yearDigits < 4))
        return std::nullopt;
    const auto month = readNumber(s, pos, 2);
    if (!month)
        return std::nullopt;
    int day = 1;
    const bool chinese = separator == kYear;
    if (chinese) {
        if (!consume(s, pos, kMonth))
            return std::nullopt;
        if (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') {
            const auto d = readNumber(s, pos, 2);
            if (!d || !consume(s, pos, kDay))
                return std::nullopt;
            day = *d;
        }
    } else if (consume(s, pos, separator)) {
        const auto d = readNumber(s, pos, 2);
        if (!d)
            return std::nullopt;
        day = *d;
    }
    const auto time = readTime(s, pos);
    if (!time)
        return std::nullopt;
    const auto date = dayNumber(windowedYear(*year, yearDigits), *month, day);
    if (!date)
        return std::nullopt;
    return *date + *time;
}

} // namespace

std::optional<double> dayNumber(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > daysInMonth(year, month))
        return std::nullopt;
    return static_cast<double>(daysFromCivil(year, month, day) + kEpochOffset);
}

bool isDayNumberInRange(double dayNumberValue) {
    return dayNumberValue >= kFirstDay && dayNumberValue < kLastDay + 1;
}

CivilDate civilDate(double dayNumberValue) {
    // Clamped first: converting a double beyond long long's range is undefined.
    const double day = std::isnan(dayNumberValue)
                           ? 0
                           : std::clamp(std::floor(dayNumberValue), kFirstDay, kLastDay);
    long long z = static_cast<long long>(day) - kEpochOffset + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const long long y = static_cast<long long>(yoe) + era * 400 + (m <= 2);
    return CivilDate{static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

std::string formatIsoDate(double dayNumberValue) {
    // Every stored date passes through here: digits are placed directly rather than through
    // the formatting machinery of printf. Years are 0001..9999 (civilDate clamps them).
    const CivilDate date = civilDate(dayNumberValue);
    std::string text = "0000-00-00";
    const auto place = [&text](std::size_t end, int value, int digits) {
        for (int i = 1; i <= digits; ++i, value /= 10)
            text[end - static_cast<std::size_t>(i)] = static_cast<char>('0' + value % 10);
    };
    place(4, date.year, 4);
    place(7, date.month, 2);
    place(10, date.day, 2);
    return text;
}

std::string formatShortDate(double dayNumberValue) {
    const CivilDate date = civilDate(dayNumberValue);
    char buffer[64];
    int length = std::snprintf(buffer, sizeof buffer, "%d-%d-%d", date.year, date.month, date.day);
    const double fraction = dayNumberValue - std::floor(dayNumberValue);
    const long seconds = std::lround(fraction * 86400.0);
    if (seconds > 0 && seconds < 86400)
        std::snprintf(buffer + length, sizeof buffer - length, " %ld:%02ld:%02ld", seconds / 3600,
                      seconds / 60 % 60, seconds % 60);
    return buffer;
}

std::optional<double> parseDateText(const Gbk& gbk) {
    const std::string text = trim(gbk).bytes();
    if (text.empty())
        return std::nullopt;
    if (const auto date = parseCalendarText(text))
        return date;
    if (const auto number = parseDecimal(text))
        return number->toDouble();
    return std::nullopt;
}

} // namespace wb
