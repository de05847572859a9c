// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a user is shown of a workbook's sheet: each cell's text as the import reads it.

#include "xls/Sheet.h"

#include <functional>

namespace wb {

// Called with a cell's 1-based row and column and its text (GBK), never empty.
using CellTextVisitor = std::function<void(int row, int column, const Gbk& text)>;

// Calls `visit` for every cell of `sheet` whose text (cellText: dates and numbers as the
// import turns them into text) is not empty, in row then column order.
void forEachCellText(const Sheet& sheet, const CellTextVisitor& visit);

} // namespace wb
