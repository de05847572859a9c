// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The SQLite database a migration writes: built in a temporary file beside the target and
// moved into its place only when complete, so that the target is never half-written.

#include "migrate/AccessFile.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct sqlite3;

namespace wb::migrate {

class TargetDatabase {
public:
    // Refuses (wb::Error) a target that exists; creates the temporary file beside it with
    // the program's tables and indexes (data/Schema.h) inside one open transaction.
    explicit TargetDatabase(const std::string& target);
    // Removes the temporary file unless finish() moved it into place.
    ~TargetDatabase();
    TargetDatabase(const TargetDatabase&) = delete;
    TargetDatabase& operator=(const TargetDatabase&) = delete;

    // Makes the table that receives Access table `name` with `columns`, and prepares its
    // insert; gives the table's name in the target. A table of the program's own (matched
    // without regard to case) keeps its columns and their types, gains the columns it lacks,
    // and its DATE columns receive dates as ISO text; any other table is created with the
    // Access columns in their order.
    std::string beginTable(const std::string& name, const std::vector<AccessColumn>& columns);
    // Inserts one row of the table begun last, each value converted for its column.
    void insert(const std::vector<AccessValue>& row);
    // The rows the table `name` holds now.
    std::uint64_t count(const std::string& name);

    // Commits, switches the file to WAL mode (as the program keeps it) and moves it to the
    // target; refuses (wb::Error) a target that appeared meanwhile.
    void finish();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace wb::migrate
