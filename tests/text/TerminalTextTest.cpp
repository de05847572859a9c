// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/TerminalText.h"
#include "support/GbkBytes.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace wb;

TEST(TerminalSafe, ControlCharactersBecomeVisible) {
    struct Case {
        const char* name;
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {"colour sequence", "甲\x1b[31m乙", "甲\\x1b[31m乙"},
        {"CR, TAB and DEL", "a\rb\tc\x7f", "a\\x0db\\x09c\\x7f"},
        {"NUL and the last C0 control", std::string("a\0b\x1f", 4), "a\\x00b\\x1f"},
        {"C1 controls at both ends of the range", "\xC2\x80x\xC2\x9B[2J\xC2\x9F",
         "\\u0080x\\u009b[2J\\u009f"},
        {"line breaks stay", "一\n二\n", "一\n二\n"},
        {"backslash, blank, tilde and U+00A0 stay", "a\\x1b ~\xC2\xA0", "a\\x1b ~\xC2\xA0"},
        // Continuation bytes in the C1 range inside other characters are no controls.
        {"characters whose bytes look like C1", "\xE2\x80\x9C\xE4\xB8\x80\xC3\x80",
         "\xE2\x80\x9C\xE4\xB8\x80\xC3\x80"},
        {"a lone C2 at the end", "a\xC2", "a\xC2"},
        {"empty", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(terminalSafe(c.in), c.out) << c.name;
}

namespace {

// The inverse of escapeField, as a reader of wagebook-cells would write it; nullopt for a
// backslash that starts no escape.
std::optional<std::string> unescapeField(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            out += field[i];
            continue;
        }
        if (++i == field.size())
            return std::nullopt;
        const char kind = field[i];
        if (kind == '\\' || kind == 't' || kind == 'r' || kind == 'n') {
            out += kind == '\\' ? '\\' : kind == 't' ? '\t' : kind == 'r' ? '\r' : '\n';
        } else if (kind == 'x' && i + 2 < field.size()) {
            out += static_cast<char>(std::stoi(field.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else if (kind == 'u' && field.compare(i + 1, 2, "00") == 0 && i + 4 < field.size()) {
            out += '\xC2';
            out += static_cast<char>(std::stoi(field.substr(i + 3, 2), nullptr, 16));
            i += 4;
        } else {
            return std::nullopt;
        }
    }
    return out;
}

} // namespace

TEST(EscapeField, EveryControlAndBackslashIsEscaped) {
    struct Case {
        const char* name;
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {"tab, CR, LF by name", "a\tb\rc\nd", "a\\tb\\rc\\nd"},
        {"CR LF", "一\r\n二", "一\\r\\n二"},
        {"backslash doubled", "C:\\dm\\", "C:\\\\dm\\\\"},
        {"text that looks like an escape", "\\x1b \\n", "\\\\x1b \\\\n"},
        {"other C0 controls and DEL in hex", std::string("\0\x01\x1b[1m\x1f\x7f", 8),
         "\\x00\\x01\\x1b[1m\\x1f\\x7f"},
        {"C1 controls", "\xC2\x85x\xC2\x9B", "\\u0085x\\u009b"},
        {"printable text kept", "张三 1990.07 本科 ~\xC2\xA0😀", "张三 1990.07 本科 ~\xC2\xA0😀"},
        {"empty", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(escapeField(c.in), c.out) << c.name;
        EXPECT_EQ(unescapeField(escapeField(c.in)), c.in) << c.name;
    }
}

TEST(EscapeField, EveryByteValueComesBackExactlyAndNoControlIsLeft) {
    std::string all;
    for (int byte = 0; byte < 0x80; ++byte)
        all += static_cast<char>(byte);
    for (int low = 0x80; low < 0xC0; ++low)
        all += std::string("\xC2") + static_cast<char>(low);
    all += "\\\\u0085\\";
    const std::string field = escapeField(all);
    EXPECT_EQ(unescapeField(field), all);
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto byte = static_cast<unsigned char>(field[i]);
        EXPECT_FALSE(byte < 0x20 || byte == 0x7F) << "control at " << i;
        if (byte == 0xC2 && i + 1 < field.size()) {
            EXPECT_GE(static_cast<unsigned char>(field[i + 1]), 0xA0) << "C1 at " << i;
        }
    }
}
