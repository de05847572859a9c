// SPDX-License-Identifier: GPL-3.0-or-later
// Real Access files (Jet 3, Jet 4, ACE) migrated into SQLite: every table with every row,
// texts and dates exact; damaged and wrong files refused with nothing left behind.

#include "migrate/Migration.h"
#include "data/Database.h"
#include "data/Schema.h"
#include "migrate/AccessFile.h"
#include "migrate/SqliteRows.h"
#include "support/FileLines.h"
#include "support/TempFolder.h"
#include "text/Error.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
using wb::test::fileBytes;
using wb::test::sqliteRows;

namespace {

const fs::path kAccess = fs::path(WB_FIXTURES) / "access";

class Migration : public ::testing::Test {
protected:
    // Migrates the fixture `file` into target.db; gives each table's "name read written".
    Strings migrate(const std::string& file, int codePage = 0) {
        Strings lines;
        wb::migrate::migrate({(kAccess / file).string(), target(), codePage, {}, {}},
                             [&lines](const wb::migrate::TableCount& count) {
                                 lines.push_back(count.name + " " + std::to_string(count.read) +
                                                 " " + std::to_string(count.written));
                                 EXPECT_TRUE(count.complete()) << count.name;
                             });
        return lines;
    }
    // The failure's message; the test fails when there is none.
    std::string failure(const std::string& source) {
        try {
            wb::migrate::migrate({source, target(), 0, {}, {}}, [](const auto&) {});
        } catch (const wb::Error& error) {
            return error.what();
        }
        ADD_FAILURE() << source << " migrated";
        return {};
    }
    Strings rows(const std::string& sql) { return sqliteRows(target(), sql); }
    std::string target() const { return (folder_ / "target.db").string(); }
    // What the folder holds besides the sources a test put there.
    Strings leftovers() const {
        Strings names;
        for (const auto& entry : fs::directory_iterator(folder_.path()))
            if (entry.path().extension() != ".mdb")
                names.push_back(entry.path().filename().string());
        return names;
    }

