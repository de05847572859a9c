// SPDX-License-Identifier: GPL-3.0-or-later
// wagebook-import killed (SIGKILL) at random moments during an import, on each kind of
// database. What the run log showed is what was stored: every name it showed is stored whole
// (the person with all the education, appointment and assessment records its row gives), and
// the persons stored that it did not show are at most the newest group of an append run. The
// workbook (tests/fixtures/kill, written by bench/import/make_workbook.py 5000) has only lines
// that translate, so a row gives one record per non-empty line of each cell, and every name
// is different.

#include "import/ImportRun.h"
#include "import/TitleColumnMap.h"
#include "import/Titles.h"
#include "support/Backend.h"
#include "support/FileLines.h"
#include "support/ProgramRun.h"
#include "support/TempFolder.h"
#include "text/Encoding.h"
#include "text/GbkText.h"
#include "xls/biff/XlsWorkbook.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace wb;
using namespace wb::test;

namespace {

constexpr int kPersons = 5000;
// The run log's first line, before the names.
constexpr const char* kLayoutMatches = "XLS相配置!准备导入";
constexpr const char* kDeleting = "正在删除旧数据!";

// What each row of the workbook gives, by the person's name (UTF-8): "education/
// appointments/assessments", the records' counts.
std::map<std::string, std::string> recordsByName(const fs::path& workbookPath) {
    const auto workbook = XlsWorkbook::open(workbookPath.string());
    const Sheet& sheet = workbook->activeSheet();
    TitleColumnMap titles;
    titles.scan(sheet);
    const auto lines = [&](int row, const Gbk& title) {
        int count = 0;
        for (const Gbk& line : splitLines(cellText(sheet.cell(row, titles.column(title)))))
            count += !trim(line).empty();
        return std::to_string(count);
    };
    std::map<std::string, std::string> result;
    for (int row = 2;; ++row) {
        const Gbk name = cellText(sheet.cell(row, titles.column(titles::kName)));
        if (name.empty())
            break;
        result[gbkToUtf8(name)] = lines(row, titles::kEducation) + "/" +
                                  lines(row, titles::kAppointments) + "/" +
                                  lines(row, titles::kAssessments);
    }
    return result;
}

// The names a run log shows, in order: its lines that are no verdict, deletion or box.
std::vector<std::string> namesShown(const std::vector<std::string>& log) {
    std::vector<std::string> names;
    for (const std::string& line : log)
        if (line != kLayoutMatches && line != kDeleting && line.rfind("提示: ", 0) != 0)
            names.push_back(line);
    return names;
}

class KilledImport : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        database_ = std::make_unique<BackendDatabase>(GetParam(), dir_);
        if (!database_->available())
            GTEST_SKIP() << kNoServer;
        database_->createWithInitDb();
        folder_.copyFixture("kill/staff.xls");
        folder_.copyFixture("kill/dm.txt");
        expected_ = recordsByName(dir_ / "staff.xls");
        ASSERT_EQ(expected_.size(), std::size_t(kPersons));
    }
    void TearDown() override { database_.reset(); }

    // Every stored person, in the order stored, each checked against its row: stored whole.
    std::vector<std::string> storedPersons() {
        std::vector<std::string> names;
        for (const std::string& row : database_->rows(
                 "select p.xm, (select count(*) from ryxl where mid = p.id) || '/' ||"
                 " (select count(*) from ryrz where mid = p.id) || '/' ||"
                 " (select count(*) from rykh where mid = p.id) from ryjbxx p order by p.id")) {
            const std::string name = row.substr(0, row.find('|'));
            const auto it = expected_.find(name);
            if (it == expected_.end())
                ADD_FAILURE() << "a person no row gives: " << name;
            else
                EXPECT_EQ(row.substr(row.find('|') + 1), it->second) << name << " is not whole";
            names.push_back(name);
        }
        return names;
    }
    std::string orphans() {
        return database_->one("select (select count(*) from ryxl where mid not in (select id "
                              "from ryjbxx)) + (select count(*) from rykh where mid not in "
                              "(select id from ryjbxx))");
    }
    // A whole run, and how long it took.
    std::chrono::microseconds timedRun(bool overwrite) {
        const auto start = std::chrono::steady_clock::now();
        int status = 0;
        ::waitpid(startImport(dir_, "01", overwrite, log_), &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        return std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - start);
    }
    void killAfter(pid_t pid, std::chrono::microseconds wait) {
        std::this_thread::sleep_for(wait);
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
    }

    TempFolder folder_;
    const fs::path& dir_ = folder_.path();
    const fs::path log_ = dir_ / "out.txt";
    std::unique_ptr<BackendDatabase> database_;
    std::map<std::string, std::string> expected_;
};

WB_ON_EACH_BACKEND(KilledImport);

} // namespace

