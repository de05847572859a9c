#include "import/ImportRun.h"

#include "data/Connection.h"
#include "data/PersonTable.h"
#include "data/Query.h"
#include "data/xls/XlsWorkbook.h"
#include "import/Departments.h"
#include "import/DependentRecords.h"
#include "import/OverwriteDeletion.h"
#include "import/PersonRecord.h"
#include "import/TitleColumnMap.h"
#include "import/Titles.h"
#include "text/Encoding.h"

#include <chrono>
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

// Rows are committed in groups that span about this long: each row stays whole, and a kill
// or crash loses at most the rows of the last group, while commits stop costing more than
// the rows themselves.
constexpr std::chrono::milliseconds kRowGroupWindow{100};

// Groups the run's row units for the lifetime of the run and commits what is left when the
// run ends, however it ends.
class RowGroups {
public:
    explicit RowGroups(Connection& connection) : connection_(connection) {
        connection_.setGroupWindow(kRowGroupWindow);
    }
    ~RowGroups() {
        try {
            connection_.flushUnits();
        } catch (const std::exception&) {
            // Only reached while another error leaves the run; that one is reported.
        }
        connection_.setGroupWindow(std::chrono::milliseconds{0});
    }
    RowGroups(const RowGroups&) = delete;
    RowGroups& operator=(const RowGroups&) = delete;
    // Makes every completed row durable now; throws when the commit fails.
    void flush() { connection_.flushUnits(); }

private:
    Connection& connection_;
};

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

std::shared_ptr<const Sheet> openXlsActiveSheet(const std::string& path) {
    std::shared_ptr<const XlsWorkbook> workbook = XlsWorkbook::open(path);
    return std::shared_ptr<const Sheet>(workbook, &workbook->activeSheet());
}

RunOutcome runImport(const ImportRequest& request, ImportComponents& components, UserInterface& ui,
                     const WorkbookOpener& openWorkbook) {
    static const std::string kFileMissing = gbk("文件不存在!");
    static const std::string kNoFile = gbk("未选择导入文件!");
    static const std::string kFailed = gbk("失败");
    static const std::string kError = gbk("错误");
    static const std::string kNotMatching = gbk("XLS数据格式不配置!不能导入");
    static const std::string kMatching = gbk("XLS相配置!准备导入");
    static const std::string kDeleting = gbk("正在删除旧数据!");
    static const std::string kAborted = gbk("用户中止!");
    static const std::string kSucceeded = gbk("数据导入成功!");
    static const std::string kNotice = gbk("提示");

    ui.clearAbort();
    if (!workbookFileExists(request.workbookPath)) {
        ui.setStatus(1, kFileMissing);
        ui.showMessage(kNoFile, kFailed, kPlainMessage);
        return RunOutcome::EndedEarly;
    }

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

    if (request.overwrite) {
        ui.addRunLog(kDeleting);
        ui.processEvents();
        deleteDepartmentData(request.departmentCode, components.ADOQuery1);
    }
    components.ADOTable1.close();
    components.ADOTable1.open();

    const int nameColumn = titles.column(titles::kName);
    const int rowsToImport = countRowsToImport(*sheet, nameColumn);
    ui.setProgress(0, rowsToImport);
    RowGroups groups(components.connection);
    for (int row = 2;; ++row) {
        const std::string name = cellText(sheet->cell(row, nameColumn));
        if (name.empty())
            break;
        importRow(RowContext{*sheet, row, titles, components.CodeFileMap, ui}, name, request,
                  components);
        ui.setProgress(row - 1, rowsToImport);
        ui.processEvents();
        if (ui.abortRequested()) {
            groups.flush();
            ui.setStatus(1, kAborted);
            ui.showMessage(kAborted, kNotice, kPlainMessage);
            break;
        }
    }

    groups.flush();
    ui.setStatus(1, kSucceeded);
    ui.showMessage(kSucceeded, kNotice, kPlainMessage);
    refreshStaffGrid(components.AQ2, ui);
    return RunOutcome::Completed;
}

} // namespace wb
