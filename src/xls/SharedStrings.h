// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A workbook's shared string table, kept as the file stores it (UTF-16 units for .xls, UTF-8
// for .xlsx) until a cell of the sheet uses a string: then that string is converted to GBK
// once and put into the sheet's text pool.

#include "text/Encoding.h"
#include "xls/SheetBuilder.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace wb::xls {

template <typename Char> class SharedStrings {
public:
    void reserve(std::size_t strings) { ends_.reserve(strings); }

    // Adds the next string: its characters are appended to characters() (a string may
    // come in pieces, as rich-text runs do), then endString() closes it.
    std::basic_string<Char>& characters() { return units_; }
    void endString() {
        ends_.push_back(static_cast<std::uint32_t>(units_.size()));
        pooled_.push_back(kNotPooled);
    }

    std::size_t size() const { return ends_.size(); }
    // Characters held, to bound the table by.
    std::size_t units() const { return units_.size(); }

    // The pool index of string `index` (< size()) in the sheet's text.
    std::uint32_t text(std::uint32_t index, SheetBuilder& sheet) {
        if (pooled_[index] == kNotPooled) {
            const std::uint32_t start = index == 0 ? 0 : ends_[index - 1];
            const auto characters =
                std::basic_string_view<Char>(units_).substr(start, ends_[index] - start);
            if constexpr (std::is_same_v<Char, char16_t>)
                pooled_[index] = sheet.appendText(utf16ToGbk(characters));
            else
                pooled_[index] = sheet.appendText(utf8ToGbk(characters));
        }
        return pooled_[index];
    }

private:
    static constexpr std::uint32_t kNotPooled = std::numeric_limits<std::uint32_t>::max();
    std::basic_string<Char> units_;
    std::vector<std::uint32_t> ends_;
    std::vector<std::uint32_t> pooled_;
};

} // namespace wb::xls
