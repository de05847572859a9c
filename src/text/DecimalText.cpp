// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/DecimalText.h"

#include "text/GbkText.h"

#include <charconv>
#include <limits>

namespace wb {

namespace {
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
} // namespace

std::optional<DecimalText> parseDecimal(std::string_view input) {
    const std::string text(trimBytes(input));
    std::size_t pos = 0;
    DecimalText result;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        result.negative = text[pos++] == '-';
    std::string integer;
    while (pos < text.size() && isDigit(text[pos]))
        integer += text[pos++];
    std::string fraction;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        while (pos < text.size() && isDigit(text[pos]))
            fraction += text[pos++];
    }
    if (integer.empty() && fraction.empty())
        return std::nullopt;
    long exponent = 0;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        bool negativeExponent = false;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
            negativeExponent = text[pos++] == '-';
        const std::size_t start = pos;
        while (pos < text.size() && isDigit(text[pos]) && exponent < 100000)
            exponent = exponent * 10 + (text[pos++] - '0');
        if (pos == start)
            return std::nullopt;
        if (negativeExponent)
            exponent = -exponent;
    }
    if (pos != text.size())
        return std::nullopt;
    // Move the point by the exponent so that the digits stand as written.
    std::string digits = integer + fraction;
    long point = static_cast<long>(integer.size()) + exponent;
    if (point < 0) {
        digits.insert(0, static_cast<std::size_t>(-point), '0');
        point = 0;
    } else if (point > static_cast<long>(digits.size())) {
        digits.append(static_cast<std::size_t>(point) - digits.size(), '0');
    }
    result.integerDigits = digits.substr(0, static_cast<std::size_t>(point));
    result.fractionDigits = digits.substr(static_cast<std::size_t>(point));
    const std::size_t firstNonZero = result.integerDigits.find_first_not_of('0');
    result.integerDigits.erase(0, firstNonZero == std::string::npos ? result.integerDigits.size()
                                                                    : firstNonZero);
    return result;
}

std::optional<std::int64_t> DecimalText::truncatedScaled(int shift) const {
    std::string digits = integerDigits;
    for (int i = 0; i < shift; ++i)
        digits += i < static_cast<int>(fractionDigits.size()) ? fractionDigits[i] : '0';
    std::int64_t value = 0;
    for (char c : digits) {
        if (value > (std::numeric_limits<std::int64_t>::max() - (c - '0')) / 10)
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

double DecimalText::toDouble() const {
    const std::string text = (negative ? "-" : "") + (integerDigits.empty() ? "0" : integerDigits) +
                             "." + fractionDigits + "0";
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value); // locale-independent
    return value;
}

} // namespace wb
