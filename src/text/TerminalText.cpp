#include "text/TerminalText.h"

namespace wb {

std::string terminalSafe(std::string_view utf8) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if ((byte < 0x20 && byte != '\n') || byte == 0x7F) {
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

} // namespace wb
