#pragma once
// The tables of the personnel database: the only place that creates them.

#include <string>
#include <vector>

namespace wb {

// The engines whose column types the schema knows.
enum class SchemaDialect { Sqlite, Postgres };

// The statements (UTF-8) that create every table the import reads or writes, with an
// autonumber id that is never reused or 0, DATE columns for csny, gzsj, xlrq and rzrq, and
// an index on every mid and on ryjbxx.bm; the same tables and values on either engine.
const std::vector<std::string>& schemaStatements(SchemaDialect dialect = SchemaDialect::Sqlite);

// Every table the statements create.
const std::vector<std::string>& schemaTables();

// The tables an import writes: ryjbxx and the tables whose rows belong to a person by mid.
const std::vector<std::string>& writtenTables();

// The seven tables of a person's dependent records; each refers to its person by mid.
const std::vector<std::string>& dependentTables();

// A few sample departments: 01, 0101, 0102, 02, 0201 with Chinese names.
const std::vector<std::string>& demoStatements(SchemaDialect dialect = SchemaDialect::Sqlite);

// Creates the tables, and the sample departments when `demo` is set. `location` is a
// file (a path in the file system's encoding), created in WAL mode, refused when a file or
// folder is already there, and left behind by no failure; or a server's url
// (postgresql://…), whose database must exist, refused when it already holds any of the
// tables, and written in one transaction. Throws wb::Error. Defined with openDatabase, where
// every kind of database is known (data/open, wb_data_open).
void createDatabase(const std::string& location, bool demo);

} // namespace wb
