// SPDX-License-Identifier: GPL-3.0-or-later
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
class CliOffice : public DatabaseFolder {
protected:
    using Strings = std::vector<std::string>;

    Backend backend() const override { return Backend::Sqlite; }

    void SetUp() override {
        DatabaseFolder::SetUp();
        if (IsSkipped())
            return;
        database_->createWithInitDb();
        folder_.copyFixture("import/dm.txt");
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
        ProgramRun result = test::runProgram(dir_, program, arguments, as, input);
        out = std::move(result.out);
        err = std::move(result.err);
        return result.status;
    }
    void copyFixture(const std::string& name) { folder_.copyFixture("import/" + name); }

    Strings rows(const std::string& sql) { return database_->rows(sql); }

    Strings out, err;
    const std::filesystem::path& dir_ = folder_.path();
};

} // namespace wb::test
