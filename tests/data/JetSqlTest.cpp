// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/JetSql.h"
#include "support/GbkBytes.h"
#include "text/Encoding.h"
#include "text/Error.h"

#include <gtest/gtest.h>

#include <map>

using namespace wb;

namespace {

using Kind = JetLiteral::Kind;
using test::bytes;

JetLiteral lit(Kind kind, std::string_view value) {
    return {kind, Gbk::fromBytes(value)};
}

// The columns of the tables the statements name, typed as initdb creates them.
const TableColumns* testColumns(std::string_view table) {
    static const std::map<std::string, TableColumns, std::less<>> tables = {
        {"ryxl",
         {{{"id", ColumnType::Integer},
           {"mid", ColumnType::Integer},
           {"xxxs", ColumnType::Text},
           {"xlrq", ColumnType::Date},
           {"xldm", ColumnType::Text},
           {"dzysxl", ColumnType::Integer}}}},
        {"ryrz",
         {{{"id", ColumnType::Integer},
           {"mid", ColumnType::Integer},
           {"rzrq", ColumnType::Date},
           {"gzzwdm", ColumnType::Text},
           {"gwzwdm", ColumnType::Text}}}},
    };
    const auto found = tables.find(table);
    return found == tables.end() ? nullptr : &found->second;
}

struct SplitCase {
    const char* name;
    std::string jet;
    std::string shape;
    std::vector<JetLiteral> literals;
};

TEST(SplitJetLiterals, CutsEveryLiteralOutAndLeavesNamesWhole) {
    const std::string chinese = gbk("全日制").bytes();
    const std::string fourByte = gbk("\xF0\xA0\x80\x80").bytes(); // U+20000, digits among its bytes
    const std::vector<SplitCase> cases = {
        {"comma-joined update",
         "update ryrz a,ryjbxx b set a.mid=0 where a.mid=b.id and b.bm like '01%'",
         "update ryrz a,ryjbxx b set a.mid=? where a.mid=b.id and b.bm like ?",
         {lit(Kind::Number, "0"), lit(Kind::Text, "01%")}},
        {"GBK text",
         "values (57,'" + chinese + "','1990-07-1')",
         "values (?,?,?)",
         {lit(Kind::Number, "57"), lit(Kind::Text, chinese), lit(Kind::Text, "1990-07-1")}},
        {"doubled quotes and empty text",
         "values ('O''Brien','','''')",
         "values (?,?,?)",
         {lit(Kind::Text, "O'Brien"), lit(Kind::Text, ""), lit(Kind::Text, "'")}},
        {"double-quoted text", "where a=\"x\"\"y\"", "where a=?", {lit(Kind::Text, "x\"y")}},
        {"date literal", "where xlrq=#1990-07-1#", "where xlrq=?", {lit(Kind::Date, "1990-07-1")}},
        {"digits inside names",
         "select t1.c2 from dm_jg9 where x3=4.5e2 and y=.5",
         "select t1.c2 from dm_jg9 where x3=? and y=?",
         {lit(Kind::Number, "4.5e2"), lit(Kind::Number, ".5")}},
        {"sign stays outside", "set dzysxl=-3", "set dzysxl=-?", {lit(Kind::Number, "3")}},
        {"bracketed name", "select [a 1] from t", "select [a 1] from t", {}},
        {"bracketed GBK name with a ] byte",
         "select [\xB0\x5D] from t",
         "select [\xB0\x5D] from t",
         {}},
        {"four-byte character in a name",
         "select " + fourByte + "1 from t",
         "select " + fourByte + "1 from t",
         {}},
    };
    for (const SplitCase& c : cases) {
        const JetStatement split = splitJetLiterals(bytes(c.jet));
        EXPECT_EQ(split.shape, c.shape) << c.name;
        EXPECT_EQ(split.literals, c.literals) << c.name;
    }
}

TEST(SplitJetLiterals, RejectsUnfinishedLiteralsAndParameterMarks) {
    for (const char* jet :
         {"values ('abc)", "where a='it''s", "where d=#1990-07-1", "where a=?", "select [a from t"})
        EXPECT_THROW(splitJetLiterals(bytes(jet)), Error) << jet;
}

struct TranslationCase {
    const char* name;
    std::string jet;
    std::string sql;       // bound form
    std::string inlineSql; // values written in
};

TEST(TranslateJet, EveryStatementFormGivesItsEngineText) {
    const std::string fullTime = gbk("全日制").bytes();
    const std::vector<TranslationCase> cases = {
        {"comma-joined update",
         "update ryrz a,ryjbxx b set a.mid=0 where a.mid=b.id and b.bm like '0102%'",
         "UPDATE ryrz AS a SET mid=? FROM ryjbxx AS b WHERE a.mid=b.id AND b.bm LIKE ? ESCAPE '\\'",
         "UPDATE ryrz AS a SET mid=0 FROM ryjbxx AS b WHERE a.mid=b.id AND b.bm LIKE '0102%' "
         "ESCAPE '\\'"},
        {"comma-joined update, two blanks",
         "update rygzbhb  a,ryjbxx b set a.mid=0 where a.mid=b.id and b.bm like '01%'",
         "UPDATE rygzbhb AS a SET mid=? FROM ryjbxx AS b WHERE a.mid=b.id AND b.bm LIKE ? ESCAPE "
         "'\\'",
         "UPDATE rygzbhb AS a SET mid=0 FROM ryjbxx AS b WHERE a.mid=b.id AND b.bm LIKE '01%' "
         "ESCAPE '\\'"},
        {"comma-joined update without aliases",
         "update ryrz,ryjbxx set ryrz.mid=0 where ryrz.mid=ryjbxx.id",
         "UPDATE ryrz SET mid=? FROM ryjbxx WHERE ryrz.mid=ryjbxx.id",
         "UPDATE ryrz SET mid=0 FROM ryjbxx WHERE ryrz.mid=ryjbxx.id"},
        {"three tables, two SET items",
         "update ryrz as a, ryjbxx b, dm_jg c set a.mid=0, gzzwdm='' where a.mid=b.id",
         "UPDATE ryrz AS a SET mid=?, gzzwdm=? FROM ryjbxx AS b, dm_jg AS c WHERE a.mid=b.id",
         "UPDATE ryrz AS a SET mid=0, gzzwdm='' FROM ryjbxx AS b, dm_jg AS c WHERE a.mid=b.id"},
        {"delete marked", "delete from ryrz where mid=0", "DELETE FROM ryrz WHERE mid=?",
         "DELETE FROM ryrz WHERE mid=0"},
        {"delete department", "delete from ryjbxx where bm like '01%'",
         "DELETE FROM ryjbxx WHERE bm LIKE ? ESCAPE '\\'",
         "DELETE FROM ryjbxx WHERE bm LIKE '01%' ESCAPE '\\'"},
        {"education insert",
         "insert into ryxl (mid,xxxs,xlrq,xldm) values (57,'" + fullTime + "','1990-07-1','21')",
         "INSERT INTO ryxl (mid,xxxs,xlrq,xldm) VALUES (?,?,?,?)",
         "INSERT INTO ryxl (mid,xxxs,xlrq,xldm) VALUES (57,'全日制','1990-07-01','21')"},
        {"education update", "update ryxl set dzysxl=3 where mid=57 and xlrq=#1990-07-1#",
         "UPDATE ryxl SET dzysxl=? WHERE mid=? AND xlrq=?",
         "UPDATE ryxl SET dzysxl=3 WHERE mid=57 AND xlrq='1990-07-01'"},
        {"education update, negative years",
         "update ryxl set dzysxl=-1 where mid=57 and xlrq=#1990-07-1#",
         "UPDATE ryxl SET dzysxl=-? WHERE mid=? AND xlrq=?",
         "UPDATE ryxl SET dzysxl=-1 WHERE mid=57 AND xlrq='1990-07-01'"},
        {"appointment insert",
         "insert into ryrz (mid,rzrq,gzzwdm,gwzwdm ) values (57,'2008-01-1','1001','0108')",
         "INSERT INTO ryrz (mid,rzrq,gzzwdm,gwzwdm) VALUES (?,?,?,?)",
         "INSERT INTO ryrz (mid,rzrq,gzzwdm,gwzwdm) VALUES (57,'2008-01-01','1001','0108')"},
        {"appointment insert, escaped quote",
         "insert into ryrz (mid,rzrq,gzzwdm,gwzwdm ) values (1,'2008-01-1','O''1','')",
         "INSERT INTO ryrz (mid,rzrq,gzzwdm,gwzwdm) VALUES (?,?,?,?)",
         "INSERT INTO ryrz (mid,rzrq,gzzwdm,gwzwdm) VALUES (1,'2008-01-01','O''1','')"},
        {"assessment insert", "insert into rykh (mid,khnd,khjg ) values (57,2007,1)",
         "INSERT INTO rykh (mid,khnd,khjg) VALUES (?,?,?)",
         "INSERT INTO rykh (mid,khnd,khjg) VALUES (57,2007,1)"},
        {"department count", "select count(*) as cnt from dm_jg ",
         "SELECT count(*) AS cnt FROM dm_jg", "SELECT count(*) AS cnt FROM dm_jg"},
        {"departments by code length", "select * from dm_jg order by len(jgdm),jgdm",
         "SELECT * FROM dm_jg ORDER BY length(jgdm),jgdm",
         "SELECT * FROM dm_jg ORDER BY length(jgdm),jgdm"},
        {"staff of a department", "select * from ryjbxx where bm like '0102%'",
         "SELECT * FROM ryjbxx WHERE bm LIKE ? ESCAPE '\\'",
         "SELECT * FROM ryjbxx WHERE bm LIKE '0102%' ESCAPE '\\'"},
        {"wildcards bracketed to match themselves",
         "select * from ryjbxx where bm like '0[%][_][[]\\%'",
         "SELECT * FROM ryjbxx WHERE bm LIKE ? ESCAPE '\\'",
         "SELECT * FROM ryjbxx WHERE bm LIKE '0\\%\\_\\[\\\\%' ESCAPE '\\'"},
        {"a column named len is left alone", "select len from t where len>1",
         "SELECT len FROM t WHERE len>?", "SELECT len FROM t WHERE len>1"},
    };
    for (const TranslationCase& c : cases) {
        const JetStatement split = splitJetLiterals(bytes(c.jet));
        const EngineStatement statement = translateJetShape(split.shape, testColumns);
        EXPECT_EQ(statement.sql, c.sql) << c.name;
        EXPECT_EQ(statement.parameters.size(), split.literals.size()) << c.name;
        EXPECT_EQ(translateJet(bytes(c.jet), testColumns), c.inlineSql) << c.name;
    }
}

TEST(LikePrefixPattern, MakesEveryByteOfThePrefixMatchOnlyItself) {
    EXPECT_EQ(likePrefixPattern("0102"_ascii), "0102%");
    EXPECT_EQ(likePrefixPattern("0%_["_ascii), "0[%][_][[]%");
    EXPECT_EQ(likePrefixPattern("]\\'"_ascii), "]\\'%"); // quotes are escapeSqlText's
    // A double-byte character whose second byte is "[" or "_" stays whole.
    EXPECT_EQ(likePrefixPattern(Gbk::fromBytes("\x81[\x81_")), "\x81[\x81_%");
    EXPECT_EQ(likePrefixPattern(""_ascii), "%");
}

TEST(TranslateJet, MarksValuesWrittenIntoDateColumns) {
    struct Case {
        const char* jet;
        std::vector<std::string> dateColumns; // per parameter
    };
    const std::vector<Case> cases = {
        {"insert into ryxl (mid,xxxs,xlrq,xldm) values (1,'a','1990-07-1','21')",
         {"", "", "xlrq", ""}},
        {"insert into ryrz values (1,2,'2008-01-1','1001','')", {"", "", "rzrq", "", ""}},
        {"insert into ryrz (MID,RZRQ) values (1,'2008-01-1'),(2,'2009-01-1')",
         {"", "rzrq", "", "rzrq"}},
        {"update ryrz a set a.rzrq='2008-01-1', gzzwdm='1' where mid=1", {"rzrq", "", ""}},
        // A comparison is no write: its text is compared as it is.
        {"update ryxl set xldm='2' where xlrq='1990-07-01'", {"", ""}},
        // An expression is no plain value.
        {"update ryxl set xlrq='1990-07-1'||'' where mid=1", {"", "", ""}},
        {"insert into unknown (d) values ('x')", {""}},
    };
    for (const Case& c : cases) {
        const EngineStatement statement =
            translateJetShape(splitJetLiterals(bytes(c.jet)).shape, testColumns);
        std::vector<std::string> marked;
        for (const auto& parameter : statement.parameters)
            marked.push_back(parameter.dateColumn);
        EXPECT_EQ(marked, c.dateColumns) << c.jet;
    }
}

TEST(TranslateJet, RefusesAJoinedUpdateItCannotRewrite) {
    for (const char* jet : {"update ryrz a,ryjbxx b set b.bm='x' where a.mid=b.id",
                            "update ryrz a,(select id from ryjbxx) b set a.mid=0"})
        EXPECT_THROW(translateJetShape(splitJetLiterals(bytes(jet)).shape, testColumns), Error)
            << jet;
}

TEST(EngineValue, DatesBecomeIsoTextAndNonDatesFail) {
    struct Case {
        const char* name;
        JetLiteral literal;
        const char* dateColumn;
        const char* stored; // nullptr: fails
    };
    const std::vector<Case> cases = {
        {"date literal, one-digit day", lit(Kind::Date, "1990-07-1"), "", "1990-07-01"},
        {"date literal with time", lit(Kind::Date, "1990-7-1 8:05"), "", "1990-07-01 08:05:00"},
        {"date literal, no such month", lit(Kind::Date, "1990-13-1"), "", nullptr},
        {"text into a date column", lit(Kind::Text, "2008-01-1"), "rzrq", "2008-01-01"},
        {"slashed text into a date column", lit(Kind::Text, "2008/1/1"), "rzrq", "2008-01-01"},
        {"word into a date column", lit(Kind::Text, "abc"), "rzrq", nullptr},
        {"empty text into a date column", lit(Kind::Text, ""), "rzrq", nullptr},
        {"day number into a date column", lit(Kind::Number, "33055"), "rzrq", "1990-07-01"},
        {"date-like text elsewhere stays", lit(Kind::Text, "2008-01-1"), "", "2008-01-1"},
    };
    for (const Case& c : cases) {
        if (!c.stored) {
            EXPECT_THROW(engineValue(c.literal, c.dateColumn), Error) << c.name;
            continue;
        }
        const EngineValue value = engineValue(c.literal, c.dateColumn);
        EXPECT_EQ(value.kind, EngineValue::Kind::Text) << c.name;
        EXPECT_EQ(value.text, c.stored) << c.name;
    }
}

TEST(StoredDateText, TimeOfDayOnlyWhenThere) {
    EXPECT_EQ(storedDateText(33055.0), "1990-07-01");
    EXPECT_EQ(storedDateText(33055.5), "1990-07-01 12:00:00");
    EXPECT_EQ(storedDateText(33055.999999999), "1990-07-02"); // rounds to midnight
    EXPECT_EQ(storedDateText(gbk("1990年7月")), "1990-07-01");
    EXPECT_FALSE(storedDateText("1990-02-30"_ascii));
}

TEST(EscapeSqlText, DoublesEveryQuote) {
    EXPECT_EQ(escapeSqlText("O'Brien"_ascii), "O''Brien");
    EXPECT_EQ(escapeSqlText("''"_ascii), "''''");
    EXPECT_EQ(escapeSqlText(""_ascii), "");
    EXPECT_EQ(escapeSqlText(gbk("张'三")), gbk("张''三"));
}

} // namespace
