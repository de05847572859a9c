// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/Database.h"

#include "data/DataText.h"
#include "data/DatabaseFailure.h"
#include "text/Error.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace wb {

namespace {

// What a failed commit or a failure inside a transaction adds: nothing of it was kept.
constexpr const char* kNothingKept = "；尚未提交的写入已全部撤销";

} // namespace

void Database::beginTransaction() {
    if (writing())
        throw Error("上一个写入事务还没有结束。");
    startTransaction();
    transaction_ = true;
}

void Database::beginDepartmentTransaction(const Gbk& departmentCode) {
    if (writing())
        throw Error("上一个写入事务还没有结束。");
    startDepartmentTransaction(departmentCode);
    transaction_ = true;
}

void Database::commitTransaction() {
    if (!transaction_)
        throw Error("没有要提交的写入事务。");
    if (unit_ != Unit::None)
        throw Error("写入单元还没有结束，不能提交事务。");
    try {
        commitWork();
    } catch (...) {
        abandonTransaction();
        throw;
    }
    transaction_ = false;
}

void Database::rollbackTransaction() {
    if (transaction_)
        abandonTransaction();
}

void Database::beginUnit() {
    if (unit_ != Unit::None)
        throw Error("上一个写入单元还没有结束。");
    if (transaction_) {
        startSavepoint();
        unit_ = Unit::Savepoint;
    } else {
        startUnitTransaction();
        unit_ = Unit::OwnTransaction;
    }
}

void Database::commitUnit() {
    if (unit_ == Unit::None)
        throw Error("没有要提交的写入单元。");
    try {
        if (unit_ == Unit::OwnTransaction)
            commitWork();
        else
            releaseSavepoint();
    } catch (...) {
        rollbackUnit();
        throw;
    }
    unit_ = Unit::None;
}

void Database::rollbackUnit() {
    if (unit_ == Unit::OwnTransaction) {
        abandonTransaction();
    } else if (unit_ == Unit::Savepoint) {
        const bool transactionKept = rollBackToSavepoint();
        unit_ = Unit::None;
        if (!transactionKept)
            abandonTransaction();
    }
}

void Database::rollbackAll() {
    rollbackUnit();
    rollbackTransaction();
}

void Database::abandonTransaction() {
    rollBack();
    transaction_ = false;
    unit_ = Unit::None;
}

void Database::startDepartmentTransaction(const Gbk& departmentCode) {
    (void)departmentCode;
    startTransaction();
}

void Database::startUnitTransaction() {
    startTransaction();
}

void Database::failAbandoned(const std::string& text) {
    abandonTransaction();
    throw DatabaseFailure(text + kNothingKept);
}

void Database::failCommit(const std::string& reason) const {
    throw DatabaseFailure(commitFailure() + "：" + reason + kNothingKept);
}

std::string Database::beginFailure() const {
    return "无法开始写入数据库 " + displayName();
}

std::string Database::commitFailure() const {
    return "无法提交对数据库 " + displayName() + " 的写入";
}

void Database::executeDeferred(const Gbk& jet, const Refusal& refused) {
    try {
        execute(jet);
    } catch (const std::exception& error) {
        refused(error.what());
    }
}

void Database::executeSql(const std::string& sql) {
    throw Error("数据库 " + displayName() + " 不能执行语句“" + sql +
                "”：这种数据库不存放本程序的表");
}

std::vector<std::string> Database::indexedColumns(std::string_view) {
    return {};
}

QueryRows readRows(QSqlQuery& query) {
    QueryRows result;
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i)
        result.columns.push_back(utf8(record.fieldName(i)));
    while (query.next()) {
        std::vector<QVariant> row(result.columns.size());
        for (std::size_t i = 0; i < row.size(); ++i)
            row[i] = query.value(static_cast<int>(i));
        result.rows.push_back(std::move(row));
    }
    return result;
}

} // namespace wb
