// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Test data written as the bytes it holds, and results read back as bytes, so that a test
// can state exact GBK bytes ("\xA1\xA1", half a character) as plainly as ASCII.

#include "text/Encoding.h"
#include "text/Gbk.h"

#include <ostream>

#include <string>
#include <string_view>
#include <vector>

namespace wb {

// Expected results are written as the bytes they hold (found by argument lookup in
// assertions); only tests compare GBK text with a bare literal.
inline bool operator==(const Gbk& text, std::string_view expectedBytes) {
    return text.view() == expectedBytes;
}

// How a failing assertion shows GBK text: as UTF-8. (Deliberately not an operator<<, which
// would let GBK text reach a file as UTF-8.)
inline void PrintTo(const Gbk& text, std::ostream* out) {
    *out << '"' << gbkToUtf8(text) << '"';
}

} // namespace wb

namespace wb::test {

inline Gbk bytes(std::string_view raw) {
    return Gbk::fromBytes(raw);
}

inline std::vector<std::string> bytesOf(const std::vector<Gbk>& texts) {
    std::vector<std::string> out;
    for (const Gbk& text : texts)
        out.push_back(text.bytes());
    return out;
}

} // namespace wb::test
