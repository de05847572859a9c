// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/PersonRecord.h"

#include "data/DatabaseFailure.h"
#include "data/PersonTable.h"
#include "import/Titles.h"
#include "text/DateText.h"
#include "text/DecimalText.h"
#include "text/Encoding.h"
#include "text/GbkText.h"

#include <exception>
#include <limits>

namespace wb {

namespace coded {

bool sexLooksUp(const Gbk& text) {
    static const Gbk kFirst = Gbk::ascii("1"), kLast = Gbk::ascii("2");
    return text >= kFirst && text <= kLast;
}

bool ethnicGroupLooksUp(const Gbk& text) {
    return !text.empty() && static_cast<unsigned char>(text[0]) > '9';
}

bool categoryLooksUp(const Gbk& text) {
    return !text.empty();
}

} // namespace coded

namespace {

// The seniority adjustment's column: the first of its four spellings that is present.
const Gbk* seniorityTitle(const TitleColumnMap& titles) {
    for (const Gbk& title : titles::kSeniorityAdjustment)
        if (titles.column(title) != 0)
            return &title;
    return nullptr;
}

// A category field with a reported miss: sets the field to the code of a non-empty cell
// text, or adds an error-list line whose kind is the column's title.
void setCategoryOrReport(const RowContext& row, PersonTable& table, const CodedColumn& column,
                         const Gbk& name) {
    if (row.titles.column(column.title) == 0)
        return;
    const Gbk text = cellText(row.cell(column.title));
    if (!column.looksUp(text))
        return;
    const Gbk& code = row.codeMap.lookup(text);
    if (!code.empty())
        table.setText(column.field, code);
    else
        row.addError(row.errorAt(column.title, column.title, name, text, {},
                                 noCodeExplanation(text, column.title)));
}

// A date field in a guard of its own: gives the stored "yyyy-mm-dd" text, or empty text
// when the cell holds no date or the field does not take it.
Gbk setDateField(const RowContext& row, PersonTable& table, const Gbk& title, const char* field) {
    try {
        const Gbk text = Gbk::ascii(formatIsoDate(cellDate(row.cell(title))));
        table.setText(field, text);
        return text;
    } catch (const std::exception&) {
        return {};
    }
}

bool fitsInt32(std::int64_t value) {
    return value >= std::numeric_limits<std::int32_t>::min() &&
           value <= std::numeric_limits<std::int32_t>::max();
}

// Everything after the name: fields, post and key. Throws when the record cannot be stored.
void fillAndPost(const RowContext& row, PersonTable& table, PersonOutcome& outcome) {
    if (row.titles.column(titles::kSerial) != 0)
        table.setCell("bh", row.cell(titles::kSerial));
    if (row.titles.column(titles::kIdCard) != 0)
        table.setCell("sfzh", row.cell(titles::kIdCard));

    if (const Gbk* title = seniorityTitle(row.titles)) {
        const std::int32_t months = parseWholeNumber(cellText(row.cell(*title))).value_or(0);
        if (months != 0 && months != std::numeric_limits<std::int32_t>::min())
            table.setInteger("kjgl", -months);
    }

    if (row.titles.column(coded::kSex.title) != 0) {
        const Gbk text = cellText(row.cell(coded::kSex.title));
        if (coded::kSex.looksUp(text))
            table.setText(coded::kSex.field, row.codeMap.lookup(text));
    }

    if (row.titles.column(coded::kEthnicGroup.title) != 0) {
        const Gbk text = cellText(row.cell(coded::kEthnicGroup.title));
        table.setText(coded::kEthnicGroup.field,
                      coded::kEthnicGroup.looksUp(text) ? row.codeMap.lookup(text) : text);
    }

    if (row.titles.column(titles::kBirthDate) != 0)
        setDateField(row, table, titles::kBirthDate, "csny");

    const Gbk& workTitle =
        row.titles.column(titles::kWorkTime) != 0 ? titles::kWorkTime : titles::kWorkStart;
    if (row.titles.column(workTitle) != 0)
        outcome.workDate = setDateField(row, table, workTitle, "gzsj");

    if (row.titles.column(titles::kPersonalStatus) != 0)
        table.setCell("grsf", row.cell(titles::kPersonalStatus));

    if (row.titles.column(titles::kDeductedYears) != 0) {
        const Gbk text = cellText(row.cell(titles::kDeductedYears));
        const std::int32_t years = text.empty() ? 0 : parseWholeNumber(text).value_or(0);
        if (years != 0)
            table.setInteger("kjtgnf", years);
    }

    setCategoryOrReport(row, table, coded::kWageCategory, outcome.name);
    setCategoryOrReport(row, table, coded::kPerformanceCategory, outcome.name);

    if (row.titles.column(titles::kCollegeYears) != 0) {
        const CollegeYears years = collegeYears(cellText(row.cell(titles::kCollegeYears)));
        outcome.wholeYears = years.wholeYears;
        if (years.months != 0)
            table.setInteger("dzysxl", years.months);
    }

    table.post();
    outcome.key = table.id();
}

} // namespace

CollegeYears collegeYears(const Gbk& text) {
    if (text.empty())
        return {};
    const auto value = parseDecimal(text);
    if (!value)
        return {};
    const auto whole = value->truncatedScaled(0);
    const auto hundredths = value->truncatedScaled(2);
    if (!whole || !hundredths)
        return {};
    const std::int64_t months = 12 * *whole + *hundredths % 100;
    if (!fitsInt32(*whole) || !fitsInt32(months))
        return {};
    return {static_cast<std::int32_t>(*whole), static_cast<std::int32_t>(months)};
}

PersonOutcome importPerson(const RowContext& row, const Gbk& departmentCode, const Gbk& name,
                           PersonTable& personTable) {
    static const Gbk kPersonKind = gbk("人员");
    PersonOutcome outcome;
    outcome.name = name;

    personTable.append();
    personTable.setText("bm", departmentCode);
    personTable.setInteger("jxqyf", 12);
    personTable.setText("jkzk", Gbk::ascii("10"));
    personTable.setText("xm", name);
    row.ui.addRunLog(name);

    try {
        fillAndPost(row, personTable, outcome);
    } catch (const DatabaseFailure&) {
        personTable.cancel();
        throw; // nothing more can be stored: the run ends
    } catch (const std::exception& error) {
        // Discarded, so that the next append cannot post it without its key and records.
        personTable.cancel();
        outcome.key.reset();
        row.addError(row.errorAt(titles::kName, kPersonKind, name, {}, utf8ToGbk(error.what())));
    }
    return outcome;
}

} // namespace wb
