// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/ImportRun.h"

#include "data/Connection.h"
#include "data/DatabaseFailure.h"
#include "data/PersonTable.h"
#include "data/Query.h"
#include "data/Schema.h"
#include "import/DependentRecords.h"
#include "import/HeldLines.h"
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

#include <chrono>
#include <filesystem>
#include <functional>
#include <vector>

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

// How a run's rows reach the database and the user. Its rows are written inside a
// transaction and shown (held lines released) only once committed, so that whatever the
// run log and error list show is stored, and what is stored was shown or is at most the
// newest group of rows. An append run commits a group of rows when it is due (RowGroups),
// each row a unit inside it (a row that fails is rolled back alone); an overwrite run is one
// transaction, from its deletion to its last row. A dry run shows its lines as the real
// run would and commits nothing. The undo journal is told of every step that it records.
//
// A real append run keeps its rows whole without a savepoint for each: a savepoint costs
// about an eighth of the run, and a row fails half-way only when the run ends. Then the
// group is rolled back and its rows before the failing one are written again, unseen, so
// that the rows kept and the lines shown are those a savepoint would have left.
class RunTransaction {
public:
    // Writes the data row `row`, giving its lines to `lines`; the person's key when stored.
    using RowWriter = std::function<std::optional<std::int32_t>(int row, UserInterface& lines)>;

    RunTransaction(Database& database, const ImportRequest& request, const RowGroups& groups,
                   UndoJournal* journal, HeldLines& lines)
        : database_(database), groups_(groups), journal_(journal), lines_(lines),
          overwrite_(request.overwrite), dryRun_(request.dryRun) {
        if (journal_)
            journal_->runStarted(request);
        // An overwrite, dry or not, holds its department against other clerks' overwrites.
        if (overwrite_)
            database_.beginDepartmentTransaction(request.departmentCode);
        else
            database_.beginTransaction();
        groupStart_ = std::chrono::steady_clock::now();
    }
    ~RunTransaction() {
        database_.rollbackUnit();
        database_.rollbackTransaction();
        lines_.drop();
        if (journal_)
            journal_->runEnded();
    }
    RunTransaction(const RunTransaction&) = delete;
    RunTransaction& operator=(const RunTransaction&) = delete;

    UndoJournal* journal() const { return journal_; }

    // Writes one row whole. In a dry append run the row is a unit of its own, rolled back
    // whole when anything escapes it; in an overwrite the run's one transaction keeps it whole
    // (an error that escapes a row ends the run and undoes all of it), and a real append run
    // writes its group again without the row.
    std::optional<std::int32_t> row(int row, const RowWriter& write) {
        std::optional<std::int32_t> key;
        if (dryRun_ && !overwrite_) {
            database_.beginUnit();
            try {
                key = write(row, lines_);
                database_.commitUnit();
            } catch (...) {
                database_.rollbackUnit();
                throw;
            }
        } else {
            const std::size_t mark = lines_.held();
            try {
                key = write(row, lines_);
                database_.settle(); // the row's refusals come before the next row's lines
            } catch (...) {
                if (!overwrite_)
                    writeGroupAgainWithout(mark, write);
                throw;
            }
            groupRows_.push_back(row);
        }
        recordStored(key);
        return key;
    }

    // After each row: an append run keeps its group of rows once it is due.
    void rowEnded() {
        ++rowsInGroup_;
        if (overwrite_ || (rowsInGroup_ < groups_.maxRows &&
                           std::chrono::steady_clock::now() - groupStart_ < groups_.maxTime))
            return;
        commitGroup();
        if (!dryRun_)
            database_.beginTransaction();
        groupStart_ = std::chrono::steady_clock::now();
    }

    // Keeps everything written so far and shows its lines; throws DatabaseFailure when the
    // commit fails (the open group, or the whole overwrite, is then rolled back).
    void commit() {
        if (database_.inTransaction())
            commitGroup();
    }

    // After an error escaped a row of an append run: keeps the rows before it, when the
    // database still holds them. Never throws.
    void keepRowsBeforeFailure() noexcept {
        if (overwrite_ || !database_.inTransaction())
            return;
        try {
            commitGroup();
        } catch (...) {
            // They are gone with the group, and so are their lines.
        }
    }

private:
    // Commits the open group and shows its lines; a dry run only shows them, and goes on in
    // its one transaction.
    void commitGroup() {
        rowsInGroup_ = 0;
        groupRows_.clear();
        if (dryRun_) {
            lines_.release();
            return;
        }
        database_.commitTransaction();
        if (journal_)
            journal_->groupCommitted();
        lines_.release();
    }

