// SPDX-License-Identifier: GPL-3.0-or-later
#include "refdata/BuiltinTables.h"

#include "text/Encoding.h"

namespace wb {

namespace {

struct WagePostGrade {
    const char* wagePost;
    const char* grade;
};

constexpr WagePostGrade kWagePostToGrade[] = {
    {"0301", "0101"}, {"0401", "0102"}, {"0501", "0103"}, {"0601", "0104"}, {"0701", "0105"},
    {"0801", "0106"}, {"0901", "0107"}, {"1001", "0108"}, {"1101", "0109"}, {"1201", "0110"},
    {"1301", "0110"}, {"2101", "0204"}, {"2201", "0207"}, {"2301", "0210"}, {"2401", "0212"},
    {"2501", "0213"}, {"2601", "0213"}, {"3601", "0301"}, {"3611", "0302"}, {"3701", "0303"},
    {"3711", "0304"}, {"3721", "0305"}, {"3761", "0401"},
};

struct GradeRow {
    const char* name; // UTF-8 in the source, stored as GBK
    const char* grade;
    const char* wagePost;
};

constexpr GradeRow kGrades[] = {
    {"管理1级", "0101", "0301"},  {"管理2级", "0102", "0401"},  {"管理3级", "0103", "0501"},
    {"管理4级", "0104", "0601"},  {"管理5级", "0105", "0701"},  {"管理6级", "0106", "0801"},
    {"管理7级", "0107", "0901"},  {"管理8级", "0108", "1001"},  {"管理9级", "0109", "1101"},
    {"管理10级", "0110", "1201"}, {"技术1级", "0201", "2101"},  {"技术2级", "0202", "2101"},
    {"技术3级", "0203", "2101"},  {"技术4级", "0204", "2101"},  {"技术5级", "0205", "2201"},
    {"技术6级", "0206", "2201"},  {"技术7级", "0207", "2201"},  {"技术8级", "0208", "2301"},
    {"技术9级", "0209", "2301"},  {"技术10级", "0210", "2301"}, {"技术11级", "0211", "2401"},
    {"技术12级", "0212", "2401"}, {"技术13级", "0213", "2501"}, {"技工1级", "0301", "3601"},
    {"技工2级", "0302", "3611"},  {"技工3级", "0303", "3701"},  {"技工4级", "0304", "3711"},
    {"技工5级", "0305", "3721"},  {"普工", "0401", "3761"},
};

} // namespace

void fillBuiltinTables(BuiltinTables& tables) {
    for (const auto& row : kWagePostToGrade)
        tables.WagePostToPositionGrade.set(Gbk::ascii(row.wagePost), Gbk::ascii(row.grade));
    for (const auto& row : kGrades)
        tables.PositionGradeNameToCode.set(gbk(row.name), Gbk::ascii(row.grade));
    for (const auto& row : kGrades)
        tables.PositionGradeToWagePost.set(Gbk::ascii(row.grade), Gbk::ascii(row.wagePost));
}

} // namespace wb
