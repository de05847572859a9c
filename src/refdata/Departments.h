// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The departments of dm_jg and the staff list of one department, on the queries departmentQuery and
// AQ2.

#include "refdata/DeptTree.h"

#include <string>
#include <string_view>
#include <vector>

namespace wb {

class Query;

// Reads dm_jg through departmentQuery: first the count, then the rows ordered by code length and
// code, at most as many as counted. Returns no records when dm_jg is empty (the caller then keeps
// its list). Throws wb::Error when the database, the table or one of its columns id, upid,
// px, jgdm, jgmc, jgjb fails, or a number column holds no integer.
std::vector<DepartmentRecord> loadDepartments(Query& departmentQuery);

// Whether the record is the department `code` (GBK, trimmed as a request carries it): its
// jgdm is the code once trimmed.
bool isDepartment(const DepartmentRecord& record, const Gbk& code);

// Whether dm_jg holds the department `code` (GBK, trimmed as a request carries it): whether
// one of the records loadDepartments reads has that code once its jgdm is trimmed. Throws as
// loadDepartments does.
bool departmentExists(Query& departmentQuery, const Gbk& code);

// Which persons belong to a department: the condition "bm like '…'" on ryjbxx, true where bm
// begins with `departmentCode` (trimmed, GBK), the code matched as a literal prefix. Quotes
// in the code are doubled, so the code can never end the text early.
Gbk departmentFilter(const Gbk& departmentCode);

// The staff query of a department: every column of the persons departmentFilter takes.
Gbk staffStatement(const Gbk& departmentCode);

// Puts the staff query of `departmentCode` on staffQuery and opens it; returns its row count.
// Throws wb::Error when the query fails.
int listStaff(Query& staffQuery, const Gbk& departmentCode);

// The staff count as status panel 0 shows it: the number followed by "人", GBK.
Gbk staffCountText(int count);

} // namespace wb
