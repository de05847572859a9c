// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/postgres/PostgresDatabase.h"

#include "data/DataText.h"
#include "data/DatabaseFailure.h"
#include "data/JetSql.h"
#include "data/Schema.h"
#include "text/Encoding.h"
#include "text/Error.h"
#include "text/GbkText.h"

#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace wb {

namespace {

using Step = PostgresConnection::Step;

constexpr const char* kStatementSavepoint = "SAVEPOINT wb_statement";
constexpr const char* kReleaseStatement = "RELEASE SAVEPOINT wb_statement";
constexpr const char* kUndoStatement =
    "ROLLBACK TO SAVEPOINT wb_statement; RELEASE SAVEPOINT wb_statement";
// The first key of the department locks, so that they meet no other program's.
constexpr int kDepartmentLockClass = 0x57420001;
// How many deferred statements go in one pipeline at the most.
constexpr std::size_t kDeferredBatch = 128;

// Engine SQL of the embedded dialect for the server: "?" becomes $1, $2, ... and a
// bracketed name a quoted one in lower case (an unquoted name folds to it); quoted texts
// stay as they are.
std::string forServer(std::string_view sql) {
    std::string out;
    out.reserve(sql.size() + 8);
    int parameter = 0;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (c == '\'') {
            const std::size_t close = sql.find('\'', i + 1);
            const std::size_t end = close == std::string_view::npos ? sql.size() : close + 1;
            out.append(sql.substr(i, end - i));
            i = end - 1;
        } else if (c == '?') {
            out += '$' + std::to_string(++parameter);
        } else if (c == '[') {
            const std::size_t close = sql.find(']', i);
            const std::size_t end = close == std::string_view::npos ? sql.size() : close;
            out += quotedName(asciiLower(sql.substr(i + 1, end - i - 1)));
            i = end;
        } else {
            out += c;
        }
    }
    return out;
}

ColumnType columnTypeOf(const std::string& typeName, const std::string& category) {
    if (typeName == "date" || typeName == "timestamp" || typeName == "timestamptz")
        return ColumnType::Date;
    if (typeName == "int2" || typeName == "int4" || typeName == "int8")
        return ColumnType::Integer;
    if (category == "N")
        return ColumnType::Real;
    if (category == "S")
        return ColumnType::Text;
    return ColumnType::Untyped;
}

// A stable 32-bit hash of bytes (FNV-1a): every clerk's program computes the same lock key.
std::int32_t lockKey(std::string_view bytes) {
    std::uint32_t hash = 2166136261u;
    for (char c : bytes)
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return static_cast<std::int32_t>(hash);
}

// The server's refusal in words: the cause where one is known, with the server's text.
std::string described(const ServerError& error) {
    const std::string cause = serverFailureCause(error);
    return cause.empty() ? error.message : cause + "（" + error.message + "）";
}

Step command(std::string sql, const std::vector<EngineValue>* values = nullptr) {
    Step step;
    step.text = std::move(sql);
    step.values = values;
    return step;
}

} // namespace

struct PostgresDatabase::TableInfo {
    TableColumns columns;
    std::string quoted;   // the name as statements write it
    std::string key;      // the single-column primary key, else empty
    std::string sequence; // the sequence that numbers the key, else empty
};

struct PostgresDatabase::State {
    struct Prepared {
        std::string name;
        std::string sql;
        EngineStatement translated; // of a Jet statement
        int keyIndex = -1;          // of an insert: the key's place among its values
    };
    // The savepoint and its release are prepared too: parsed once, not with every statement.
    static const Prepared kSavepoint;
    static const Prepared kRelease;

    int lockTimeoutMs = 0;
    std::unordered_map<std::string, TableInfo> tables; // by lower-case name
    std::unordered_map<Gbk, Prepared> shapes;
    std::unordered_map<std::string, Prepared> writes; // inserts and deletes by their SQL key
    std::unordered_set<std::string> preparedNames;    // on the server now
    int statements = 0;
    std::vector<EngineValue> values;

