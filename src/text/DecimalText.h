// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Decimal numbers kept as written, so that arithmetic on their digits is exact
// (2.06 stays 2.06, not 2.0599999...).

#include "text/Gbk.h"
#include <cstdint>

#include <optional>
#include <string>
#include <string_view>

namespace wb {

struct DecimalText {
    bool negative = false;
    std::string integerDigits;  // no leading zeros; empty for 0
    std::string fractionDigits; // digits after the point, as written

    // The value times 10^shift, truncated toward zero; nullopt when it does not fit in
    // 64 bits.
    std::optional<std::int64_t> truncatedScaled(int shift) const;
    double toDouble() const;
};

// Decimal parse: optional sign, digits with at most one point (digits on at least one
// side), optional exponent (e or E, optional sign, digits); blanks around it are ignored.
std::optional<DecimalText> parseDecimal(std::string_view text);
inline std::optional<DecimalText> parseDecimal(const Gbk& text) {
    return parseDecimal(text.view());
}

} // namespace wb
