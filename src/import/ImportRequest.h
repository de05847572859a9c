// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/Gbk.h"

#include <string>

namespace wb {

// What one import run is asked to do.
struct ImportRequest {
    Gbk departmentCode;       // trimmed jgdm of the selected department
    std::string workbookPath; // file system path of the workbook; empty when none is selected
    bool overwrite = false;   // overwrite mode: delete the department's people first
    bool dryRun = false;      // the whole run, then everything it wrote taken back
};

} // namespace wb
