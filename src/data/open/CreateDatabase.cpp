// SPDX-License-Identifier: GPL-3.0-or-later
// The tables of a new personnel database, created in a new SQLite file or on a server.

#include "data/DataText.h"
#include "data/Schema.h"
#include "data/ServerAddress.h"
#include "data/postgres/PostgresDatabase.h"
#include "text/Error.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>

namespace wb {

namespace {

void createServerTables(const std::string& url, bool demo) {
    PostgresDatabase database(parseServerUrl(url), 5000);
    std::string existing;
    for (const std::string& table : schemaTables())
        if (database.hasTable(table))
            existing += (existing.empty() ? "" : ", ") + table;
    if (!existing.empty())
        throw Error("数据库 " + database.displayName() + " 中已经有表 " + existing +
                    "，不会改动它们。");
    database.beginTransaction();
    for (const std::string& statement : schemaStatements(SchemaDialect::Postgres))
        database.executeSql(statement);
    if (demo)
        for (const std::string& statement : demoStatements(SchemaDialect::Postgres))
            database.executeSql(statement);
    database.commitTransaction();
}

void removeDatabaseFiles(const QString& path) {
    for (const QString& suffix :
         {QString(), QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")})
        QFile::remove(path + suffix);
}

} // namespace

void createDatabase(const std::string& location, bool demo) {
    if (isServerUrl(location))
        return createServerTables(location, demo);
    const std::string& fileName = location;
    const QString path = QFileInfo(QFile::decodeName(fileName.c_str())).absoluteFilePath();
    {
        // Created here, atomically, so that an existing file is never touched.
        QFile file(path);
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
            throw Error("文件 " + utf8(path) + " 已经存在，不会改动它。");
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            throw Error("无法创建文件 " + utf8(path) + "：" + utf8(file.errorString()) + "。");
    }

    static std::atomic<int> counter{0};
    const QString name = QStringLiteral("wagebook-initdb-%1").arg(++counter);
    std::string failure;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        database.setDatabaseName(path);
        if (!database.open()) {
            failure = utf8(database.lastError().text());
        } else {
            std::vector<std::string> statements = {"PRAGMA journal_mode=WAL", "BEGIN"};
            statements.insert(statements.end(), schemaStatements().begin(),
                              schemaStatements().end());
            if (demo)
                statements.insert(statements.end(), demoStatements().begin(),
                                  demoStatements().end());
            statements.emplace_back("COMMIT");
            QSqlQuery query(database);
            for (const std::string& statement : statements) {
                if (!query.exec(QString::fromUtf8(statement))) {
                    failure = utf8(query.lastError().text());
                    break;
                }
            }
        }
        database.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!failure.empty()) {
        removeDatabaseFiles(path);
        throw Error("无法创建数据库 " + utf8(path) + "：" + failure);
    }
}

} // namespace wb
