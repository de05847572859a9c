// SPDX-License-Identifier: GPL-3.0-or-later
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

// What the code-file set-up found wrong.
struct CodeFileProblem {
    enum Kind {
        Missing,    // no file at that name: reported, and the run goes on without codes
        Unreadable, // a file that cannot be read: the Import command ends before its run
        Foreign,    // read as it is; the text warns about what it holds
    };
    Gbk text;
    Kind kind = Missing;
};

// The code-file set-up before every import: empties codeMap and fills it from "dm.txt"
// in the current directory. Nothing at that name, a dangling link, or anything that is no
// regular file (a directory, FIFO, device or socket) is Missing: "代码文件dm.txt不存在". A
// regular file that cannot be read (no read permission, a link loop, a read that fails
// part-way) is Unreadable: "代码文件dm.txt无法读取：" and the reason. Either way the map stays
// empty. A file that was read but is not GBK (detectForeignEncoding) is still read as GBK,
// and gives a Foreign "代码文件dm.txt不是GBK编码(看起来是UTF-8)..." saying how to save it.
// Texts are GBK. Nothing when the file was read and may be GBK. Never throws for the file
// and never waits on it (a FIFO is refused, not opened for a blocking read).
std::optional<CodeFileProblem> loadCodeFile(CodeTable& codeMap);

} // namespace wb
