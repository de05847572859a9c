#pragma once

#include "data/EngineValue.h"
#include "import/ImportRequest.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace wb {

class Database;

// One import run as the journal keeps it.
struct JournalRun {
    std::int64_t id = 0;
    std::string started; // "yyyy-mm-dd hh:mm:ss", local time
    Gbk departmentCode;
    std::string workbook; // the file's name, UTF-8
    bool overwrite = false;
    bool committed = false; // false: an overwrite whose commit may not have happened
};

// A row as it was before an overwrite deleted it.
struct KeptRow {
    std::string table;
    std::vector<std::string> columns;
    std::vector<EngineValue> values;

    // The position of its key column "id", if it has one.
    std::optional<std::size_t> keyColumn() const {
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (columns[i] == "id")
                return i;
        return std::nullopt;
    }
};

// What undo needs of the office's recent import runs: per run, the keys of the persons it
// stored and the rows its overwrite deleted, as they were. It lives in an SQLite file of its
// own beside the database, so the office's tables are never created or altered for it; the
// last kRunsKept runs are kept. Every failure throws wb::Error naming the file.
//
// A run is recorded as it goes: an appended person once its row is committed (a run killed
// in between keeps a recorded person fewer, never one more); an overwrite's deleted rows and
// persons in the journal's own transaction, committed just before the run's, and marked
// committed right after it.
class UndoJournal {
public:
    static constexpr int kRunsKept = 20;
    static constexpr const char* kFileName = "wagebook.undo";

    // `path` in the file system's encoding; nothing is opened before it is needed.
    explicit UndoJournal(std::string path);
    ~UndoJournal();
    UndoJournal(const UndoJournal&) = delete;
    UndoJournal& operator=(const UndoJournal&) = delete;

    const std::string& path() const { return path_; }

    // Recording a run, in this order; runEnded always comes last.
    void runStarted(const ImportRequest& request);
    // Inside the run's transaction, before the deletion: keeps what it will delete.
    void keepDeletedRows(Database& database, const Gbk& departmentCode);
    void personStored(std::int64_t key);
    void runCommitting();
    void runCommitted();
    void runEnded();

    // Undoing: the newest run, its persons and kept rows (ryjbxx first), and forgetting it.
    std::optional<JournalRun> newestRun();
    std::vector<std::int64_t> storedPersons(std::int64_t run);
    void forEachKeptRow(std::int64_t run, const std::function<void(const KeptRow&)>& visit);
    void forget(std::int64_t run);

private:
    QSqlDatabase& open();
    void exec(const QString& sql, const QVariantList& values = {});
    [[noreturn]] void fail(const char* what, const QSqlError& error) const;

    std::string path_;
    QString connectionName_;
    QSqlDatabase database_;
    std::map<QString, QSqlQuery> prepared_;
    std::optional<std::int64_t> run_; // the run being recorded
    bool overwrite_ = false;
    bool inTransaction_ = false;
    std::int64_t personsRecorded_ = 0;
};

} // namespace wb
