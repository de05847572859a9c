// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tables of the personnel database: the only place that creates them.

#include "data/SchemaDialect.h"

#include <string>
#include <string_view>
#include <vector>

namespace wb {

class Database;

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

// The program's own tables, which keep what undo needs of the recent import runs: a row per
// run, the persons each run stored, and for each table an import writes its mirror
// (undoMirror: the table's columns behind the run's id, wb_run) holding the rows an
// overwrite deleted. They live in the database they undo, written in the transactions of the
// runs they record. The office's own tables are never altered for them.
inline constexpr const char* kUndoRuns = "wb_undo_runs";
inline constexpr const char* kUndoPersons = "wb_undo_persons";
std::string undoMirror(std::string_view table);

// Makes the undo tables present and current, each change in one transaction of its own:
// creates those that are missing (the mirrors of the tables the database has), and makes a
// mirror anew, with the rows it keeps, when its table has gained a column. Nothing for a
// kind of database that keeps no tables of the program's. Throws as the database does.
void prepareUndoTables(Database& database);

// The indexes an import needs that the database lacks ("ryxl.mid", "ryjbxx.bm"): an index on
// ryjbxx.bm and on mid of each dependent table, for the tables it has.
std::vector<std::string> missingIndexes(Database& database);
// Creates those indexes, in one transaction, and gives what it created; changes nothing else.
std::vector<std::string> addMissingIndexes(Database& database);

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
