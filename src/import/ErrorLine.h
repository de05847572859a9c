#pragma once

#include "text/Gbk.h"

#include <string>
#include <vector>

namespace wb {

// One line of the error list, kept in its parts so that the list can also be written as a
// table. Shown, it reads kind ":" name ":" text, then ":" reason when there is one (a refused
// person: kind ":" name ":" reason); a line that names no kind (a code-file problem) is its
// text alone.
struct ErrorLine {
    Gbk kind;   // what could not be taken, e.g. "学历"
    Gbk name;   // the person's name
    Gbk text;   // the untranslated text
    Gbk reason; // why a record was refused; empty when the text simply had no code

    static ErrorLine plain(Gbk line) { return {{}, {}, std::move(line), {}}; }
    Gbk line() const;
};

// The error list as CSV: UTF-8 with a byte-order mark (spreadsheet programs then read it as
// UTF-8), CRLF line ends, a header row 类别,姓名,内容,原因, then one row per line.
std::string errorListCsv(const std::vector<ErrorLine>& lines);

// Writes errorListCsv(lines) to `path` (in the file system's encoding) whole or not at all.
// Throws wb::Error naming the file and the reason.
void writeErrorListCsv(const std::string& path, const std::vector<ErrorLine>& lines);

} // namespace wb
