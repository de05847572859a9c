// SPDX-License-Identifier: GPL-3.0-or-later
#include "refdata/Departments.h"

#include "data/JetSql.h"
#include "data/Query.h"
#include "text/Encoding.h"
#include "text/GbkText.h"

#include <algorithm>

namespace wb {

std::vector<DepartmentRecord> loadDepartments(Query& departmentQuery) {
    departmentQuery.close();
    departmentQuery.setText(Gbk::ascii("select count(*) as cnt from dm_jg "));
    departmentQuery.open();
    const int counted = departmentQuery.fieldInteger("cnt");
    std::vector<DepartmentRecord> records;
    if (counted <= 0)
        return records;

    departmentQuery.close();
    departmentQuery.setText(Gbk::ascii("select * from dm_jg order by len(jgdm),jgdm"));
    departmentQuery.open();
    records.reserve(counted);
    // Rows deleted between the two statements leave fewer records; rows added are ignored.
    for (; !departmentQuery.eof() && static_cast<int>(records.size()) < counted;
         departmentQuery.next()) {
        DepartmentRecord record;
        record.id = departmentQuery.fieldInteger("id");
        record.upid = departmentQuery.fieldInteger("upid");
        record.px = departmentQuery.fieldInteger("px");
        record.jgdm = departmentQuery.fieldText("jgdm");
        record.codeLength = static_cast<std::int32_t>(record.jgdm.size());
        record.jgmc = departmentQuery.fieldText("jgmc");
        record.jgjb = departmentQuery.fieldText("jgjb");
        records.push_back(std::move(record));
    }
    return records;
}

bool isDepartment(const DepartmentRecord& record, const Gbk& code) {
    return trim(record.jgdm) == code;
}

bool departmentExists(Query& departmentQuery, const Gbk& code) {
    const std::vector<DepartmentRecord> records = loadDepartments(departmentQuery);
    return std::any_of(records.begin(), records.end(),
                       [&](const DepartmentRecord& record) { return isDepartment(record, code); });
}

Gbk departmentFilter(const Gbk& departmentCode) {
    return Gbk::ascii("bm like '") + escapeSqlText(likePrefixPattern(departmentCode)) + '\'';
}

Gbk staffStatement(const Gbk& departmentCode) {
    return Gbk::ascii("select * from ryjbxx where ") + departmentFilter(departmentCode);
}

int listStaff(Query& staffQuery, const Gbk& departmentCode) {
    staffQuery.close();
    staffQuery.setText(staffStatement(departmentCode));
    staffQuery.open();
    return staffQuery.rowCount();
}

Gbk staffCountText(int count) {
    static const Gbk persons = gbk("人");
    return decimal(count) + persons;
}

} // namespace wb
