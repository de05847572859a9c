// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Dates as the spreadsheet and the database exchange them: a day number counted from
// 1899-12-30 (day 0), whose fraction is the time of day.

#include "text/Gbk.h"

#include <optional>
#include <string>
#include <string_view>

namespace wb {

struct CivilDate {
    int year = 1899;
    int month = 12;
    int day = 30;
};

// Day number of a calendar date; nullopt when the date does not exist (month 13, Feb 30,
// year outside 1..9999).
std::optional<double> dayNumber(int year, int month, int day);

// Whether a day number stands for a date from 0001-01-01 to 9999-12-31.
bool isDayNumberInRange(double dayNumber);

// Calendar date of a day number (the time of day is dropped). A day number out of range is
// taken as the nearest date in range.
CivilDate civilDate(double dayNumber);

// "yyyy-mm-dd", as stored in date columns.
std::string formatIsoDate(double dayNumber);

// The run's short date text: year, month and day joined by "-", month and day without
// leading zeros ("1990-7-1"); a time of day other than midnight follows as " h:mm:ss".
std::string formatShortDate(double dayNumber);

// Parses a date text as a Chinese-locale date parser would: y-m-d, y/m/d, y.m.d and
// y年m月d日 (年 月 日 in GBK), and the year-month forms y-m, y/m, y.m, y年m月 (first day
// of the month); blanks around the text are ignored and an optional time "h:mm[:ss]" may
// follow the date. Failing those, a decimal number is taken as a day count. Two-digit years
// fall in 1930..2029; y.m forms need a four-digit year. Gives nullopt for anything else.
std::optional<double> parseDateText(const Gbk& gbk);

} // namespace wb
