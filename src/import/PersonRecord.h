// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "import/RowContext.h"
#include "import/Titles.h"

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

// A single-value column whose texts the import translates through the code file: its title,
// the ryjbxx field it feeds, and which of its texts are looked up at all (the others are
// stored as they are, or not at all).
struct CodedColumn {
    const Gbk& title;
    const char* field;
    bool (*looksUp)(const Gbk& text);
};
namespace coded {
// Only texts from "1" to "2", byte-wise: "1", "2" and texts beginning with "1"; others
// leave the field unset.
bool sexLooksUp(const Gbk& text);
// Only a name (a first byte above "9"); a code such as "01" is stored as it is.
bool ethnicGroupLooksUp(const Gbk& text);
// Every text that is not empty; one without a code is listed in the error list.
bool categoryLooksUp(const Gbk& text);

inline const CodedColumn kSex{titles::kSex, "xb", &sexLooksUp};
inline const CodedColumn kEthnicGroup{titles::kEthnicGroup, "mz", &ethnicGroupLooksUp};
inline const CodedColumn kWageCategory{titles::kWageCategory, "sylb", &categoryLooksUp};
inline const CodedColumn kPerformanceCategory{titles::kPerformanceCategory, "ltxlb",
                                              &categoryLooksUp};
} // namespace coded

// Writes the person record of one row through the person table and reads back its key. The name is
// added to the run log first. A record the database cannot store is reported in the error
// list as "人员:" name ":" reason (at the name's cell) and discarded; the outcome then has no key.
PersonOutcome importPerson(const RowContext& row, const Gbk& departmentCode, const Gbk& name,
                           PersonTable& personTable);

} // namespace wb
