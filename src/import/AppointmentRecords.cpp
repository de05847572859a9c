// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/JetSql.h"
#include "data/StatementRunner.h"
#include "import/DependentRecords.h"
#include "import/Titles.h"
#include "text/Encoding.h"
#include "text/GbkText.h"

namespace wb {

namespace {

struct PostCodes {
    Gbk wagePost;
    Gbk positionGrade;
    bool graded = false; // dated July 2006 or later: a grade name counts
};

// The two codes of a post text. Before July 2006 only the code file's wage post code counts;
// from then on the position grade follows from the wage post code, or, when the code file
// does not know the text, the text is read as a grade name.
PostCodes postCodes(const Gbk& post, const MonthDate& date, const CodeTable& codeMap,
                    const BuiltinTables& tables) {
    PostCodes codes{codeMap.lookup(post), {}};
    static const Gbk kGradedYear = "2006"_ascii, kGradedMonth = "07"_ascii;
    codes.graded =
        date.year > kGradedYear || (date.year == kGradedYear && date.month >= kGradedMonth);
    if (!codes.graded)
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

// Why a post text found no wage post code. A grade name counts only from July 2006; from
// then on a text that is no grade name is said to be neither.
Gbk noPostExplanation(const Gbk& line, const Gbk& post, const PostCodes& codes,
                      const BuiltinTables& tables) {
    static const Gbk kKind = gbk("职务");
    static const Gbk kGradeTooEarly = gbk("是岗位等级，岗位等级只用于 2006 年 7 月及以后的任职");
    static const Gbk kNoGrade = gbk("，也不是岗位等级（如 管理8级）");
    static const Gbk kOpen = gbk("“"), kClose = gbk("”");
    if (post.empty() || !monthDateInDigits(line))
        return datedLineExplanation(line, post, kKind);
    if (!codes.graded && !tables.PositionGradeNameToCode.lookup(post).empty())
        return kOpen + post + kClose + kGradeTooEarly;
    Gbk explanation = noCodeExplanation(post, kKind);
    if (codes.graded)
        explanation += kNoGrade;
    return explanation;
}

} // namespace

void importAppointments(const RowContext& row, const PersonOutcome& person,
                        const BuiltinTables& tables, StatementRunner& statements) {
    static const Gbk kKind = gbk("职务");

    const std::vector<Gbk> lines = dependentLines(row, person, titles::kAppointments);
    if (lines.empty())
        return;
    const Gbk key = decimal(*person.key);

    for (const Gbk& rawLine : lines) {
        const Gbk line = trim(rawLine);
        if (line.size() < 5 || line[4] != '.')
            continue;
        const MonthDate date = clampedMonthDate(line);
        const Gbk post = trim(byteRange(line, fields::kPost));
        const PostCodes codes = postCodes(post, date, row.codeMap, tables);
        if (codes.wagePost.empty()) {
            row.addError(row.errorAt(titles::kAppointments, kKind, person.name, post, {},
                                     noPostExplanation(line, post, codes, tables)));
            continue;
        }
        runDependentStatement(statements,
                              "insert into ryrz (mid,rzrq,gzzwdm,gwzwdm ) values ("_ascii + key +
                                  ",'"_ascii + escapeSqlText(date.text()) + "','"_ascii +
                                  escapeSqlText(codes.wagePost) + "','"_ascii +
                                  escapeSqlText(codes.positionGrade) + "')"_ascii,
                              row.ui, row.errorAt(titles::kAppointments, kKind, person.name, line));
    }
}

} // namespace wb
