// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TerminalLines.h"

#include "text/Encoding.h"
#include "text/TerminalText.h"

namespace wb::cli {

std::string printable(const Gbk& text) {
    return terminalSafe(gbkToUtf8(text));
}

std::string messageLine(const Gbk& caption, const Gbk& text) {
    return printable(caption + ": "_ascii + text);
}

} // namespace wb::cli
