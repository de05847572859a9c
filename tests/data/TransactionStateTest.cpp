// SPDX-License-Identifier: GPL-3.0-or-later
// The order of transactions and units that Database keeps for every kind: the calls it
// refuses, the steps it asks of the kind, and where it stands after a step fails.

#include "data/Database.h"
#include "data/DatabaseFailure.h"
#include "text/Error.h"

#include <gtest/gtest.h>

using namespace wb;

namespace {

// A kind that records the steps it is asked to take. The step named `failing` throws as an
// engine's failure would; an "execute" that fails is one after which the engine abandoned
// the transaction.
class StepLog : public Database {
public:
    std::string steps;
    std::string failing;
    bool transactionLost = false; // rollBackToSavepoint finds the transaction gone

    std::string displayName() const override { return "fake"; }
    void execute(const Gbk&) override {
        record("execute");
        if (failing == "execute")
            failAbandoned("引擎放弃了事务");
    }
    QueryRows select(const Gbk&) override { return {}; }
    std::int64_t insertRow(std::string_view, const std::vector<std::string>&,
                           const std::vector<EngineValue>&) override {
        return 0;
    }
    void deleteRow(std::string_view, std::int64_t) override {}
    const TableColumns* columns(std::string_view) override { return nullptr; }
    void checkWritable() override {}

protected:
    void startTransaction() override { step("start"); }
    void startDepartmentTransaction(const Gbk& code) override {
        step("department " + std::string(code.view()));
    }
    void startUnitTransaction() override { step("unit transaction"); }
    void commitWork() override { step("commit"); }
    void rollBack() override { record("rollback"); }
    void startSavepoint() override { step("savepoint"); }
    void releaseSavepoint() override { step("release"); }
    bool rollBackToSavepoint() override {
        record("to savepoint");
        return !transactionLost;
    }

private:
    void record(const std::string& name) { steps += (steps.empty() ? "" : ",") + name; }
    void step(const std::string& name) {
        record(name);
        if (name == failing)
            throw DatabaseFailure(name + " failed");
    }
};

// The calls a case makes, in order.
using Call = void (*)(Database&);
// clang-format off
const Call Begin = [](Database& d) { d.beginTransaction(); };
const Call BeginDepartment = [](Database& d) { d.beginDepartmentTransaction(Gbk::ascii("01")); };
const Call Commit = [](Database& d) { d.commitTransaction(); };
const Call Rollback = [](Database& d) { d.rollbackTransaction(); };
const Call BeginUnit = [](Database& d) { d.beginUnit(); };
const Call CommitUnit = [](Database& d) { d.commitUnit(); };
const Call RollbackUnit = [](Database& d) { d.rollbackUnit(); };
const Call Execute = [](Database& d) { d.execute({}); };
// clang-format on

struct Case {
    const char* name;
    std::vector<Call> calls;
    const char* failing; // the step that fails
    const char* steps;   // the steps taken
    const char* thrown;  // what the last failing call threw
    bool inTransaction, inUnit;
    bool transactionLost = false;
};

// Runs the calls and gives what the last one to fail threw: its type and text.
std::string run(StepLog& database, const std::vector<Call>& calls) {
    std::string thrown;
    for (Call call : calls) {
        try {
            call(database);
        } catch (const DatabaseFailure& failure) {
            thrown = std::string("DatabaseFailure: ") + failure.what();
        } catch (const Error& error) {
            thrown = std::string("Error: ") + error.what();
        }
    }
    return thrown;
}

// clang-format off
const Case kCases[] = {
    // The order kept.
    {"AUnitOutsideATransactionIsItsOwn", {BeginUnit, CommitUnit}, "",
     "unit transaction,commit", "", false, false},
    {"UnitsInsideATransactionAreSavepoints",
     {Begin, BeginUnit, CommitUnit, BeginUnit, RollbackUnit, Commit}, "",
     "start,savepoint,release,savepoint,to savepoint,commit", "", false, false},
    {"ATransactionCommittedBeginsAgainBetweenUnits",
     {Begin, BeginUnit, CommitUnit, Commit, Begin, BeginUnit, CommitUnit}, "",
     "start,savepoint,release,commit,start,savepoint,release", "", true, false},
    {"ADepartmentTransactionIsAskedForByItsCode", {BeginDepartment, Commit}, "",
     "department 01,commit", "", false, false},
    {"ATransactionRolledBackTakesItsUnitWithIt", {Begin, BeginUnit, Rollback}, "",
     "start,savepoint,rollback", "", false, false},
    {"RollbacksOfNothingDoNothing", {RollbackUnit, Rollback}, "",
     "", "", false, false},
    // Calls out of order: refused, nothing asked of the kind.
    {"ASecondTransactionIsRefused", {Begin, Begin}, "",
     "start", "Error: 上一个写入事务还没有结束。", true, false},
    {"ATransactionInsideAUnitIsRefused", {BeginUnit, BeginDepartment}, "",
     "unit transaction", "Error: 上一个写入事务还没有结束。", false, true},
    {"ACommitOfNoTransactionIsRefused", {Commit}, "",
     "", "Error: 没有要提交的写入事务。", false, false},
    {"ACommitWithAUnitOpenIsRefused", {Begin, BeginUnit, Commit}, "",
     "start,savepoint", "Error: 写入单元还没有结束，不能提交事务。", true, true},
    {"ASecondUnitIsRefused", {BeginUnit, BeginUnit}, "",
     "unit transaction", "Error: 上一个写入单元还没有结束。", false, true},
    {"ACommitOfNoUnitIsRefused", {CommitUnit}, "",
     "", "Error: 没有要提交的写入单元。", false, false},
    // Failed steps: where the state stands after them.
    {"AFailedBeginLeavesNothingOpen", {Begin}, "start",
     "start", "DatabaseFailure: start failed", false, false},
    {"AFailedSavepointLeavesTheTransactionOpen", {Begin, BeginUnit}, "savepoint",
     "start,savepoint", "DatabaseFailure: savepoint failed", true, false},
    {"AFailedCommitRollsTheTransactionBack", {Begin, Commit}, "commit",
     "start,commit,rollback", "DatabaseFailure: commit failed", false, false},
    {"AFailedCommitOfAUnitRollsItBack", {BeginUnit, CommitUnit}, "commit",
     "unit transaction,commit,rollback", "DatabaseFailure: commit failed", false, false},
    {"AFailedReleaseRollsTheUnitBackAndKeepsTheTransaction", {Begin, BeginUnit, CommitUnit}, "release",
     "start,savepoint,release,to savepoint", "DatabaseFailure: release failed", true, false},
    {"ATransactionGoneWithTheUnitLeavesNothingOpen", {Begin, BeginUnit, RollbackUnit}, "",
     "start,savepoint,to savepoint,rollback", "", false, false, true},
    {"AnAbandonedTransactionEndsAndSaysNothingWasKept", {Begin, BeginUnit, Execute}, "execute",
     "start,savepoint,execute,rollback",
     "DatabaseFailure: 引擎放弃了事务；尚未提交的写入已全部撤销", false, false},
};
// clang-format on

class TransactionState : public ::testing::TestWithParam<Case> {};

TEST_P(TransactionState, KeepsTheOrderAndRecoversFromFailedSteps) {
    const Case& c = GetParam();
    StepLog database;
    database.failing = c.failing;
    database.transactionLost = c.transactionLost;
    EXPECT_EQ(run(database, c.calls), c.thrown);
    EXPECT_EQ(database.steps, c.steps);
    EXPECT_EQ(database.inTransaction(), c.inTransaction);
    EXPECT_EQ(database.inUnit(), c.inUnit);

    // Whatever happened, once what is open is rolled back the next transaction goes through.
    database.failing.clear();
    database.transactionLost = false;
    database.steps.clear();
    EXPECT_EQ(run(database, {RollbackUnit, Rollback, Begin, BeginUnit, CommitUnit, Commit}), "");
    EXPECT_EQ(database.steps.substr(database.steps.find("start")),
              "start,savepoint,release,commit");
}

INSTANTIATE_TEST_SUITE_P(, TransactionState, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
