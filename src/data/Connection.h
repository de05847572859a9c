#pragma once

#include "data/SqliteStatement.h"
#include "data/TableColumns.h"

#include <QSqlDatabase>
#include <QString>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class QSqlError;

namespace wb {

// ADOConnection1: the connection to the personnel database that every component writes and
// reads through (a second, read-only one serves only the staff grid). It opens on first use
// (relative names resolve against the current directory at that moment) and stays open
// until it is destroyed; a failed open is tried again on the next use. The file is opened
// by what its header says it is: SQLite 3 through QSQLITE (WAL mode, synchronous NORMAL,
// busy timeout); a Jet/ACE file through ODBC where an Access driver exists, else an error
// that says what the file is. Every failure throws wb::Error with a text a user can act on
// (missing, unreadable or locked file, a file that is no database, the engine's reason).
// The components built on a connection (StatementRunner, PersonTable, Query) must not
// outlive it.
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

    // A unit of work committed as one (an import row: the person and its dependent records).
    // Statements outside a unit are committed each on its own. Inside a unit a rejected
    // statement undoes only itself. A unit takes the write lock when it begins, so a busy
    // database makes beginUnit wait (busy timeout) and then fail. commitUnit rolls the
    // unit back and throws when the commit fails; rollbackUnit never throws and does
    // nothing outside a unit.
    //
    // Group commit: with a window above zero, units that end within the window of the first
    // one are committed together (each still whole, never split), which saves most of the
    // cost of a commit. A group is committed when a unit ends after the window has passed,
    // by flushUnits(), and when the connection is destroyed. A failure that makes the
    // engine abandon the transaction (a full disk) loses the whole group, and says so.
    // The default window is zero: every unit commits at its end.
    void beginUnit();
    void commitUnit();
    void rollbackUnit();
    bool inUnit() const;
    void setGroupWindow(std::chrono::milliseconds window);
    // Commits the ended units of an open group now. Throws when the commit fails.
    void flushUnits();

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
        std::string message;
        const int code = runToEnd(statement, message);
        if (code != kDone)
            failWith(code, message, what());
    }
    // The rowid the last successful insert on this connection gave its row.
    std::int64_t lastInsertId();
    // Throws the wb::Error for an engine failure: `what` failed (UTF-8), and why, in words
    // for a locked, read-only or damaged database, else in the engine's words.
    [[noreturn]] void fail(const QSqlError& error, const std::string& what) const;

    // The database file as the messages name it (UTF-8): its absolute path once opened.
    std::string displayName() const;

private:
    struct Cache;

    void open();
    void openSqlite(const QString& path);
    void openJet(const QString& path);
    void closeDatabase();
    static const int kDone; // SQLITE_DONE
    // Steps a statement to its end and resets it: SQLITE_DONE, else the error code, with
    // the engine's message.
    int runToEnd(SqliteStatement& statement, std::string& message);
    [[noreturn]] void failSqlite(int code, const std::string& what) const;
    [[noreturn]] void failWith(int sqliteCode, const std::string& engineText,
                               const std::string& what) const;

    std::string fileName_;
    int busyTimeoutMs_;
    QString connectionName_;
    QString path_; // absolute, set by open()
    QSqlDatabase database_;
    QSqlDatabase reader_;
    sqlite3* handle_ = nullptr; // the SQLite engine's, owned by database_
    Engine engine_ = Engine::Sqlite;
    bool inUnit_ = false;
    bool inGroup_ = false; // a transaction holding ended units is open
    int unitsInGroup_ = 0;
    std::chrono::milliseconds groupWindow_{0};
    std::chrono::steady_clock::time_point groupStart_;
    std::unique_ptr<Cache> cache_;

    void commitGroup();
};

} // namespace wb
