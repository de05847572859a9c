// SPDX-License-Identifier: GPL-3.0-or-later
#include "migrate/Migration.h"

#include "migrate/AccessFile.h"
#include "migrate/TargetDatabase.h"
#include "text/Error.h"

namespace wb::migrate {

std::string tableCountLine(const TableCount& count) {
    std::string line = count.name + ": 读出 " + std::to_string(count.read) + " 行, 写入 " +
                       std::to_string(count.written) + " 行";
    if (count.read != count.declared)
        line += " (文件中记有 " + std::to_string(count.declared) + " 行)";
    return line;
}

std::vector<TableCount> migrate(const MigrationRequest& request,
                                const std::function<void(const TableCount&)>& report) {
    AccessFile source(request.source, request.codePage);
    // A front end whose tables live in another file: that file is the one to migrate.
    if (!source.linkedTables().empty()) {
        std::string tables;
        for (const std::string& table : source.linkedTables())
            tables += (tables.empty() ? "" : "、") + table;
        throw Error("Access 数据库 " + request.source + " 中的表 " + tables +
                    " 只是链接，数据在括号里的文件中；请迁移那个文件。");
    }
    TargetDatabase target(request.target);
    std::vector<TableCount> counts;
    std::string incomplete;
    std::vector<AccessValue> row;
    for (const std::string& name : source.tableNames()) {
        const auto table = source.openTable(name);
        TableCount count;
        count.name = target.beginTable(name, table->columns());
        count.declared = table->declaredRows();
        if (request.progress)
            request.progress(count);
        while (table->next(row)) {
            target.insert(row);
            ++count.read;
            if (request.progress)
                request.progress(count);
            if (request.stopRequested && request.stopRequested())
                throw Error("迁移被中止，未创建 " + request.target + "。");
        }
        count.written = target.count(count.name);
        report(count);
        if (!count.complete())
            incomplete += (incomplete.empty() ? "" : "、") + count.name;
        counts.push_back(count);
    }
    if (!incomplete.empty()) {
        throw Error("表 " + incomplete + " 没有完整复制，未创建 " + request.target + "。" +
                    source.libraryNote());
    }
    target.finish();
    return counts;
}

} // namespace wb::migrate
