// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/CellValue.h"

#include <functional>

namespace wb {

// The sheet of a workbook that an import reads: cells by 1-based row and column. A cell
// outside the sheet's used range is empty.
class Sheet {
public:
    // Called with a cell's 1-based row and column and its value.
    using CellVisitor = std::function<void(int row, int column, const CellValue& value)>;

    virtual ~Sheet() = default;
    virtual CellValue cell(int row, int column) const = 0;
    // Calls `visit` for every cell that holds a value (no Empty ones), in row then column
    // order, each cell once. Costs the number of such cells, not the sheet's area.
    virtual void forEachCell(const CellVisitor& visit) const = 0;
};

} // namespace wb
