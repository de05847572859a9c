// SPDX-License-Identifier: GPL-3.0-or-later
// wagebook-migrate run as a user runs it: exact stdout, stderr and exit status; libmdb's
// own reports on a damaged file never reach the terminal.

#include "support/FileLines.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using wb::test::fileBytes;
using wb::test::readLines;
using Strings = std::vector<std::string>;

namespace {

const fs::path kMigrate = fs::path(WB_BINARY_DIR) / "src" / "cli" / "wagebook-migrate";
const fs::path kAccess = fs::path(WB_FIXTURES) / "access";

class MigrateCli : public ::testing::Test {
protected:
    int run(const std::string& arguments) {
        const std::string command = "cd '" + folder_.path().string() + "' && " + kMigrate.string() +
                                    " " + arguments + " >out.txt 2>err.txt </dev/null";
        const int status = std::system(command.c_str());
        out = readLines(folder_ / "out.txt");
        err = readLines(folder_ / "err.txt");
        fs::remove(folder_ / "out.txt");
        fs::remove(folder_ / "err.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    Strings files() const {
        Strings names;
        for (const auto& entry : fs::directory_iterator(folder_.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    Strings out, err;
    wb::test::TempFolder folder_;
};

TEST_F(MigrateCli, PrintsTheCountsOfEveryTable) {
    EXPECT_EQ(run("'" + (kAccess / "nwind.mdb").string() + "' wagebook.mdb"), 0);
    EXPECT_EQ(out, (Strings{"Order Details: 读出 2155 行, 写入 2155 行",
                            "Orders: 读出 830 行, 写入 830 行", "Products: 读出 77 行, 写入 77 行",
                            "Shippers: 读出 3 行, 写入 3 行", "Categories: 读出 8 行, 写入 8 行",
                            "Customers: 读出 91 行, 写入 91 行", "Employees: 读出 9 行, 写入 9 行",
                            "Suppliers: 读出 29 行, 写入 29 行",
                            "Umsätze: 读出 830 行, 写入 830 行", "已创建 wagebook.mdb"}));
    EXPECT_EQ(err, Strings{});
    EXPECT_EQ(files(), Strings{"wagebook.mdb"});
}

TEST_F(MigrateCli, FailuresGoToStderrAndLeaveNoTarget) {
    // Cut short inside the table Umsätze: the tables before it are counted, then the damage
    // is named in one line; libmdb's page reports are not shown.
    std::ofstream(folder_ / "cut.mdb", std::ios::binary)
        << fileBytes(kAccess / "nwind.mdb").substr(0, 1600000);
    EXPECT_EQ(run("cut.mdb wagebook.mdb"), 1);
    EXPECT_EQ(out.size(), 8u);
    EXPECT_EQ(err, Strings{"wagebook-migrate: Access 数据库 cut.mdb 已损坏：表 Umsätze 第 397 "
                           "行的列数不对。"});
    EXPECT_EQ(files(), Strings{"cut.mdb"});

    std::ofstream(folder_ / "wagebook.mdb") << "keep";
    EXPECT_EQ(run("'" + (kAccess / "DateTestDatabase.mdb").string() + "' wagebook.mdb"), 1);
    EXPECT_EQ(out, Strings{});
    EXPECT_EQ(err, Strings{"wagebook-migrate: 文件 wagebook.mdb 已经存在，不会改动它。"});
    EXPECT_EQ(fs::file_size(folder_ / "wagebook.mdb"), 4u);

    EXPECT_EQ(run("missing.mdb new.mdb"), 1);
    EXPECT_EQ(err, Strings{"wagebook-migrate: 找不到文件 missing.mdb。"});
    EXPECT_EQ(files(), (Strings{"cut.mdb", "wagebook.mdb"}));
}

TEST_F(MigrateCli, UsageHelpAndVersion) {
    EXPECT_EQ(run("--version"), 0);
    EXPECT_EQ(out, Strings{"wagebook-migrate " WB_VERSION});
    EXPECT_EQ(run("--help"), 0);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[0], "用法: wagebook-migrate [--codepage N] [--] SOURCE TARGET");
    const std::vector<std::pair<std::string, std::string>> usageErrors = {
        {"only.mdb", "wagebook-migrate: 需要两个文件名: SOURCE 和 TARGET"},
        {"--codepage x a.mdb b.mdb", "wagebook-migrate: --codepage 需要一个代码页编号, 例如 936"},
        {"--bogus a.mdb b.mdb", "wagebook-migrate: 未知选项 --bogus"},
    };
    for (const auto& [arguments, message] : usageErrors) {
        EXPECT_EQ(run(arguments), 2) << arguments;
        EXPECT_EQ(out, Strings{}) << arguments;
        ASSERT_FALSE(err.empty()) << arguments;
        EXPECT_EQ(err[0], message);
    }
    EXPECT_EQ(run("--codepage 12345 '" + (kAccess / "nwind.mdb").string() + "' new.mdb"), 1);
    EXPECT_EQ(err, Strings{"wagebook-migrate: 不认识代码页 12345。"});
}

} // namespace
