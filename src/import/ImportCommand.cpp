#include "import/ImportCommand.h"

#include "import/Office.h"
#include "refdata/Departments.h"

namespace wb {

int runImportCommand(const ImportRequest& request, UserInterface& ui) {
    if (!databaseFilePresent(ui))
        return kImportFailed;
    Office office;
    if (!departmentExists(office.departmentQuery, request.departmentCode)) {
        refuseWithoutDepartment(ui);
        return kImportFailed;
    }
    office.loadCodeFile(ui);
    return office.import(request, ui) == RunOutcome::Completed ? kImportCompleted : kImportFailed;
}

} // namespace wb
