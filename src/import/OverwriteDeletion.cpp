// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/OverwriteDeletion.h"

#include "data/Database.h"
#include "data/StatementRunner.h"
#include "refdata/Departments.h"

namespace wb {

namespace {

// The persons the deletion takes, as its last statement names them ("from" this).
Gbk departmentPersons(const Gbk& departmentCode) {
    return "ryjbxx where "_ascii + departmentFilter(departmentCode);
}

} // namespace

std::vector<Gbk> overwriteDeletionStatements(const Gbk& departmentCode) {
    const Gbk filter = departmentFilter(departmentCode);
    // rygzbhb's statement has always had two blanks after the table name.
    const Ascii marks[] = {"ryrz "_ascii, "rybdrz "_ascii, "rykh "_ascii,    "ryxl "_ascii,
                           "ryjl "_ascii, "ryjc "_ascii,   "rygzbhb  "_ascii};
    std::vector<Gbk> statements;
    for (const Ascii mark : marks) {
        const Gbk table = mark;
        statements.push_back("update "_ascii + table +
                             "a,ryjbxx b set a.mid=0 where a.mid=b.id and b."_ascii + filter);
        statements.push_back("delete from "_ascii + table.substr(0, table.find(' ')) +
                             " where mid=0"_ascii);
    }
    statements.push_back("delete from "_ascii + departmentPersons(departmentCode));
    return statements;
}

void deleteDepartmentData(const Gbk& departmentCode, StatementRunner& statements) {
    for (Gbk& statement : overwriteDeletionStatements(departmentCode)) {
        statements.setText(std::move(statement));
        statements.exec();
    }
}

std::int64_t departmentDataPersons(const Gbk& departmentCode, Database& database) {
    return database.select("select count(*) from "_ascii + departmentPersons(departmentCode))
        .rows.at(0)
        .at(0)
        .toLongLong();
}

} // namespace wb
