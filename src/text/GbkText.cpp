// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/GbkText.h"

#include <charconv>

namespace wb {

namespace {
bool isBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}
} // namespace

Gbk trim(const Gbk& gbk) {
    return Gbk::fromBytes(trimBytes(gbk.view()));
}

std::string_view trimBytes(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlankOrControl(text[begin]))
        ++begin;
    while (end > begin && isBlankOrControl(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

std::vector<Gbk> splitLines(const Gbk& gbk) {
    std::string_view text = gbk.view();
    text = text.substr(0, text.find('\0'));
    std::vector<Gbk> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines.push_back(Gbk::fromBytes(text.substr(start, i - start)));
        i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    if (start < text.size())
        lines.push_back(Gbk::fromBytes(text.substr(start)));
    return lines;
}

Gbk byteRange(const Gbk& text, std::size_t first, std::size_t last) {
    if (first < 1 || first > text.size() || last < first)
        return {};
    return text.substr(first - 1, last - first + 1);
}

std::optional<std::int32_t> parseWholeNumber(std::string_view text) {
    // from_chars takes a leading minus but no plus; a plus must be followed by a digit.
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() < '0' || text.front() > '9')
            return std::nullopt;
    }
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

namespace {
char upperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
} // namespace

std::string asciiUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = upperAscii(c);
    return out;
}

std::string asciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    // Compared in place: column names are looked up for every field of every row.
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upperAscii(a[i]) != upperAscii(b[i]))
            return false;
    return true;
}

Gbk decimal(std::int64_t value) {
    return Gbk::ascii(std::to_string(value));
}

} // namespace wb
