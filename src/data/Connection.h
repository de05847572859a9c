#pragma once

#include "data/SqliteStatement.h"
#include "data/TableColumns.h"

#include <QSqlDatabase>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class QSqlError;

namespace wb {

// The connection to the personnel database that every component writes and
// reads through (a second, read-only one serves only the staff grid). It opens on first use
// (relative names resolve against the current directory at that moment) and stays open
// until it is destroyed; a failed open is tried again on the next use. The file is opened
// by what its header says it is: SQLite 3 through QSQLITE (WAL mode where the file can be
// switched to it, else its own journal mode; synchronous NORMAL; busy timeout); a Jet/ACE file
// through ODBC where an Access driver exists, else an error that says what the file is. Every
// failure throws wb::Error with a text a user can act on (missing, unreadable or locked file, a
// file that is no database, the engine's reason). The components built on a connection
// (StatementRunner, PersonTable, Query) must not outlive it.
class Connection {
public:
    enum class Engine : std::uint8_t { Sqlite, Jet };

    // fileName is a path in the file system's encoding. busyTimeoutMs is how long a
    // statement waits for another program's lock before it fails.
    explicit Connection(std::string fileName, int busyTimeoutMs = 5000);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The open database; opens it on first use.
    QSqlDatabase& database();
    // A second connection to the same database for a read that stays open while the
    // program writes (the lazily fetched staff grid). An open read on the writing connection
    // would pin an old view of the database, and its next write after another program's
    // commit would fail. Opens on first use; the same as database() for a Jet file.
    QSqlDatabase& readerDatabase();
    bool isOpen() const;
    // The engine behind the file; opens it on first use. Statements go to a Jet engine
    // untranslated.
    Engine engine();

    // A transaction holds everything written until commitTransaction as one: an overwrite
    // run's deletion and all its rows. It takes the write lock when it begins (waiting the
    // busy timeout for another writer). commitTransaction first checks that the file is still
    // the one opened; when that or the commit fails, everything since beginTransaction is
    // rolled back and DatabaseFailure names the cause. rollbackTransaction never throws and
    // does nothing outside a transaction.
    void beginTransaction();
    void commitTransaction();
    void rollbackTransaction();
    bool inTransaction() const;

    // A unit of work that is stored whole or not at all (an import row: the person and its
    // dependent records). Inside a transaction it is a part of it that a rejected row can undo
    // alone (on a Jet file, which has no such parts, only the transaction can be undone);
    // outside one it is its own transaction, committed at commitUnit exactly like
    // commitTransaction. Statements outside both are committed each on its own. Inside a unit
    // a rejected statement undoes only itself. rollbackUnit never throws and does nothing
    // outside a unit.
    void beginUnit();
    void commitUnit();
    void rollbackUnit();
    bool inUnit() const;

    // Before a run writes anything: throws DatabaseFailure when the database cannot take
    // writes (a read-only file, a folder where the engine cannot keep its journal) or the
    // file is no longer the one opened (deleted, moved, replaced or truncated).
    void checkWritable();

    // The columns of a table, read from the database once and kept; nullptr when the
    // database has no such table. Throws when the database cannot be read.
    const TableColumns* columns(std::string_view table);

    // SQLite engine only: a statement (UTF-8) prepared on the connection's handle once and
    // kept for the life of the connection. Throws wb::Error naming `what` (default: the
    // SQL) when the engine rejects it.
    SqliteStatement& statement(const std::string& sql, const std::string& what = {});
    // Runs a statement to its end and resets it; throws wb::Error naming `what` (UTF-8),
    // or naming what() of a callable, which is then only called on failure.
    void run(SqliteStatement& statement, const std::string& what);
    template <typename What> void run(SqliteStatement& statement, const What& what) {
        StepFailure failure;
        if (runToEnd(statement, failure) != kDone)
            failWith(failure, what());
    }
    // The rowid the last successful insert on this connection gave its row.
    std::int64_t lastInsertId();
    // Throws the error for an engine failure: `what` failed (UTF-8), and why, in words for
    // a failure of the database itself (see failureCause), else in the engine's words. A
    // failure of the database itself, and any failure after which the engine has abandoned
    // the open transaction, is a DatabaseFailure; a rejected statement a plain wb::Error.
    [[noreturn]] void fail(const QSqlError& error, const std::string& what);

    // The database file as the messages name it (UTF-8): its absolute path once opened.
    std::string displayName() const;

private:
    struct Cache;

    void open();
    void openSqlite(const QString& path);
    void openJet(const QString& path);
    void closeDatabase();
    void useWalWherePossible(const std::string& what);
    static const int kDone; // SQLITE_DONE
    // Steps a statement to its end and resets it: SQLITE_DONE, else the error code, with
    // the engine's message and the operating system's error number.
    struct StepFailure {
        int code = 0;
        int systemErrno = 0;
        std::string message;
    };
    int runToEnd(SqliteStatement& statement, StepFailure& failure);
    [[noreturn]] void failSqlite(int code, const std::string& what);
    // Closes the half-opened database and throws the handle's failure.
    [[noreturn]] void failOpen(const std::string& what);
    [[noreturn]] void failWith(const StepFailure& failure, const std::string& what);
    // Ends the open transaction: commits it, or rolls it back and throws DatabaseFailure.
    void commitOrRollBack(const std::string& what);
    // Undoes everything not committed; never throws.
    void rollBackQuietly();
    // Throws DatabaseFailure when the file at the opened path is no longer the one opened.
    void checkSameFile();

    std::string fileName_;
    int busyTimeoutMs_;
    QString connectionName_;
    QString path_; // absolute, set by open()
    QSqlDatabase database_;
    QSqlDatabase reader_;
    sqlite3* handle_ = nullptr; // the SQLite engine's, owned by database_
    Engine engine_ = Engine::Sqlite;
    bool inTransaction_ = false;
    bool inUnit_ = false;
    bool unitOwnsTransaction_ = false; // the unit began outside a transaction
    // The opened file, to tell it from one put in its place: device, inode, and the largest
    // size seen (the engine never shrinks it; only another program can).
    struct FileIdentity {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = 0;
    };
    FileIdentity identity_;
    std::unique_ptr<Cache> cache_;
};

} // namespace wb
