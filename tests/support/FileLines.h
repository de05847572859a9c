// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The lines of a text file, without their line ends, or the bytes of a file; none when it
// cannot be read.

#include <filesystem>
#include <fstream>
#include <iterator>
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

inline std::string fileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace wb::test
