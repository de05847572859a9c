// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The undo record of earlier versions: an SQLite file of its own, wagebook.undo, in the office
// folder. It is taken over once into the database it belongs to.

#include <string>

namespace wb {

class Database;

inline constexpr const char* kOldUndoJournal = "wagebook.undo";
inline constexpr const char* kTakenOverSuffix = ".imported";

// When `folder` (the office folder, in the file system's encoding) holds wagebook.undo: copies
// its runs into the database's undo tables, oldest first, in one transaction, and renames the
// file wagebook.undo.imported, so that it is taken over once. An overwrite whose commit the
// file never saw confirmed is copied only when the database shows it happened (its deleted
// persons gone, its persons there). Nothing when the kind of database keeps no undo record.
// Throws wb::Error naming the file when it cannot be read or renamed (the database is then
// unchanged and the file stays).
void takeOverOldJournal(Database& database, const std::string& folder);

} // namespace wb
