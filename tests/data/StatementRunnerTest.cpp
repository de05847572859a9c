// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/StatementRunner.h"
#include "data/Connection.h"
#include "data/DatabaseFailure.h"
#include "data/JetSql.h"
#include "support/GbkBytes.h"
#include "text/Encoding.h"
#include "text/Error.h"

#include "TestDatabase.h"

#include <gtest/gtest.h>

using namespace wb;
using test::bytes;
using wb::test::TestDatabase;

namespace {

const char* const kDependentTables[] = {"ryrz", "rybdrz", "rykh",   "ryxl",
                                        "ryjl", "ryjc",   "rygzbhb"};

class StatementRunnerTest : public testing::Test {
protected:
    void run(const std::string& jetGbk) {
        runner.setText(bytes(jetGbk));
        runner.exec();
    }
    std::string count(const std::string& table, const std::string& where = "1") {
        return db.value("SELECT count(*) FROM " + table + " WHERE " + where);
    }

    TestDatabase db;
    Connection connection{db.path(), 100};
    StatementRunner runner{connection};
};

// The fifteen statements of an overwrite deletion, as the import builds them.
std::vector<std::string> deletionStatements(const std::string& code) {
    std::vector<std::string> statements;
    for (std::string table : kDependentTables) {
        const std::string name = table == "rygzbhb" ? table + "  " : table + " ";
        statements.push_back("update " + name + "a,ryjbxx b set a.mid=0 where a.mid=b.id and " +
                             "b.bm like '" + escapeSqlText(bytes(code)).bytes() + "%'");
        statements.push_back("delete from " + table + " where mid=0");
    }
    statements.push_back("delete from ryjbxx where bm like '" + escapeSqlText(bytes(code)).bytes() +
                         "%'");
    return statements;
}

TEST_F(StatementRunnerTest, DeletionRemovesTheDepartmentAndItsSubDepartmentsOnly) {
    db.exec("INSERT INTO ryjbxx (id, bm) VALUES (1,'01'), (2,'0101'), (3,'010203'), (4,'02'),"
            " (5,'1')");
    for (const char* table : kDependentTables) {
        // One row per person, one already marked 0, one whose person does not exist.
        db.exec(std::string("INSERT INTO ") + table +
                " (mid) VALUES (1), (2), (3), (4), (5), (0), (99)");
    }
    for (const std::string& statement : deletionStatements("01"))
        run(statement);

    EXPECT_EQ(db.rows("SELECT id FROM ryjbxx ORDER BY id"), (std::vector<std::string>{"4", "5"}));
    for (const char* table : kDependentTables)
        EXPECT_EQ(db.rows(std::string("SELECT mid FROM ") + table + " ORDER BY mid"),
                  (std::vector<std::string>{"4", "5", "99"}))
            << table;
}

TEST_F(StatementRunnerTest, AQuoteInADepartmentCodeStaysInsideTheValue) {
    db.exec("INSERT INTO ryjbxx (id, bm) VALUES (1,'0''1'), (2,'01')");
    run("delete from ryjbxx where bm like '" + escapeSqlText("0'1"_ascii).bytes() + "%'");
    EXPECT_EQ(db.rows("SELECT bm FROM ryjbxx"), (std::vector<std::string>{"01"}));
}

TEST_F(StatementRunnerTest, EducationDateIsStoredIsoAndMatchedByItsDateLiteral) {
    const std::string fullTime = gbk("全日制").bytes();
    run("insert into ryxl (mid,xxxs,xlrq,xldm) values (57,'" + fullTime + "','1990-07-1','21')");
    run("insert into ryxl (mid,xxxs,xlrq,xldm) values (57,'" + fullTime + "','1993-07-1','31')");
    run("insert into ryxl (mid,xxxs,xlrq,xldm) values (58,'" + fullTime + "','1990-07-1','21')");
    EXPECT_EQ(
        db.rows("SELECT mid, xxxs, xlrq, typeof(xlrq), xldm FROM ryxl ORDER BY id"),
        (std::vector<std::string>{"57|全日制|1990-07-01|text|21", "57|全日制|1993-07-01|text|31",
                                  "58|全日制|1990-07-01|text|21"}));

    run("update ryxl set dzysxl=3 where mid=57 and xlrq=#1990-07-1#");
    EXPECT_EQ(
        db.rows("SELECT mid, xlrq, dzysxl FROM ryxl ORDER BY id"),
        (std::vector<std::string>{"57|1990-07-01|3", "57|1993-07-01|NULL", "58|1990-07-01|NULL"}));
}

TEST_F(StatementRunnerTest, AppointmentAndAssessmentInsertsStoreTheirTypes) {
    run("insert into ryrz (mid,rzrq,gzzwdm,gwzwdm ) values (57,'2008-01-1','1001','0108')");
    run("insert into ryrz (mid,rzrq,gzzwdm,gwzwdm ) values (57,'2006-06-1','1001','')");
    run("insert into rykh (mid,khnd,khjg ) values (57,2007,1)");
    EXPECT_EQ(db.rows("SELECT mid, rzrq, gzzwdm, gwzwdm FROM ryrz ORDER BY id"),
              (std::vector<std::string>{"57|2008-01-01|1001|0108", "57|2006-06-01|1001|"}));
    EXPECT_EQ(db.value("SELECT typeof(mid), typeof(khnd), khnd, typeof(khjg), khjg FROM rykh"),
              "integer|integer|2007|integer|1");
}

TEST_F(StatementRunnerTest, OneShapeServesManyValues) {
    // The second and third runs reuse the first one's prepared statement.
    run("insert into ryrz (mid,rzrq,gzzwdm,gwzwdm ) values (1,'2008-01-1','A','a')");
    run("insert into ryrz (mid,rzrq,gzzwdm,gwzwdm ) values (2,'2009-02-1','B','b')");
    run("insert into ryrz (mid,rzrq,gzzwdm,gwzwdm ) values (3,'2010-03-1','C','c')");
    EXPECT_EQ(
        db.rows("SELECT mid, rzrq, gzzwdm, gwzwdm FROM ryrz ORDER BY id"),
        (std::vector<std::string>{"1|2008-01-01|A|a", "2|2009-02-01|B|b", "3|2010-03-01|C|c"}));
}

TEST_F(StatementRunnerTest, TextsAreStoredAsTheyAre) {
    const std::vector<std::pair<std::string, std::string>> texts = {
        {"O'Brien", "O'Brien"},
        {gbk("张'三").bytes(), "张'三"},
        {gbk("\xF0\xA0\x80\x80").bytes(), "\xF0\xA0\x80\x80"}, // outside GBK, still itself
        {"#1990-07-1#", "#1990-07-1#"},
        {"50%", "50%"},
    };
    for (const auto& [gbkText, utf8] : texts) {
        run("insert into ryrz (mid,gzzwdm) values (7,'" + escapeSqlText(bytes(gbkText)).bytes() +
            "')");
        EXPECT_EQ(db.value("SELECT gzzwdm FROM ryrz ORDER BY id DESC LIMIT 1"), utf8);
    }
}

TEST_F(StatementRunnerTest, RejectedStatementsThrowAndWriteNothing) {
    const std::vector<std::string> rejected = {
        "insert into ryrz (mid,rzrq,gzzwdm,gwzwdm ) values (57,'abc','1001','')", // no date
        "insert into ryrz (mid,rzrq,gzzwdm,gwzwdm ) values (57,'2008-13-1','1001','')",
        "insert into rykh (mid,khnd,khjg ) values (57,2007,A1)", // bare code no number
        "insert into ryxl (mid,nosuch) values (57,1)",
        "update ryxl set dzysxl=3 where mid=57 and xlrq=#1990-02-30#",
        "insert into ryrz (mid) values ('unfinished)",
    };
    for (const std::string& statement : rejected) {
        runner.setText(bytes(statement));
        EXPECT_THROW(runner.exec(), Error) << statement;
    }
    EXPECT_EQ(count("ryrz"), "0");
    EXPECT_EQ(count("rykh"), "0");
    EXPECT_EQ(count("ryxl"), "0");
}

TEST_F(StatementRunnerTest, TheErrorNamesTheStatementAndTheDateColumn) {
    runner.setText("insert into ryrz (mid,rzrq) values (1,'abc')"_ascii);
    try {
        runner.exec();
        FAIL() << "no error";
    } catch (const Error& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("insert into ryrz (mid,rzrq) values (1,'abc')"), std::string::npos)
            << message;
        EXPECT_NE(message.find("rzrq"), std::string::npos) << message;
    }
}

