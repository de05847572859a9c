#pragma once
// The code file dm.txt: lines of key "=" value in GBK, translating workbook texts to codes.

#include "refdata/CodeTable.h"
#include "refdata/UserInterface.h"

#include <string_view>

namespace wb {

// Fills `map` from the code file's bytes: each line trimmed; the key is the trimmed text
// before the first "=", the value the text after it cut to 20 bytes and then trimmed; lines
// without "=" or with an empty key are skipped; a later line replaces an earlier one. The
// content ends at its first NUL byte. Does not empty `map` first.
void parseCodeFile(std::string_view content, CodeTable& map);

// The code-file set-up before every import: empties CodeFileMap and fills it from "dm.txt"
// in the current directory. A missing file is reported (error-list line and stop box) and
// leaves the map empty; the import still follows. Throws wb::Error when the file exists but
// cannot be read.
void loadCodeFile(CodeTable& CodeFileMap, UserInterface& ui);

} // namespace wb
