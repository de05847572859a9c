// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "import/ImportRequest.h"

#include <cstdint>
#include <optional>
#include <string>

namespace wb {

class Connection;
class Database;

// An import run as its undo record keeps it.
struct UndoRun {
    std::int64_t id = 0;
    std::string started; // "yyyy-mm-dd hh:mm:ss", local time
    Gbk departmentCode;
    std::string workbook; // the file's name, UTF-8
    bool overwrite = false;
    std::string user; // who ran it, and on which computer (UTF-8)
    std::string computer;
    std::int64_t storedPersons = 0;  // the persons it stored
    std::int64_t deletedPersons = 0; // the persons its overwrite deleted, kept to come back
};

// Writes the undo record of import runs into the program's undo tables of the office's own
// database (see kUndoRuns in data/Schema.h), inside the transactions that write the rows it
// records: a run is recorded, and a person of it, exactly when that is stored, whatever
// ends the program. Only the newest kRunsKept runs are kept. A kind of database that keeps
// no tables of the program's records nothing.
class UndoJournal {
public:
    static constexpr int kRunsKept = 20;

    explicit UndoJournal(Connection& connection) : connection_(connection) {}

    // Before a run's transaction: makes the undo tables present and current (each change
    // committed on its own), and remembers the run. Writes no record yet.
    void runStarted(const ImportRequest& request);
    // Inside an overwrite's transaction, before its deletion: records the run and keeps every
    // row the deletion will remove (the department's persons, their dependent rows and the
    // rows already marked with mid 0), one INSERT ... SELECT per table.
    void keepDeletedRows();
    // Inside the transaction that stores the person, outside its row's unit: records the run
    // first when this is its first record. The statement may be held back until the
    // transaction settles.
    void personStored(std::int64_t key);
    // After each commit of the run's rows, and after each rollback of rows not yet committed:
    // a run whose record was rolled back is recorded again with its next person.
    void groupCommitted() { runKept_ = run_.has_value(); }
    void groupRolledBack() {
        if (!runKept_)
            run_.reset();
    }
    // After the run; forgets it.
    void runEnded();

private:
    bool recording() const;
    void recordRun();

    Connection& connection_;
    std::optional<ImportRequest> request_;
    std::optional<std::int64_t> run_;
    bool runKept_ = false; // the run's record is committed
};

// The columns of `table` that its undo mirror keeps as well, as a Jet statement lists them
// ("[id],[mid],..."), the key column "id" left out unless `withKey`; empty when the table or
// its mirror is missing.
Gbk undoColumns(Database& database, const std::string& table, bool withKey);

} // namespace wb