TEST_F(StatementRunnerTest, ARejectedStatementInsideAUnitUndoesOnlyItself) {
    run("insert into rykh (id,mid,khnd,khjg) values (100,1,2006,1)");
    connection.database().beginUnit();
    run("insert into rykh (mid,khnd,khjg) values (2,2007,1)");
    // Two rows, the second clashing on id: the engine undoes the first one too.
    runner.setText(
        "insert into rykh (id,mid,khnd,khjg) values (200,2,2008,1),(100,2,2008,1)"_ascii);
    EXPECT_THROW(runner.exec(), Error);
    run("insert into rykh (mid,khnd,khjg) values (2,2009,1)");
    EXPECT_EQ(count("rykh", "mid=2"), "0"); // not visible before the commit
    connection.database().commitUnit();
    EXPECT_EQ(db.rows("SELECT khnd FROM rykh WHERE mid=2 ORDER BY khnd"),
              (std::vector<std::string>{"2007", "2009"}));
}

TEST_F(StatementRunnerTest, ARolledBackUnitLeavesNothingAndAutocommitResumes) {
    connection.database().beginUnit();
    EXPECT_TRUE(connection.database().inUnit());
    run("insert into rykh (mid,khnd,khjg) values (1,2007,1)");
    connection.database().rollbackUnit();
    EXPECT_FALSE(connection.database().inUnit());
    EXPECT_EQ(count("rykh"), "0");
    run("insert into rykh (mid,khnd,khjg) values (1,2008,1)");
    EXPECT_EQ(count("rykh"), "1");        // visible at once: committed on its own
    connection.database().rollbackUnit(); // outside a unit: nothing
    EXPECT_THROW(connection.database().commitUnit(), Error);
    connection.database().beginUnit();
    EXPECT_THROW(connection.database().beginUnit(), Error);
}