    wb::test::TempFolder folder_;
};

TEST_F(Migration, CopiesEveryUserTableOfEachFormatWithEveryRow) {
    const std::vector<std::pair<std::string, Strings>> files = {
        {"nwind.mdb",
         {"Order Details 2155 2155", "Orders 830 830", "Products 77 77", "Shippers 3 3",
          "Categories 8 8", "Customers 91 91", "Employees 9 9", "Suppliers 29 29",
          "Umsätze 830 830"}},
        {"DateTestDatabase.mdb", {"DateTest 6 6"}},
        {"ASampleDatabase.accdb", {"Asset Items 65 65"}},
    };
    for (const auto& [file, tables] : files) {
        SCOPED_TRACE(file);
        EXPECT_EQ(migrate(file), tables);
        EXPECT_EQ(rows("PRAGMA integrity_check"), Strings{"ok"});
        // The program's own tables are there, empty, with their indexes.
        EXPECT_EQ(rows("SELECT count(*) FROM ryjbxx"), Strings{"0"});
        EXPECT_EQ(rows("SELECT count(*) FROM sqlite_master WHERE type = 'index'"
                       " AND tbl_name NOT LIKE 'wb%'"),
                  Strings{"8"});
        EXPECT_EQ(rows("SELECT count(*) FROM wb_undo_runs"), Strings{"0"});
        EXPECT_EQ(rows("PRAGMA journal_mode"), Strings{"wal"});
        fs::remove(target());
    }
}

TEST_F(Migration, KeepsJet3TextInTheFilesCodePage) {
    migrate("nwind.mdb");
    EXPECT_EQ(rows("SELECT OrderID, ShipName, ShipAddress, ShipCity, ShipRegion FROM \"Umsätze\""
                   " WHERE OrderID IN (10330, 10332) ORDER BY OrderID"),
              (Strings{"10330|LILA-Supermercado|Carrera 52 con Ave. Bolívar #65-98 Llano "
                       "Largo|Barquisimeto|Lara",
                       "10332|Mère Paillarde|43 rue St. Laurent|Montréal|Québec"}));
    EXPECT_EQ(rows("SELECT CompanyName, City FROM Customers WHERE CustomerID IN"
                   " ('ANTON', 'BERGS', 'COMMI') ORDER BY CustomerID"),
              (Strings{"Antonio Moreno Taquería|México D.F.", "Berglunds snabbköp|Luleå",
                       "Comércio Mineiro|São Paulo"}));
    // Memo text read whole; NULL stays NULL, not empty text.
    EXPECT_EQ(
        rows("SELECT EmployeeID, length(Notes), substr(Notes, 1, 30) FROM Employees"
             " WHERE EmployeeID <= 2 ORDER BY EmployeeID"),
        (Strings{"1|175|Education includes a BA in psy", "2|448|Andrew received his BTS commer"}));
    EXPECT_EQ(rows("SELECT count(*) FROM Orders WHERE ShipRegion IS NULL"), Strings{"507"});
    EXPECT_EQ(rows("SELECT count(*) FROM Orders WHERE ShipRegion = ''"), Strings{"0"});
}

TEST_F(Migration, KeepsNumbersAsNumbersAndPicturesAsBlobs) {
    migrate("nwind.mdb");
    EXPECT_EQ(
        rows("SELECT typeof(UnitPrice), UnitPrice, typeof(Discount), Discount, Quantity"
             " FROM \"Order Details\" WHERE OrderID = 10250 ORDER BY ProductID"),
        (Strings{"real|7.7|real|0.0|10", "real|42.4|real|0.15|35", "real|16.8|real|0.15|15"}));
    EXPECT_EQ(rows("SELECT count(*), sum(Discontinued) FROM Products"), (Strings{"77|8"}));
    EXPECT_EQ(rows("SELECT CategoryName, Picture FROM Categories WHERE CategoryID = 1"),
              Strings{"Beverages|blob:10746"});
    EXPECT_EQ(rows("SELECT Photo FROM Employees WHERE EmployeeID = 3"), Strings{"blob:21722"});
}

TEST_F(Migration, WritesDatesAsIsoText) {
    migrate("DateTestDatabase.mdb");
    EXPECT_EQ(rows("SELECT * FROM DateTest ORDER BY IDCol"),
              (Strings{"1|2021-12-02|2021-12-02|2021-12-02|Hello|Hello",
                       "2|9999-01-01|9999-01-01|9999-01-01|Year 9999|Year 1999",
                       "3|1898-01-01|1899-01-01|1900-01-01|Pre-1900 years|Pre-1900 years",
                       "4|0632-01-01|0633-01-01|0634-01-01|Pre-1000 years|Pre-1000 years",
                       "5|2021-12-02|2021-12-02|2021-12-02|Escaped new line \\r\\n in "
                       "field|Escaped new line \\r\\n in field",
                       "6|2021-12-02|2021-12-02|2021-12-02|New line\r\nin field|No new line"}));
    fs::remove(target());
    migrate("nwind.mdb");
    EXPECT_EQ(rows("SELECT OrderDate, RequiredDate, ShippedDate FROM Orders WHERE OrderID = 10248"),
              Strings{"1994-08-04|1994-09-01|1994-08-16"});
}

TEST_F(Migration, ReadsTheNewerFormat) {
    migrate("ASampleDatabase.accdb");
    EXPECT_EQ(rows("SELECT \"Asset No\", Make, Acquired, Cost, Warranty, Comments"
                   " FROM \"Asset Items\" ORDER BY \"Asset No\" LIMIT 2"),
              (Strings{"30050|GEO Rocket|1997-09-02|1995.5|12|NULL",
                       "30051|GEO Blast|1997-09-02|2450.0|12|NULL"}));
}

TEST_F(Migration, ReadsJet3TextInTheCodePageGiven) {
    const Strings tables = migrate("nwind.mdb", 936);
    // Table names are text too: the umlaut and the letter after it read as one character.
    EXPECT_EQ(tables.size(), 9u);
    EXPECT_EQ(std::count(tables.begin(), tables.end(), "Umsätze 830 830"), 0);
    EXPECT_EQ(rows("SELECT CompanyName = 'Antonio Moreno Taquería', CompanyName LIKE 'Antonio"
                   " Moreno Taquer%' FROM Customers WHERE CustomerID = 'ANTON'"),
              Strings{"0|1"});
}

TEST_F(Migration, RefusesAnExistingTargetAndLeavesItAlone) {
    std::ofstream(target()) << "keep";
    EXPECT_EQ(failure((kAccess / "nwind.mdb").string()),
              "文件 " + target() + " 已经存在，不会改动它。");
    std::ifstream in(target());
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep");
    EXPECT_EQ(leftovers(), Strings{"target.db"});
}

TEST_F(Migration, RefusesWhatIsNoAccessFile) {
    const std::string folder = folder_.path().string();
    std::ofstream(folder_ / "text.mdb") << "Name,Dept\n";
    fs::create_directory(folder_ / "folder.mdb");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {folder + "/missing.mdb", "找不到文件 " + folder + "/missing.mdb。"},
        {folder + "/text.mdb", folder + "/text.mdb 不是 Access 数据库文件（.mdb 或 .accdb）。"},
        {folder + "/folder.mdb", "无法读取 " + folder + "/folder.mdb：它是一个文件夹。"},
    };
    for (const auto& [source, message] : cases)
        EXPECT_EQ(failure(source), message);
    wb::createDatabase((folder_ / "sqlite.mdb").string(), false);
    EXPECT_EQ(failure(folder + "/sqlite.mdb"),
              folder + "/sqlite.mdb 已经是 SQLite 数据库，不需要迁移。");
    fs::remove(folder_ / "folder.mdb");
    EXPECT_EQ(leftovers(), Strings{});
}

