// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/PersonTable.h"
#include "data/Connection.h"
#include "data/DatabaseFailure.h"
#include "support/GbkBytes.h"
#include "text/Encoding.h"
#include "text/Error.h"

#include "TestDatabase.h"

#include <gtest/gtest.h>

#include <functional>

using namespace wb;
using test::bytes;
using wb::test::TestDatabase;

namespace {

class PersonTableTest : public testing::Test {
protected:
    void SetUp() override { table.open(); }

    std::string stored(std::int32_t id, const std::string& column) {
        return db.value("SELECT typeof(" + column + "), " + column +
                        " FROM ryjbxx WHERE id=" + std::to_string(id));
    }
    std::string personCount() { return db.value("SELECT count(*) FROM ryjbxx"); }

    TestDatabase db;
    Connection connection{db.path(), 100};
    PersonTable table{connection, "ryjbxx"};
};

struct ConversionCase {
    const char* name;
    const char* column;
    std::function<void(PersonTable&, const char*)> set;
    const char* stored; // "type|value" as SQLite keeps it; nullptr: the set fails
};

std::function<void(PersonTable&, const char*)> text(Gbk value) {
    return [value](PersonTable& t, const char* column) {
        t.setText(column, value);
    };
}
std::function<void(PersonTable&, const char*)> text(const char* ascii) {
    return text(Gbk::ascii(ascii));
}
std::function<void(PersonTable&, const char*)> integer(std::int32_t value) {
    return [value](PersonTable& t, const char* column) {
        t.setInteger(column, value);
    };
}
std::function<void(PersonTable&, const char*)> cell(CellValue value) {
    return [value](PersonTable& t, const char* column) {
        t.setCell(column, value);
    };
}

TEST_F(PersonTableTest, ValuesAreConvertedToTheirColumnsType) {
    const std::vector<ConversionCase> cases = {
        {"text into TEXT", "xm", text(gbk("张三")), "text|张三"},
        {"whole-number text into INTEGER", "jxqyf", text("12"), "integer|12"},
        {"whole-number text with blanks into INTEGER", "jxqyf", text(" -6 "), "integer|-6"},
        {"word into INTEGER", "jxqyf", text("abc"), nullptr},
        {"decimal text into INTEGER", "jxqyf", text("12.5"), nullptr},
        {"empty text into INTEGER", "jxqyf", text(""), nullptr},
        {"date text into DATE", "csny", text("1990-7-1"), "text|1990-07-01"},
        {"Chinese date text into DATE", "csny", text(gbk("1990年7月")), "text|1990-07-01"},
        {"word into DATE", "csny", text("abc"), nullptr},
        {"integer into INTEGER", "jxqyf", integer(12), "integer|12"},
        {"integer into TEXT", "bh", integer(7), "text|7"},
        {"whole number into TEXT", "bh", cell(CellValue::ofNumber(12)), "text|12"},
        {"fraction into TEXT", "bh", cell(CellValue::ofNumber(12.5)), "text|12.5"},
        {"long number into TEXT", "sfzh", cell(CellValue::ofNumber(110101199001011234.0)),
         "text|1.10101199001011E17"},
        {"text cell into TEXT", "bh", cell(CellValue::ofText("A1"_ascii)), "text|A1"},
        {"empty cell into TEXT", "grsf", cell(CellValue{}), "null|NULL"},
        {"empty cell into DATE", "gzsj", cell(CellValue{}), "null|NULL"},
        {"date cell into DATE", "csny", cell(CellValue::ofDate(33055)), "text|1990-07-01"},
        {"date with time into DATE", "csny", cell(CellValue::ofDate(33055.5)),
         "text|1990-07-01 12:00:00"},
        {"number into DATE", "csny", cell(CellValue::ofNumber(2)), "text|1900-01-01"},
        {"date cell into TEXT", "bh", cell(CellValue::ofDate(33055)), "text|1990-7-1"},
        {"whole number into INTEGER", "kjgl", cell(CellValue::ofNumber(6)), "integer|6"},
        {"fraction into INTEGER", "kjgl", cell(CellValue::ofNumber(6.5)), nullptr},
        {"word cell into INTEGER", "kjgl", cell(CellValue::ofText("x"_ascii)), nullptr},
        {"error cell into TEXT", "bh", cell(CellValue::ofError(0x2A)), nullptr},
        {"boolean into DATE", "csny", cell(CellValue::ofBoolean(true)), nullptr},
        {"column in capitals", "XM", text("a"), "text|a"},
        {"unknown column", "nosuch", text("a"), nullptr},
    };
    for (const ConversionCase& c : cases) {
        table.append();
        table.setText("bm", "01"_ascii); // so that a record whose set failed still has a field
        const std::string column = c.column;
        const std::string lower = column == "XM" ? "xm" : column;
        if (!c.stored) {
            EXPECT_THROW(c.set(table, c.column), Error) << c.name;
            table.post();
            if (lower != "nosuch") {
                EXPECT_EQ(stored(table.id(), lower), "null|NULL") << c.name;
            }
            continue;
        }
        c.set(table, c.column);
        table.post();
        EXPECT_EQ(stored(table.id(), lower), c.stored) << c.name;
    }
}

TEST_F(PersonTableTest, AFailedSetKeepsTheFieldsEarlierValue) {
    table.append();
    table.setText("jxqyf", "12"_ascii);
    EXPECT_THROW(table.setText("jxqyf", "abc"_ascii), Error);
    table.post();
    EXPECT_EQ(stored(table.id(), "jxqyf"), "integer|12");
}

TEST_F(PersonTableTest, PostInsertsOnlyTheSetFieldsAndGivesEachRecordItsOwnId) {
    table.append();
    table.setText("xm", "a"_ascii);
    table.post();
    const std::int32_t first = table.id();
    table.append();
    table.setText("xm", "b"_ascii);
    table.setInteger("jxqyf", 12);
    table.post();
    const std::int32_t second = table.id();

    EXPECT_GT(first, 0);
    EXPECT_NE(first, second);
    EXPECT_EQ(db.value("SELECT xm, jxqyf FROM ryjbxx WHERE id=" + std::to_string(first)), "a|NULL");
    EXPECT_EQ(db.value("SELECT xm, jxqyf FROM ryjbxx WHERE id=" + std::to_string(second)), "b|12");
}

TEST_F(PersonTableTest, AnIdIsNeverReused) {
    table.append();
    table.setText("xm", "a"_ascii);
    table.post();
    const std::int32_t first = table.id();
    db.exec("DELETE FROM ryjbxx");
    table.append();
    table.setText("xm", "b"_ascii);
    table.post();
    EXPECT_GT(table.id(), first);
}

TEST_F(PersonTableTest, AppendPostsAPendingRecordThatHasFields) {
    table.append();
    table.setText("xm", "a"_ascii);
    table.append(); // the record above was never posted
    EXPECT_EQ(db.rows("SELECT xm FROM ryjbxx"), (std::vector<std::string>{"a"}));
    table.setText("xm", "b"_ascii); // the new record is empty
    table.post();
    EXPECT_EQ(db.value("SELECT xm, bm FROM ryjbxx WHERE id=" + std::to_string(table.id())),
              "b|NULL");
}

TEST_F(PersonTableTest, AppendDropsAPendingRecordWithoutFields) {
    table.append();
    table.append();
    EXPECT_EQ(personCount(), "0");
}

TEST_F(PersonTableTest, AFailedPostStaysPendingAndTheNextAppendPostsIt) {
    table.append();
    table.setText("xm", "a"_ascii);
    db.exec("BEGIN IMMEDIATE"); // another program holds the write lock
    EXPECT_THROW(table.post(), DatabaseFailure);
    EXPECT_THROW(table.append(), DatabaseFailure); // settling fails too: still locked
    db.exec("COMMIT");
    EXPECT_EQ(personCount(), "0");
    table.append();
    EXPECT_EQ(db.rows("SELECT xm FROM ryjbxx"), (std::vector<std::string>{"a"}));
}

TEST_F(PersonTableTest, CancelAndCloseDiscardThePendingRecord) {
    table.append();
    table.setText("xm", "a"_ascii);
    table.cancel();
    EXPECT_THROW(table.setText("xm", "b"_ascii), Error); // no record to set
    table.append();
    table.setText("xm", "c"_ascii);
    table.close();
    EXPECT_FALSE(table.isOpen());
    EXPECT_THROW(table.append(), Error);
    table.open();
    table.append();
    EXPECT_EQ(personCount(), "0");
}

TEST_F(PersonTableTest, AMissingTableFailsToOpen) {
    PersonTable missing(connection, "nosuch");
    EXPECT_THROW(missing.open(), Error);
    EXPECT_FALSE(missing.isOpen());
}

} // namespace
