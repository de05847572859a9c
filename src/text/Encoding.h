// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Conversions between the program's GBK bytes and the encodings at its edges. GB18030 is
// used for GBK: it equals GBK byte for byte on every GBK character and also encodes every
// other character, so nothing becomes "?" on the way in or out.

#include "text/Gbk.h"

#include <string>
#include <string_view>

namespace wb {

// GBK (GB18030) bytes to UTF-8. A byte sequence that is no character (for example half a
// double-byte character left by a byte cut) becomes U+FFFD; nothing fails.
std::string gbkToUtf8(const Gbk& gbk);

// UTF-8 to GB18030 bytes. Invalid UTF-8 bytes become U+FFFD's encoding; nothing fails.
Gbk utf8ToGbk(std::string_view utf8);

// UTF-16 little-endian code units (as spreadsheet files store them) to GB18030 bytes.
Gbk utf16ToGbk(std::u16string_view utf16);

// Bytes in a Windows code page (936, 1252, ...) to GB18030 bytes. Code page 936 and 54936
// are returned as they are; an unknown code page is read as 1252.
Gbk codePageToGbk(std::string_view bytes, int codePage);

// What bytes meant to be GBK text hold instead.
enum class ForeignEncoding { None, Utf8, Utf16 };

// Tells text saved in another encoding from GBK: Utf8 for a UTF-8 byte-order mark, or for
// valid UTF-8 with characters beyond ASCII that is no valid GBK (characters GBK assigns;
// its user-defined areas count as invalid); Utf16 for a UTF-16 byte-order mark of either
// byte order; None for anything else: empty, ASCII, GBK, UTF-8 that also reads as GBK
// (ambiguous, so taken as GBK), and bytes that are neither. Pure; never throws for the
// bytes.
ForeignEncoding detectForeignEncoding(std::string_view bytes);

// The program's own Chinese texts are written in UTF-8 in the source; this gives their GBK
// bytes. Call it once per text (a static), not per row.
inline Gbk gbk(std::string_view utf8Literal) {
    return utf8ToGbk(utf8Literal);
}

} // namespace wb
