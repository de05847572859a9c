// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The records a row gives besides the person: education (ryxl), appointments (ryrz) and
// assessments (rykh), each from a multi-line cell, one entry per line. They are written
// only for a row whose person record was stored, under that person's key.

#include "import/RowContext.h"
#include "text/GbkText.h"

#include <string>
#include <string_view>
#include <vector>

namespace wb {

class StatementRunner;

// The lines of a row's multi-line cell for dependent records: none when the title is absent
// or the row's person was not stored (the cell is then not read).
std::vector<Gbk> dependentLines(const RowContext& row, const PersonOutcome& person,
                                const Gbk& title);

// Where the lines of the multi-line cells, and the stored "yyyy-mm-dd" dates, keep their parts.
namespace fields {
inline constexpr ByteField kYear{1, 4};
inline constexpr ByteField kMonth{6, 7};
inline constexpr ByteField kEducation{8, 27};        // the education text after the month
inline constexpr ByteField kPost{8, 47};             // the post text after the month
inline constexpr ByteField kAssessmentResult{5, 44}; // the result text after the year
} // namespace fields

// Year and month of a dated line (bytes 1-4 and 6-7), clamped byte-wise to 1900..2100 and
// 01..12; `text()` is the month date "yyyy-mm-1".
struct MonthDate {
    Gbk year;
    Gbk month;
    Gbk text() const { return year + '-' + month + Gbk::ascii("-1"); }
};
MonthDate clampedMonthDate(const Gbk& line);

// Whether a dated line's year and month (bytes 1-4 and 6-7) are written in digits: a month
// of one digit ("2003.6本科") shifts the text after it by a byte.
bool monthDateInDigits(const Gbk& line);
// The explanation for a dated line's text (education, post) that found no code: how to
// write the date when monthDateInDigits fails, else noCodeExplanation(text, what).
Gbk datedLineExplanation(const Gbk& line, const Gbk& text, const Gbk& what);

// Runs a statement for a dependent record. A statement the database rejects is reported in
// the error list as `refusal` with the database's reason, and the import goes on. The
// database may report it only when it settles: the row's other lines go through
// RowContext::addError, which settles first, and the row settles as it ends.
void runDependentStatement(StatementRunner& runner, Gbk statement, UserInterface& ui,
                           ErrorLine refusal);

void importEducation(const RowContext& row, const PersonOutcome& person,
                     StatementRunner& statements);
void importAppointments(const RowContext& row, const PersonOutcome& person,
                        const BuiltinTables& tables, StatementRunner& statements);
void importAssessments(const RowContext& row, const PersonOutcome& person,
                       StatementRunner& statements);

} // namespace wb
