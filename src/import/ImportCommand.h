// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// wagebook-import's work without its process: what a terminal run checks before the import
// (what the window's start-up check and department selection ensure), then the import.

#include "import/ImportRequest.h"
#include "import/ImportRun.h"
#include "import/UserInterface.h"

namespace wb {

// Exit statuses of an import from the command line; 2, a usage error, never gets this far.
inline constexpr int kImportCompleted = 0; // the run completed, or the user aborted it
inline constexpr int kImportFailed = 1;    // the run was refused or ended early

// In the current directory: refuses a run when wagebook.mdb is missing or dm_jg lacks
// request.departmentCode (each with the window's message box through `ui`, the missing
// department then named in an error-list line after it); otherwise reads
// dm.txt and runs the import. Returns kImportCompleted or kImportFailed. Throws wb::Error
// for a failure the run does not report itself (see Office::import), and when dm_jg cannot
// be read.
// A dry run ends with one more run-log line, what it found it would write.
int runImportCommand(const ImportRequest& request, UserInterface& ui);

// "试导入：将导入 N 人，学历 a 条、职务 b 条、考核 c 条；未写入数据库"
Gbk dryRunSummary(const DryRunCounts& counts);

class Office;

// The import run of `request` on `office` (Office::import); a dry run that got through its
// rows then adds its dryRunSummary line to the run log. Throws as Office::import.
RunOutcome importWithSummary(const ImportRequest& request, Office& office, UserInterface& ui);

} // namespace wb
