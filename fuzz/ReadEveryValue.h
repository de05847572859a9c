// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the fuzz targets do with a sheet that was read: every value converted as the import
// converts it, so that a value no conversion expects shows up as a crash.

#include "text/CellValue.h"
#include "text/Error.h"
#include "xls/XlsSheet.h"

#include <algorithm>
#include <cstddef>

namespace wb::fuzz {

inline void readEveryValue(const XlsSheet& sheet) {
    // The used range can be 1,048,576 x 16,384; a corner of it and its last row are enough.
    const int rows = std::min(sheet.lastRow(), 40);
    const int columns = std::min(sheet.lastColumn(), 12);
    std::size_t sink = sheet.name().size();
    for (int row = 0; row <= rows + 1; ++row) {
        for (int column = 0; column <= columns + 1; ++column) {
            const CellValue value = sheet.cell(row, column);
            sink += cellText(value).size();
            try {
                sink += static_cast<std::size_t>(cellDate(value) != 0);
            } catch (const Error&) {
            }
        }
    }
    for (int column = 1; column <= std::min(sheet.lastColumn(), 1000); ++column)
        sink += cellText(sheet.cell(sheet.lastRow(), column)).size();
    volatile std::size_t keep = sink;
    (void)keep;
}

} // namespace wb::fuzz
