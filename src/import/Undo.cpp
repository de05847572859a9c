#include "import/Undo.h"

#include "data/Database.h"
#include "data/Schema.h"
#include "import/KeyLists.h"
#include "import/UndoJournal.h"
#include "text/Encoding.h"
#include "text/Error.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace wb {

namespace {

// Whether an overwrite the journal kept before its commit was committed: its deleted persons
// are gone, and the persons it stored are there.
bool overwriteHappened(Database& database, UndoJournal& journal, const JournalRun& run) {
    std::vector<std::int64_t> deleted;
    journal.forEachKeptRow(run.id, [&](const KeptRow& row) {
        if (const auto key = row.keyColumn(); key && row.table == "ryjbxx")
            deleted.push_back(row.values[*key].integer);
    });
    const std::vector<std::int64_t> stored = journal.storedPersons(run.id);
    return countRowsWithKeys(database, "ryjbxx", "id", deleted) == 0 &&
           countRowsWithKeys(database, "ryjbxx", "id", stored) ==
               static_cast<std::int64_t>(stored.size());
}

// The keys of kept dependent records that rows written since have taken: such a record comes
// back under a new key (nothing refers to it by its key). A person's key is kept always, as
// its records refer to it.
std::set<std::pair<std::string, std::int64_t>> takenKeys(Database& database, UndoJournal& journal,
                                                         std::int64_t run) {
    std::map<std::string, std::vector<std::int64_t>> kept;
    journal.forEachKeptRow(run, [&](const KeptRow& row) {
        if (const auto key = row.keyColumn(); key && row.table != "ryjbxx")
            kept[row.table].push_back(row.values[*key].integer);
    });
    std::set<std::pair<std::string, std::int64_t>> taken;
    for (const auto& [table, keys] : kept)
        forKeyLists(keys, [&](const Gbk& list) {
            for (const auto& row : database
                                       .select("select id from "_ascii + Gbk::ascii(table) +
                                               " where id in ("_ascii + list + ')')
                                       .rows)
                taken.emplace(table, row.at(0).toLongLong());
        });
    return taken;
}

// Puts a kept row back, under a new key when its own was taken.
void putBack(Database& database, const KeptRow& row,
             const std::set<std::pair<std::string, std::int64_t>>& taken) {
    const auto key = row.keyColumn();
    if (!key || !taken.count({row.table, row.values[*key].integer})) {
        database.insertRow(row.table, row.columns, row.values);
        return;
    }
    const auto position = static_cast<std::ptrdiff_t>(*key);
    std::vector<std::string> columns = row.columns;
    std::vector<EngineValue> values = row.values;
    columns.erase(columns.begin() + position);
    values.erase(values.begin() + position);
    database.insertRow(row.table, columns, values);
}

Gbk undoneMessage(const JournalRun& run, std::int64_t removed, std::int64_t restored) {
    return utf8ToGbk("撤销了 " + run.started + " 部门 " + gbkToUtf8(run.departmentCode) + "（" +
                     run.workbook + "，" + (run.overwrite ? "覆盖" : "追加") + "）的导入：删除 " +
                     std::to_string(removed) + " 人，恢复 " + std::to_string(restored) + " 人");
}

} // namespace

std::optional<Gbk> undoNewestRun(Database& database, UndoJournal& journal) {
    std::optional<JournalRun> run;
    while ((run = journal.newestRun()) && !run->committed &&
           !overwriteHappened(database, journal, *run))
        journal.forget(run->id);
    if (!run)
        return std::nullopt;

    const std::vector<std::int64_t> stored = journal.storedPersons(run->id);
    std::int64_t restored = 0;
    database.beginTransaction();
    try {
        const std::int64_t removed = countRowsWithKeys(database, "ryjbxx", "id", stored);
        forKeyLists(stored, [&](const Gbk& list) {
            for (const std::string& table : dependentTables())
                database.execute("delete from "_ascii + Gbk::ascii(table) +
                                 " where mid in ("_ascii + list + ')');
            database.execute("delete from ryjbxx where id in ("_ascii + list + ')');
        });
        const auto taken = takenKeys(database, journal, run->id);
        journal.forEachKeptRow(run->id, [&](const KeptRow& row) {
            putBack(database, row, taken);
            restored += row.table == "ryjbxx";
        });
        database.commitTransaction();
        journal.forget(run->id);
        return undoneMessage(*run, removed, restored);
    } catch (...) {
        database.rollbackTransaction();
        throw Error("撤销没有完成，数据库没有改动：" + failureText());
    }
}

} // namespace wb
