// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/Database.h"
#include "data/postgres/PostgresConnection.h"

#include <memory>
#include <string>

namespace wb {

// A PostgreSQL server, shared by several clerks (see PostgresConnection for the session).
// Jet-dialect statements are translated once per shape (JetSql.h), with "$n" parameters,
// prepared once and run with their values bound. Inside a transaction or a unit every
// statement runs under a savepoint sent in the same round trip, so that one the server
// rejects undoes only itself, as on the embedded engine. A transaction sees the database as
// it was when it began (REPEATABLE READ); a unit outside one is a transaction of its own,
// whose BEGIN travels with its first statement. Statements run by executeDeferred inside
// one wait and go together, each under its savepoint, in one round trip when they settle.
class PostgresDatabase : public Database {
public:
    // Connects; throws wb::Error as PostgresConnection does. lockTimeoutMs is how long a
    // write waits for another clerk's lock.
    PostgresDatabase(const ServerAddress& address, int lockTimeoutMs);
    ~PostgresDatabase() override;
    PostgresDatabase(const PostgresDatabase&) = delete;
    PostgresDatabase& operator=(const PostgresDatabase&) = delete;

    std::string displayName() const override;
    std::string location() const override { return connection_.address().url(); }
    void execute(const Gbk& jet) override;
    void executeDeferred(const Gbk& jet, const Refusal& refused) override;
    void settle() override;
    QueryRows select(const Gbk& jet) override;
    std::int64_t insertRow(std::string_view table, const std::vector<std::string>& columns,
                           const std::vector<EngineValue>& values) override;
    void deleteRow(std::string_view table, std::int64_t key) override;
    const TableColumns* columns(std::string_view table) override;
    void checkWritable() override;

    std::optional<SchemaDialect> schemaDialect() const override { return SchemaDialect::Postgres; }
    void executeSql(const std::string& sql) override;
    std::vector<std::string> indexedColumns(std::string_view table) override;
    // Whether the database holds a table of this name.
    bool hasTable(std::string_view table);

protected:
    // A transaction begins at once, in REPEATABLE READ; a unit's own transaction and a
    // unit's savepoint begin with the unit's first statement.
    void startTransaction() override;
    void startDepartmentTransaction(const Gbk& departmentCode) override;
    void startUnitTransaction() override;
    void commitWork() override;
    void rollBack() override;
    void startSavepoint() override;
    void releaseSavepoint() override;
    bool rollBackToSavepoint() override;

private:
    struct State;
    struct TableInfo;
    struct Deferred;

    const TableInfo* table(std::string_view name);
    // Runs a write: `steps` after the pending start of a unit, under a savepoint when
    // inside a transaction or unit. Throws for a failure, naming `what`.
    std::int64_t write(std::vector<PostgresConnection::Step> steps, const std::string& what);
    // A pipeline's first steps: the start of a unit not yet sent, if any.
    std::vector<PostgresConnection::Step> startSteps() const;
    // Sends a pipeline begun with startSteps: the index of the step that failed, or -1 (the
    // unit's start is then sent).
    int send(const std::vector<PostgresConnection::Step>& steps, ServerError& error,
             std::int64_t* value = nullptr);
    // Sends up to a batch of the deferred statements in one pipeline, each under its
    // savepoint, and with `commit`, when the batch holds the last of them, the COMMIT
    // after them: true when the transaction so ended. A refused statement alone is undone and
    // reported, and the ones after it (and the COMMIT) wait for the next pipeline. Throws
    // DatabaseFailure when the commit fails or its outcome is unknown.
    bool settleBatch(bool commit);
    // A statement under its savepoint failed at step `failed` of a pipeline whose statement
    // steps begin at `bodyFirst`: whatever it cannot keep apart ends everything open and
    // throws DatabaseFailure; else the statement alone is undone and the caller reports it.
    void undoFailedStatement(int failed, int bodyFirst, const ServerError& error,
                             const std::string& what);
    // Undoes a statement that failed under its savepoint, alone; when that cannot be done,
    // ends everything open and throws DatabaseFailure.
    void undoStatement(const ServerError& error, const std::string& what);
    [[noreturn]] void fail(const ServerError& error, const std::string& what);
    // Whether a transaction is open on the server (a unit's own one begins with its first
    // statement).
    bool serverTransactionOpen() const;
    // Throws DatabaseFailure unless a COMMIT `ran` and its `tag` says it was made.
    void requireCommitted(bool ran, const std::string& tag, ServerError error);
    void releaseDepartmentLocks();
    void reconnectIfLost();
    void beginServerTransaction();

    PostgresConnection connection_;
    bool holdsDepartmentLocks_ = false;
    // The start of a unit not yet sent ("BEGIN" or the unit's savepoint): it goes with the
    // unit's first statement, and a unit that writes nothing costs nothing.
    std::string pendingStart_;
    std::unique_ptr<State> state_;
    std::vector<Deferred> deferred_; // in the order given
};

} // namespace wb
