// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rows a query gives, for comparing with what a test expects.

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace wb::test {

// Each row's columns as UTF-8 joined by "|"; NULL shows as "NULL". A failing query is a
// test failure.
inline std::vector<std::string> sqlRows(const QSqlDatabase& db, const std::string& sql) {
    QSqlQuery query(db);
    EXPECT_TRUE(query.exec(QString::fromStdString(sql)))
        << sql << ": " << query.lastError().text().toStdString();
    std::vector<std::string> rows;
    while (query.next()) {
        std::string row;
        for (int i = 0; i < query.record().count(); ++i) {
            const QVariant value = query.value(i);
            row += (i ? "|" : "") +
                   (value.isNull() ? std::string("NULL") : value.toString().toStdString());
        }
        rows.push_back(row);
    }
    return rows;
}

} // namespace wb::test
