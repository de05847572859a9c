// SPDX-License-Identifier: GPL-3.0-or-later
// The insert baselines: the rows an import of the benchmark workbook stores (expected.tsv
// from make_workbook.py), inserted by a plain loop of prepared statements on the bare SQLite
// library, WAL and synchronous=NORMAL, everything else as SQLite has it. By default all rows
// go into one transaction; with --commit-each every person is a transaction of its own, from
// the person's record to its last dependent record, the way an append import commits.
// usage: bench_insert [--commit-each] EXPECTED.tsv DATABASE

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, '\t');)
        out.push_back(field);
    if (!line.empty() && line.back() == '\t')
        out.emplace_back();
    return out;
}

sqlite3_stmt* prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", sql, sqlite3_errmsg(db));
        std::exit(1);
    }
    return statement;
}

void bindText(sqlite3_stmt* statement, int index, const std::string& text) {
    if (text.empty())
        sqlite3_bind_null(statement, index);
    else
        sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
}

void exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", sql, sqlite3_errmsg(db));
        std::exit(1);
    }
}

void step(sqlite3* db, sqlite3_stmt* statement) {
    if (sqlite3_step(statement) != SQLITE_DONE) {
        std::fprintf(stderr, "insert: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
    sqlite3_reset(statement);
}

} // namespace

int main(int argc, char** argv) {
    const bool commitEach = argc == 4 && std::string(argv[1]) == "--commit-each";
    if (argc != (commitEach ? 4 : 3)) {
        std::fprintf(stderr, "usage: bench_insert [--commit-each] EXPECTED.tsv DATABASE\n");
        return 2;
    }
    const char* const expectedPath = argv[argc - 2];
    const char* const databasePath = argv[argc - 1];
    sqlite3* db = nullptr;
    if (sqlite3_open(databasePath, &db) != SQLITE_OK)
        return 1;
    exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL");
    bool inTransaction = false;
    if (!commitEach) {
        exec(db, "BEGIN");
        inTransaction = true;
    }
    sqlite3_stmt* person =
        prepare(db, "INSERT INTO ryjbxx (bm,bh,xm,xb,mz,sfzh,csny,gzsj,grsf,jkzk,jxqyf,kjgl,"
                    "sylb,ltxlb,dzysxl) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    sqlite3_stmt* education = prepare(db, "INSERT INTO ryxl (mid,xxxs,xlrq,xldm) VALUES (?,?,?,?)");
    sqlite3_stmt* appointment =
        prepare(db, "INSERT INTO ryrz (mid,rzrq,gzzwdm,gwzwdm) VALUES (?,?,?,?)");
    sqlite3_stmt* assessment = prepare(db, "INSERT INTO rykh (mid,khnd,khjg) VALUES (?,?,?)");

    std::ifstream in(expectedPath);
    sqlite3_int64 key = 0;
    for (std::string line; std::getline(in, line);) {
        const std::vector<std::string> f = fields(line);
        if (f[0] == "P") {
            if (commitEach) {
                // The previous person's last dependent record is behind us: commit it.
                if (inTransaction)
                    exec(db, "COMMIT");
                // IMMEDIATE, as the import's row units begin: the write lock is taken before
                // the first insert rather than on it. With one connection it costs the same.
                exec(db, "BEGIN IMMEDIATE");
                inTransaction = true;
            }
            for (int i = 1; i <= 15; ++i)
                bindText(person, i, i < static_cast<int>(f.size()) ? f[i] : std::string());
            step(db, person);
            key = sqlite3_last_insert_rowid(db);
            continue;
        }
        sqlite3_stmt* statement = f[0] == "E" ? education : f[0] == "R" ? appointment : assessment;
        sqlite3_bind_int64(statement, 1, key);
        for (std::size_t i = 1; i < f.size(); ++i)
            bindText(statement, static_cast<int>(i) + 1, f[i]);
        step(db, statement);
    }
    for (sqlite3_stmt* statement : {person, education, appointment, assessment})
        sqlite3_finalize(statement);
    const int rc =
        inTransaction ? sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) : SQLITE_OK;
    sqlite3_close(db);
    return rc == SQLITE_OK ? 0 : 1;
}
