// SPDX-License-Identifier: GPL-3.0-or-later
#include "xls/CellTexts.h"

namespace wb {

void forEachCellText(const Sheet& sheet, const CellTextVisitor& visit) {
    sheet.forEachCell([&visit](int row, int column, const CellValue& value) {
        const Gbk text = cellText(value);
        if (!text.empty())
            visit(row, column, text);
    });
}

} // namespace wb
