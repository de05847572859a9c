#pragma once

#include "import/RowContext.h"

#include <cstdint>
#include <optional>
#include <string>

namespace wb {

// Months of college study not counted toward seniority, from the workbook's years value:
// the digits after the point are a two-digit month count (2.06 -> 30, 1.1 -> 22, 0.5 -> 50),
// computed on the digits as written, truncated toward zero. Whole years are the integer
// part. A text that is no number (or too large) counts as 0.
struct CollegeYears {
    std::int32_t wholeYears = 0;
    std::int32_t months = 0;
};
CollegeYears collegeYears(const Gbk& text);

// Writes the person record of one row through the person table and reads back its key. The name is
// added to the run log first. A record the database cannot store is reported in the error
// list as "人员:" name ":" reason and discarded; the outcome then has no key.
PersonOutcome importPerson(const RowContext& row, const Gbk& departmentCode, const Gbk& name,
                           PersonTable& personTable);

} // namespace wb
