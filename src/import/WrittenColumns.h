// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tables and columns an import run writes, checked before it writes anything: a
// database without one of them would take some statements and refuse others, leaving rows
// without their records.

#include <string>
#include <vector>

namespace wb {

class Database;

// The written tables and columns the database lacks, each as "table" (the whole table is
// missing) or "table.column", in a fixed order. An overwrite run also needs the four tables
// it only deletes from. Throws wb::Error when the database cannot be read.
std::vector<std::string> missingWrittenColumns(Database& database, bool overwrite);

// Throws DatabaseFailure naming every missing table and column; nothing when all are there.
void requireWrittenColumns(Database& database, bool overwrite);

} // namespace wb
