// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Collects the cells of a worksheet as the file gives them, in any order, and turns them
// into an XlsSheet. A cell given twice keeps its last value, as the spreadsheet does.

#include "xls/XlsSheet.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace wb::xls {

class SheetBuilder {
public:
    using Kind = CellValue::Kind;

    SheetBuilder();

    // At most this many cells are taken (256 MB of entries): more throws FormatError.
    static constexpr std::size_t kMaxCells = std::size_t{1} << 24;

    // Row and column are 0-based, as files store them.
    void add(std::uint32_t row, std::uint16_t column, Kind kind, double number);
    // A text cell whose text is already in the pool; gives the cell's position.
    std::size_t addText(std::uint32_t row, std::uint16_t column, std::uint32_t text);

    // Adds GBK text to the pool and gives its index. Index 0 is the empty text.
    std::uint32_t appendText(const Gbk& text);
    void setText(std::size_t cellPosition, std::uint32_t text);

    void reserve(std::size_t cells);
    XlsSheet finish(Gbk name);

private:
    void push(const XlsSheet::StoredCell& cell);

    XlsSheet sheet_;
};

} // namespace wb::xls
