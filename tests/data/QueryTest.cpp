// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/Query.h"
#include "data/Connection.h"
#include "data/PersonTable.h"
#include "support/GbkBytes.h"
#include "text/Encoding.h"
#include "text/Error.h"

#include "TestDatabase.h"

#include <gtest/gtest.h>

using namespace wb;
using test::bytes;
using wb::test::TestDatabase;

namespace {

class QueryTest : public testing::Test {
protected:
    QueryTest() : db(true, true) {}

    // The values of one column over all rows.
    std::vector<std::string> column(const char* name) {
        std::vector<std::string> values;
        for (; !query.eof(); query.next())
            values.push_back(query.fieldText(name).bytes());
        return values;
    }

    TestDatabase db;
    Connection connection{db.path(), 100};
    Query query{connection};
};

TEST_F(QueryTest, DepartmentsAreCountedAndReadShortCodesFirst) {
    db.exec(
        "INSERT INTO dm_jg (id, upid, px, jgdm, jgmc, jgjb) VALUES (6, 4, 2, '03', NULL, NULL)");
    query.setText("select count(*) as cnt from dm_jg "_ascii);
    query.open();
    EXPECT_EQ(query.fieldInteger("cnt"), 6);

    query.close();
    query.setText("select * from dm_jg order by len(jgdm),jgdm"_ascii);
    query.open();
    EXPECT_EQ(query.fieldInteger("id"), 1);
    EXPECT_EQ(query.fieldText("jgmc"), gbk("行政部门"));
    EXPECT_EQ(column("jgdm"), (std::vector<std::string>{"01", "02", "03", "0101", "0102", "0201"}));
}

TEST_F(QueryTest, AMissingValueReadsAsZeroOrEmptyText) {
    db.exec("INSERT INTO dm_jg (id, jgdm) VALUES (9, '09')");
    query.setText("select * from dm_jg where jgdm='09'"_ascii);
    query.open();
    EXPECT_EQ(query.fieldInteger("upid"), 0);
    EXPECT_EQ(query.fieldText("jgmc"), "");
    EXPECT_EQ(query.fieldText("px"), "");
}

TEST_F(QueryTest, FieldsConvertOrFail) {
    db.exec("INSERT INTO ryjbxx (id, xm, bh, sfzh, jxqyf) VALUES (1, 'abc', ' 12 ', '12.5', 12)");
    db.exec("INSERT INTO rykh (mid, khjg) VALUES (1, 2.5)");
    query.setText("select * from ryjbxx"_ascii);
    query.open();
    EXPECT_EQ(query.fieldInteger("bh"), 12);
    EXPECT_EQ(query.fieldInteger("JXQYF"), 12);
    EXPECT_EQ(query.fieldText("jxqyf"), "12");
    EXPECT_THROW(query.fieldInteger("xm"), Error);
    EXPECT_THROW(query.fieldInteger("sfzh"), Error);
    EXPECT_THROW(query.fieldText("nosuch"), Error);
    query.next();
    EXPECT_TRUE(query.eof());
    EXPECT_THROW(query.fieldText("xm"), Error); // no current row

    query.close();
    query.setText("select khjg from rykh"_ascii);
    query.open();
    EXPECT_EQ(query.fieldText("khjg"), "2.5");
    EXPECT_THROW(query.fieldInteger("khjg"), Error);
}

TEST_F(QueryTest, StaffOfADepartmentIncludeItsSubDepartmentsOnly) {
    db.exec("INSERT INTO ryjbxx (bm, xm) VALUES ('01','a'), ('0101','b'), ('010203','c'),"
            " ('02','d'), ('1','e')");
    query.setText("select * from ryjbxx where bm like '01%'"_ascii);
    query.open();
    EXPECT_EQ(query.rowCount(), 3);
    EXPECT_EQ(column("xm"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(query.rowCount(), 3); // still the open query's count after reading

    query.close();
    query.setText("select * from ryjbxx where bm like '03%'"_ascii);
    query.open();
    EXPECT_TRUE(query.eof());
    EXPECT_EQ(query.rowCount(), 0);
}

TEST_F(QueryTest, AnOpenQueryLetsTheSameConnectionWriteAndShowsTheRowsWhenReopened) {
    db.exec("INSERT INTO ryjbxx (bm, xm) VALUES ('01','a'), ('01','b')");
    query.setText("select * from ryjbxx where bm like '01%'"_ascii);
    query.open(); // stands on its first row, as the grid's query does during an import
    PersonTable table(connection, "ryjbxx");
    table.open();
    for (const char* name : {"c", "d"}) {
        connection.database().beginUnit();
        table.append();
        table.setText("bm", "01"_ascii);
        table.setText("xm", Gbk::ascii(name));
        table.post();
        connection.database().commitUnit();
    }
    query.close();
    query.open();
    EXPECT_EQ(query.rowCount(), 4);
    EXPECT_EQ(db.value("SELECT count(*) FROM ryjbxx"), "4");
}

TEST_F(QueryTest, AnOpenQueryDoesNotBlockWritesAfterAnotherProgramCommitted) {
    db.exec("INSERT INTO ryjbxx (bm, xm) VALUES ('01','a'), ('01','b')");
    query.setText("select * from ryjbxx where bm like '01%'"_ascii);
    query.open();
    db.exec("INSERT INTO ryjbxx (bm, xm) VALUES ('01','other program')");
    PersonTable table(connection, "ryjbxx");
    table.open();
    connection.database().beginUnit();
    table.append();
    table.setText("xm", "after"_ascii);
    table.post();
    connection.database().commitUnit();
    EXPECT_EQ(db.value("SELECT count(*) FROM ryjbxx"), "4");
    EXPECT_EQ(query.rowCount(), 2); // the rows as they were when it opened
}

TEST_F(QueryTest, TextComesBackAsGbk) {
    db.exec("INSERT INTO ryjbxx (xm) VALUES ('张''三')");
    query.setText("select xm from ryjbxx where xm='"_ascii + gbk("张''三") + '\'');
    query.open();
    ASSERT_FALSE(query.eof());
    EXPECT_EQ(query.fieldText("xm"), gbk("张'三"));
}

TEST_F(QueryTest, StateFollowsOpenAndClose) {
    EXPECT_FALSE(query.isOpen());
    EXPECT_TRUE(query.eof());
    EXPECT_THROW(query.rowCount(), Error);
    query.setText("select * from dm_jg"_ascii);
    query.open();
    EXPECT_TRUE(query.isOpen());
    EXPECT_FALSE(query.eof());
    query.setText("select * from nosuch"_ascii); // takes effect at the next open
    EXPECT_EQ(query.rowCount(), 5);
    query.close();
    EXPECT_FALSE(query.isOpen());
    EXPECT_THROW(query.open(), Error);
    EXPECT_FALSE(query.isOpen());
}

} // namespace
