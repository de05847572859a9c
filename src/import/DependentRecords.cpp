#include "import/DependentRecords.h"

#include "data/DatabaseFailure.h"
#include "data/JetSql.h"
#include "data/StatementRunner.h"
#include "text/Encoding.h"
#include "text/GbkText.h"

#include <exception>

namespace wb {

std::vector<std::string> dependentLines(const RowContext& row, const PersonOutcome& person,
                                        const std::string& title) {
    if (!person.key || row.titles.column(title) == 0)
        return {};
    return splitLines(cellText(row.cell(title)));
}

MonthDate clampedMonthDate(std::string_view line) {
    MonthDate date{byteRange(line, fields::kYear), byteRange(line, fields::kMonth)};
    if (date.year < "1900")
        date.year = "1900";
    else if (date.year > "2100")
        date.year = "2100";
    if (date.month < "01")
        date.month = "01";
    else if (date.month > "12")
        date.month = "12";
    return date;
}

void runDependentStatement(StatementRunner& runner, std::string statement, UserInterface& ui,
                           const std::string& prefix, const std::string& name,
                           const std::string& text) {
    try {
        runner.setText(std::move(statement));
        runner.exec();
    } catch (const DatabaseFailure&) {
        throw; // nothing more can be stored: the run ends
    } catch (const std::exception& error) {
        ui.addError(prefix + name + ":" + text + ":" + utf8ToGbk(error.what()));
    }
}

} // namespace wb
