#include "import/ImportRun.h"

#include "data/Connection.h"
#include "data/DatabaseFailure.h"
#include "data/PersonTable.h"
#include "data/Query.h"
#include "import/Departments.h"
#include "import/DependentRecords.h"
#include "import/OverwriteDeletion.h"
#include "import/PersonRecord.h"
#include "import/TitleColumnMap.h"
#include "import/Titles.h"
#include "import/WrittenColumns.h"
#include "text/Encoding.h"
#include "xls/WorkbookFile.h"

#include <filesystem>

namespace wb {

namespace {

// Rows from row 2 down to the first empty name: the rows a run will import.
int countRowsToImport(const Sheet& sheet, int nameColumn) {
    int rows = 0;
    while (!cellText(sheet.cell(2 + rows, nameColumn)).empty())
        ++rows;
    return rows;
}

bool workbookFileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

// Imports one row as one unit: the person record, then its education, appointment and
// assessment records. Anything that escapes rolls the row back whole.
void importRow(const RowContext& row, const std::string& name, const ImportRequest& request,
               ImportComponents& components) {
    components.connection.beginUnit();
    try {
        const PersonOutcome person =
            importPerson(row, request.departmentCode, name, components.ADOTable1);
        importEducation(row, person, components.ADOQuery1);
        importAppointments(row, person, components.tables, components.ADOQuery1);
        importAssessments(row, person, components.ADOQuery1);
        components.connection.commitUnit();
    } catch (...) {
        components.connection.rollbackUnit();
        throw;
    }
}

void refreshStaffGrid(Query& AQ2, UserInterface& ui) {
    if (!AQ2.isOpen())
        return;
    AQ2.close();
    AQ2.open();
    ui.setStatus(0, staffCountText(AQ2.rowCount()));
}

} // namespace

std::shared_ptr<const Sheet> openWorkbookSheet(const std::string& path) {
    return std::make_shared<const XlsSheet>(openWorkbookActiveSheet(path));
}

namespace {

// An overwrite run is one transaction, from its deletion to its last row: it is committed when
// the run completes or is aborted, and anything that ends the run before that leaves the
// department as it was. Append runs have none: each row is its own unit.
class OverwriteTransaction {
public:
    OverwriteTransaction(Connection& connection, bool overwrite)
        : connection_(connection), active_(overwrite) {
        if (active_)
            connection_.beginTransaction();
    }
    ~OverwriteTransaction() {
        if (active_)
            connection_.rollbackTransaction();
    }
    OverwriteTransaction(const OverwriteTransaction&) = delete;
    OverwriteTransaction& operator=(const OverwriteTransaction&) = delete;

    // Keeps the deletion and every completed row; throws DatabaseFailure when the commit
    // fails (everything is then rolled back).
    void commit() {
        if (!active_)
            return;
        active_ = false;
        connection_.commitTransaction();
    }

private:
    Connection& connection_;
    bool active_;
};

// The import after its checks: the deletion of an overwrite run and the rows.
void importRows(const ImportRequest& request, const Sheet& sheet, const TitleColumnMap& titles,
                ImportComponents& components, UserInterface& ui) {
    static const std::string kDeleting = gbk("正在删除旧数据!");
    static const std::string kAborted = gbk("用户中止!");
    static const std::string kNotice = gbk("提示");

    OverwriteTransaction transaction(components.connection, request.overwrite);
    if (request.overwrite) {
        ui.addRunLog(kDeleting);
        ui.processEvents();
        deleteDepartmentData(request.departmentCode, components.ADOQuery1);
    }
    components.ADOTable1.close();
    components.ADOTable1.open();

    const int nameColumn = titles.column(titles::kName);
    const int rowsToImport = countRowsToImport(sheet, nameColumn);
    ui.setProgress(0, rowsToImport);
    for (int row = 2;; ++row) {
        const std::string name = cellText(sheet.cell(row, nameColumn));
        if (name.empty())
            break;
        importRow(RowContext{sheet, row, titles, components.CodeFileMap, ui}, name, request,
                  components);
        ui.setProgress(row - 1, rowsToImport);
        ui.processEvents();
        if (ui.abortRequested()) {
            transaction.commit();
            ui.setStatus(1, kAborted);
            ui.showMessage(kAborted, kNotice, kPlainMessage);
            break;
        }
    }
    transaction.commit();
}

// The text of an error that ended an overwrite run: what failed, and that nothing changed.
std::string overwriteFailure(const std::exception& error, const std::string& departmentCode) {
    return std::string(error.what()) + "。覆盖导入没有完成：部门 " + gbkToUtf8(departmentCode) +
           " 原有的数据都已保留，没有写入新数据。";
}

} // namespace

RunOutcome runImport(const ImportRequest& request, ImportComponents& components, UserInterface& ui,
                     const WorkbookOpener& openWorkbook) {
    static const std::string kFileMissing = gbk("文件不存在!");
    static const std::string kNoFile = gbk("未选择导入文件!");
    static const std::string kFailed = gbk("失败");
    static const std::string kError = gbk("错误");
    static const std::string kNotMatching = gbk("XLS数据格式不配置!不能导入");
    static const std::string kMatching = gbk("XLS相配置!准备导入");
    static const std::string kSucceeded = gbk("数据导入成功!");
    static const std::string kNotice = gbk("提示");

    ui.clearAbort();
    if (!workbookFileExists(request.workbookPath)) {
        ui.setStatus(1, kFileMissing);
        ui.showMessage(kNoFile, kFailed, kPlainMessage);
        return RunOutcome::EndedEarly;
    }
    // A run that could not be stored is refused before anything is read or written.
    components.connection.checkWritable();
    requireWrittenColumns(components.connection, request.overwrite);

    std::shared_ptr<const Sheet> sheet;
    try {
        sheet = openWorkbook(request.workbookPath);
    } catch (const std::exception& error) {
        ui.showMessage(utf8ToGbk(error.what()), kError, kStopMessage);
        return RunOutcome::EndedEarly;
    }

    TitleColumnMap titles;
    titles.scan(*sheet);
    if (!titles.layoutMatches()) {
        ui.addRunLog(kNotMatching);
        return RunOutcome::EndedEarly;
    }
    ui.addRunLog(kMatching);

    try {
        importRows(request, *sheet, titles, components, ui);
    } catch (const DatabaseFailure& error) {
        if (!request.overwrite)
            throw;
        throw DatabaseFailure(overwriteFailure(error, request.departmentCode));
    } catch (const std::exception& error) {
        if (!request.overwrite)
            throw;
        throw Error(overwriteFailure(error, request.departmentCode));
    }
    ui.setStatus(1, kSucceeded);
    ui.showMessage(kSucceeded, kNotice, kPlainMessage);
    refreshStaffGrid(components.AQ2, ui);
    return RunOutcome::Completed;
}

} // namespace wb
