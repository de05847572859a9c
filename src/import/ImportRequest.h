#pragma once

#include <string>

namespace wb {

// What one import run is asked to do.
struct ImportRequest {
    std::string departmentCode; // trimmed jgdm of the selected department, GBK
    std::string workbookPath;   // file system path of the workbook; empty when none is selected
    bool overwrite = false;     // overwrite mode: delete the department's people first
};

} // namespace wb
