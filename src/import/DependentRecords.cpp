// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/DependentRecords.h"

#include "data/JetSql.h"
#include "data/StatementRunner.h"
#include "text/Encoding.h"
#include "text/GbkText.h"

#include <algorithm>

namespace wb {

std::vector<Gbk> dependentLines(const RowContext& row, const PersonOutcome& person,
                                const Gbk& title) {
    if (!person.key || row.titles.column(title) == 0)
        return {};
    return splitLines(cellText(row.cell(title)));
}

MonthDate clampedMonthDate(const Gbk& line) {
    // Clamped byte-wise, as texts: "19x5" lies between "1900" and "2100".
    static const Gbk kFirstYear = Gbk::ascii("1900"), kLastYear = Gbk::ascii("2100");
    static const Gbk kFirstMonth = Gbk::ascii("01"), kLastMonth = Gbk::ascii("12");
    MonthDate date{byteRange(line, fields::kYear), byteRange(line, fields::kMonth)};
    date.year = std::clamp(date.year, kFirstYear, kLastYear);
    date.month = std::clamp(date.month, kFirstMonth, kLastMonth);
    return date;
}

bool monthDateInDigits(const Gbk& line) {
    const auto digits = [&line](ByteField field) {
        const Gbk part = byteRange(line, field);
        return part.size() == field.last - field.first + 1 &&
               part.find_first_not_of("0123456789") == Gbk::npos;
    };
    return digits(fields::kYear) && digits(fields::kMonth);
}

Gbk datedLineExplanation(const Gbk& line, const Gbk& text, const Gbk& what) {
    static const Gbk kDateForm = gbk("日期要写成 4 位年份、点、2 位月份，如 2003.06");
    return monthDateInDigits(line) ? noCodeExplanation(text, what) : kDateForm;
}

void runDependentStatement(StatementRunner& runner, Gbk statement, UserInterface& ui,
                           ErrorLine refusal) {
    runner.setText(std::move(statement));
    // The refusal may come after later lines were given: it keeps its own copy and its place
    // in the error list.
    runner.execDeferred(
        [slot = ui.errorSlot(), refusal = std::move(refusal)](const std::string& reason) {
            ErrorLine line = refusal;
            line.reason = utf8ToGbk(reason);
            slot(line);
        });
}

} // namespace wb
