// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/WrittenColumns.h"

#include "data/Database.h"
#include "data/DatabaseFailure.h"

#include <initializer_list>

namespace wb {

namespace {

struct WrittenTable {
    const char* name;
    std::initializer_list<const char*> columns;
};

// What the person record, the dependent records and the deletion write or join on.
constexpr WrittenTable kImported[] = {
    {"ryjbxx",
     {"id", "bm", "bh", "xm", "sfzh", "xb", "mz", "csny", "gzsj", "grsf", "jkzk", "jxqyf", "kjgl",
      "kjtgnf", "sylb", "ltxlb", "dzysxl"}},
    {"ryxl", {"mid", "xxxs", "xlrq", "xldm", "dzysxl"}},
    {"ryrz", {"mid", "rzrq", "gzzwdm", "gwzwdm"}},
    {"rykh", {"mid", "khnd", "khjg"}},
};
constexpr WrittenTable kDeletedOnly[] = {
    {"rybdrz", {"mid"}},
    {"ryjl", {"mid"}},
    {"ryjc", {"mid"}},
    {"rygzbhb", {"mid"}},
};

void addMissing(Database& database, const WrittenTable& table, std::vector<std::string>& missing) {
    const TableColumns* columns = database.columns(table.name);
    if (!columns) {
        missing.emplace_back(table.name);
        return;
    }
    for (const char* column : table.columns)
        if (columns->indexOf(column) < 0)
            missing.push_back(std::string(table.name) + "." + column);
}

} // namespace

std::vector<std::string> missingWrittenColumns(Database& database, bool overwrite) {
    std::vector<std::string> missing;
    for (const WrittenTable& table : kImported)
        addMissing(database, table, missing);
    if (overwrite)
        for (const WrittenTable& table : kDeletedOnly)
            addMissing(database, table, missing);
    return missing;
}

void requireWrittenColumns(Database& database, bool overwrite) {
    const std::vector<std::string> missing = missingWrittenColumns(database, overwrite);
    if (missing.empty())
        return;
    std::string list;
    for (const std::string& name : missing)
        list += (list.empty() ? "" : "、") +
                (name.find('.') == std::string::npos ? "表 " + name : name);
    throw DatabaseFailure("数据库 " + database.displayName() + " 缺少导入要写入的表或字段：" +
                          list + "。没有写入任何数据。");
}

} // namespace wb
