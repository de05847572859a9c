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

} // namespace wb
