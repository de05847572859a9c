// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A sheet held in memory, written in UTF-8 for readability: rows of cells, row 1 the titles.

#include "support/GbkBytes.h"
#include "text/Encoding.h"
#include "text/Error.h"
#include "xls/Sheet.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace wb::test {

class MemorySheet : public Sheet {
public:
    MemorySheet() = default;
    // Each row a list of UTF-8 texts; an empty text leaves the cell empty.
    explicit MemorySheet(const std::vector<std::vector<std::string>>& rows) {
        for (std::size_t r = 0; r < rows.size(); ++r)
            for (std::size_t c = 0; c < rows[r].size(); ++c)
                if (!rows[r][c].empty())
                    setText(static_cast<int>(r) + 1, static_cast<int>(c) + 1, rows[r][c]);
    }
    void setText(int row, int column, const std::string& utf8) {
        cells_[{row, column}] = CellValue::ofText(gbk(utf8));
    }
    void set(int row, int column, CellValue value) { cells_[{row, column}] = std::move(value); }

    CellValue cell(int row, int column) const override {
        ++reads;
        if (failingCell == std::pair{row, column})
            throw Error("模拟的故障");
        const auto it = cells_.find({row, column});
        return it == cells_.end() ? CellValue{} : it->second;
    }
    void forEachCell(const CellVisitor& visit) const override {
        for (const auto& [position, value] : cells_)
            if (value.kind != CellValue::Kind::Empty)
                visit(position.first, position.second, value);
    }
    mutable int reads = 0;
    std::optional<std::pair<int, int>> failingCell; // a cell whose reading throws wb::Error

private:
    std::map<std::pair<int, int>, CellValue> cells_;
};

} // namespace wb::test