TEST_F(Migration, AStopLeavesNothing) {
    int rows = 0;
    wb::migrate::MigrationRequest request{
        (kAccess / "nwind.mdb").string(), target(), 0, [&rows] { return ++rows == 3000; }, {}};
    try {
        wb::migrate::migrate(request, [](const auto&) {});
        ADD_FAILURE() << "not stopped";
    } catch (const wb::Error& error) {
        EXPECT_EQ(std::string(error.what()), "迁移被中止，未创建 " + target() + "。");
    }
    EXPECT_EQ(rows, 3000);
    EXPECT_EQ(leftovers(), Strings{});
}

TEST_F(Migration, TellsHowFarEachTableGotAsItGoes) {
    Strings steps; // "name read" for each table's start and the last row of each
    std::vector<wb::migrate::TableCount> last;
    wb::migrate::MigrationRequest request{
        (kAccess / "nwind.mdb").string(),
        target(),
        0,
        {},
        [&](const wb::migrate::TableCount& count) {
            if (count.read == 0 || last.empty() || last.back().name != count.name)
                steps.push_back(count.name + " " + std::to_string(count.read));
            if (!last.empty() && last.back().name == count.name) {
                EXPECT_EQ(count.read, last.back().read + 1);
            }
            last.push_back(count);
        }};
    Strings reported;
    wb::migrate::migrate(request, [&](const wb::migrate::TableCount& count) {
        ASSERT_FALSE(last.empty());
        EXPECT_EQ(last.back().name, count.name);
        EXPECT_EQ(last.back().read, count.read) << "the last step is the last row";
        reported.push_back(wb::migrate::tableCountLine(count));
    });
    EXPECT_EQ(steps,
              (Strings{"Order Details 0", "Orders 0", "Products 0", "Shippers 0", "Categories 0",
                       "Customers 0", "Employees 0", "Suppliers 0", "Umsätze 0"}));
    EXPECT_EQ(reported.front(), "Order Details: 读出 2155 行, 写入 2155 行");
}

TEST(TableCountLine, NamesTheDeclaredRowsOnlyWhenTheReadingDiffers) {
    EXPECT_EQ(wb::migrate::tableCountLine({"ryjbxx", 12, 12, 12}),
              "ryjbxx: 读出 12 行, 写入 12 行");
    EXPECT_EQ(wb::migrate::tableCountLine({"Orders", 830, 829, 829}),
              "Orders: 读出 829 行, 写入 829 行 (文件中记有 830 行)");
}

TEST(AccessFileHead, TellsAnAccessFileFromOthers) {
    wb::test::TempFolder folder;
    std::ofstream(folder / "text.mdb") << "Standard Jet DB, but not at the start";
    wb::createDatabase((folder / "sqlite.mdb").string(), false);
    EXPECT_TRUE(wb::migrate::isAccessFile((kAccess / "nwind.mdb").string()));
    EXPECT_TRUE(wb::migrate::isAccessFile((kAccess / "ASampleDatabase.accdb").string()));
    EXPECT_FALSE(wb::migrate::isAccessFile((folder / "text.mdb").string()));
    EXPECT_FALSE(wb::migrate::isAccessFile((folder / "sqlite.mdb").string()));
    EXPECT_FALSE(wb::migrate::isAccessFile((folder / "missing.mdb").string()));
    EXPECT_FALSE(wb::migrate::isAccessFile(folder.path().string()));
}

// libmdb on a file cut short: no crash and no endless loop, a message naming the damage,
// no target and no temporary file.
TEST_F(Migration, RefusesADamagedFileWithoutLeavingAnything) {
    const std::vector<std::pair<std::size_t, std::string>> cases = {
        {100, "已损坏：读不出它的表目录"},
        {4096, "已损坏：读不出它的表目录"},
        {500000, "已损坏：它的表目录记有 106 个对象，只读出 67 个"},
        {1500000, "已损坏：读不出表 Umsätze 的定义"},
        {1600000, "已损坏：表 Umsätze 第 397 行的列数不对"},
    };
    const std::string whole = fileBytes(kAccess / "nwind.mdb");
    for (const auto& [size, message] : cases) {
        SCOPED_TRACE(size);
        const fs::path cut = folder_ / ("cut" + std::to_string(size) + ".mdb");
        std::ofstream(cut, std::ios::binary) << whole.substr(0, size);
        EXPECT_NE(failure(cut.string()).find("Access 数据库 " + cut.string() + " " + message),
                  std::string::npos);
        EXPECT_EQ(leftovers(), Strings{});
    }
}

// The program itself, handed a real Access file as its database, says how to move it.
TEST_F(Migration, AnAccessFileAsTheDatabasePointsToTheMigration) {
    const fs::path copy = folder_ / "wagebook.mdb";
    fs::copy_file(kAccess / "DateTestDatabase.mdb", copy);
    try {
        wb::openDatabase(copy.string(), 1000);
        ADD_FAILURE() << "opened";
    } catch (const wb::Error& error) {
        const std::string message = error.what();
        EXPECT_EQ(message.rfind("文件 " + copy.string() + " 是 Access 数据库，", 0), 0u) << message;
        EXPECT_NE(message.find("请先用 wagebook-migrate 把它复制成 SQLite 数据库"),
                  std::string::npos)
            << message;
    }
}

} // namespace
