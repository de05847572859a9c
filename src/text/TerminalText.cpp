// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/TerminalText.h"

namespace wb {

namespace {

enum class Escapes {
    Readable,  // line breaks and backslashes kept
    Reversible // backslashes and the common controls escaped by name
};

// The escape a byte gets in Reversible mode besides the \x and \u forms; 0 for none.
char namedEscape(unsigned char byte) {
    switch (byte) {
    case '\\':
        return '\\';
    case '\t':
        return 't';
    case '\r':
        return 'r';
    case '\n':
        return 'n';
    default:
        return 0;
    }
}

std::string showControls(std::string_view utf8, Escapes escapes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (escapes == Escapes::Reversible) {
            if (const char name = namedEscape(byte)) {
                out += '\\';
                out += name;
                continue;
            }
        } else if (byte == '\n') {
            out += '\n';
            continue;
        }
        if (byte < 0x20 || byte == 0x7F) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
            continue;
        }
        // U+0080..U+009F are the two bytes C2 80..C2 9F.
        if (byte == 0xC2 && i + 1 < utf8.size()) {
            const auto next = static_cast<unsigned char>(utf8[i + 1]);
            if (next >= 0x80 && next <= 0x9F) {
                out += "\\u00";
                out += kHex[next >> 4];
                out += kHex[next & 0xF];
                ++i;
                continue;
            }
        }
        out += static_cast<char>(byte);
    }
    return out;
}

} // namespace

std::string terminalSafe(std::string_view utf8) {
    return showControls(utf8, Escapes::Readable);
}

std::string escapeField(std::string_view utf8) {
    return showControls(utf8, Escapes::Reversible);
}

} // namespace wb
