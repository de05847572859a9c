// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A fresh folder for one test under the system's temporary directory, removed with all it
// holds when the object goes. Its name holds the test's name and the process id: CTest runs
// each test case as a process of its own, and other build trees run the same tests at the
// same time, so no two runs share a folder.

#include "data/Schema.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace wb::test {

// Makes the database at `location` (a file or a server's url) as a user makes it: by running
// wagebook-initdb --demo.
inline void runInitDb(const std::string& location) {
    const std::string command =
        (std::filesystem::path(WB_BINARY_DIR) / "src" / "cli" / "wagebook-initdb").string() +
        " --demo '" + location + "' >/dev/null";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("wagebook-initdb --demo " + location + " failed");
}

class TempFolder {
public:
    // Creates the folder, emptied first when a crashed run left one of the same name.
    TempFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = "wb-" + std::to_string(::getpid());
        if (info)
            name += std::string("-") + info->test_suite_name() + "-" + info->name();
        std::replace(name.begin(), name.end(), '/', '-'); // parameterised tests' names
        path_ = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    // Leaves the folder first when it is the current directory.
    ~TempFolder() {
        if (previous_)
            std::filesystem::current_path(*previous_);
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    // Makes the folder the current directory until the object goes.
    void enter() {
        if (!previous_)
            previous_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }

    // wagebook.mdb with the tables and the demo departments, made in this process.
    void createDatabase() { wb::createDatabase((path_ / kDatabase).string(), true); }
    // The same database made as a user makes it.
    void runInitDb() { test::runInitDb((path_ / kDatabase).string()); }

    // Copies a file of tests/fixtures (`fixture` relative to it) into the folder, under its
    // own file name or under `as`.
    void copyFixture(const std::string& fixture, const std::string& as = {}) {
        const std::filesystem::path from = std::filesystem::path(WB_FIXTURES) / fixture;
        std::filesystem::copy_file(from, path_ / (as.empty() ? from.filename().string() : as));
    }

private:
    static constexpr const char* kDatabase = "wagebook.mdb";

    std::filesystem::path path_;
    std::optional<std::filesystem::path> previous_;
};

} // namespace wb::test
