// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The seam between the engine and a kind of database. The engine writes its statements in
// the Jet dialect (GBK text, as an office's programs have always written them); each kind of
// database is one implementation of this interface, in files of its own, and renders that
// dialect for its engine itself, and takes the steps of its transactions (startTransaction,
// commitWork, ...) while this class keeps their order and state. Adding a kind is adding an
// implementation in a library of its own and a branch in openDatabase; nothing above the
// data layer changes.
//
// Failures throw: DatabaseFailure when the database itself cannot go on (see
// DatabaseFailure.h), wb::Error when one statement or record is refused. Texts are UTF-8.

#include "data/EngineValue.h"
#include "data/SchemaDialect.h"
#include "data/TableColumns.h"
#include "text/Gbk.h"

#include <QVariant>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QSqlQuery;

namespace wb {

// The rows of a query, read whole.
struct QueryRows {
    std::vector<std::string> columns; // names as the engine gives them, UTF-8
    std::vector<std::vector<QVariant>> rows;
};

class Database {
public:
    virtual ~Database() = default;

    // The database as messages name it: its file's absolute path, or its server.
    virtual std::string displayName() const = 0;
    // The database as the command lines name it: its file's absolute path, or its server's
    // url without a password.
    virtual std::string location() const { return displayName(); }

    // Runs a statement that returns no rows (Jet dialect, GBK). A rejected statement
    // changes nothing.
    virtual void execute(const Gbk& jet) = 0;
    // What becomes of a statement's refusal reported after the call: it gets the reason, as
    // execute's wb::Error would give it (UTF-8).
    using Refusal = std::function<void(const std::string& reason)>;
    // Runs a statement as execute does, but hands a refusal to `refused` instead of throwing,
    // and a database on a server may hold the statement back inside a transaction or unit to
    // send it with the ones that follow, sparing a round trip each. By the time settle,
    // commitUnit or commitTransaction returns, or any other call that reads or writes has
    // begun, every held statement has run and each refusal has been handed on, in the order
    // the statements were given. DatabaseFailure comes from whichever call meets it; a
    // rollback drops what is held. By default the statement runs at once.
    virtual void executeDeferred(const Gbk& jet, const Refusal& refused);
    // Runs every statement held back by executeDeferred.
    virtual void settle() {}
    // Runs a query (Jet dialect, GBK) and reads its rows whole, so that nothing stays open.
    virtual QueryRows select(const Gbk& jet) = 0;
    // Inserts one row of `values` into the named columns of `table` (names as the database
    // declares them; no column: a row of defaults) and gives the key the database assigned.
    virtual std::int64_t insertRow(std::string_view table, const std::vector<std::string>& columns,
                                   const std::vector<EngineValue>& values) = 0;
    // Takes the row with this key back out of `table`.
    virtual void deleteRow(std::string_view table, std::int64_t key) = 0;
    // The columns of a table, read once and kept; nullptr when the database has no such
    // table. The result stays valid as long as the database.
    virtual const TableColumns* columns(std::string_view table) = 0;

    // The SQL of the engine, for the statements of the program's own tables that the Jet
    // dialect cannot say (CREATE TABLE ... AS, indexes); nullopt for a kind whose engine the
    // schema does not write for (an Access file), which then keeps no tables of the program's.
    virtual std::optional<SchemaDialect> schemaDialect() const { return std::nullopt; }
    // Runs one statement of the engine's own SQL (UTF-8, no parameters, no rows), inside the
    // open transaction if there is one. Throws as execute does. The columns read for a table
    // are read again afterwards.
    virtual void executeSql(const std::string& sql);
    // The lower-case names of the columns that lead an index of `table` (those an index
    // serves a lookup by); empty for a table without indexes or a kind that cannot tell.
    virtual std::vector<std::string> indexedColumns(std::string_view table);

    // A transaction holds everything written until commitTransaction as one (an overwrite
    // run's deletion and all its rows); it takes the write lock when it begins, waiting for
    // another writer as long as the database allows. When the commit fails, everything since
    // beginTransaction is rolled back and DatabaseFailure names the cause. A transaction may
    // be committed and another begun between units. rollbackTransaction never throws, rolls
    // back a unit inside the transaction with it, and does nothing outside a transaction.
    // Calls out of order (a second begin, a commit of nothing, a commit with a unit open)
    // throw wb::Error and change nothing.
    void beginTransaction();
    // beginTransaction for a run that replaces a department's staff. On a shared server it
    // also keeps every other such transaction for this department, for one above it or one
    // below it waiting until this one ends, and its statements see the database as it was
    // when it began (after the wait). It waits as long as a write waits for a lock, then
    // throws DatabaseFailure naming the department. Where a transaction holds the write lock
    // of the whole database (an embedded file) it is beginTransaction.
    void beginDepartmentTransaction(const Gbk& departmentCode);
    void commitTransaction();
    void rollbackTransaction();
    bool inTransaction() const { return transaction_; }

