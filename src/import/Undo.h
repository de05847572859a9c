#pragma once
// Taking back the newest recorded import run (wagebook-undo).

#include "text/Gbk.h"

#include <optional>

namespace wb {

class Database;
class UndoJournal;

// Undoes the newest import run the journal holds, as one transaction: the persons it stored
// go with every dependent row that refers to them, and the rows its overwrite deleted come
// back with their old keys; rows written by others since stay. The run is then forgotten,
// so the next call takes the run before it. Gives the message that says what was done
// ("撤销了 … 的导入：删除 N 人，恢复 M 人"), or nothing when no run is left to undo. An
// overwrite the journal holds but whose commit never happened is skipped. Throws wb::Error
// (the database unchanged) when a kept row can no longer go back, e.g. its key was taken.
std::optional<Gbk> undoNewestRun(Database& database, UndoJournal& journal);

} // namespace wb
