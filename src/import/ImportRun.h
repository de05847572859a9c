// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "import/ImportRequest.h"
#include "import/UserInterface.h"
#include "xls/PasswordPrompt.h"
#include "xls/Sheet.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace wb {

class Office;

// How a run ended: Completed when it reached "数据导入成功!" (an aborted run too),
// EndedEarly when it stopped at the file check, the workbook or the layout check.
enum class RunOutcome { Completed, EndedEarly };

// What a dry run found it would write: the persons and their records of the three kinds.
struct DryRunCounts {
    std::int64_t persons = 0, education = 0, appointments = 0, assessments = 0;
};

// How an append run groups its rows into commits. Fewer commits cost less; a group's rows are
// shown only once it is committed, and a kill loses at most the open group.
struct RowGroups {
    std::chrono::milliseconds maxTime{50};
    int maxRows = 1000;
};

// Opens a workbook and gives its active sheet; throws wb::Error naming the file and the
// reason when it cannot. An empty opener stands for openWorkbookSheet asking the run's user
// interface for a password.
using WorkbookOpener = std::function<std::shared_ptr<const Sheet>(const std::string& path)>;

// The workbook opener of the program: the active sheet of an .xls or .xlsx file, read by
// the reader its content calls for (openWorkbookActiveSheet), asking askPassword for the
// password of a protected one.
std::shared_ptr<const Sheet> openWorkbookSheet(const std::string& path,
                                               const PasswordPrompt& askPassword = {});

// One import run. Before anything is written it checks that the database can take the run
// (writable, every table and column the run writes present: DatabaseFailure otherwise) and
// that the workbook opens and its layout matches, so a run that cannot succeed changes
// nothing. In append mode the rows are committed in groups (RowGroups), each row (person and
// dependent records) kept whole: one that fails half-way leaves nothing of itself behind, and
// its lines are not shown. An overwrite run is one transaction, its deletion and all its rows,
// committed when the run completes or is aborted; an error that ends it rolls everything back and
// says that the department's old data were kept. Abort is honoured between rows. Errors outside a
// row's guarded steps (a failing deletion statement, a failing append, a failure of the
// database itself) are thrown after the row in progress is rolled back.
//
// Every run that writes is recorded in office.undoJournal as it goes (see UndoJournal). A dry
// run (request.dryRun) is the same run, with the same messages, inside one transaction that
// is rolled back at its end; it records nothing, and office.lastDryRun gets what it wrote.
RunOutcome runImport(const ImportRequest& request, Office& office, UserInterface& ui,
                     const WorkbookOpener& openWorkbook = {});

} // namespace wb