    std::string nextName() { return "wb_" + std::to_string(++statements); }
    // The statement of a Jet-dialect text, named once per shape; `literals` get its values.
    template <typename ColumnsOf>
    const Prepared& jetStatement(const Gbk& jet, const ColumnsOf& columnsOf,
                                 std::vector<EngineValue>& literals) {
        const auto named = [this](EngineStatement translated) {
            Prepared prepared;
            prepared.sql = forServer(translated.sql);
            prepared.translated = std::move(translated);
            prepared.name = nextName();
            return prepared;
        };
        return shapeOf(shapes, jet, columnsOf, named, literals);
    }
    // The steps that run a prepared statement, preparing it first when the server lacks it
    // (it counts as prepared from here on: see forgetUnprepared).
    void addRun(std::vector<Step>& steps, const Prepared& prepared,
                const std::vector<EngineValue>* parameters, bool returnsValue) {
        if (preparedNames.insert(prepared.name).second) {
            Step prepare;
            prepare.kind = Step::Kind::Prepare;
            prepare.name = prepared.name;
            prepare.text = prepared.sql;
            steps.push_back(std::move(prepare));
        }
        Step run;
        run.kind = Step::Kind::Prepared;
        run.text = prepared.name;
        run.values = parameters;
        run.returnsValue = returnsValue;
        steps.push_back(std::move(run));
    }
    // After a pipeline that failed at step `failed`: the statements it was to prepare there
    // or later are not on the server.
    void forgetUnprepared(const std::vector<Step>& steps, int failed) {
        for (std::size_t i = failed < 0 ? steps.size() : static_cast<std::size_t>(failed);
             i < steps.size(); ++i)
            if (steps[i].kind == Step::Kind::Prepare)
                preparedNames.erase(steps[i].name);
    }
};

const PostgresDatabase::State::Prepared PostgresDatabase::State::kSavepoint{
    "wb_savepoint", kStatementSavepoint, {}, -1};
const PostgresDatabase::State::Prepared PostgresDatabase::State::kRelease{
    "wb_release", kReleaseStatement, {}, -1};

// A statement held back by executeDeferred until the database settles.
struct PostgresDatabase::Deferred {
    const State::Prepared* statement = nullptr;
    std::vector<EngineValue> values;
    Gbk jet; // named only when refused
    Refusal refused;

    std::string what() const { return refusedStatement(gbkToUtf8(jet)); }
};

PostgresDatabase::PostgresDatabase(const ServerAddress& address, int lockTimeoutMs)
    : connection_(address, lockTimeoutMs), state_(std::make_unique<State>()) {
    state_->lockTimeoutMs = lockTimeoutMs;
}

PostgresDatabase::~PostgresDatabase() {
    rollbackAll();
}

std::string PostgresDatabase::displayName() const {
    return connection_.address().displayName();
}

void PostgresDatabase::fail(const ServerError& error, const std::string& what) {
    const std::string text = what + "：" + described(error);
    if (error.connectionLost && writing())
        failAbandoned(text);
    if (isServerFailure(error))
        throw DatabaseFailure(text);
    throw Error(text);
}

bool PostgresDatabase::serverTransactionOpen() const {
    return inTransaction() || (inUnit() && pendingStart_.empty());
}

void PostgresDatabase::rollBack() {
    const bool open = serverTransactionOpen();
    pendingStart_.clear();
    deferred_.clear();
    ServerError ignored;
    if (open && !connection_.lost())
        connection_.command("ROLLBACK", ignored);
    releaseDepartmentLocks();
}

void PostgresDatabase::reconnectIfLost() {
    if (!connection_.lost())
        return;
    if (serverTransactionOpen())
        failAbandoned("与数据库服务器 " + displayName() + " 的连接断开了");
    try {
        connection_.reconnect();
    } catch (const Error& error) {
        throw DatabaseFailure(error.what());
    }
    state_->preparedNames.clear();
    holdsDepartmentLocks_ = false; // they went with the old session
}

std::int64_t PostgresDatabase::write(std::vector<Step> body, const std::string& what) {
    settle();
    reconnectIfLost();
    const bool guarded = writing();
    std::vector<Step> steps = startSteps();
    if (guarded)
        state_->addRun(steps, State::kSavepoint, nullptr, false);
    const int bodyFirst = static_cast<int>(steps.size());
    for (Step& step : body)
        steps.push_back(std::move(step));
    if (guarded)
        state_->addRun(steps, State::kRelease, nullptr, false);

    ServerError error;
    std::int64_t value = 0;
    const int failed = send(steps, error, &value);
    if (failed < 0)
        return value;
    undoFailedStatement(failed, bodyFirst, error, what);
    fail(error, what);
}

std::vector<Step> PostgresDatabase::startSteps() const {
    std::vector<Step> steps;
    if (!pendingStart_.empty())
        steps.push_back(command(pendingStart_));
    return steps;
}

