// wagebook-import killed (SIGKILL) at random moments during an import: whatever it stored
// must be whole rows, every stored person with all the education, appointment and
// assessment records its row gives. The workbook (tests/fixtures/kill, written by
// bench/import/make_workbook.py 5000) has only lines that translate, so a row gives one
// record per non-empty line of each cell.

#include "import/TitleColumnMap.h"
#include "import/Titles.h"
#include "support/GbkBytes.h"
#include "support/ProgramRun.h"
#include "support/TempFolder.h"
#include "text/Encoding.h"
#include "text/GbkText.h"
#include "xls/biff/XlsWorkbook.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using namespace wb;
using test::bytes;
using wb::test::startImport;
using wb::test::TempFolder;

namespace {

using RecordCounts = std::array<int, 3>; // education, appointments, assessments

// What each row of the workbook gives, by the person's name (UTF-8).
std::map<std::string, RecordCounts> recordsByName(const fs::path& workbookPath) {
    const auto workbook = XlsWorkbook::open(workbookPath.string());
    const Sheet& sheet = workbook->activeSheet();
    TitleColumnMap titles;
    titles.scan(sheet);
    const auto lines = [&](int row, const Gbk& title) {
        int count = 0;
        for (const Gbk& line : splitLines(cellText(sheet.cell(row, titles.column(title)))))
            count += !trim(line).empty();
        return count;
    };
    std::map<std::string, RecordCounts> result;
    for (int row = 2;; ++row) {
        const Gbk name = cellText(sheet.cell(row, titles.column(titles::kName)));
        if (name.empty())
            break;
        result[gbkToUtf8(name)] = {lines(row, titles::kEducation),
                                   lines(row, titles::kAppointments),
                                   lines(row, titles::kAssessments)};
    }
    return result;
}

class KilledImport : public ::testing::Test {
protected:
    void SetUp() override {
        folder_.runInitDb();
        folder_.copyFixture("kill/staff.xls");
        folder_.copyFixture("kill/dm.txt");
    }
    void TearDown() override { QSqlDatabase::removeDatabase(kCheck); }

