#include "data/JetSql.h"
#include "data/StatementRunner.h"
#include "import/DependentRecords.h"
#include "import/Titles.h"
#include "text/Encoding.h"
#include "text/GbkText.h"

namespace wb {

namespace {

struct PostCodes {
    std::string wagePost;
    std::string positionGrade;
};

// The two codes of a post text. Before July 2006 only the code file's wage post code counts;
// from then on the position grade follows from the wage post code, or, when the code file
// does not know the text, the text is read as a grade name.
PostCodes postCodes(const std::string& post, const MonthDate& date, const CodeTable& CodeFileMap,
                    const BuiltinTables& tables) {
    PostCodes codes{CodeFileMap.lookup(post), {}};
    const bool graded = date.year > "2006" || (date.year == "2006" && date.month >= "07");
    if (!graded)
        return codes;
    if (codes.wagePost.empty()) {
        codes.positionGrade = tables.PositionGradeNameToCode.lookup(post);
        if (!codes.positionGrade.empty())
            codes.wagePost = tables.PositionGradeToWagePost.lookup(codes.positionGrade);
    } else {
        codes.positionGrade = tables.WagePostToPositionGrade.lookup(codes.wagePost);
    }
    return codes;
}

} // namespace

void importAppointments(const RowContext& row, const PersonOutcome& person,
                        const BuiltinTables& tables, StatementRunner& ADOQuery1) {
    static const std::string kPrefix = gbk("职务:");

    const std::vector<std::string> lines = dependentLines(row, person, titles::kAppointments);
    if (lines.empty())
        return;
    const std::string key = std::to_string(*person.key);

    for (const std::string& rawLine : lines) {
        const std::string line = trim(rawLine);
        if (line.size() < 5 || line[4] != '.')
            continue;
        const MonthDate date = clampedMonthDate(line);
        const std::string post = trim(byteRange(line, fields::kPost));
        const PostCodes codes = postCodes(post, date, row.CodeFileMap, tables);
        if (codes.wagePost.empty()) {
            row.ui.addError(kPrefix + person.name + ":" + post);
            continue;
        }
        runDependentStatement(ADOQuery1,
                              "insert into ryrz (mid,rzrq,gzzwdm,gwzwdm ) values (" + key + ",'" +
                                  escapeSqlText(date.text()) + "','" +
                                  escapeSqlText(codes.wagePost) + "','" +
                                  escapeSqlText(codes.positionGrade) + "')",
                              row.ui, kPrefix, person.name, line);
    }
}

} // namespace wb
