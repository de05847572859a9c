// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/EngineValue.h"
#include "data/ServerAddress.h"

#include <QSqlDatabase>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct pg_conn;

namespace wb {

// What the server said when it refused something: its SQLSTATE (empty when none came, as
// when the connection broke) and its message.
struct ServerError {
    std::string sqlstate;
    std::string message;
    bool connectionLost = false;
};

// The cause of a server error in words a clerk can act on (UTF-8), and whether it is a
// failure of the database itself (DatabaseFailure) rather than the refusal of one statement.
// Empty for a plain refusal: the server's own text says why.
std::string serverFailureCause(const ServerError& error);
bool isServerFailure(const ServerError& error);

// The libpq options besides host, port, database, user and password: the url's, and a
// bounded wait for an answer and the program's name unless the url says otherwise.
std::vector<std::pair<std::string, std::string>> connectOptions(const ServerAddress& address);
// Points a QPSQL connection at the server, database and login of `address`.
void setServer(QSqlDatabase& database, const ServerAddress& address);
// Whether the server asks for a password for the login of `address` that neither the address
// nor libpq's own sources (PGPASSWORD, ~/.pgpass) give: a front end may then ask the user.
bool loginNeedsPassword(const ServerAddress& address);

// A libpq message without the line breaks and blanks it ends with ("" for none).
std::string trimmedMessage(const char* text);

// One connection to a PostgreSQL server, opened through Qt's QPSQL driver (the queries that
// feed rows to the engine run on it) with the driver's own libpq handle for the hot paths:
// statements prepared once and sent in pipelines, so that a statement with its savepoint
// costs one round trip. The session commits without waiting for the server's disk
// (synchronous_commit off: a crash of the server may lose the last commits, whole), waits
// at most lockTimeoutMs for a lock, and speaks UTF-8 with standard strings.
class PostgresConnection {
public:
    // Opens the connection; throws wb::Error naming the server and database, and saying
    // whether the server did not answer, refused the login or has no such database.
    PostgresConnection(ServerAddress address, int lockTimeoutMs);
    ~PostgresConnection();
    PostgresConnection(const PostgresConnection&) = delete;
    PostgresConnection& operator=(const PostgresConnection&) = delete;

    const ServerAddress& address() const { return address_; }
    QSqlDatabase& qt() { return database_; }

    // One step of a pipeline.
    struct Step {
        enum class Kind : std::uint8_t { Command, Prepare, Prepared };
        Kind kind = Kind::Command;
        std::string text; // Command: SQL; Prepare: SQL; Prepared: the statement's name
        std::string name; // Prepare: the name it gets
        const std::vector<EngineValue>* values = nullptr; // parameters $1, $2, ...
        bool returnsValue = false;  // the first column of its first row is wanted
        std::string* tag = nullptr; // gets its command status ("COMMIT", ...) when it ran
    };
    // Sends every step at once and reads their results: one round trip. Gives the index of
    // the step that failed (the later ones were skipped by the server) with its error, or
    // -1; `value` gets the wanted value when there is one (0 when NULL or none).
    int pipeline(const std::vector<Step>& steps, ServerError& error, std::int64_t* value = nullptr);
    // Runs SQL without parameters (several statements allowed); false with the error when
    // it fails. `tag` gets the command status of the last statement.
    bool command(const std::string& sql, ServerError& error, std::string* tag = nullptr);
    // The rows of a query with text parameters, each value as text (NULL: nullopt).
    using TextRows = std::vector<std::vector<std::optional<std::string>>>;
    bool query(const std::string& sql, const std::vector<EngineValue>& values, TextRows& rows,
               ServerError& error);

    bool lost() const;
    // Opens a lost connection again (its prepared statements are then gone); throws
    // wb::Error as the constructor does when the server cannot be reached.
    void reconnect();

private:
    void applySessionSettings();
    [[noreturn]] void failToConnect(const std::string& driverText);

    ServerAddress address_;
    int lockTimeoutMs_;
    QString connectionName_;
    QSqlDatabase database_;
    pg_conn* handle_ = nullptr; // the driver's, owned by database_
};

} // namespace wb
