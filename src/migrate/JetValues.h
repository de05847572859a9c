// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Values as a Jet file stores them, turned into what the SQLite copy keeps: text as UTF-8,
// dates as ISO text, single-precision numbers as the decimal the user saw.

#include <string>
#include <string_view>

namespace wb::migrate {

// Jet 4 / ACE text: UTF-16LE, or "compressed" (starting FF FE, then runs of one byte per
// character for U+0001..U+00FF and of two bytes per character, each 00 byte switching). Gives
// UTF-8; an odd last byte is dropped.
std::string jetUnicodeToUtf8(std::string_view bytes);

// Jet 3 text in a Windows code page (936, 1252, ...) to UTF-8.
std::string jetCodePageToUtf8(std::string_view bytes, int codePage);

// Whether the system can convert text of this Windows code page.
bool isKnownCodePage(int codePage);

// A Jet date/time: days from 1899-12-30 whose fraction's absolute value is the time of day
// (so -1.25 is 1899-12-29 06:00). "YYYY-MM-DD" at midnight, else "YYYY-MM-DD HH:MM:SS",
// rounded to the second. Years outside 0001..9999 are taken as the nearest in range.
std::string jetDateText(double dayNumber);

// A single-precision value as the shortest decimal that reads back as the same float, as a
// double: 0.05f gives 0.05, not 0.0500000007.
double floatAsDecimal(float value);

} // namespace wb::migrate