int PostgresDatabase::send(const std::vector<Step>& steps, ServerError& error,
                           std::int64_t* value) {
    const int failed = connection_.pipeline(steps, error, value);
    state_->forgetUnprepared(steps, failed);
    if (failed < 0)
        pendingStart_.clear();
    return failed;
}

void PostgresDatabase::undoFailedStatement(int failed, int bodyFirst, const ServerError& error,
                                           const std::string& what) {
    if (error.connectionLost)
        fail(error, what);
    if (failed < bodyFirst) // the unit or the statement's savepoint never began
        failAbandoned(what + "：" + described(error));
    pendingStart_.clear();
    if (writing())
        undoStatement(error, what);
}

void PostgresDatabase::undoStatement(const ServerError& error, const std::string& what) {
    ServerError ignored;
    if (!connection_.command(kUndoStatement, ignored))
        failAbandoned(what + "：" + described(error));
}

void PostgresDatabase::executeDeferred(const Gbk& jetGbk, const Refusal& refused) {
    // Outside a transaction or unit each statement is its own transaction: nothing to wait for.
    if (!writing()) {
        Database::executeDeferred(jetGbk, refused);
        return;
    }
    Deferred deferred;
    deferred.jet = jetGbk;
    try {
        deferred.statement = &state_->jetStatement(jetGbk, columnsOf(), deferred.values);
    } catch (const Error& error) {
        settle(); // refusals keep the order of their statements
        refused(error.what());
        return;
    }
    deferred.refused = refused;
    deferred_.push_back(std::move(deferred));
    // A long unit is sent in batches, so that what is held and a pipeline stay small.
    if (deferred_.size() >= kDeferredBatch)
        settle();
}

void PostgresDatabase::settle() {
    while (!deferred_.empty())
        settleBatch(false);
}

bool PostgresDatabase::settleBatch(bool commit) {
    reconnectIfLost();
    const std::size_t count = std::min(deferred_.size(), kDeferredBatch);
    std::vector<Step> steps = startSteps();
    std::vector<int> bodyFirst;
    for (std::size_t i = 0; i < count; ++i) {
        state_->addRun(steps, State::kSavepoint, nullptr, false);
        bodyFirst.push_back(static_cast<int>(steps.size()));
        state_->addRun(steps, *deferred_[i].statement, &deferred_[i].values, false);
        state_->addRun(steps, State::kRelease, nullptr, false);
    }
    std::string tag;
    const int commitAt = commit && count == deferred_.size() ? static_cast<int>(steps.size()) : -1;
    if (commitAt >= 0) {
        steps.push_back(command("COMMIT"));
        steps.back().tag = &tag;
    }
    ServerError error;
    const int failed = send(steps, error);
    if (commitAt >= 0 && (failed < 0 || failed == commitAt || error.connectionLost)) {
        // The transaction ends here, committed or not (a lost connection leaves that unknown).
        deferred_.clear();
        pendingStart_.clear();
        requireCommitted(failed < 0, tag, error);
        return true;
    }
    if (failed < 0) {
        deferred_.erase(deferred_.begin(), deferred_.begin() + static_cast<std::ptrdiff_t>(count));
        return false;
    }
    // The statement that failed; those after it were skipped and go in the next batch.
    const auto after = std::upper_bound(bodyFirst.begin(), bodyFirst.end(), failed);
    const std::size_t refusedAt =
        after == bodyFirst.begin() ? 0 : static_cast<std::size_t>(after - bodyFirst.begin()) - 1;
    Deferred refused = std::move(deferred_[refusedAt]);
    deferred_.erase(deferred_.begin(),
                    deferred_.begin() + static_cast<std::ptrdiff_t>(refusedAt) + 1);
    const std::string what = refused.what();
    undoFailedStatement(failed, bodyFirst[refusedAt], error, what);
    if (isServerFailure(error))
        fail(error, what);
    refused.refused(what + "：" + described(error));
    return false;
}

