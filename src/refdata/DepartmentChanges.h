// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Changes to the departments of dm_jg, and their list with staff counts: what the window's
// 部门 menu and wagebook-dept do. New rows follow the rules the tree is built by (DeptTree):
// a code is two characters a level ("01", "0101", "010101"), upid is the parent's id (0 at
// the top), jgjb the level ("1" at the top) and px the department's place among its
// siblings in code order; the database assigns id.
//
// Each change is one transaction that holds the department (Database::
// beginDepartmentTransaction), so two clerks' changes of one department, or a change and an
// overwrite run of it, do not interleave. A refused change throws wb::Error saying why (UTF-8)
// and writes nothing; a failure of the database throws as the database does.

#include "refdata/DeptTree.h"
#include "text/Gbk.h"

#include <vector>

namespace wb {

class Connection;

// One department as the list shows it.
struct DepartmentListing {
    Gbk code; // jgdm without blanks at either end
    Gbk name; // jgmc
    int level = 1;
    // The persons the staff list shows for it: its own and its sub-departments'.
    int persons = 0;
};

struct DepartmentList {
    std::vector<DepartmentListing> listed; // in tree order: a department, then its children
    std::vector<DepartmentRecord> leftOut; // rows the tree has no place for (no parent node)
};

DepartmentList listDepartments(Connection& connection);

// The code of the department a code belongs under: the code without its last two
// characters; empty for a code of two characters or fewer.
Gbk parentCodeOf(const Gbk& code);

// Adds department `code` named `name` under the department `parent` (empty: at the top).
// Refused: a code that is empty, holds other characters than ASCII letters and digits, is
// of odd length, does not extend `parent` by exactly two characters (two characters at the
// top), or already exists; a parent the tree does not hold; a name that is empty or holds a control
// character. Blanks around the name are dropped.
void addDepartment(Connection& connection, const Gbk& parent, const Gbk& code, const Gbk& name);

// Gives department `code` the name `name` (refused as addDepartment refuses a name), or
// refuses when there is no such department.
void renameDepartment(Connection& connection, const Gbk& code, const Gbk& name);

// Removes department `code`. Refused when there is none, when it has sub-departments (they
// are named) or persons (their number and the first names are given).
void removeDepartment(Connection& connection, const Gbk& code);

} // namespace wb
