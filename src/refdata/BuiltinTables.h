// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "refdata/CodeTable.h"

namespace wb {

// The fixed tables between the two appointment code schemes: wage post codes (older
// scheme) and position grade codes (graded positions), and from printed grade names to
// grade codes. They are not inverse to each other.
struct BuiltinTables {
    CodeTable WagePostToPositionGrade;
    CodeTable PositionGradeNameToCode;
    CodeTable PositionGradeToWagePost;
};

// Fills the three tables, in their fixed order: all of WagePostToPositionGrade, then
// PositionGradeNameToCode, then PositionGradeToWagePost.
void fillBuiltinTables(BuiltinTables& tables);

} // namespace wb
