#pragma once
// The code file dm.txt: lines of key "=" value in GBK, translating workbook texts to codes.

#include "refdata/CodeTable.h"

#include <optional>
#include <string>
#include <string_view>

namespace wb {

// Fills `map` from the code file's bytes: each line trimmed; the key is the trimmed text
// before the first "=", the value the text after it cut to 20 bytes and then trimmed; lines
// without "=" or with an empty key are skipped; a later line replaces an earlier one. The
// content ends at its first NUL byte. Does not empty `map` first.
void parseCodeFile(const Gbk& content, CodeTable& map);

// What the code-file set-up found wrong, for the error list.
struct CodeFileProblem {
    Gbk text;
    // The file was not read and the map stays empty; otherwise it was read as it is and
    // the text warns about what it holds.
    bool unread = false;
};

// The code-file set-up before every import: empties codeMap and fills it from "dm.txt"
// in the current directory. A missing file, and anything at that name that is not a
// readable regular file (a directory, FIFO, device or socket, a file without read
// permission, a read that fails part-way), leaves the map empty and gives the text that
// reports it (GBK: "代码文件dm.txt不存在", or "代码文件dm.txt无法读取：" and the reason),
// marked unread. A file that was read but is not GBK (detectForeignEncoding) is still read
// as GBK, and gives "代码文件dm.txt不是GBK编码(看起来是UTF-8)..." saying how to save it.
// Nothing when the file was read and may be GBK. Never throws for the file and never waits
// on it (a FIFO is refused, not opened for a blocking read).
std::optional<CodeFileProblem> loadCodeFile(CodeTable& codeMap);

} // namespace wb
