// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/Connection.h"
#include "data/PersonTable.h"
#include "data/Query.h"
#include "data/ServerAddress.h"
#include "data/StatementRunner.h"
#include "import/ImportRequest.h"
#include "import/ImportRun.h"
#include "import/UndoJournal.h"
#include "import/UserInterface.h"
#include "refdata/BuiltinTables.h"
#include "refdata/CodeTable.h"

#include <optional>
#include <string>

namespace wb {

// The personnel database, in the directory the program starts in.
inline constexpr const char* kDatabaseFile = "wagebook.mdb";

// The start-up check of both front ends: whether the current directory holds the database
// file or a settings file (wagebook.ini) that names a server; when it holds neither, the
// missing-file box is shown through ui.
bool databaseFilePresent(UserInterface& ui);
// Whether the current directory holds wagebook.ini: its [database] url is the office's
// database (see openDatabase), and wagebook.mdb is not used.
bool officeUsesServer();
// The refusal of an Import for which no department was chosen.
void refuseWithoutDepartment(UserInterface& ui);

// The office's database components and code tables, shared by the window and the command
// line: the one connection and everything that works on it. Constructing it fills the
// built-in tables and touches no database; the connection opens on first use.
class Office {
public:
    explicit Office(std::string databaseFile = kDatabaseFile);

    // The code-file set-up before a run: codeMap from dm.txt in the current directory. A
    // missing file (or a folder or FIFO at its name) is reported as an error-list line and a
    // stop box, and the map stays empty; a file that is not GBK is read as it is and reported
    // as an error-list line. Gives whether the file was read and may be GBK (nothing
    // reported). A file that is there but cannot be read throws wb::Error with its text,
    // which ends the command before its run.
    bool loadCodeFile(UserInterface& ui);
    // The import run (see runImport). Outcomes reach the user through `ui`; errors that end
    // the command (a failing deletion statement, a failing append, a failure of the
    // database) throw.
    RunOutcome import(const ImportRequest& request, UserInterface& ui,
                      const WorkbookOpener& openWorkbook = {});
    // The office's undo record made ready: an earlier version's wagebook.undo in the office
    // folder taken over once (see takeOverOldJournal). Import and undo call it first.
    void prepareUndo();
    // The office folder: where the database file is, absolute, as the office was made.
    const std::string& folder() const { return folder_; }

    Connection connection;
    Query departmentQuery;      // the departments of the tree
    Query staffQuery;           // the staff list shown in the grid, and its count
    StatementRunner statements; // deletion and dependent records
    PersonTable personTable;    // ryjbxx
    CodeTable codeMap;
    BuiltinTables tables;
    UndoJournal undoJournal; // writes the undo record of each run into the database
    // When an append run commits the group of rows it holds: after this long, or at this many
    // rows, whichever comes first (see runImport).
    RowGroups rowGroups;
    // What the last dry run would have written; set by a dry run only.
    std::optional<DryRunCounts> lastDryRun;

private:
    std::string folder_;
    bool undoPrepared_ = false;
};

} // namespace wb
