// SPDX-License-Identifier: GPL-3.0-or-later
#include "xls/xlsx/XlsxText.h"

namespace wb::xls {

namespace {

// Bytes of file text quoted in a message.
constexpr std::size_t kMaxQuoted = 40;

void appendUtf8(char32_t code, std::string& out) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The UTF-16 unit of an escape "_xHHHH_" at `at`; nullopt when there is none.
std::optional<char16_t> escapedUnit(std::string_view text, std::size_t at) {
    constexpr std::size_t kEscapeSize = 7;
    if (text.size() - at < kEscapeSize || text.compare(at, 2, "_x") != 0 ||
        text[at + kEscapeSize - 1] != '_')
        return std::nullopt;
    unsigned value = 0;
    const char* digits = text.data() + at + 2;
    const auto [end, error] = std::from_chars(digits, digits + 4, value, 16);
    if (error != std::errc() || end != digits + 4)
        return std::nullopt;
    return static_cast<char16_t>(value);
}

} // namespace

void appendUnescaped(std::string_view text, std::string& out) {
    constexpr char32_t kReplacement = 0xFFFD;
    std::size_t at = 0;
    for (;;) {
        const std::size_t found = text.find("_x", at);
        if (found == std::string_view::npos) {
            out.append(text.substr(at));
            return;
        }
        out.append(text.substr(at, found - at));
        const std::optional<char16_t> unit = escapedUnit(text, found);
        if (!unit) {
            out += '_';
            at = found + 1;
            continue;
        }
        at = found + 7;
        char32_t code = *unit;
        if (code >= 0xD800 && code <= 0xDBFF) {
            const std::optional<char16_t> low = escapedUnit(text, at);
            if (low && *low >= 0xDC00 && *low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (*low - 0xDC00);
                at += 7;
            } else {
                code = kReplacement;
            }
        } else if (code >= 0xDC00 && code <= 0xDFFF) {
            code = kReplacement;
        }
        appendUtf8(code, out);
    }
}

std::string quoted(std::string_view text) {
    if (text.size() <= kMaxQuoted)
        return std::string(text);
    std::size_t cut = kMaxQuoted;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return std::string(text.substr(0, cut)) + "…";
}

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r';
    };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isTrue(const char* value) {
    return value && (std::string_view(value) == "1" || std::string_view(value) == "true");
}

} // namespace wb::xls