    // What `read` gives from a connection of the test's own to the office's database, which
    // is closed and removed afterwards.
    template <typename Read> auto readDatabase(const Read& read) {
        decltype(read(std::declval<QSqlDatabase&>())) result{};
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kCheck);
            db.setDatabaseName(QString::fromStdString((dir_ / "wagebook.mdb").string()));
            EXPECT_TRUE(db.open());
            result = read(db);
        }
        QSqlDatabase::removeDatabase(kCheck);
        return result;
    }

    // Every stored person against its row; gives how many persons are stored.
    int checkStoredPersons(const std::map<std::string, RecordCounts>& expected) {
        return readDatabase([&](QSqlDatabase& db) {
            int persons = 0;
            QSqlQuery check(db);
            EXPECT_TRUE(check.exec(QStringLiteral("pragma integrity_check")) && check.next());
            EXPECT_EQ(check.value(0).toString().toStdString(), "ok");
            QSqlQuery query(db);
            EXPECT_TRUE(query.exec(
                QStringLiteral("select p.xm, (select count(*) from ryxl where mid = p.id),"
                               " (select count(*) from ryrz where mid = p.id),"
                               " (select count(*) from rykh where mid = p.id) from ryjbxx p")));
            while (query.next()) {
                ++persons;
                const std::string name = query.value(0).toString().toStdString();
                const RecordCounts stored = {query.value(1).toInt(), query.value(2).toInt(),
                                             query.value(3).toInt()};
                const auto it = expected.find(name);
                if (it == expected.end()) {
                    ADD_FAILURE() << "a person no row gives: " << name;
                } else if (stored != it->second) {
                    ADD_FAILURE() << name << " stored with " << stored[0] << "/" << stored[1] << "/"
                                  << stored[2] << " records, its row gives " << it->second[0] << "/"
                                  << it->second[1] << "/" << it->second[2];
                }
            }
            return persons;
        });
    }

    // The names of the persons stored after the first `skip` ones, in the order stored.
    std::vector<std::string> namesStoredAfter(int skip) {
        return readDatabase([&](QSqlDatabase& db) {
            std::vector<std::string> names;
            QSqlQuery query(db);
            EXPECT_TRUE(query.exec(QStringLiteral("select xm from ryjbxx order by id limit -1 "
                                                  "offset ") +
                                   QString::number(skip)));
            while (query.next())
                names.push_back(query.value(0).toString().toStdString());
            return names;
        });
    }

    // Every row of the person table and the three tables the workbook fills, in key order.
    std::vector<std::string> contents() {
        return readDatabase([](QSqlDatabase& db) {
            std::vector<std::string> rows;
            QSqlQuery query(db);
            for (const char* sql : {"select id, bm, xm from ryjbxx order by id",
                                    "select id, mid, xlrq, xldm from ryxl order by id",
                                    "select id, mid, rzrq, gzzwdm from ryrz order by id",
                                    "select id, mid, khnd, khjg from rykh order by id"}) {
                EXPECT_TRUE(query.exec(QString::fromUtf8(sql)));
                while (query.next()) {
                    std::string row = sql;
                    for (int column = 0; column < 4; ++column)
                        row += "|" + query.value(column).toString().toStdString();
                    rows.push_back(std::move(row));
                }
            }
            return rows;
        });
    }
    // The lowest person id in the database; 0 when there is none.
    int lowestPersonId() {
        return readDatabase([](QSqlDatabase& db) {
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("select coalesce(min(id), 0) from ryjbxx")) &&
                query.next())
                return query.value(0).toInt();
            return 0;
        });
    }

    static inline const QString kCheck = QStringLiteral("kill-check");
    TempFolder folder_;
    const fs::path& dir_ = folder_.path();
};

using wb::test::readLines;

} // namespace

TEST_F(KilledImport, LeavesOnlyWholeRows) {
    const auto expected = recordsByName(dir_ / "staff.xls");
    ASSERT_EQ(expected.size(), 5000u);

    // One run to the end, to know how long an import takes here.
    const auto start = std::chrono::steady_clock::now();
    int status = 0;
    ::waitpid(startImport(dir_, "01", false), &status, 0);
    const auto fullRun = std::chrono::steady_clock::now() - start;
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    int stored = checkStoredPersons(expected);
    ASSERT_EQ(stored, 5000);

    std::mt19937 random(20261208);
    const auto longest = std::chrono::duration_cast<std::chrono::microseconds>(fullRun);
    std::uniform_int_distribution<long> moment(0, longest.count());
    int cutShort = 0;
    const fs::path log = dir_ / "out.txt";
    for (int kill = 0; kill < 24; ++kill) {
        const pid_t pid = startImport(dir_, "01", false, log);
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        const int now = checkStoredPersons(expected);
        ASSERT_GE(now, stored);
        // Each name reaches the log as its row begins, and each row is committed as it ends:
        // the killed run stored exactly the names it logged, but for the last one when the
        // kill came while that row was in progress.
        const std::vector<std::string> storedNow = namesStoredAfter(stored);
        std::vector<std::string> logged = readLines(log);
        if (!logged.empty())
            logged.erase(logged.begin()); // the title verdict
        ASSERT_GE(logged.size(), storedNow.size()) << "kill " << kill;
        ASSERT_LE(logged.size(), storedNow.size() + 1) << "kill " << kill;
        EXPECT_TRUE(std::equal(storedNow.begin(), storedNow.end(), logged.begin()))
            << "kill " << kill;
        cutShort += now - stored < 5000;
        stored = now;
    }
    // Most kills must have landed during an import for the test to say anything.
    EXPECT_GE(cutShort, 12);
}

