// SPDX-License-Identifier: GPL-3.0-or-later
// Opens a workbook (.xls or .xlsx) with the import's opener and reads every cell of its
// active sheet as text, as an import does; prints the time that took.
// usage: bench_reader WORKBOOK

#include "text/CellValue.h"
#include "text/Error.h"
#include "xls/WorkbookFile.h"
#include "xls/biff/XlsWorkbook.h"

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_reader WORKBOOK\n");
        return 2;
    }
    try {
        const auto start = std::chrono::steady_clock::now();
        const wb::XlsSheet sheet = wb::openWorkbookActiveSheet(argv[1]);
        const auto opened = std::chrono::steady_clock::now();
        std::size_t cells = 0;
        std::size_t bytes = 0;
        for (int row = 1; row <= sheet.lastRow(); ++row) {
            for (int column = 1; column <= sheet.lastColumn(); ++column) {
                bytes += wb::cellText(sheet.cell(row, column)).size();
                ++cells;
            }
        }
        const auto done = std::chrono::steady_clock::now();
        const auto ms = [](auto a, auto b) {
            return std::chrono::duration<double, std::milli>(b - a).count();
        };
        std::printf("%d rows x %d columns, %zu cells, %zu text bytes: open %.1f ms, read "
                    "%.1f ms, total %.1f ms\n",
                    sheet.lastRow(), sheet.lastColumn(), cells, bytes, ms(start, opened),
                    ms(opened, done), ms(start, done));
    } catch (const wb::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
