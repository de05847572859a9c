// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/Database.h"
#include "data/sqlite/SqliteStatement.h"

#include <QSqlDatabase>
#include <QString>

#include <memory>

struct sqlite3;

namespace wb {

// An SQLite 3 file, the embedded default: opened through Qt's QSQLITE driver, with the hot
// paths (statements, inserts, units) run on the driver's own sqlite3 handle, whose
// per-statement cost is a fraction of Qt's. WAL mode where the file can be switched to it
// (else its own journal mode), synchronous NORMAL, the busy timeout for writes. Jet-dialect
// statements are translated once per shape (JetSql.h) and prepared once; their values are
// bound. Before every commit the file at the opened path must still be the file opened.
class SqliteDatabase : public Database {
public:
    // Opens the file at `path` (absolute); throws as openDatabase does.
    SqliteDatabase(const QString& path, int busyTimeoutMs);
    ~SqliteDatabase() override;
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    std::string displayName() const override;
    void execute(const Gbk& jet) override;
    QueryRows select(const Gbk& jet) override;
    std::int64_t insertRow(std::string_view table, const std::vector<std::string>& columns,
                           const std::vector<EngineValue>& values) override;
    void deleteRow(std::string_view table, std::int64_t key) override;
    const TableColumns* columns(std::string_view table) override;
    std::optional<SchemaDialect> schemaDialect() const override { return SchemaDialect::Sqlite; }
    void executeSql(const std::string& sql) override;
    std::vector<std::string> indexedColumns(std::string_view table) override;
    void checkWritable() override;

protected:
    // A transaction takes the write lock when it begins; a unit inside one is a savepoint.
    void startTransaction() override;
    void commitWork() override;
    void rollBack() override;
    void startSavepoint() override;
    void releaseSavepoint() override;
    bool rollBackToSavepoint() override;

private:
    struct State;
    // An engine failure: its result code, the operating system's error number behind it and
    // the engine's message, taken when it happened.
    struct StepFailure {
        int code = 0;
        int systemErrno = 0;
        std::string message;
    };

    void open(int busyTimeoutMs);
    void close();
    void useWalWherePossible();
    StepFailure lastFailure() const;
    // The failure in words: the cause where one is known, with the engine's text.
    static std::string described(const StepFailure& failure);
    // Prepared once and kept; throws naming `what` when the engine rejects it.
    SqliteStatement& statement(const std::string& sql, const std::string& what);
    // Steps a statement to its end and resets it; gives SQLITE_DONE or the error code.
    int runToEnd(SqliteStatement& statement, StepFailure& failure);
    void run(SqliteStatement& statement, const std::string& what);
    // Throws the error for a failure: DatabaseFailure for one of the database itself or
    // one after which the engine abandoned the open transaction, else wb::Error.
    [[noreturn]] void failWith(const StepFailure& failure, const std::string& what);
    // Throws DatabaseFailure when the file at the opened path is no longer the one opened.
    void checkSameFile();

    QString path_;
    QString connectionName_;
    QSqlDatabase database_;
    sqlite3* handle_ = nullptr; // the driver's, owned by database_
    std::unique_ptr<State> state_;
};

} // namespace wb
