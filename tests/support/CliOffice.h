#pragma once
// An office folder (wagebook.mdb with the demo departments, the test code file) in which the
// command-line programs run as a user runs them; exit status, stdout, stderr and the
// database are read back.

#include "support/Backend.h"
#include "support/ProgramRun.h"
#include "support/SqlRows.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace wb::test {

// On the embedded file unless a subclass names another kind of database (OnEachBackend).
class CliOffice : public ::testing::Test {
protected:
    using Strings = std::vector<std::string>;

    virtual Backend backend() const { return Backend::Sqlite; }

    void SetUp() override {
        database_ = std::make_unique<BackendDatabase>(backend(), dir_);
        if (!database_->available())
            GTEST_SKIP() << kNoServer;
        database_->createWithInitDb();
        folder_.copyFixture("import/dm.txt");
    }
    void TearDown() override { database_.reset(); }

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
        ProgramRun result = test::runProgram(dir_, program, arguments, as, input);
        out = std::move(result.out);
        err = std::move(result.err);
        return result.status;
    }
    void copyFixture(const std::string& name) { folder_.copyFixture("import/" + name); }

    Strings rows(const std::string& sql) { return database_->rows(sql); }

    Strings out, err;
    TempFolder folder_;
    const std::filesystem::path& dir_ = folder_.path();
    std::unique_ptr<BackendDatabase> database_;
};

} // namespace wb::test