TEST_P(KilledImport, AnAppendStoresEveryNameItShowedAndAtMostOneGroupMore) {
    const auto fullRun = timedRun(false);
    std::vector<std::string> stored = storedPersons();
    ASSERT_EQ(stored.size(), std::size_t(kPersons));

    std::mt19937 random(20261209);
    std::uniform_int_distribution<long> moment(0, fullRun.count());
    int cutShort = 0, withUnshown = 0;
    for (int kill = 0; kill < 30; ++kill) {
        killAfter(startImport(dir_, "01", false, log_), std::chrono::microseconds(moment(random)));
        const std::vector<std::string> now = storedPersons();
        ASSERT_GE(now.size(), stored.size()) << "kill " << kill;
        const std::vector<std::string> storedByRun(now.begin() + static_cast<long>(stored.size()),
                                                   now.end());
        const std::vector<std::string> shown = namesShown(readLines(log_));
        // Shown = stored, in order; the unshown stored rows are the newest, one group at most.
        ASSERT_LE(shown.size(), storedByRun.size()) << "kill " << kill;
        EXPECT_TRUE(std::equal(shown.begin(), shown.end(), storedByRun.begin())) << "kill " << kill;
        EXPECT_LE(storedByRun.size() - shown.size(), std::size_t(RowGroups{}.maxRows))
            << "kill " << kill;
        cutShort += storedByRun.size() < std::size_t(kPersons);
        withUnshown += storedByRun.size() > shown.size();
        stored = now;
    }
    std::cout << "30 kills: " << cutShort << " during a run, " << withUnshown
              << " with rows stored but not yet shown\n";
    // Most kills must have landed during an import for the test to say anything.
    EXPECT_GE(cutShort, 12);
    EXPECT_EQ(orphans(), "0");
}

TEST_P(KilledImport, CtrlCStopsAfterTheRowInProgressAndShowsEveryRowStored) {
    const pid_t pid = startImport(dir_, "01", false, log_);
    // Interrupted once the run has shown rows.
    for (int waited = 0; waited < 20000 && namesShown(readLines(log_)).size() < 100; waited += 5)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ::kill(pid, SIGINT);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    const std::vector<std::string> lines = readLines(log_);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 2], "提示: 用户中止!");
    EXPECT_EQ(lines.back(), "提示: 数据导入成功!");
    // The abort committed the open group before it said so: every row stored was shown.
    const std::vector<std::string> stored = storedPersons();
    EXPECT_EQ(stored, namesShown(lines));
    EXPECT_LT(stored.size(), std::size_t(kPersons));
}

TEST_P(KilledImport, AnOverwriteShowsNoRowUntilItHasReplacedTheDepartmentWhole) {
    timedRun(false);
    ASSERT_EQ(storedPersons().size(), std::size_t(kPersons));

    // One overwrite to the end, to know how long a run and its deletion take here.
    const auto deletionStarted = [this] {
        const std::vector<std::string> lines = readLines(log_);
        return lines.size() >= 2 && lines[1] == kDeleting;
    };
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = startImport(dir_, "01", true, log_);
    while (!deletionStarted())
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    const auto deletionStart = std::chrono::steady_clock::now();
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const auto end = std::chrono::steady_clock::now();
    const auto micros = [](auto duration) {
        return std::chrono::duration_cast<std::chrono::microseconds>(duration).count();
    };
    ASSERT_EQ(storedPersons().size(), std::size_t(kPersons));
    const auto keys = [this] {
        return database_->rows("select id from ryjbxx order by id");
    };
    std::vector<std::string> before = keys();

    std::mt19937 random(20261210);
    std::uniform_int_distribution<long> anyMoment(0, micros(end - start));
    // The deletion's share of the run: at most its first tenth, where rows are not yet shown.
    std::uniform_int_distribution<long> inDeletion(0, micros(end - deletionStart) / 10);
    int beforeRows = 0, replaced = 0;
    for (int kill = 0; kill < 33; ++kill) {
        pid = startImport(dir_, "01", true, log_);
        if (kill % 3 == 0) { // a third aimed at the deletion
            while (!deletionStarted())
                std::this_thread::yield();
            killAfter(pid, std::chrono::microseconds(inDeletion(random)));
        } else {
            killAfter(pid, std::chrono::microseconds(anyMoment(random)));
        }
        const std::vector<std::string> shown = namesShown(readLines(log_));
        const std::vector<std::string> names = storedPersons();
        const std::vector<std::string> now = keys();
        if (shown.empty()) {
            // Nothing shown: the department exactly as it was, the same persons under the same
            // keys.
            ++beforeRows;
            EXPECT_EQ(now, before) << "kill " << kill;
            continue;
        }
        // Names shown: the run was committed, its rows whole under new keys, none of the old.
        ++replaced;
        EXPECT_EQ(names.size(), std::size_t(kPersons)) << "kill " << kill;
        EXPECT_TRUE(std::equal(shown.begin(), shown.end(), names.begin())) << "kill " << kill;
        EXPECT_GT(std::stoll(now.front()), std::stoll(before.back())) << "kill " << kill;
        before = now;
    }
    std::cout << "33 kills: " << beforeRows << " with nothing shown and the department as it "
              << "was, " << replaced << " after a committed run\n";
    EXPECT_GE(beforeRows, 11);
    EXPECT_EQ(orphans(), "0");
}
