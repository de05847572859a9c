// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A workbook checked before it is imported, as a copy the department can fix: the import run
// as a dry run (nothing written), then the active sheet copied into an .xlsx in which every
// cell that gave an error-list line is filled light red and carries a note with the reason,
// after a first sheet 检查结果 listing the lines, each linking to its cell.

#include "import/ImportRequest.h"
#include "import/ImportRun.h"
#include "import/Office.h"
#include "import/UserInterface.h"

#include <cstddef>
#include <string>

namespace wb {

struct WorkbookCheck {
    // Whether the copy was written: false when the workbook was refused (a missing or
    // unreadable file, titles that do not match, an unknown department) or the user aborted
    // the check.
    bool written = false;
    std::size_t errorLines = 0;  // lines of the error list, those from no cell included
    std::size_t markedCells = 0; // cells filled red
    DryRunCounts counts;         // what the import would write
};

// Where the checked copy of a workbook goes unless told: beside it, its name without the
// extension followed by ".检查结果.xlsx" (staff.xls gives staff.检查结果.xlsx).
std::string checkedCopyPath(const std::string& workbookPath);

// What the window's 导入 › 检查工作簿… and wagebook-check do, in the current directory:
// reads dm.txt, runs the import of `request` as a dry run in append mode (the same run as
// wagebook-import --dry-run), and writes the checked copy to `outPath`, whole or not at all.
// Run log, error list, boxes and a password prompt reach the user through `ui` as in an
// import, then the dry run's summary and a line saying what the check found and where it
// wrote it. A request without a department code checks without one (bm stays empty, and is
// rolled back with everything else); one with a code not in dm_jg is refused as an import
// is. The copy never replaces the workbook itself (refused in a box). Throws wb::Error
// naming the copy when it cannot be written, and what the run throws.
WorkbookCheck checkWorkbook(ImportRequest request, Office& office, UserInterface& ui,
                            const std::string& outPath);

} // namespace wb
