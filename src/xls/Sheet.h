#pragma once

#include "xls/CellValue.h"

namespace wb {

// The sheet of a workbook that an import reads: cells by 1-based row and column. A cell
// outside the sheet's used range is empty.
class Sheet {
public:
    virtual ~Sheet() = default;
    virtual CellValue cell(int row, int column) const = 0;
};

} // namespace wb
