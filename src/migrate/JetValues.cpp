// SPDX-License-Identifier: GPL-3.0-or-later
#include "migrate/JetValues.h"

#include "text/DateText.h"
#include "text/Encoding.h"

#include <iconv.h>

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace wb::migrate {

std::string jetUnicodeToUtf8(std::string_view bytes) {
    std::u16string units;
    const auto byte = [&bytes](std::size_t i) {
        return static_cast<unsigned char>(bytes[i]);
    };
    if (bytes.size() >= 2 && byte(0) == 0xFF && byte(1) == 0xFE) {
        bool oneByte = true;
        for (std::size_t i = 2; i < bytes.size();) {
            if (byte(i) == 0) {
                oneByte = !oneByte;
                ++i;
            } else if (oneByte) {
                units.push_back(byte(i++));
            } else if (i + 1 < bytes.size()) {
                units.push_back(static_cast<char16_t>(byte(i) | byte(i + 1) << 8));
                i += 2;
            } else {
                break;
            }
        }
    } else {
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
            units.push_back(static_cast<char16_t>(byte(i) | byte(i + 1) << 8));
    }
    // GB18030 holds every character, so the way through the text layer loses nothing.
    return gbkToUtf8(utf16ToGbk(units));
}

std::string jetCodePageToUtf8(std::string_view bytes, int codePage) {
    return gbkToUtf8(codePageToGbk(bytes, codePage));
}

bool isKnownCodePage(int codePage) {
    if (codePage <= 0)
        return false;
    const iconv_t converter = iconv_open("UTF-8", ("CP" + std::to_string(codePage)).c_str());
    if (converter == reinterpret_cast<iconv_t>(-1))
        return false;
    iconv_close(converter);
    return true;
}

std::string jetDateText(double dayNumber) {
    if (!std::isfinite(dayNumber))
        dayNumber = 0;
    double day = std::trunc(dayNumber);
    long seconds = std::lround(std::fabs(dayNumber - day) * 86400.0);
    if (seconds >= 86400) { // rounded up to the next midnight, either side of day 0
        day += 1;
        seconds = 0;
    }
    std::string text = formatIsoDate(day);
    if (seconds == 0)
        return text;
    char time[16];
    std::snprintf(time, sizeof time, " %02ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text + time;
}

double floatAsDecimal(float value) {
    if (!std::isfinite(value))
        return value;
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    *result.ptr = '\0';
    return std::strtod(buffer, nullptr);
}

} // namespace wb::migrate