TEST_F(StatementRunnerTest, UnitsCommitOnTheirOwnOrWithTheTransactionAroundThem) {
    connection.database().beginUnit();
    run("insert into rykh (mid,khnd,khjg) values (1,2007,1)");
    connection.database().commitUnit();
    EXPECT_EQ(count("rykh"), "1"); // a unit on its own is stored at its end

    connection.database().beginTransaction();
    run("delete from rykh where mid=1");
    connection.database().beginUnit();
    run("insert into rykh (mid,khnd,khjg) values (2,2007,1)");
    connection.database().commitUnit();
    connection.database().beginUnit();
    run("insert into rykh (mid,khnd,khjg) values (3,2007,1)");
    connection.database().rollbackUnit(); // only this unit goes
    connection.database().beginUnit();
    run("insert into rykh (mid,khnd,khjg) values (4,2007,1)");
    connection.database().commitUnit();
    EXPECT_EQ(db.rows("SELECT mid FROM rykh"), std::vector<std::string>{"1"}); // not yet
    EXPECT_THROW(connection.database().beginTransaction(), Error);
    connection.database().commitTransaction();
    EXPECT_FALSE(connection.database().inTransaction());
    EXPECT_EQ(db.rows("SELECT mid FROM rykh ORDER BY mid"), (std::vector<std::string>{"2", "4"}));
}

TEST_F(StatementRunnerTest, AnUncommittedTransactionLeavesNothing) {
    run("insert into rykh (mid,khnd,khjg) values (1,2007,1)");
    connection.database().beginTransaction();
    run("delete from rykh");
    connection.database().beginUnit();
    run("insert into rykh (mid,khnd,khjg) values (2,2007,1)");
    connection.database().commitUnit();
    connection.database().rollbackTransaction();
    EXPECT_EQ(db.rows("SELECT mid FROM rykh"), std::vector<std::string>{"1"});
    {
        Connection closing{db.path(), 100};
        StatementRunner closingRunner{closing};
        closing.database().beginTransaction();
        closingRunner.setText("delete from rykh"_ascii);
        closingRunner.exec();
    } // closed without a commit
    EXPECT_EQ(db.rows("SELECT mid FROM rykh"), std::vector<std::string>{"1"});
}

TEST_F(StatementRunnerTest, ALockedDatabaseIsReportedAsSuchAndLaterWritesGoThrough) {
    db.exec("BEGIN IMMEDIATE");
    runner.setText("insert into rykh (mid,khnd,khjg) values (1,2007,1)"_ascii);
    try {
        runner.exec();
        FAIL() << "no error";
    } catch (const DatabaseFailure& error) {
        EXPECT_NE(std::string(error.what()).find("已锁定"), std::string::npos) << error.what();
    }
    EXPECT_THROW(connection.database().beginUnit(), DatabaseFailure);
    EXPECT_FALSE(connection.database().inUnit());
    db.exec("COMMIT");
    runner.exec();
    EXPECT_EQ(count("rykh"), "1");
}

} // namespace
