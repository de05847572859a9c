// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own tables in a migrated database: the types and indexes wagebook-initdb
// gives them, a person's id kept (so that mid still finds its person), dates as ISO text,
// the Access columns they lack added.

#include "migrate/TargetDatabase.h"
#include "migrate/SqliteRows.h"
#include "support/TempFolder.h"
#include "text/Error.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace wb::migrate;
using Strings = std::vector<std::string>;
using wb::test::sqliteRows;

namespace {

AccessValue integer(std::int64_t value) {
    return {AccessValue::Kind::Integer, value, 0, {}};
}
AccessValue real(double value) {
    return {AccessValue::Kind::Real, 0, value, {}};
}
AccessValue date(double day) {
    return {AccessValue::Kind::Date, 0, day, {}};
}
AccessValue text(std::string utf8) {
    return {AccessValue::Kind::Text, 0, 0, std::move(utf8)};
}

class Target : public ::testing::Test {
protected:
    std::string path() const { return (folder_ / "wagebook.mdb").string(); }
    Strings rows(const std::string& sql) { return sqliteRows(path(), sql); }
    wb::test::TempFolder folder_;
};

TEST_F(Target, ProgramTablesKeepTheirTypesAndTheirIds) {
    {
        TargetDatabase target(path());
        // Access spells the names its own way; the program's spelling is kept.
        EXPECT_EQ(target.beginTable("RYJBXX", {{"ID", AccessType::Integer},
                                               {"Xm", AccessType::Text},
                                               {"bh", AccessType::Real},
                                               {"csny", AccessType::Date},
                                               {"gzsj", AccessType::Date},
                                               {"jxqyf", AccessType::Real},
                                               {"beizhu", AccessType::Text}}),
                  "ryjbxx");
        target.insert({integer(7), text("张三"), real(3), date(29342), date(32874.5), real(12),
                       text("调入")});
        target.insert({integer(12), text("李四"), real(4.5), {}, date(-1), real(12.5), {}});
        EXPECT_EQ(target.beginTable("ryxl", {{"id", AccessType::Integer},
                                             {"mid", AccessType::Integer},
                                             {"xlrq", AccessType::Date}}),
                  "ryxl");
        target.insert({integer(1), integer(12), date(33055)});
        EXPECT_EQ(target.count("ryjbxx"), 2u);
        target.finish();
    }
    EXPECT_EQ(rows("SELECT id, xm, bh, typeof(bh), csny, gzsj, jxqyf, typeof(jxqyf), beizhu"
                   " FROM ryjbxx ORDER BY id"),
              (Strings{"7|张三|3|text|1980-05-01|1990-01-01 12:00:00|12|integer|调入",
                       "12|李四|4.5|text|NULL|1899-12-29|12.5|real|NULL"}));
    EXPECT_EQ(rows("SELECT b.xm, a.xlrq FROM ryxl a JOIN ryjbxx b ON a.mid = b.id"),
              Strings{"李四|1990-07-01"});
    // The program's indexes, and the added column after the program's own.
    EXPECT_EQ(rows("SELECT name FROM sqlite_master WHERE type = 'index'"
                   " AND tbl_name NOT LIKE 'wb%' ORDER BY name"),
              (Strings{"rybdrz_mid", "rygzbhb_mid", "ryjbxx_bm", "ryjc_mid", "ryjl_mid", "rykh_mid",
                       "ryrz_mid", "ryxl_mid"}));
    EXPECT_EQ(
        rows("SELECT name, type FROM pragma_table_info('ryjbxx') WHERE cid IN (0, 7, 16, 17)"),
        (Strings{"id|INTEGER", "csny|DATE", "dzysxl|INTEGER", "beizhu|TEXT"}));
    // A new person continues after the highest id kept: no id is given out twice.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(db, "INSERT INTO ryjbxx (xm) VALUES ('王五')", nullptr, nullptr, nullptr),
        SQLITE_OK);
    EXPECT_EQ(sqlite3_last_insert_rowid(db), 13);
    sqlite3_close(db);
}

TEST_F(Target, OtherTablesKeepTheirNamesAndColumnsInOrder) {
    {
        TargetDatabase target(path());
        EXPECT_EQ(target.beginTable("Order \"Details\"", {{"Qty", AccessType::Integer},
                                                          {"When", AccessType::Date},
                                                          {"Data", AccessType::Binary}}),
                  "Order \"Details\"");
        target.insert(
            {integer(5), date(1.5), {AccessValue::Kind::Binary, 0, 0, std::string("\0\1", 2)}});
        target.finish();
    }
    EXPECT_EQ(rows("SELECT * FROM \"Order \"\"Details\"\"\""),
              Strings{"5|1899-12-31 12:00:00|blob:2"});
    EXPECT_EQ(rows("SELECT group_concat(name || ' ' || type, ', ') FROM"
                   " pragma_table_info('Order \"Details\"')"),
              Strings{"Qty INTEGER, When DATETIME, Data BLOB"});
}

TEST_F(Target, LeavesNothingWhenNotFinished) {
    {
        TargetDatabase target(path());
        target.beginTable("ryjbxx", {{"xm", AccessType::Text}});
        target.insert({text("张三")});
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder_.path()));
}

} // namespace
