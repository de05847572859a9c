#pragma once
// One of the built programs run as a user runs it, in a folder, with its output captured.

#include "support/FileLines.h"

#include <sys/wait.h>

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

} // namespace wb::test