const PostgresDatabase::TableInfo* PostgresDatabase::table(std::string_view name) {
    const std::string key = asciiLower(name);
    auto found = state_->tables.find(key);
    if (found != state_->tables.end())
        return &found->second;
    reconnectIfLost();
    static const std::string kColumns =
        "SELECT a.attname, t.typname, t.typcategory, c.oid::regclass::text,"
        " i.indrelid IS NOT NULL,"
        " CASE WHEN i.indrelid IS NOT NULL"
        " THEN pg_get_serial_sequence(c.oid::regclass::text, a.attname) END"
        " FROM pg_class c JOIN pg_attribute a ON a.attrelid = c.oid"
        " JOIN pg_type t ON t.oid = a.atttypid"
        " LEFT JOIN pg_index i ON i.indrelid = c.oid AND i.indisprimary AND i.indnatts = 1"
        " AND i.indkey[0] = a.attnum"
        " WHERE c.oid = to_regclass($1) AND a.attnum > 0 AND NOT a.attisdropped"
        " ORDER BY a.attnum";
    PostgresConnection::TextRows rows;
    ServerError error;
    if (!connection_.query(kColumns, {EngineValue::ofText(std::string(name))}, rows, error))
        fail(error, "无法读取表 " + std::string(name) + " 的字段");
    if (rows.empty())
        return nullptr;
    TableInfo info;
    for (const auto& row : rows) {
        info.columns.columns.push_back({*row[0], columnTypeOf(*row[1], *row[2])});
        info.quoted = *row[3];
        if (*row[4] == "t") {
            info.key = *row[0];
            info.sequence = row[5].value_or("");
        }
    }
    if (info.key.empty() && info.columns.indexOf("id") >= 0)
        info.key = "id";
    return &state_->tables.emplace(key, std::move(info)).first->second;
}

const TableColumns* PostgresDatabase::columns(std::string_view name) {
    const TableInfo* info = table(name);
    return info ? &info->columns : nullptr;
}

bool PostgresDatabase::hasTable(std::string_view name) {
    return table(name) != nullptr;
}

void PostgresDatabase::execute(const Gbk& jetGbk) {
    const std::string what = refusedStatement(gbkToUtf8(jetGbk));
    const State::Prepared& statement = state_->jetStatement(jetGbk, columnsOf(), state_->values);
    std::vector<Step> steps;
    state_->addRun(steps, statement, &state_->values, false);
    write(std::move(steps), what);
}

void PostgresDatabase::executeSql(const std::string& sql) {
    state_->tables.clear();
    write({command(sql)}, "服务器拒绝了语句“" + sql + "”");
}

std::vector<std::string> PostgresDatabase::indexedColumns(std::string_view table) {
    static const std::string kIndexed =
        "SELECT lower(a.attname) FROM pg_index i JOIN pg_attribute a"
        " ON a.attrelid = i.indrelid AND a.attnum = i.indkey[0]"
        " WHERE i.indrelid = to_regclass($1)";
    settle();
    reconnectIfLost();
    PostgresConnection::TextRows rows;
    ServerError error;
    if (!connection_.query(kIndexed, {EngineValue::ofText(std::string(table))}, rows, error))
        fail(error, "无法读取表 " + std::string(table) + " 的索引");
    std::vector<std::string> columns;
    for (const auto& row : rows)
        columns.push_back(row[0].value_or(""));
    return columns;
}

QueryRows PostgresDatabase::select(const Gbk& jetGbk) {
    const std::string what = "查询“" + gbkToUtf8(jetGbk) + "”失败";
    const std::string sql = forServer(translateJet(jetGbk, columnsOf()));
    settle();
    reconnectIfLost();
    // Inside a transaction a failing query must not end it: it runs under a savepoint.
    const bool guarded = writing();
    if (!pendingStart_.empty())
        write({}, what);
    ServerError error;
    if (guarded && !connection_.command(kStatementSavepoint, error))
        fail(error, what);
    QSqlQuery query(connection_.qt());
    query.setForwardOnly(true);
    QueryRows result;
    bool ok = query.exec(QString::fromUtf8(sql));
    if (ok) {
        result = readRows(query);
        ok = !query.lastError().isValid();
    }
    if (!ok) {
        const QSqlError qtError = query.lastError();
        error = {qtError.nativeErrorCode().toStdString(),
                 qtError.databaseText().trimmed().toUtf8().toStdString(), connection_.lost()};
        if (guarded && !error.connectionLost)
            undoStatement(error, what);
        fail(error, what);
    }
    if (guarded && !connection_.command(kReleaseStatement, error))
        fail(error, what);
    return result;
}

