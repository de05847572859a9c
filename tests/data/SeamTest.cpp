// SPDX-License-Identifier: GPL-3.0-or-later
// What an undo and a dry run ask of every kind of database through the seam alone: rows put
// back with their old keys inside a transaction (the numbering then goes on after them), rows
// taken out by key, units inside a transaction, statements held back and sent together, and a
// rollback of all of it.

#include "data/Database.h"
#include "data/DatabaseFailure.h"
#include "support/Backend.h"
#include "support/TempFolder.h"
#include "text/Encoding.h"
#include "text/Error.h"

#include <gtest/gtest.h>

using namespace wb;
using namespace wb::test;
using Strings = std::vector<std::string>;

namespace {

class Seam : public DatabaseFolder {
protected:
    void SetUp() override {
        DatabaseFolder::SetUp();
        if (IsSkipped())
            return;
        database_->create(false);
        db_ = openDatabase(database_->location(), 1000);
    }
    void TearDown() override {
        db_.reset();
        DatabaseFolder::TearDown();
    }
    std::int64_t person(const std::string& name, std::optional<std::int64_t> id = {}) {
        if (id)
            return db_->insertRow("ryjbxx", {"id", "xm"},
                                  {EngineValue::ofInteger(*id), EngineValue::ofText(name)});
        return db_->insertRow("ryjbxx", {"xm"}, {EngineValue::ofText(name)});
    }

    std::unique_ptr<Database> db_;
};

using SeamOnEachEngine = OnEachBackend<Seam>;
WB_ON_EACH_BACKEND(SeamOnEachEngine);

} // namespace

TEST_P(SeamOnEachEngine, RowsPutBackWithTheirKeysKeepTheNumberingAheadOfThem) {
    EXPECT_EQ(person("a"), 1);
    db_->beginTransaction();
    EXPECT_EQ(person("old", 40), 40);
    db_->beginUnit();
    EXPECT_EQ(person("unit"), 41);
    db_->commitUnit();
    db_->deleteRow("ryjbxx", 1);
    db_->commitTransaction();
    EXPECT_EQ(person("next"), 42);
    EXPECT_EQ(database_->rows("select id, xm from ryjbxx order by id"),
              (Strings{"40|old", "41|unit", "42|next"}));
    EXPECT_THROW(person("taken", 40), Error);
    EXPECT_EQ(person("after"), 43);
}

TEST_P(SeamOnEachEngine, ARollbackTakesBackUnitsAndRefusedStatementsUndoOnlyThemselves) {
    db_->beginTransaction();
    db_->beginUnit();
    person("kept in unit");
    EXPECT_THROW(db_->execute(gbk("insert into ryrz (mid, nosuchcolumn) values (1, 2)")), Error);
    person("also kept");
    db_->rollbackUnit();
    db_->beginUnit();
    person("second unit");
    db_->commitUnit();
    EXPECT_EQ(db_->select(gbk("select xm from ryjbxx")).rows.size(), 1u);
    db_->rollbackTransaction();
    EXPECT_FALSE(db_->inTransaction());
    EXPECT_EQ(database_->one("select count(*) from ryjbxx"), "0");
    // An appended unit outside a transaction is committed whole, a refused statement aside.
    db_->beginUnit();
    person("appended");
    EXPECT_THROW(db_->execute(gbk("update nosuchtable set x=1")), Error);
    db_->execute(gbk("insert into rykh (mid, khnd, khjg) values (1, 2006, 1)"));
    db_->commitUnit();
    EXPECT_EQ(database_->one("select count(*) from ryjbxx"), "1");
    EXPECT_EQ(database_->one("select khnd from rykh"), "2006");
}

TEST_P(SeamOnEachEngine, DeferredStatementsRunInOrderAndARollbackDropsWhatIsHeld) {
    Strings refusals;
    const auto noted = [&refusals](int i) {
        return [&refusals, i](const std::string&) {
            refusals.push_back(std::to_string(i));
        };
    };
    const auto assessment = [](int year) {
        return gbk("insert into rykh (mid, khnd) values (1, " + std::to_string(year) + ")");
    };
    db_->beginUnit();
    person("p");
    // More than one round trip's worth, with refusals in each.
    for (int i = 0; i < 300; ++i)
        db_->executeDeferred(i % 100 == 7 ? gbk("insert into rykh (mid, nosuch) values (1, 1)")
                                          : assessment(i),
                             noted(i));
    // A query sees what was given before it.
    EXPECT_EQ(db_->select(gbk("select count(*) from rykh")).rows.at(0).at(0).toInt(), 297);
    db_->executeDeferred(gbk("update nosuchtable set x=1"), noted(300));
    db_->commitUnit();
    EXPECT_EQ(refusals, (Strings{"7", "107", "207", "300"}));
    EXPECT_EQ(database_->one("select count(*) from rykh"), "297");

    db_->beginTransaction();
    db_->executeDeferred(assessment(9999), noted(9999));
    db_->rollbackTransaction();
    db_->beginUnit();
    person("q");
    db_->commitUnit();
    EXPECT_EQ(database_->one("select count(*) from rykh where khnd = 9999"), "0");
}

TEST_P(SeamOnEachEngine, AUnitWhoseCommitIsRefusedKeepsNothingAndSaysSo) {
    if (database_->kind() == Backend::Sqlite)
        GTEST_SKIP() << "the embedded file checks every constraint at its own statement";
    // Checked only at the commit, which travels with the unit's last held statements.
    database_->exec("alter table rykh add constraint one_a_year unique (khnd) deferrable "
                    "initially deferred");
    Strings refusals;
    db_->beginUnit();
    person("p");
    for (int i = 0; i < 2; ++i)
        db_->executeDeferred(gbk("insert into rykh (mid, khnd) values (1, 2009)"),
                             [&](const std::string& reason) { refusals.push_back(reason); });
    try {
        db_->commitUnit();
        ADD_FAILURE() << "the commit was not refused";
    } catch (const DatabaseFailure& failure) {
        EXPECT_NE(std::string(failure.what()).find("尚未提交的写入已全部撤销"), std::string::npos)
            << failure.what();
    }
    EXPECT_TRUE(refusals.empty());
    EXPECT_FALSE(db_->inUnit());
    EXPECT_EQ(database_->one("select count(*) from ryjbxx"), "0");
    EXPECT_EQ(database_->one("select count(*) from rykh"), "0");
    // The next unit starts afresh.
    db_->beginUnit();
    person("q");
    db_->commitUnit();
    EXPECT_EQ(database_->rows("select xm from ryjbxx"), Strings{"q"});
}
