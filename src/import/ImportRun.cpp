#include "import/ImportRun.h"

#include "data/Connection.h"
#include "data/DatabaseFailure.h"
#include "data/PersonTable.h"
#include "data/Query.h"
#include "import/DependentRecords.h"
#include "import/KeyLists.h"
#include "import/Office.h"
#include "import/OverwriteDeletion.h"
#include "import/PersonRecord.h"
#include "import/TitleColumnMap.h"
#include "import/Titles.h"
#include "import/WrittenColumns.h"
#include "refdata/Departments.h"
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

// Imports one row whole: the person record, then its education, appointment and assessment
// records. An appended row is a unit of its own, committed as it ends; anything that escapes
// rolls it back whole. In an overwrite run the run's transaction already keeps each row whole
// (whatever escapes a row ends the run and undoes all of it), so a row adds no unit there,
// which spares the engine journalling every page a row touches.
std::optional<std::int32_t> importRow(const RowContext& row, const Gbk& name,
                                      const ImportRequest& request, Office& office) {
    const auto writeRow = [&] {
        const PersonOutcome person =
            importPerson(row, request.departmentCode, name, office.personTable);
        importEducation(row, person, office.statements);
        importAppointments(row, person, office.tables, office.statements);
        importAssessments(row, person, office.statements);
        return person.key;
    };
    Database& database = office.connection.database();
    if (request.overwrite) {
        const std::optional<std::int32_t> key = writeRow();
        database.settle(); // the row's refusals are listed before the next row's lines
        return key;
    }
    database.beginUnit();
    try {
        const std::optional<std::int32_t> key = writeRow();
        database.commitUnit();
        return key;
    } catch (...) {
        database.rollbackUnit();
        throw;
    }
}

void refreshStaffGrid(Query& staffQuery, UserInterface& ui) {
    if (!staffQuery.isOpen())
        return;
    staffQuery.close();
    staffQuery.open();
    ui.setStatus(0, staffCountText(staffQuery.rowCount()));
}

} // namespace

std::shared_ptr<const Sheet> openWorkbookSheet(const std::string& path,
                                               const PasswordPrompt& askPassword) {
    return std::make_shared<const XlsSheet>(openWorkbookActiveSheet(path, askPassword));
}

namespace {

// An overwrite run is one transaction, from its deletion to its last row: it is committed when
// the run completes or is aborted, and anything that ends the run before that leaves the
// department as it was. Append runs have none: each row is its own unit. A dry run is one
// transaction too, never committed. The undo journal is told of every step that it records.
class RunTransaction {
public:
    RunTransaction(Database& database, const ImportRequest& request, UndoJournal* journal)
        : database_(database), journal_(journal), active_(request.overwrite || request.dryRun),
          dryRun_(request.dryRun) {
        // An overwrite, dry or not, holds its department against other clerks' overwrites.
        if (request.overwrite)
            database_.beginDepartmentTransaction(request.departmentCode);
        else if (dryRun_)
            database_.beginTransaction();
        if (journal_)
            journal_->runStarted(request);
    }
    ~RunTransaction() {
        if (active_)
            database_.rollbackTransaction();
        if (journal_)
            journal_->runEnded();
    }
    RunTransaction(const RunTransaction&) = delete;
    RunTransaction& operator=(const RunTransaction&) = delete;

    UndoJournal* journal() const { return journal_; }

