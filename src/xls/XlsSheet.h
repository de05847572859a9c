// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The values of one worksheet of a workbook (.xls or .xlsx), held compactly: one 16-byte
// entry per cell that has a value, sorted by row and column, and one pool of GBK text.

#include "text/Gbk.h"
#include "xls/Sheet.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wb {

namespace xls {
class SheetBuilder;
}

class XlsSheet final : public Sheet {
public:
    // 1-based; O(log n) in the cells of the row. Cells without a value, and cells outside
    // the sheet, are empty.
    CellValue cell(int row, int column) const override;
    // In the order the cells are stored: O(1) per cell.
    void forEachCell(const CellVisitor& visit) const override;

    // The last row and column (1-based) that hold a value; 0 when the sheet has none.
    int lastRow() const { return static_cast<int>(rowStart_.size()) - 1; }
    int lastColumn() const { return lastColumn_; }

    // The sheet's tab name, GBK.
    const Gbk& name() const { return name_; }

private:
    friend class xls::SheetBuilder;

    struct StoredCell {
        std::uint32_t row; // 0-based
        std::uint16_t column;
        CellValue::Kind kind;
        union {
            double number;      // every kind but Text
            std::uint32_t text; // Text: index into the text pool
        };
    };

    CellValue valueOf(const StoredCell& stored) const;
    std::string_view textAt(std::uint32_t index) const {
        return std::string_view(text_).substr(textStart_[index],
                                              textStart_[index + 1] - textStart_[index]);
    }

    Gbk name_;
    std::vector<StoredCell> cells_;
    // Cells of 0-based row r are cells_[rowStart_[r] .. rowStart_[r + 1]).
    std::vector<std::uint32_t> rowStart_{0};
    int lastColumn_ = 0;
    std::string text_;
    std::vector<std::uint32_t> textStart_{0};
};

} // namespace wb
