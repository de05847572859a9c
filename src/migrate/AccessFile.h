// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An Access database file (Jet 3, Jet 4, ACE) read through libmdb: its user tables, their
// columns and their rows, every value converted to what SQLite stores.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace wb::migrate {

// What a column holds, as the copy needs to know it.
enum class AccessType { Integer, Real, Date, Text, Binary };

struct AccessColumn {
    std::string name; // UTF-8
    AccessType type = AccessType::Text;
};

// One value of a row. Text is UTF-8; Binary keeps its bytes in `bytes`; Date is a Jet day
// number (days from 1899-12-30, the fraction's absolute value the time of day).
struct AccessValue {
    enum class Kind { Null, Integer, Real, Date, Text, Binary };
    Kind kind = Kind::Null;
    std::int64_t integer = 0;
    double real = 0;
    std::string bytes;
};

class AccessTable;

// Whether the file at `path` (file-system encoding) begins as an Access database (Jet or
// ACE) does; false for anything else, or a file that cannot be read.
bool isAccessFile(const std::string& path);

class AccessFile {
public:
    // Opens the file at `path` (file-system encoding). Jet 3 text (and Jet 3 table and column
    // names) is read in `codePage`, or, when it is 0, in the code page the file names (936
    // when it names none); later formats store Unicode. Throws wb::Error naming the file and
    // the reason when it is missing, unreadable or no Access database.
    AccessFile(const std::string& path, int codePage);
    ~AccessFile();
    AccessFile(const AccessFile&) = delete;
    AccessFile& operator=(const AccessFile&) = delete;

    // The user's tables (no system or linked tables), in the file's order, UTF-8.
    const std::vector<std::string>& tableNames() const { return tables_; }
    // Tables whose rows are in another file, each as "name (file)".
    const std::vector<std::string>& linkedTables() const { return linked_; }
    // Opens one of tableNames(); throws wb::Error when its definition cannot be read.
    std::unique_ptr<AccessTable> openTable(const std::string& name);

    // libmdb reports damage on stderr; while the file is open those reports are kept out of
    // the terminal. This gives the first one as a note to append to a message ("" if none).
    std::string libraryNote() const;

    struct Handle;

private:
    void readCatalog();
    // The table of a catalog entry (libmdb's MdbCatalogEntry, whose type has no name this
    // header could declare) with the values of `wanted` columns (all when empty); nullptr
    // when its definition cannot be read.
    std::unique_ptr<AccessTable> openEntry(void* catalogEntry,
                                           const std::vector<std::string>& wanted);

    std::unique_ptr<Handle> handle_;
    std::vector<std::string> tables_;
    std::vector<std::string> linked_;
};

class AccessTable {
public:
    ~AccessTable();
    AccessTable(const AccessTable&) = delete;
    AccessTable& operator=(const AccessTable&) = delete;

    const std::vector<AccessColumn>& columns() const { return columns_; }
    // The row count the table's definition holds.
    std::uint64_t declaredRows() const;
    // Reads the next row into `row` (one value per column); false after the last one.
    bool next(std::vector<AccessValue>& row);

private:
    friend class AccessFile;
    struct State;
    explicit AccessTable(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
    std::vector<AccessColumn> columns_;
};

} // namespace wb::migrate
