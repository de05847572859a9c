// SPDX-License-Identifier: GPL-3.0-or-later
// Several clerks at once, each running wagebook-import, on each kind of database: imports
// into different departments all finish whole; two overwrites of one department never mix
// (one replaces it whole, the other waits for it or is refused with a message); an overwrite
// killed (SIGKILL) mid-run leaves the department as it was. The workbook is the 5,000-person
// one of tests/fixtures/kill.

#include "support/Backend.h"
#include "support/FileLines.h"
#include "support/ProgramRun.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

using namespace wb::test;
using Strings = std::vector<std::string>;

namespace {

constexpr int kPersons = 5000;

class Clerks : public DatabaseFolder {
protected:
    void SetUp() override {
        DatabaseFolder::SetUp();
        if (IsSkipped())
            return;
        database_->createWithInitDb();
        folder_.copyFixture("kill/staff.xls");
        folder_.copyFixture("kill/dm.txt");
    }

    // Starts wagebook-import in the office folder with its output in out-<tag>.txt.
    pid_t start(const std::string& department, bool overwrite, const std::string& tag) {
        return startImport(folder_.path(), department, overwrite, folder_ / ("out-" + tag + ".txt"),
                           folder_ / ("err-" + tag + ".txt"));
    }
    Strings output(const std::string& tag) {
        return readLines(folder_.path() / ("out-" + tag + ".txt"));
    }

    // Per department: persons, and their education, appointment and assessment records.
    Strings contents() {
        return database_->rows(
            "select p.bm, count(*), sum((select count(*) from ryxl where mid = p.id)),"
            " sum((select count(*) from ryrz where mid = p.id)),"
            " sum((select count(*) from rykh where mid = p.id)) from ryjbxx p group by p.bm"
            " order by p.bm");
    }
    // Dependent rows whose person is gone.
    std::string orphans() {
        return database_->one("select (select count(*) from ryxl where mid not in (select id from"
                              " ryjbxx)) + (select count(*) from rykh where mid not in (select id"
                              " from ryjbxx))");
    }
};

using ClerksAtOnce = OnEachBackend<Clerks>;
WB_ON_EACH_BACKEND(ClerksAtOnce);

} // namespace

TEST_P(ClerksAtOnce, FourImportsIntoDifferentDepartmentsAllFinishWhole) {
    const Strings departments = {"0101", "0102", "02", "0201"};
    std::vector<pid_t> runs;
    for (const std::string& department : departments)
        runs.push_back(start(department, false, department));
    for (std::size_t i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(waitForExit(runs[i]), 0) << departments[i];
        EXPECT_EQ(output(departments[i]).back(), "提示: 数据导入成功!") << departments[i];
    }
    const Strings stored = contents();
    ASSERT_EQ(stored.size(), 4u);
    for (std::size_t i = 0; i < stored.size(); ++i)
        EXPECT_EQ(stored[i].substr(0, stored[i].find('|', 0) + 5),
                  departments[i] + "|" + std::to_string(kPersons));
    // Every department holds the same rows: the same records per person.
    for (const std::string& row : stored)
        EXPECT_EQ(row.substr(row.find('|')), stored[0].substr(stored[0].find('|')));
}

TEST_P(ClerksAtOnce, TwoOverwritesOfOneDepartmentNeverMix) {
    ASSERT_EQ(waitForExit(start("01", false, "seed")), 0);
    const Strings whole = contents();
    const pid_t first = start("01", true, "first");
    // The second begins while the first is deleting or writing its rows (an overwrite shows
    // its rows' names only once they are committed, with the rest of its run).
    while (output("first").size() < 2)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const pid_t second = start("01", true, "second");
    const int firstStatus = waitForExit(first);
    const int secondStatus = waitForExit(second);
    EXPECT_EQ(firstStatus, 0);
    // The second waited for the first and then replaced the department, or it was refused
    // before it changed anything, saying why.
    if (secondStatus != 0) {
        EXPECT_EQ(secondStatus, 1);
        const Strings errors = readLines(folder_.path() / "err-second.txt");
        const std::string why = backend() == Backend::Sqlite ? "已锁定" : "正由另一位用户覆盖导入";
        ASSERT_FALSE(errors.empty());
        EXPECT_NE(errors.back().find(why), std::string::npos) << errors.back();
    }
    EXPECT_EQ(contents(), whole) << "the department holds exactly one run's rows";
    EXPECT_EQ(orphans(), "0");
}

TEST_P(ClerksAtOnce, AnOverwriteKilledMidRunLeavesTheDepartmentAsItWas) {
    ASSERT_EQ(waitForExit(start("01", false, "seed")), 0);
    const Strings before = database_->rows("select id, xm from ryjbxx order by id");
    const std::string dependents = database_->one("select count(*) from ryxl");
    for (const int afterDeletionMs : {0, 100, 400}) {
        // Killed in the deletion (the log ends at its line), then among the rows: an
        // overwrite shows its rows only once it has committed them all, so the department is
        // as it was unless the log shows names.
        const pid_t run = start("01", true, "killed");
        while (output("killed").size() < 2)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(afterDeletionMs));
        ::kill(run, SIGKILL);
        waitForExit(run);
        if (output("killed").size() > 2)
            continue; // done before the kill: replaced whole, as the run after shows
        EXPECT_EQ(database_->rows("select id, xm from ryjbxx order by id"), before)
            << afterDeletionMs;
        EXPECT_EQ(database_->one("select count(*) from ryxl"), dependents) << afterDeletionMs;
    }
    // The department is free again: the next overwrite runs to its end.
    EXPECT_EQ(waitForExit(start("01", true, "after")), 0);
    EXPECT_EQ(database_->one("select count(*) from ryjbxx"), std::to_string(kPersons));
    EXPECT_EQ(orphans(), "0");
}
