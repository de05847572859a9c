#pragma once
// Byte-level helpers for GBK text. Every text the import talks about is a GBK byte string
// held in std::string; lengths, positions and cuts count bytes, positions start at 1.
// std::string comparison is already byte-wise on unsigned bytes, which is the order used
// for every code and date comparison.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wb {

// Removes the bytes 0x00..0x20 (blanks and control characters) at both ends.
std::string trim(std::string_view text);

// Splits a multi-line text: CR, LF and the pair CR LF each end a line; a break at the very
// end adds no empty last line; the text ends at its first NUL byte. Empty text gives no lines.
std::vector<std::string> splitLines(std::string_view text);

// Bytes first..last (1-based, inclusive) of text, clipped to its length; may cut a
// double-byte character in half. Gives empty text when first lies past the end.
std::string byteRange(std::string_view text, std::size_t first, std::size_t last);

// A field of fixed byte positions in a line (1-based, inclusive).
struct ByteField {
    std::size_t first;
    std::size_t last;
};
inline std::string byteRange(std::string_view text, ByteField field) {
    return byteRange(text, field.first, field.last);
}

// Whole-number parse: optional sign and decimal digits, within the 32-bit signed range.
// Nothing else is accepted: no blanks, no point, no exponent, not the empty text.
std::optional<std::int32_t> parseWholeNumber(std::string_view text);

// Decimal text of an integer.
std::string decimal(std::int64_t value);

// ASCII letters folded to upper or lower case; every other byte (GBK included) as it is.
// The locale plays no part: names of SQL words, tables and columns must not depend on it.
std::string asciiUpper(std::string_view text);
std::string asciiLower(std::string_view text);
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

} // namespace wb
