#include "import/ImportCommand.h"

#include "import/Departments.h"
#include "import/Office.h"

namespace wb {

int runImportCommand(const ImportRequest& request, UserInterface& ui) {
    if (!databaseFilePresent(ui))
        return kImportFailed;
    Office office;
    if (!departmentExists(office.AQ1, request.departmentCode)) {
        refuseWithoutDepartment(ui);
        return kImportFailed;
    }
    office.ASetDm(ui);
    return office.AInput(request, ui) == RunOutcome::Completed ? kImportCompleted : kImportFailed;
}

} // namespace wb