std::int64_t PostgresDatabase::insertRow(std::string_view tableName,
                                         const std::vector<std::string>& columnNames,
                                         const std::vector<EngineValue>& values) {
    const std::string what = "无法写入表 " + std::string(tableName) + " 的记录";
    const TableInfo* info = table(tableName);
    if (!info)
        throw Error(what + "：数据库 " + displayName() + " 中没有这个表");
    std::string key = asciiLower(tableName);
    for (const std::string& name : columnNames)
        key += '\x1f' + name;
    auto found = state_->writes.find(key);
    if (found == state_->writes.end()) {
        State::Prepared prepared;
        std::string names, marks;
        for (std::size_t i = 0; i < columnNames.size(); ++i) {
            const int index = info->columns.indexOf(columnNames[i]);
            const std::string& declared =
                index >= 0 ? info->columns.columns[index].name : columnNames[i];
            if (!info->key.empty() && declared == info->key)
                prepared.keyIndex = static_cast<int>(i);
            names += (i ? "," : "") + quotedName(declared);
            marks += (i ? ",$" : "$") + std::to_string(i + 1);
        }
        prepared.sql =
            "INSERT INTO " + info->quoted +
            (names.empty() ? " DEFAULT VALUES" : " (" + names + ") VALUES (" + marks + ")") +
            (info->key.empty() ? "" : " RETURNING " + quotedName(info->key));
        prepared.name = state_->nextName();
        found = state_->writes.emplace(key, std::move(prepared)).first;
    }
    const State::Prepared& insert = found->second;
    std::vector<Step> steps;
    state_->addRun(steps, insert, &values, true);
    // A row given its key keeps the key's sequence ahead of it, so that the next row the
    // server numbers does not collide with it.
    std::vector<EngineValue> advance;
    if (insert.keyIndex >= 0 && !info->sequence.empty() &&
        values[static_cast<std::size_t>(insert.keyIndex)].kind == EngineValue::Kind::Integer) {
        advance = {EngineValue::ofText(info->sequence),
                   values[static_cast<std::size_t>(insert.keyIndex)]};
        steps.push_back(command("SELECT setval($1::regclass, $2::bigint) WHERE $2::bigint >"
                                " coalesce(pg_sequence_last_value($1::regclass), 0)",
                                &advance));
    }
    return write(std::move(steps), what);
}

void PostgresDatabase::deleteRow(std::string_view tableName, std::int64_t key) {
    const std::string what = rowNotTakenBack(tableName);
    const TableInfo* info = table(tableName);
    if (!info || info->key.empty())
        throw Error(what + "：这个表没有主键");
    const std::string sqlKey = "delete\x1f" + asciiLower(tableName);
    auto found = state_->writes.find(sqlKey);
    if (found == state_->writes.end()) {
        State::Prepared prepared;
        prepared.sql = "DELETE FROM " + info->quoted + " WHERE " + quotedName(info->key) + " = $1";
        prepared.name = state_->nextName();
        found = state_->writes.emplace(sqlKey, std::move(prepared)).first;
    }
    const std::vector<EngineValue> values = {EngineValue::ofInteger(key)};
    std::vector<Step> steps;
    state_->addRun(steps, found->second, &values, false);
    write(std::move(steps), what);
}

void PostgresDatabase::beginServerTransaction() {
    ServerError error;
    if (!connection_.command("BEGIN ISOLATION LEVEL REPEATABLE READ", error))
        throw DatabaseFailure(beginFailure() + "：" + described(error));
}

void PostgresDatabase::startTransaction() {
    reconnectIfLost();
    beginServerTransaction();
}

// The department's lock and shared locks on every code it begins with: an overwrite of 01
// waits for one of 01 or of 0101, while overwrites of 0101 and 0102 go side by side. The
// locks belong to the session and are taken before the transaction begins, so that its
// view of the database is taken after the other clerk's run was committed.
void PostgresDatabase::startDepartmentTransaction(const Gbk& departmentCode) {
    reconnectIfLost();
    const std::string_view code = departmentCode.view();
    std::string ancestors = "{";
    for (std::size_t length = 0; length < code.size(); ++length)
        ancestors += (length ? "," : "") + std::to_string(lockKey(code.substr(0, length)));
    ancestors += "}";
    const std::vector<EngineValue> shared = {EngineValue::ofText(ancestors)};
    const std::vector<EngineValue> own = {EngineValue::ofInteger(lockKey(code))};
    const std::string lockClass = std::to_string(kDepartmentLockClass);
    ServerError error;
    holdsDepartmentLocks_ = true;
    const int failed = connection_.pipeline(
        {command("SELECT count(pg_advisory_lock_shared(" + lockClass +
                     ", k)) FROM unnest($1::int4[]) AS k",
                 &shared),
         command("SELECT pg_advisory_lock(" + lockClass + ", $1::int4)", &own)},
        error);
    if (failed >= 0) {
        releaseDepartmentLocks();
        if (error.sqlstate != "55P03")
            fail(error, beginFailure());
        throw DatabaseFailure("部门 " + gbkToUtf8(departmentCode) +
                              " 或它的上级、下级部门正由另一位用户覆盖导入，等了 " +
                              std::to_string(state_->lockTimeoutMs / 1000.0).substr(0, 3) +
                              " 秒仍未结束；没有改动任何数据，请稍后再试");
    }
    try {
        beginServerTransaction();
    } catch (...) {
        releaseDepartmentLocks();
        throw;
    }
}

