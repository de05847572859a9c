// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Taking back the newest recorded import run (wagebook-undo, and the window's undo).

#include "import/UndoJournal.h"
#include "text/Gbk.h"

#include <optional>

namespace wb {

class Database;

// The newest run the undo record of this database holds, with its counts; nullopt when none
// is left (or the database keeps no undo record).
std::optional<UndoRun> newestUndoRun(Database& database);

// What undo would take back, for the user: when, which department, workbook and mode, how
// many persons it stored and deleted, and who ran it on which computer.
Gbk undoRunDescription(const UndoRun& run);

// Undoes the newest run the undo record holds, as one transaction: the persons it stored go
// with every dependent row that refers to them, and the rows its overwrite deleted come back
// with their old keys (a dependent record whose key was taken since comes back under a new
// one; nothing refers to it by its key); rows written by others since stay. The run is then
// forgotten, so the next call takes the run before it. Gives the message that says what was
// done ("撤销了 … 的导入：删除 N 人，恢复 M 人"), or nothing when no run is left to undo.
// Throws wb::Error (the database unchanged) when a deleted person cannot come back because
// its key was taken since, naming the keys.
std::optional<Gbk> undoNewestRun(Database& database);

} // namespace wb
