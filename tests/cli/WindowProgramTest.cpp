// SPDX-License-Identifier: GPL-3.0-or-later
// The window's command line: `wagebook FOLDER` opens the office in FOLDER (the window
// remembers it in the settings file), and what it refuses.

#include "support/FileLines.h"
#include "support/ProgramRun.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

namespace {

const std::string kWindow = std::string(WB_BINARY_DIR) + "/src/app/wagebook";

std::string fileText(const fs::path& path) {
    std::ifstream file(path);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// Runs the window offscreen in `folder` with `arguments` until it exits; its status.
int runWindow(const fs::path& folder, const std::string& arguments) {
    // Qt warns on stderr without a runtime folder of the user's.
    fs::create_directories(folder / "run");
    fs::permissions(folder / "run", fs::perms::owner_all);
    const std::string command = "cd '" + folder.string() + "' && XDG_RUNTIME_DIR=run " +
                                "QT_QPA_PLATFORM=offscreen " + kWindow + " " + arguments +
                                " >out.txt 2>err.txt";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(WindowProgram, OpensTheOfficeInTheFolderItIsGiven) {
    wb::test::TempFolder folder;
    fs::create_directories(folder / "人事");
    wb::test::runInitDb((folder / "人事" / "wagebook.mdb").string());
    const fs::path config = folder / "config";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        if (::chdir(folder.path().c_str()) != 0)
            ::_exit(127);
        ::execl(kWindow.c_str(), "wagebook", "人事", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // The window says which office it opened by remembering it.
    const fs::path settings = config / "wagebook" / "wagebook.conf";
    for (int i = 0; i < 200 && !fs::exists(settings); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    const std::string text = fileText(settings);
    EXPECT_NE(text.find("[office]"), std::string::npos) << text;
    EXPECT_NE(text.find("folder="), std::string::npos) << text;
}

TEST(WindowProgram, RefusesTwoFoldersAFolderWithTheOptionAndAFolderItCannotEnter) {
    wb::test::TempFolder folder;
    EXPECT_EQ(runWindow(folder.path(), "a b"), 2);
    EXPECT_EQ(wb::test::readLines(folder / "err.txt").at(0), "wagebook: 只能给出一个文件夹");
    EXPECT_EQ(runWindow(folder.path(), "--last-office a"), 2);
    EXPECT_EQ(wb::test::readLines(folder / "err.txt").at(0),
              "wagebook: --last-office 与文件夹不能同时给出");
    EXPECT_EQ(runWindow(folder.path(), "missing"), 1);
    EXPECT_EQ(wb::test::readLines(folder / "err.txt"), Strings{"wagebook: 无法进入文件夹 missing"});
}

} // namespace
