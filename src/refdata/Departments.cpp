#include "refdata/Departments.h"

#include "data/JetSql.h"
#include "data/Query.h"
#include "text/Encoding.h"
#include "text/GbkText.h"

#include <algorithm>

namespace wb {

std::vector<TDeptRecord> LoadDepartments(Query& AQ1) {
    AQ1.close();
    AQ1.setText(Gbk::ascii("select count(*) as cnt from dm_jg "));
    AQ1.open();
    const int counted = AQ1.fieldInteger("cnt");
    std::vector<TDeptRecord> records;
    if (counted <= 0)
        return records;

    AQ1.close();
    AQ1.setText(Gbk::ascii("select * from dm_jg order by len(jgdm),jgdm"));
    AQ1.open();
    records.reserve(counted);
    // Rows deleted between the two statements leave fewer records; rows added are ignored.
    for (; !AQ1.eof() && static_cast<int>(records.size()) < counted; AQ1.next()) {
        TDeptRecord record;
        record.id = AQ1.fieldInteger("id");
        record.upid = AQ1.fieldInteger("upid");
        record.px = AQ1.fieldInteger("px");
        record.jgdm = AQ1.fieldText("jgdm");
        record.CodeLen = static_cast<std::int32_t>(record.jgdm.size());
        record.jgmc = AQ1.fieldText("jgmc");
        record.jgjb = AQ1.fieldText("jgjb");
        records.push_back(std::move(record));
    }
    return records;
}

bool departmentExists(Query& departmentQuery, const Gbk& code) {
    const std::vector<TDeptRecord> records = LoadDepartments(departmentQuery);
    return std::any_of(records.begin(), records.end(),
                       [&](const TDeptRecord& record) { return trim(record.jgdm) == code; });
}

Gbk staffStatement(const Gbk& departmentCode) {
    return Gbk::ascii("select * from ryjbxx where bm like '") +
           escapeSqlText(likePrefixPattern(departmentCode)) + '\'';
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
