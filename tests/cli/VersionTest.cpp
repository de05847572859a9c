// SPDX-License-Identifier: GPL-3.0-or-later
// Every program answers --version on stdout with the project's version, the window too,
// without a display to open a window on.

#include "support/FileLines.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

namespace {

TEST(Programs, AnswerVersionOnStdout) {
    wb::test::TempFolder folder;
    const fs::path bin(WB_BINARY_DIR);
    const std::vector<fs::path> programs = {
        bin / "src/app/wagebook",          bin / "src/cli/wagebook-import",
        bin / "src/cli/wagebook-undo",     bin / "src/cli/wagebook-cells",
        bin / "src/cli/wagebook-initdb",   bin / "src/cli/wagebook-migrate",
        bin / "src/cli/wagebook-template", bin / "src/cli/wagebook-check",
        bin / "src/cli/wagebook-dept"};
    for (const fs::path& program : programs) {
        const std::string command = "cd '" + folder.path().string() +
                                    "' && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                                    program.string() + " --version >out.txt 2>err.txt";
        const int status = std::system(command.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << program;
        EXPECT_EQ(wb::test::readLines(folder / "out.txt"),
                  Strings{program.filename().string() + " " WB_VERSION});
        EXPECT_EQ(wb::test::readLines(folder / "err.txt"), Strings{});
    }
}

TEST(Programs, WindowAnswersHelpWithoutADisplay) {
    wb::test::TempFolder folder;
    const std::string command = "cd '" + folder.path().string() +
                                "' && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                                WB_BINARY_DIR "/src/app/wagebook --help >out.txt 2>err.txt";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const Strings out = wb::test::readLines(folder / "out.txt");
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[0], "用法: wagebook [--last-office] [--] [文件夹]");
    EXPECT_EQ(wb::test::readLines(folder / "err.txt"), Strings{});
}

} // namespace
