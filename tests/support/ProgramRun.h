// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One of the built programs run as a user runs it, in a folder, with its output captured.

#include "support/FileLines.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace wb::test {

struct ProgramRun {
    int status = -1; // the exit status; -1 when the program did not exit by itself
    std::vector<std::string> out, err;
};

// Runs `program` (a file name in the build's src/cli) with `arguments` (shell words) in
// `folder`, stdin empty unless `input` is given (it passes through in.txt); stdout and
// stderr pass through out.txt and err.txt there. `as` goes before the program (for example a
// command that runs it as another user).
inline ProgramRun runProgram(const std::filesystem::path& folder, const std::string& program,
                             const std::string& arguments, const std::string& as = {},
                             const std::optional<std::string>& input = std::nullopt) {
    const std::filesystem::path binary = std::filesystem::path(WB_BINARY_DIR) / "src" / "cli";
    if (input)
        std::ofstream(folder / "in.txt", std::ios::binary) << *input;
    const std::string command = "cd '" + folder.string() + "' && " + as +
                                (binary / program).string() + " " + arguments +
                                " >out.txt 2>err.txt <" + (input ? "in.txt" : "/dev/null");
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readLines(folder / "out.txt"),
            readLines(folder / "err.txt")};
}

// Starts `wagebook-import [--overwrite] --dept DEPARTMENT staff.xls` in `folder` and gives
// its process id, to wait for or kill: stdout goes into `out`, stderr into `err` (each
// discarded when empty). `out` is emptied here, not in the child: a child killed before it
// gets that far must not leave the previous run's output to be read as its own.
inline pid_t startImport(const std::filesystem::path& folder, const std::string& department,
                         bool overwrite, const std::filesystem::path& out = {},
                         const std::filesystem::path& err = {}) {
    const std::string binary =
        (std::filesystem::path(WB_BINARY_DIR) / "src" / "cli" / "wagebook-import").string();
    std::vector<const char*> argv = {"wagebook-import"};
    if (overwrite)
        argv.push_back("--overwrite");
    argv.insert(argv.end(), {"--dept", department.c_str(), "staff.xls", nullptr});
    if (!out.empty())
        std::ofstream(out, std::ios::trunc);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const auto openOutput = [](const std::filesystem::path& file) {
            return ::open(file.empty() ? "/dev/null" : file.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                          0644);
        };
        if (::chdir(folder.c_str()) != 0 || ::dup2(openOutput(out), 1) < 0 ||
            ::dup2(openOutput(err), 2) < 0)
            ::_exit(127);
        ::execv(binary.c_str(), const_cast<char* const*>(argv.data()));
        ::_exit(127);
    }
    return pid;
}

// Waits for a started program; its exit status, -1 when it did not exit by itself.
inline int waitForExit(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace wb::test
