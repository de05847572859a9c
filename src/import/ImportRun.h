#pragma once

#include "data/Sheet.h"
#include "import/ImportRequest.h"
#include "refdata/BuiltinTables.h"
#include "refdata/CodeTable.h"
#include "refdata/UserInterface.h"

#include <functional>
#include <memory>
#include <string>

namespace wb {

class Connection;
class PersonTable;
class Query;
class StatementRunner;

// How a run ended: Completed when it reached "数据导入成功!" (an aborted run too),
// EndedEarly when it stopped at the file check, the workbook or the layout check.
enum class RunOutcome { Completed, EndedEarly };

// The database components and tables a run works with.
struct ImportComponents {
    Connection& connection;
    PersonTable& ADOTable1;
    StatementRunner& ADOQuery1;
    Query& AQ2;
    const CodeTable& CodeFileMap;
    const BuiltinTables& tables;
};

// Opens a workbook and gives its active sheet; throws wb::Error naming the file and the
// reason when it cannot.
using WorkbookOpener = std::function<std::shared_ptr<const Sheet>(const std::string& path)>;

// The workbook opener of the program: our .xls reader.
std::shared_ptr<const Sheet> openXlsActiveSheet(const std::string& path);

// One import run. The workbook is opened and its layout checked before anything is written,
// so that an overwrite run whose workbook is missing, unreadable or rejected deletes nothing.
// Each row (person and dependent records) is stored as one unit, and the units are committed
// in groups spanning about 100 ms (all of them before any message box of the run and when
// it ends, however it ends); abort is honoured between rows. Errors outside a row's guarded
// steps (a failing deletion statement, a failing append, a failing group commit) are thrown
// as wb::Error after the row in progress is rolled back.
RunOutcome runImport(const ImportRequest& request, ImportComponents& components, UserInterface& ui,
                     const WorkbookOpener& openWorkbook = openXlsActiveSheet);

} // namespace wb
