// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/Database.h"

#include <QSqlDatabase>
#include <QString>

#include <unordered_map>

namespace wb {

// A Jet/ACE (Access) file through ODBC, where an Access driver exists (Windows). The engine
// speaks the Jet dialect itself, so statements go to it as they are. It has no savepoints:
// a unit inside a transaction is undone only with the whole transaction.
class JetDatabase : public Database {
public:
    // Opens the file at `path` (absolute) with the office's database password; throws a
    // wb::Error that says what the file is when no driver can open it.
    explicit JetDatabase(const QString& path);
    ~JetDatabase() override;
    JetDatabase(const JetDatabase&) = delete;
    JetDatabase& operator=(const JetDatabase&) = delete;

    std::string displayName() const override;
    void execute(const Gbk& jet) override;
    QueryRows select(const Gbk& jet) override;
    std::int64_t insertRow(std::string_view table, const std::vector<std::string>& columns,
                           const std::vector<EngineValue>& values) override;
    void deleteRow(std::string_view table, std::int64_t key) override;
    const TableColumns* columns(std::string_view table) override;
    void checkWritable() override;

protected:
    void startTransaction() override;
    void commitWork() override;
    void rollBack() override;
    // Without savepoints a unit inside a transaction marks nothing; its writes stay in the
    // transaction when it is rolled back.
    void startSavepoint() override {}
    void releaseSavepoint() override {}
    bool rollBackToSavepoint() override { return true; }

private:
    [[noreturn]] void fail(const QString& engineText, const std::string& what) const;

    QString path_;
    QString connectionName_;
    QSqlDatabase database_;
    std::unordered_map<std::string, TableColumns> tables_; // by lower-case name
};

} // namespace wb