TEST_F(KilledImport, CtrlCStopsAfterTheRowInProgress) {
    const auto expected = recordsByName(dir_ / "staff.xls");
    const fs::path log = dir_ / "out.txt";
    const pid_t pid = startImport(dir_, "01", false, log);
    // Interrupted once the run has begun storing rows.
    const auto logSize = [&] {
        std::error_code missing;
        const auto size = fs::file_size(log, missing);
        return missing ? 0 : size;
    };
    for (int waited = 0; waited < 5000 && logSize() < 2000; waited += 5)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ::kill(pid, SIGINT);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    const std::vector<std::string> lines = readLines(log);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 2], "提示: 用户中止!");
    EXPECT_EQ(lines.back(), "提示: 数据导入成功!");
    // Every name logged was stored whole: the row in progress was completed, no later one.
    const int logged = static_cast<int>(lines.size()) - 3; // title verdict and two boxes
    const int stored = checkStoredPersons(expected);
    EXPECT_EQ(stored, logged);
    EXPECT_GT(stored, 0);
    EXPECT_LT(stored, 5000);
}

TEST_F(KilledImport, AnOverwriteLeavesTheDepartmentAsItWasOrWhollyReplaced) {
    const auto expected = recordsByName(dir_ / "staff.xls");
    const fs::path log = dir_ / "out.txt";
    int status = 0;
    ::waitpid(startImport(dir_, "01", false), &status, 0);
    ASSERT_EQ(checkStoredPersons(expected), 5000);

    // One overwrite to the end, to know how long a run and its deletion take here.
    const auto deletionStarted = [&] {
        const auto lines = readLines(log);
        return lines.size() >= 2 && lines[1] == "正在删除旧数据!";
    };
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = startImport(dir_, "01", true, log);
    while (!deletionStarted())
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    const auto deletionStart = std::chrono::steady_clock::now();
    while (readLines(log).size() < 3)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    const auto deletion = std::chrono::steady_clock::now() - deletionStart;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const auto fullRun = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(checkStoredPersons(expected), 5000);

    std::vector<std::string> before = contents();
    std::mt19937 random(20261209);
    const auto micros = [](auto duration) {
        return std::chrono::duration_cast<std::chrono::microseconds>(duration).count();
    };
    std::uniform_int_distribution<long> anyMoment(0, micros(fullRun));
    std::uniform_int_distribution<long> inDeletion(0, micros(deletion));
    int duringDeletion = 0, replaced = 0;
    for (int kill = 0; kill < 33; ++kill) {
        const int oldLowest = lowestPersonId();
        pid = startImport(dir_, "01", true, log);
        if (kill % 3 == 0) { // a third aimed at the deletion
            while (!deletionStarted())
                std::this_thread::yield();
            std::this_thread::sleep_for(std::chrono::microseconds(inDeletion(random)));
        } else {
            std::this_thread::sleep_for(std::chrono::microseconds(anyMoment(random)));
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        const std::vector<std::string> lines = readLines(log);
        duringDeletion += lines.size() == 2 && lines[1] == "正在删除旧数据!";

        std::vector<std::string> now = contents();
        if (now == before)
            continue;
        // Otherwise the run had completed: the new rows whole, none of the old ones left.
        ++replaced;
        EXPECT_EQ(checkStoredPersons(expected), 5000) << "kill " << kill;
        EXPECT_GT(lowestPersonId(), oldLowest) << "kill " << kill;
        // Every row was logged; a kill between the commit and the last line (the undo
        // journal marks the run committed there) may leave only the success line unwritten.
        EXPECT_GE(lines.size(), 5002u) << "kill " << kill;
        before = std::move(now);
    }
    std::cout << "33 kills: " << duringDeletion << " during the deletion, " << replaced
              << " after a completed run, the rest with the department as it was\n";
    EXPECT_GE(duringDeletion, 10);
    EXPECT_LE(replaced, 33 - duringDeletion);
}
