// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/Gbk.h"

#include <cstdint>
#include <string>
#include <vector>

namespace wb {

class Database;
class StatementRunner;

// The fifteen statements that remove a department's people (and those of every department
// below it) with their rows in the seven dependent tables: each table's rows are marked
// with mid 0 and deleted before the next, the persons go last so the joins still find them.
// The code matches as a literal prefix (a "%" or "_" in it only itself) and is placed
// through the escaping helper.
std::vector<Gbk> overwriteDeletionStatements(const Gbk& departmentCode);

// Runs them in order; the first failure is thrown and the rest do not run.
void deleteDepartmentData(const Gbk& departmentCode, StatementRunner& statements);

// How many persons the deletion of `departmentCode` would remove, counted by its own filter.
// Throws what the database throws.
std::int64_t departmentDataPersons(const Gbk& departmentCode, Database& database);

} // namespace wb
