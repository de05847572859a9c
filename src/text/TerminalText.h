// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text on its way to a terminal. Workbook and code-file texts can hold any character; printed
// raw, an ESC or CR among them would move the cursor, recolour or rewrite what the user sees.

#include <string>
#include <string_view>

namespace wb {

// The UTF-8 text with every control character except the line break (LF) shown visibly:
// C0 controls and DEL as "\xHH" (ESC is "\x1b", CR "\x0d", TAB "\x09", DEL "\x7f"), the C1
// controls U+0080..U+009F as "\u0080".."\u009f"; lowercase hex. Everything else, a
// backslash included, is kept as it is: the result is for reading, not for undoing, so a
// literal "\x1b" in the text may look like an escaped ESC. Bytes that are no valid UTF-8
// pass through unchanged.
std::string terminalSafe(std::string_view utf8);

// The UTF-8 text as one field of a tab-separated line, escaped so that it can be undone:
// backslash "\\", TAB "\t", CR "\r", LF "\n", the other C0 controls and DEL "\xHH", the C1
// controls "\u00HH" (lowercase hex), everything else as it is. A backslash in the result
// always starts one of these escapes, so the text is recovered exactly; the result holds no
// control character, tab or line break. Bytes that are no valid UTF-8 pass through
// unchanged.
std::string escapeField(std::string_view utf8);

} // namespace wb
