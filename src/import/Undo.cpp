// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/Undo.h"

#include "data/Database.h"
#include "data/Schema.h"
#include "text/Encoding.h"
#include "text/Error.h"
#include "text/GbkText.h"

#include <string>
#include <vector>

namespace wb {

namespace {

std::int64_t count(Database& database, const Gbk& query) {
    return database.select(query).rows.at(0).at(0).toLongLong();
}

std::string text(const QVariant& value) {
    return value.toString().toStdString();
}

// The keys among the kept rows of `table` that rows in the table have now, as a list.
std::string takenKeys(Database& database, const std::string& table, const Gbk& run) {
    std::string keys;
    for (const auto& row :
         database
             .select("select id from "_ascii + Gbk::ascii(table) +
                     " where id in (select id from "_ascii + Gbk::ascii(undoMirror(table)) +
                     " where wb_run="_ascii + run + ")"_ascii)
             .rows)
        keys += (keys.empty() ? "" : ",") + std::to_string(row.at(0).toLongLong());
    return keys;
}

// Puts the rows an overwrite deleted back into `table`. A person comes back under its own
// key or not at all; a dependent record whose key was taken since comes back under a new one,
// after the others, so that the keys the database gives it meet none of theirs.
void putBack(Database& database, const std::string& table, const Gbk& run) {
    const Gbk columns = undoColumns(database, table, true);
    if (columns.empty())
        return;
    const Gbk kept = Gbk::ascii(undoMirror(table));
    const Gbk into = "insert into "_ascii + Gbk::ascii(table) + " ("_ascii;
    const bool keyed = database.columns(table)->indexOf("id") >= 0;
    const std::string taken = keyed ? takenKeys(database, table, run) : std::string();
    if (!taken.empty() && table == "ryjbxx")
        throw Error("人员的编号 " + taken + " 在导入之后又被其他人员使用了，这些人员无法恢复");
    const Gbk notTaken = taken.empty() ? Gbk() : " and id not in ("_ascii + Gbk::ascii(taken) + ')';
    database.execute(into + columns + ") select "_ascii + columns + " from "_ascii + kept +
                     " where wb_run="_ascii + run + notTaken);
    if (taken.empty())
        return;
    const Gbk unkeyed = undoColumns(database, table, false);
    database.execute(into + unkeyed + ") select "_ascii + unkeyed + " from "_ascii + kept +
                     " where wb_run="_ascii + run + " and id in ("_ascii + Gbk::ascii(taken) + ')');
}

void forget(Database& database, const Gbk& run) {
    database.execute("delete from "_ascii + Gbk::ascii(kUndoPersons) + " where run="_ascii + run);
    for (const std::string& table : writtenTables())
        if (database.columns(undoMirror(table)))
            database.execute("delete from "_ascii + Gbk::ascii(undoMirror(table)) +
                             " where wb_run="_ascii + run);
    database.execute("delete from "_ascii + Gbk::ascii(kUndoRuns) + " where id="_ascii + run);
}

Gbk undoneMessage(const UndoRun& run, std::int64_t removed, std::int64_t restored) {
    return utf8ToGbk("撤销了 " + run.started + " 部门 " + gbkToUtf8(run.departmentCode) + "（" +
                     run.workbook + "，" + (run.overwrite ? "覆盖" : "追加") + "）的导入：删除 " +
                     std::to_string(removed) + " 人，恢复 " + std::to_string(restored) + " 人");
}

} // namespace

std::optional<UndoRun> newestUndoRun(Database& database) {
    if (!database.schemaDialect() || !database.columns(kUndoRuns))
        return std::nullopt;
    const QueryRows rows = database.select(
        "select id,started,department,workbook,overwrite,user_name,computer from "_ascii +
        Gbk::ascii(kUndoRuns) + " order by id desc limit 1"_ascii);
    if (rows.rows.empty())
        return std::nullopt;
    const std::vector<QVariant>& row = rows.rows.front();
    UndoRun run;
    run.id = row[0].toLongLong();
    run.started = text(row[1]);
    run.departmentCode = utf8ToGbk(text(row[2]));
    run.workbook = text(row[3]);
    run.overwrite = row[4].toLongLong() != 0;
    run.user = text(row[5]);
    run.computer = text(row[6]);
    const Gbk id = decimal(run.id);
    run.storedPersons = count(database, "select count(*) from "_ascii + Gbk::ascii(kUndoPersons) +
                                            " where run="_ascii + id);
    run.deletedPersons =
        count(database, "select count(*) from "_ascii + Gbk::ascii(undoMirror("ryjbxx")) +
                            " where wb_run="_ascii + id);
    return run;
}

Gbk undoRunDescription(const UndoRun& run) {
    std::string text = run.started + " 部门 " + gbkToUtf8(run.departmentCode) + " 的" +
                       (run.overwrite ? "覆盖" : "追加") + "导入（工作簿 " + run.workbook + "）：";
    text += run.overwrite ? "删除了原有的 " + std::to_string(run.deletedPersons) + " 人，导入 "
                          : "导入 ";
    text += std::to_string(run.storedPersons) + " 人";
    if (!run.user.empty())
        text +=
            "；由 " + run.user + (run.computer.empty() ? "" : "（" + run.computer + "）") + " 导入";
    return utf8ToGbk(text);
}

std::optional<Gbk> undoNewestRun(Database& database) {
    const std::optional<UndoRun> run = newestUndoRun(database);
    if (!run)
        return std::nullopt;
    const Gbk id = decimal(run->id);
    const Gbk stored =
        "(select person from "_ascii + Gbk::ascii(kUndoPersons) + " where run="_ascii + id + ')';
    database.beginTransaction();
    try {
        const std::int64_t removed =
            count(database, "select count(*) from ryjbxx where id in "_ascii + stored);
        for (const std::string& table : dependentTables())
            if (database.columns(table))
                database.execute("delete from "_ascii + Gbk::ascii(table) + " where mid in "_ascii +
                                 stored);
        database.execute("delete from ryjbxx where id in "_ascii + stored);
        for (const std::string& table : writtenTables())
            if (database.columns(table))
                putBack(database, table, id);
        forget(database, id);
        database.commitTransaction();
        return undoneMessage(*run, removed, run->deletedPersons);
    } catch (...) {
        database.rollbackTransaction();
        throw Error("撤销没有完成，数据库没有改动：" + failureText());
    }
}

} // namespace wb
