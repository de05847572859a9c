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

void runDependentStatement(StatementRunner& runner, Gbk statement, UserInterface& ui,
                           const Gbk& kind, const Gbk& name, const Gbk& text) {
    runner.setText(std::move(statement));
    // The refusal may come after later lines were given: it keeps its own copies and its
    // place in the error list.
    runner.execDeferred([slot = ui.errorSlot(), kind, name, text](const std::string& reason) {
        slot({kind, name, text, utf8ToGbk(reason)});
    });
}

} // namespace wb
