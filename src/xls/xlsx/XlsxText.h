// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text in the parts of an .xlsx package: values as a message quotes them, numbers, flags,
// and string items with their "_xHHHH_" escapes decoded. UTF-8 throughout.

#include <charconv>
#include <optional>
#include <string>
#include <string_view>

namespace wb::xls {

// File text as a message quotes it: at most 40 bytes, not cutting a character.
std::string quoted(std::string_view text);

// The text without blanks, tabs and line breaks at either end.
std::string_view trimmed(std::string_view text);

// An unsigned decimal number that is the whole text; nullopt for anything else.
template <typename Unsigned> std::optional<Unsigned> unsignedNumber(std::string_view text) {
    text = trimmed(text);
    Unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// An attribute that says yes ("1" or "true").
bool isTrue(const char* value);

// Appends text with its escapes decoded: "_xHHHH_" stands for the UTF-16 unit HHHH (a
// surrogate pair takes two escapes), so "_x000D_" is a carriage return and "_x005F_" an
// underscore that keeps the text after it from being read as an escape.
void appendUnescaped(std::string_view text, std::string& out);

// The text of a string item (a shared string's si, an inline string's is): its t elements,
// whole or as rich-text runs, joined; the phonetic runs (rPh) left out.
class StringItemText {
public:
    void start(std::string_view local) {
        if (local == "rPh")
            ++phonetic_;
        else if (local == "t" && phonetic_ == 0)
            capturing_ = true;
    }
    void end(std::string_view local, std::string& out) {
        if (local == "rPh" && phonetic_ > 0) {
            --phonetic_;
        } else if (local == "t" && capturing_) {
            capturing_ = false;
            appendUnescaped(piece_, out);
            piece_.clear();
        }
    }
    void characters(std::string_view text) {
        if (capturing_)
            piece_.append(text);
    }

private:
    int phonetic_ = 0;
    bool capturing_ = false;
    std::string piece_;
};

} // namespace wb::xls