    // Keeps the deletion and every completed row; throws DatabaseFailure when the commit
    // fails (everything is then rolled back). A dry run keeps nothing.
    void commit() {
        if (!active_ || dryRun_)
            return;
        active_ = false;
        if (journal_)
            journal_->runCommitting();
        database_.commitTransaction();
        if (journal_)
            journal_->runCommitted();
    }

private:
    Database& database_;
    UndoJournal* journal_;
    bool active_;
    bool dryRun_;
};

// What a dry run wrote, counted before it is rolled back.
DryRunCounts countWritten(Database& database, const std::vector<std::int64_t>& persons) {
    DryRunCounts counts;
    counts.persons = static_cast<std::int64_t>(persons.size());
    counts.education = countRowsWithKeys(database, "ryxl", "mid", persons);
    counts.appointments = countRowsWithKeys(database, "ryrz", "mid", persons);
    counts.assessments = countRowsWithKeys(database, "rykh", "mid", persons);
    return counts;
}

// The import after its checks: the deletion of an overwrite run and the rows.
void importRows(const ImportRequest& request, const Sheet& sheet, const TitleColumnMap& titles,
                Office& office, UserInterface& ui) {
    static const Gbk kDeleting = gbk("正在删除旧数据!");
    static const Gbk kAborted = gbk("用户中止!");
    static const Gbk kNotice = gbk("提示");

    Database& database = office.connection.database();
    RunTransaction transaction(database, request, request.dryRun ? nullptr : &office.undoJournal);
    if (request.overwrite) {
        ui.addRunLog(kDeleting);
        ui.processEvents();
        if (transaction.journal())
            transaction.journal()->keepDeletedRows(database, request.departmentCode);
        deleteDepartmentData(request.departmentCode, office.statements);
    }
    office.personTable.close();
    office.personTable.open();

    const int nameColumn = titles.column(titles::kName);
    const int rowsToImport = countRowsToImport(sheet, nameColumn);
    ui.setProgress(0, rowsToImport);
    std::vector<std::int64_t> stored;
    for (int row = 2;; ++row) {
        const Gbk name = cellText(sheet.cell(row, nameColumn));
        if (name.empty())
            break;
        if (const auto key = importRow(RowContext{sheet, row, titles, office.codeMap, ui, database},
                                       name, request, office)) {
            stored.push_back(*key);
            if (transaction.journal())
                transaction.journal()->personStored(*key);
        }
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
    if (request.dryRun)
        office.lastDryRun = countWritten(database, stored);
}

// "缺少标题：" and the titles, joined by "、".
Gbk missingTitlesLine(const std::vector<Gbk>& missing) {
    static const Gbk kMissing = gbk("缺少标题：");
    static const Gbk kSeparator = gbk("、");
    Gbk line = kMissing;
    for (std::size_t i = 0; i < missing.size(); ++i) {
        if (i > 0)
            line += kSeparator;
        line += missing[i];
    }
    return line;
}

// The text of an error that ended an overwrite run: what failed, and that nothing changed.
std::string overwriteFailure(const char* failure, const Gbk& departmentCode) {
    return std::string(failure) + "。覆盖导入没有完成：部门 " + gbkToUtf8(departmentCode) +
           " 原有的数据都已保留，没有写入新数据。";
}

} // namespace

RunOutcome runImport(const ImportRequest& request, Office& office, UserInterface& ui,
                     const WorkbookOpener& openWorkbook) {
    static const Gbk kFileMissing = gbk("文件不存在!");
    static const Gbk kNoFile = gbk("未选择导入文件!");
    static const Gbk kFailed = gbk("失败");
    static const Gbk kError = gbk("错误");
    static const Gbk kNotMatching = gbk("XLS数据格式不配置!不能导入");
    static const Gbk kMatching = gbk("XLS相配置!准备导入");
    static const Gbk kSucceeded = gbk("数据导入成功!");
    static const Gbk kNotice = gbk("提示");

    ui.clearAbort();
    if (!workbookFileExists(request.workbookPath)) {
        ui.setStatus(1, kFileMissing);
        ui.showMessage(kNoFile, kFailed, kPlainMessage);
        return RunOutcome::EndedEarly;
    }
    // A run that could not be stored is refused before anything is read or written.
    office.connection.database().checkWritable();
    requireWrittenColumns(office.connection.database(), request.overwrite);

    std::shared_ptr<const Sheet> sheet;
    try {
        sheet = openWorkbook
                    ? openWorkbook(request.workbookPath)
                    : openWorkbookSheet(request.workbookPath, [&ui](const std::string& name) {
                          return ui.askPassword(name);
                      });
    } catch (const std::exception& error) {
        ui.showMessage(utf8ToGbk(error.what()), kError, kStopMessage);
        return RunOutcome::EndedEarly;
    }

    TitleColumnMap titles;
    titles.scan(*sheet);
    if (!titles.layoutMatches()) {
        ui.addRunLog(kNotMatching);
        ui.addRunLog(missingTitlesLine(titles.missingTitles()));
        return RunOutcome::EndedEarly;
    }
    ui.addRunLog(kMatching);

    try {
        importRows(request, *sheet, titles, office, ui);
    } catch (const DatabaseFailure& error) {
        if (!request.overwrite)
            throw;
        throw DatabaseFailure(overwriteFailure(error.what(), request.departmentCode));
    } catch (const std::exception& error) {
        if (!request.overwrite)
            throw;
        throw Error(overwriteFailure(error.what(), request.departmentCode));
    }
    ui.setStatus(1, kSucceeded);
    ui.showMessage(kSucceeded, kNotice, kPlainMessage);
    refreshStaffGrid(office.staffQuery, ui);
    return RunOutcome::Completed;
}

} // namespace wb
