// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/ImportCommand.h"

#include "import/Office.h"
#include "refdata/Departments.h"
#include "text/Encoding.h"

namespace wb {

Gbk dryRunSummary(const DryRunCounts& counts) {
    return utf8ToGbk("试导入：将导入 " + std::to_string(counts.persons) + " 人，学历 " +
                     std::to_string(counts.education) + " 条、职务 " +
                     std::to_string(counts.appointments) + " 条、考核 " +
                     std::to_string(counts.assessments) + " 条；未写入数据库");
}

int runImportCommand(const ImportRequest& request, UserInterface& ui) {
    if (!databaseFilePresent(ui))
        return kImportFailed;
    Office office;
    if (!departmentExists(office.departmentQuery, request.departmentCode)) {
        refuseWithoutDepartment(ui);
        // The box is the window's; on a terminal the code given is named.
        ui.addError(ErrorLine::plain(utf8ToGbk("没有部门 " + gbkToUtf8(request.departmentCode) +
                                               "：dm_jg 中没有这个部门代码（wagebook-dept list "
                                               "列出已有的部门）")));
        return kImportFailed;
    }
    office.loadCodeFile(ui);
    return importWithSummary(request, office, ui) == RunOutcome::Completed ? kImportCompleted
                                                                           : kImportFailed;
}

RunOutcome importWithSummary(const ImportRequest& request, Office& office, UserInterface& ui) {
    office.lastDryRun.reset();
    const RunOutcome outcome = office.import(request, ui);
    if (office.lastDryRun)
        ui.addRunLog(dryRunSummary(*office.lastDryRun));
    return outcome;
}

} // namespace wb
