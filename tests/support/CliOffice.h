#pragma once
// An office folder (wagebook.mdb with the demo departments, the test code file) in which the
// command-line programs run as a user runs them; exit status, stdout, stderr and the
// database are read back.

#include "support/SqlRows.h"
#include "support/TempFolder.h"

#include <QSqlDatabase>
#include <QString>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace wb::test {

inline std::vector<std::string> readLines(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class CliOffice : public ::testing::Test {
protected:
    using Strings = std::vector<std::string>;
    static inline const std::filesystem::path kBin =
        std::filesystem::path(WB_BINARY_DIR) / "src" / "cli";

    void SetUp() override {
        folder_.runInitDb();
        folder_.copyFixture("import/dm.txt");
    }
    void TearDown() override {
        {
            QSqlDatabase db = QSqlDatabase::database(QStringLiteral("check"), false);
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
    }

    // Runs wagebook-import in the folder; fills out and err; gives the exit status.
    // `as` goes before the program (for example a command that runs it as another user);
    // `input` is its standard input (none: /dev/null).
    int run(const std::string& arguments, const std::string& as = {},
            const std::optional<std::string>& input = std::nullopt) {
        return runProgram("wagebook-import", arguments, as, input);
    }
    // Runs one of the programs the same way.
    int runProgram(const std::string& program, const std::string& arguments,
                   const std::string& as = {},
                   const std::optional<std::string>& input = std::nullopt) {
        if (input)
            std::ofstream(dir_ / "in.txt", std::ios::binary) << *input;
        const std::string command = "cd '" + dir_.string() + "' && " + as +
                                    (kBin / program).string() + " " + arguments +
                                    " >out.txt 2>err.txt <" + (input ? "in.txt" : "/dev/null");
        const int status = std::system(command.c_str());
        out = readLines(dir_ / "out.txt");
        err = readLines(dir_ / "err.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void copyFixture(const std::string& name) { folder_.copyFixture("import/" + name); }

    Strings rows(const std::string& sql) {
        QSqlDatabase db = QSqlDatabase::database(QStringLiteral("check"), false);
        if (!db.isValid()) {
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
            db.setDatabaseName(QString::fromStdString((dir_ / "wagebook.mdb").string()));
        }
        EXPECT_TRUE(db.open());
        return sqlRows(db, sql);
    }

    Strings out, err;
    TempFolder folder_;
    const std::filesystem::path& dir_ = folder_.path();
};

} // namespace wb::test