void PostgresDatabase::releaseDepartmentLocks() {
    if (!holdsDepartmentLocks_)
        return;
    holdsDepartmentLocks_ = false;
    ServerError ignored;
    if (!connection_.lost())
        connection_.command("SELECT pg_advisory_unlock_all()", ignored);
}

void PostgresDatabase::requireCommitted(bool ran, const std::string& tag, ServerError error) {
    if (ran && tag == "COMMIT")
        return;
    if (ran)
        error.message = "写入事务已被服务器中止";
    if (error.connectionLost)
        throw DatabaseFailure(commitFailure() + "：" + described(error) +
                              "；这次提交是否完成无法确定");
    failCommit(described(error));
}

void PostgresDatabase::commitWork() {
    // The COMMIT travels with the last statements held back, if any.
    bool committed = false;
    while (!committed && !deferred_.empty())
        committed = settleBatch(true);
    if (!committed && pendingStart_.empty()) {
        ServerError error;
        std::string tag;
        const bool ran = connection_.command("COMMIT", error, &tag);
        requireCommitted(ran, tag, error);
    }
    pendingStart_.clear(); // a unit that wrote nothing began nothing on the server
    releaseDepartmentLocks();
}

void PostgresDatabase::startUnitTransaction() {
    reconnectIfLost();
    pendingStart_ = "BEGIN";
}

void PostgresDatabase::startSavepoint() {
    reconnectIfLost();
    pendingStart_ = "SAVEPOINT wb_unit";
}

void PostgresDatabase::releaseSavepoint() {
    settle();
    if (!pendingStart_.empty()) {
        pendingStart_.clear(); // nothing was written
        return;
    }
    ServerError error;
    if (!connection_.command("RELEASE SAVEPOINT wb_unit", error))
        fail(error, commitFailure());
}

bool PostgresDatabase::rollBackToSavepoint() {
    deferred_.clear();
    if (!pendingStart_.empty()) {
        pendingStart_.clear();
        return true;
    }
    ServerError ignored;
    return !connection_.lost() &&
           connection_.command("ROLLBACK TO SAVEPOINT wb_unit; RELEASE SAVEPOINT wb_unit", ignored);
}

void PostgresDatabase::checkWritable() {
    settle();
    reconnectIfLost();
    std::string tables = "{";
    for (const std::string& name : writtenTables())
        tables += (tables.size() > 1 ? "," : "") + name;
    tables += "}";
    PostgresConnection::TextRows rows;
    ServerError error;
    const bool ok = connection_.query(
        "SELECT current_setting('transaction_read_only') = 'on' OR pg_is_in_recovery(),"
        " (SELECT string_agg(t, ', ') FROM unnest($1::text[]) AS t WHERE to_regclass(t) IS NOT"
        " NULL AND NOT has_table_privilege(t, 'INSERT, UPDATE, DELETE')),"
        " current_user",
        {EngineValue::ofText(tables)}, rows, error);
    if (!ok) {
        throw DatabaseFailure("无法写入数据库 " + displayName() + "：" + described(error));
    }
    if (rows.at(0)[0] == "t")
        throw DatabaseFailure("数据库服务器 " + displayName() +
                              " 只允许读取（只读，或是备用服务器），不能写入");
    if (rows[0][1])
        throw DatabaseFailure("用户 " + rows[0][2].value_or("") + " 没有写入数据库 " +
                              displayName() + " 中表 " + *rows[0][1] + " 的权限");
}

} // namespace wb
