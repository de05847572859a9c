// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the programs print of the engine's GBK texts: UTF-8 with control characters shown
// (terminalSafe), so that no workbook or code-file text can rewrite the user's screen.

#include "text/Gbk.h"

#include <string>

namespace wb::cli {

// A workbook or code-file text, or a line of the run log, for the terminal.
std::string printable(const Gbk& text);

// A message box as one line: "caption: text".
std::string messageLine(const Gbk& caption, const Gbk& text);

} // namespace wb::cli
