// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Byte-level helpers for GBK text (Gbk.h): lengths, positions and cuts count bytes,
// positions start at 1. The parsers and the ASCII helpers take any bytes: they look at
// ASCII only.

#include "text/Gbk.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wb {

// Removes the bytes 0x00..0x20 (blanks and control characters) at both ends.
Gbk trim(const Gbk& text);
// The same on any bytes, for the parsers of ASCII numbers.
std::string_view trimBytes(std::string_view text);

// Splits a multi-line text: CR, LF and the pair CR LF each end a line; a break at the very
// end adds no empty last line; the text ends at its first NUL byte. Empty text gives no lines.
std::vector<Gbk> splitLines(const Gbk& text);

// Bytes first..last (1-based, inclusive) of text, clipped to its length; may cut a
// double-byte character in half. Gives empty text when first lies past the end.
Gbk byteRange(const Gbk& text, std::size_t first, std::size_t last);

// A field of fixed byte positions in a line (1-based, inclusive).
struct ByteField {
    std::size_t first;
    std::size_t last;
};
inline Gbk byteRange(const Gbk& text, ByteField field) {
    return byteRange(text, field.first, field.last);
}

// Whole-number parse: optional sign and decimal digits, within the 32-bit signed range.
// Nothing else is accepted: no blanks, no point, no exponent, not the empty text.
std::optional<std::int32_t> parseWholeNumber(std::string_view text);
inline std::optional<std::int32_t> parseWholeNumber(const Gbk& text) {
    return parseWholeNumber(text.view());
}

// Decimal text of an integer.
Gbk decimal(std::int64_t value);

// ASCII letters folded to upper or lower case; every other byte (GBK included) as it is.
// The locale plays no part: names of SQL words, tables and columns must not depend on it.
std::string asciiUpper(std::string_view text);
std::string asciiLower(std::string_view text);
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

} // namespace wb
