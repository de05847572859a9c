// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/StatementRunner.h"
#include "import/DependentRecords.h"
#include "import/Titles.h"
#include "text/Encoding.h"
#include "text/GbkText.h"

namespace wb {

namespace {

// The result code is written bare, so only a plain number may be placed: optional minus,
// digits, optionally a point and digits.
bool isPlainNumber(std::string_view text) {
    std::size_t pos = !text.empty() && text[0] == '-' ? 1 : 0;
    const std::size_t integerStart = pos;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
        ++pos;
    if (pos == integerStart)
        return false;
    if (pos < text.size() && text[pos] == '.') {
        const std::size_t fractionStart = ++pos;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
            ++pos;
        if (pos == fractionStart)
            return false;
    }
    return pos == text.size();
}

} // namespace

void importAssessments(const RowContext& row, const PersonOutcome& person,
                       StatementRunner& statements) {
    static const Gbk kKind = gbk("考核");
    static const Gbk kNotANumber = gbk("结果代码不是数字 ");
    static const Gbk kResult = gbk("考核结果");

    const std::vector<Gbk> lines = dependentLines(row, person, titles::kAssessments);
    if (lines.empty())
        return;
    const Gbk key = decimal(*person.key);

    for (const Gbk& rawLine : lines) {
        const Gbk line = trim(rawLine);
        if (line.empty())
            continue;
        const std::int32_t year = parseWholeNumber(byteRange(line, fields::kYear)).value_or(0);
        if (year < 1900 || year > 2100)
            continue;
        const Gbk result = trim(byteRange(line, fields::kAssessmentResult));
        const Gbk& code = row.codeMap.lookup(result);
        if (code.empty()) {
            row.addError(row.errorAt(titles::kAssessments, kKind, person.name, result, {},
                                     noCodeExplanation(result, kResult)));
            continue;
        }
        if (!isPlainNumber(code.view())) {
            row.addError(
                row.errorAt(titles::kAssessments, kKind, person.name, line, kNotANumber + code));
            continue;
        }
        runDependentStatement(statements,
                              "insert into rykh (mid,khnd,khjg ) values ("_ascii + key + ',' +
                                  decimal(year) + ',' + code + ')',
                              row.ui, row.errorAt(titles::kAssessments, kKind, person.name, line));
    }
}

} // namespace wb