    // A unit of work stored whole or not at all (an import row: the person and its
    // dependent records). Inside a transaction it is a savepoint that a failing row can undo
    // alone, where the kind has savepoints; outside one it is its own transaction, committed
    // at commitUnit like commitTransaction. Inside a unit a rejected statement undoes only
    // itself. When a unit's end fails, the unit is rolled back. rollbackUnit never throws
    // and does nothing outside a unit.
    void beginUnit();
    void commitUnit();
    void rollbackUnit();
    bool inUnit() const { return unit_ != Unit::None; }

    // Throws DatabaseFailure when the database cannot take writes now (read-only, or the
    // file is no longer the one opened).
    virtual void checkWritable() = 0;

protected:
    // The columns of a table as the Jet translation asks for them (see columns).
    auto columnsOf() {
        return [this](std::string_view table) {
            return columns(table);
        };
    }

    // Whether writes now go into an open transaction: one begun by beginTransaction, or a
    // unit's own.
    bool writing() const { return transaction_ || unit_ != Unit::None; }

    // The steps of a kind, which the public calls above take in order once they have
    // refused calls out of order; the state they keep changes only after a step succeeds.
    // A step that fails throws; the state is then reset as each step says.
    //
    // Begins a transaction; on failure nothing is open.
    virtual void startTransaction() = 0;
    // Begins a department's transaction (see beginDepartmentTransaction); by default
    // startTransaction.
    virtual void startDepartmentTransaction(const Gbk& departmentCode);
    // Begins the transaction of a unit outside a transaction; by default startTransaction.
    virtual void startUnitTransaction();
    // Commits the open transaction, the statements executeDeferred holds back first (they
    // may travel with the commit). On failure the transaction is rolled back (rollBack) and
    // nothing is open; the failure is a DatabaseFailure (see failCommit).
    virtual void commitWork() = 0;
    // Undoes and ends whatever transaction the engine holds open, if any; never throws.
    virtual void rollBack() = 0;
    // Sets the savepoint of a unit inside a transaction; on failure the transaction goes on
    // without the unit.
    virtual void startSavepoint() = 0;
    // Keeps what the unit wrote in the transaction and drops its savepoint; on failure the
    // unit is rolled back.
    virtual void releaseSavepoint() = 0;
    // Undoes what the unit wrote; never throws. False when the transaction around it is
    // gone as well (the engine ended it): nothing is open then.
    virtual bool rollBackToSavepoint() = 0;

    // For a kind whose engine abandoned the open transaction (a full disk, a lost
    // connection): rolls back what is left of it, leaves nothing open and throws
    // DatabaseFailure with `text` and that nothing uncommitted was kept.
    [[noreturn]] void failAbandoned(const std::string& text);
    // The DatabaseFailure of a commit that failed for `reason`: nothing of it was kept.
    [[noreturn]] void failCommit(const std::string& reason) const;
    // How messages begin for a transaction, unit or savepoint that could not begin, and for
    // a commit or release that failed.
    std::string beginFailure() const;
    std::string commitFailure() const;
    // For a kind's destructor: rolls back whatever is open.
    void rollbackAll();

private:
    enum class Unit : std::uint8_t { None, OwnTransaction, Savepoint };

    // Rolls back the open transaction (rollBack) and leaves nothing open.
    void abandonTransaction();

    bool transaction_ = false;
    Unit unit_ = Unit::None;
};

// Every row an executed Qt query yields, read whole; its error is left on the query.
QueryRows readRows(QSqlQuery& query);

// Opens a database. `location` is a server's url (postgresql://…, see ServerAddress.h) or a
// file name. A file's folder is the office folder: when it holds wagebook.ini with a
// [database] url, that server is opened instead; else the file, by what its header says it
// is (SQLite 3; a Jet/ACE file through ODBC where an Access driver exists). A file name is
// a path in the file system's encoding, relative to the current directory; busyTimeoutMs
// is how long a write waits for another program's lock. Throws wb::Error for a missing or
// unreadable file, a file that is no database, or one the engine cannot open, a bad
// wagebook.ini or a server that cannot be reached, naming the file or server and the reason;
// DatabaseFailure when the engine finds the file locked, damaged or unwritable as it opens it.
// Defined where every kind of database is known (data/open, wb_data_open): a program that
// opens databases links that library, the only one that links every kind.
std::unique_ptr<Database> openDatabase(const std::string& location, int busyTimeoutMs);
// The file part of openDatabase: the file itself, whatever its folder holds.
std::unique_ptr<Database> openDatabaseFile(const std::string& fileName, int busyTimeoutMs);

} // namespace wb