    void recordStored(const std::optional<std::int32_t>& key) {
        if (key && journal_)
            journal_->personStored(*key);
    }

    // After a row of an append run failed half-way: the open group as it stood before the
    // row, its lines from `mark` on forgotten. When that cannot be done the group is gone,
    // and its lines with it. Never throws: the row's error is the one to report.
    void writeGroupAgainWithout(std::size_t mark, const RowWriter& write) noexcept {
        database_.rollbackTransaction();
        if (journal_)
            journal_->groupRolledBack();
        lines_.dropFrom(mark);
        lines_.setMuted(true);
        try {
            database_.beginTransaction();
            for (const int row : groupRows_) {
                const std::optional<std::int32_t> key = write(row, lines_);
                database_.settle();
                recordStored(key);
            }
        } catch (...) {
            database_.rollbackTransaction();
            if (journal_)
                journal_->groupRolledBack();
            lines_.drop();
        }
        lines_.setMuted(false);
    }

    Database& database_;
    const RowGroups& groups_;
    UndoJournal* journal_;
    HeldLines& lines_;
    bool overwrite_;
    bool dryRun_;
    std::chrono::steady_clock::time_point groupStart_;
    int rowsInGroup_ = 0;
    std::vector<int> groupRows_; // the rows of the open group of a real append run
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
    HeldLines lines(ui);
    RunTransaction transaction(database, request, office.rowGroups,
                               request.dryRun ? nullptr : &office.undoJournal, lines);
    if (request.overwrite) {
        // Shown at once: the deletion is no row, and a kill during it keeps the department.
        ui.addRunLog(kDeleting);
        ui.processEvents();
        if (transaction.journal())
            transaction.journal()->keepDeletedRows();
        deleteDepartmentData(request.departmentCode, office.statements);
    }
    office.personTable.close();
    office.personTable.open();

    const int nameColumn = titles.column(titles::kName);
    const int rowsToImport = countRowsToImport(sheet, nameColumn);
    const RunTransaction::RowWriter writeRow = [&](int row, UserInterface& rowLines) {
        const RowContext context{sheet, row, titles, office.codeMap, rowLines, database};
        const PersonOutcome person =
            importPerson(context, request.departmentCode, cellText(sheet.cell(row, nameColumn)),
                         office.personTable);
        importEducation(context, person, office.statements);
        importAppointments(context, person, office.tables, office.statements);
        importAssessments(context, person, office.statements);
        return person.key;
    };
    ui.setProgress(0, rowsToImport);
    std::vector<std::int64_t> stored;
    bool aborted = false;
    try {
        for (int row = 2;; ++row) {
            if (cellText(sheet.cell(row, nameColumn)).empty())
                break;
            const auto key = transaction.row(row, writeRow);
            if (key)
                stored.push_back(*key);
            transaction.rowEnded();
            ui.setProgress(row - 1, rowsToImport);
            ui.processEvents();
            if (ui.abortRequested()) {
                aborted = true;
                break;
            }
        }
    } catch (...) {
        transaction.keepRowsBeforeFailure();
        throw;
    }
    if (request.dryRun)
        office.lastDryRun = countWritten(database, stored);
    transaction.commit();
    if (aborted) {
        ui.setStatus(1, kAborted);
        ui.showMessage(kAborted, kNotice, kPlainMessage);
    }
}

// Says once, before the rows, which indexes an import needs that the database lacks (without
// them every row scans whole tables) and the command that adds them.
void reportMissingIndexes(Database& database, UserInterface& ui) {
    const std::vector<std::string> missing = missingIndexes(database);
    if (missing.empty())
        return;
    std::string names;
    for (const std::string& name : missing)
        names += (names.empty() ? "" : "、") + name;
    std::string location = database.location();
    if (location.find_first_of(" '\"$`\\") != std::string::npos)
        location = "'" + location + "'";
    ui.addRunLog(utf8ToGbk("数据库缺少索引 " + names +
                           "，导入会很慢；可用命令 wagebook-initdb "
                           "--add-indexes " +
                           location + " 添加（只添加缺少的索引）"));
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
    reportMissingIndexes(office.connection.database(), ui);

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
