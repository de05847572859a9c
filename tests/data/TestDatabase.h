// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A personnel database in a temporary folder, and a second, independent connection to it
// (the observer) through which tests set up rows and check what was stored.

#include "data/Schema.h"
#include "support/SqlRows.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QVariant>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace wb::test {

inline QString qs(const std::string& utf8) {
    return QString::fromUtf8(utf8);
}

// Runs SQL on a raw connection; fails the test on an error.
inline QSqlQuery runRaw(QSqlDatabase& database, const std::string& sql) {
    QSqlQuery query(database);
    EXPECT_TRUE(query.exec(qs(sql))) << sql << ": " << query.lastError().text().toStdString();
    return query;
}

class TestDatabase {
public:
    // With `create`, the database holds the tables of initdb (and the sample departments
    // with `demo`); else the folder is empty.
    explicit TestDatabase(bool create = true, bool demo = false) {
        if (create)
            createDatabase(path(), demo);
    }
    ~TestDatabase() { closeObserver(); }

    std::string path() const { return file("wagebook.mdb"); }
    std::string file(const char* name) const {
        return QDir(dir_.path()).filePath(QString::fromUtf8(name)).toUtf8().toStdString();
    }

    // Rows of a query on the observer, each row's columns as UTF-8 joined by "|"; NULL
    // shows as "NULL".
    std::vector<std::string> rows(const std::string& sql) { return sqlRows(observer(), sql); }
    std::string value(const std::string& sql) {
        const auto all = rows(sql);
        return all.empty() ? "<no row>" : all.front();
    }
    void exec(const std::string& sql) { runRaw(observer(), sql); }

    QSqlDatabase& observer() {
        if (!observer_.isValid()) {
            observer_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
            observer_.setDatabaseName(QString::fromUtf8(path()));
            EXPECT_TRUE(observer_.open());
        }
        return observer_;
    }
    void closeObserver() {
        if (!observer_.isValid())
            return;
        observer_.close();
        observer_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
    }

private:
    QTemporaryDir dir_;
    QString name_ = QStringLiteral("observer-%1").arg(reinterpret_cast<quintptr>(this));
    QSqlDatabase observer_;
};

} // namespace wb::test
