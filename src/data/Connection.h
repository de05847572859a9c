#pragma once

#include <QSqlDatabase>
#include <QString>
#include <string>

namespace wb {

// ADOConnection1: the single connection to the personnel database. It opens on first use
// (relative names resolve against the current directory at that moment) and stays open
// until it is destroyed. The file is opened by what its header says it is: SQLite 3 through
// QSQLITE (WAL mode, busy timeout); a Jet/ACE file through ODBC where an Access driver
// exists, else an error that says what the file is. Every failure throws wb::Error.
class Connection {
public:
    explicit Connection(std::string fileName = "wagebook.mdb");
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The open database; opens it on first use.
    QSqlDatabase& database();
    bool isOpen() const;

    // A unit of work committed as one (an import row: the person and its dependent records).
    // Statements outside a unit are committed each on its own.
    void beginUnit();
    void commitUnit();
    void rollbackUnit();
    bool inUnit() const;

private:
    std::string fileName_;
    QString connectionName_;
    QSqlDatabase database_;
    bool inUnit_ = false;
};

} // namespace wb
