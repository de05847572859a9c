// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Moving an office's Access database into a new SQLite database: every user table with
// every row, the program's own tables in the form the program creates them.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace wb::migrate {

// One table's rows: as the file's table definition counts them, as read, as written.
struct TableCount {
    std::string name; // in the target, UTF-8
    std::uint64_t declared = 0;
    std::uint64_t read = 0;
    std::uint64_t written = 0;
    bool complete() const { return read == declared && written == read; }
};

struct MigrationRequest {
    std::string source; // the Access file
    std::string target; // the SQLite file to create; must not exist
    int codePage = 0;   // Jet 3 text: 0 for the file's own code page
    // Asked between rows; true stops the migration as a failure (Ctrl-C). May be empty.
    std::function<bool()> stopRequested;
    // Told how far the copy of a table got: when it begins (read 0, written 0) and after each
    // row read (written is counted at the table's end). May be empty.
    std::function<void(const TableCount&)> progress;
};

// A table's counts as the user reads them: "name: 读出 N 行, 写入 N 行", and the rows the
// file's table definition declares when the reading differs from them.
std::string tableCountLine(const TableCount& count);

// Copies the source into the target. `report` is called after each table. The target
// appears only when every table was read whole and written whole; otherwise nothing is
// left behind and wb::Error names the tables whose counts differ. Any other failure (an
// unreadable or damaged source, a stop requested, a source with linked tables (their rows are in
// another file), an existing target, a full disk) throws wb::Error too.
std::vector<TableCount> migrate(const MigrationRequest& request,
                                const std::function<void(const TableCount&)>& report);

} // namespace wb::migrate
