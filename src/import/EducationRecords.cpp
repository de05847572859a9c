#include "data/JetSql.h"
#include "data/StatementRunner.h"
#include "import/DependentRecords.h"
#include "import/Titles.h"
#include "text/Encoding.h"
#include "text/GbkText.h"

namespace wb {

void importEducation(const RowContext& row, const PersonOutcome& person,
                     StatementRunner& ADOQuery1) {
    static const std::string kPrefix = gbk("学历:");
    static const std::string kFullTime = gbk("'全日制'");
    static const std::string kInService = gbk("'在职'");

    const std::vector<std::string> lines = dependentLines(row, person, titles::kEducation);
    if (lines.empty())
        return;
    const std::string key = std::to_string(*person.key);
    const std::string workYear = byteRange(person.workDate, fields::kYear);
    const std::string workMonth = byteRange(person.workDate, fields::kMonth);
    std::string lastFullTimeDate;

    for (const std::string& line : lines) {
        if (line.size() < 5 || line[4] != '.')
            continue;
        const MonthDate date = clampedMonthDate(line);
        // Obtained no later than the month work started: full-time study.
        const bool fullTime =
            !person.workDate.empty() &&
            (date.year < workYear || (date.year == workYear && date.month <= workMonth));
        if (fullTime)
            lastFullTimeDate = date.text();
        const std::string education = byteRange(line, fields::kEducation);
        const std::string& code = row.CodeFileMap.lookup(education);
        if (code.empty()) {
            row.ui.addError(kPrefix + person.name + ":" + education);
            continue;
        }
        runDependentStatement(ADOQuery1,
                              "insert into ryxl (mid,xxxs,xlrq,xldm) values (" + key + "," +
                                  (fullTime ? kFullTime : kInService) + ",'" +
                                  escapeSqlText(date.text()) + "','" + escapeSqlText(code) + "')",
                              row.ui, kPrefix, person.name, line);
    }

    if (lastFullTimeDate.empty() || person.wholeYears == 0)
        return;
    // The date stands between # marks unquoted: only a date of digits may be placed there.
    if (lastFullTimeDate.find_first_not_of("0123456789-") != std::string::npos) {
        static const std::string kNoDate = gbk("不是日期");
        row.ui.addError(kPrefix + person.name + ":" + lastFullTimeDate + ":" + kNoDate);
        return;
    }
    runDependentStatement(ADOQuery1,
                          "update ryxl set dzysxl=" + std::to_string(person.wholeYears) +
                              " where mid=" + key + " and xlrq=#" + lastFullTimeDate + "#",
                          row.ui, kPrefix, person.name, lastFullTimeDate);
}

} // namespace wb
