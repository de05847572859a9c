#pragma once
// The tables of the personnel database: the only place that creates them.

#include <string>
#include <vector>

namespace wb {

// The statements (SQLite, UTF-8) that create every table the import reads or writes, with
// an autonumber id that is never reused or 0, DATE columns for csny, gzsj, xlrq and rzrq,
// and an index on every mid and on ryjbxx.bm.
const std::vector<std::string>& schemaStatements();

// The seven tables of a person's dependent records; each refers to its person by mid.
const std::vector<std::string>& dependentTables();

// A few sample departments: 01, 0101, 0102, 02, 0201 with Chinese names.
const std::vector<std::string>& demoStatements();

// Creates the database file `fileName` (a path in the file system's encoding) holding the
// tables, and the sample departments when `demo` is set, in WAL mode. Refuses a file or
// folder that already exists; a failure leaves no file behind. Throws wb::Error.
void createDatabase(const std::string& fileName, bool demo);

} // namespace wb
