// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/JetSql.h"
#include "data/StatementRunner.h"
#include "import/DependentRecords.h"
#include "import/Titles.h"
#include "text/Encoding.h"
#include "text/GbkText.h"

namespace wb {

void importEducation(const RowContext& row, const PersonOutcome& person,
                     StatementRunner& statements) {
    static const Gbk kKind = gbk("学历");
    static const Gbk kFullTime = gbk("'全日制'");
    static const Gbk kInService = gbk("'在职'");

    const std::vector<Gbk> lines = dependentLines(row, person, titles::kEducation);
    if (lines.empty())
        return;
    const Gbk key = decimal(*person.key);
    const Gbk workYear = byteRange(person.workDate, fields::kYear);
    const Gbk workMonth = byteRange(person.workDate, fields::kMonth);
    Gbk lastFullTimeDate;

    for (const Gbk& line : lines) {
        if (line.size() < 5 || line[4] != '.')
            continue;
        const MonthDate date = clampedMonthDate(line);
        // Obtained no later than the month work started: full-time study.
        const bool fullTime =
            !person.workDate.empty() &&
            (date.year < workYear || (date.year == workYear && date.month <= workMonth));
        if (fullTime)
            lastFullTimeDate = date.text();
        const Gbk education = byteRange(line, fields::kEducation);
        const Gbk& code = row.codeMap.lookup(education);
        if (code.empty()) {
            row.addError(row.errorAt(titles::kEducation, kKind, person.name, education, {},
                                     datedLineExplanation(line, education, kKind)));
            continue;
        }
        runDependentStatement(statements,
                              "insert into ryxl (mid,xxxs,xlrq,xldm) values ("_ascii + key + ',' +
                                  (fullTime ? kFullTime : kInService) + ",'"_ascii +
                                  escapeSqlText(date.text()) + "','"_ascii + escapeSqlText(code) +
                                  "')"_ascii,
                              row.ui, row.errorAt(titles::kEducation, kKind, person.name, line));
    }

    if (lastFullTimeDate.empty() || person.wholeYears == 0)
        return;
    // The date stands between # marks unquoted: only a date of digits may be placed there.
    if (lastFullTimeDate.find_first_not_of("0123456789-") != Gbk::npos) {
        static const Gbk kNoDate = gbk("不是日期");
        row.addError(
            row.errorAt(titles::kEducation, kKind, person.name, lastFullTimeDate, kNoDate));
        return;
    }
    runDependentStatement(
        statements,
        "update ryxl set dzysxl="_ascii + decimal(person.wholeYears) + " where mid="_ascii + key +
            " and xlrq=#"_ascii + lastFullTimeDate + '#',
        row.ui, row.errorAt(titles::kEducation, kKind, person.name, lastFullTimeDate));
}

} // namespace wb
