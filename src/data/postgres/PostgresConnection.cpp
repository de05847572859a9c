// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/postgres/PostgresConnection.h"

#include "data/DataText.h"
#include "text/Error.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QVariant>

#include <libpq-fe.h>

#include <atomic>
#include <charconv>

namespace wb {

namespace {

// A libpq connection keyword's value, quoted for a connection string.
QString quotedOption(const std::string& value) {
    QString text = QString::fromUtf8(value);
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    text.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

void ignoreNotice(void*, const char*) {}

ServerError errorOf(pg_conn* connection, const PGresult* result) {
    ServerError error;
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    error.sqlstate = state ? state : "";
    error.message = trimmedMessage(primary ? primary : PQerrorMessage(connection));
    error.connectionLost = PQstatus(connection) == CONNECTION_BAD;
    return error;
}

// The parameters of a step as libpq takes them: text, NULL for an empty value.
struct Parameters {
    std::vector<std::string> texts;
    std::vector<const char*> pointers;

    explicit Parameters(const std::vector<EngineValue>* values) {
        if (!values)
            return;
        texts.reserve(values->size());
        for (const EngineValue& value : *values) {
            switch (value.kind) {
            case EngineValue::Kind::Integer:
                texts.push_back(std::to_string(value.integer));
                break;
            case EngineValue::Kind::Real: {
                char buffer[32];
                const auto end = std::to_chars(buffer, buffer + sizeof buffer, value.real).ptr;
                texts.emplace_back(buffer, end);
                break;
            }
            case EngineValue::Kind::Text:
                texts.push_back(value.text);
                break;
            case EngineValue::Kind::Null:
                texts.emplace_back();
                break;
            }
        }
        for (std::size_t i = 0; i < values->size(); ++i)
            pointers.push_back((*values)[i].kind == EngineValue::Kind::Null ? nullptr
                                                                            : texts[i].c_str());
    }
    int count() const { return static_cast<int>(pointers.size()); }
    const char* const* data() const { return pointers.empty() ? nullptr : pointers.data(); }
};

bool sendStep(pg_conn* connection, const PostgresConnection::Step& step) {
    using Kind = PostgresConnection::Step::Kind;
    const Parameters parameters(step.values);
    switch (step.kind) {
    case Kind::Command:
        return PQsendQueryParams(connection, step.text.c_str(), parameters.count(), nullptr,
                                 parameters.data(), nullptr, nullptr, 0) == 1;
    case Kind::Prepare:
        return PQsendPrepare(connection, step.name.c_str(), step.text.c_str(), 0, nullptr) == 1;
    case Kind::Prepared:
        return PQsendQueryPrepared(connection, step.text.c_str(), parameters.count(),
                                   parameters.data(), nullptr, nullptr, 0) == 1;
    }
    return false;
}

bool succeeded(const PGresult* result) {
    const ExecStatusType status = PQresultStatus(result);
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

std::int64_t firstValue(const PGresult* result) {
    if (PQntuples(result) < 1 || PQnfields(result) < 1 || PQgetisnull(result, 0, 0))
        return 0;
    return std::strtoll(PQgetvalue(result, 0, 0), nullptr, 10);
}

} // namespace

std::vector<std::pair<std::string, std::string>> connectOptions(const ServerAddress& address) {
    const auto given = [&](const char* key) {
        for (const auto& option : address.options)
            if (option.first == key)
                return true;
        return false;
    };
    auto options = address.options;
    if (!given("connect_timeout"))
        options.emplace_back("connect_timeout", "10");
    if (!given("application_name"))
        options.emplace_back("application_name", "wagebook");
    return options;
}

void setServer(QSqlDatabase& database, const ServerAddress& address) {
    database.setHostName(QString::fromUtf8(address.host));
    database.setPort(address.port);
    database.setDatabaseName(QString::fromUtf8(address.database));
    database.setUserName(QString::fromUtf8(address.user));
    database.setPassword(QString::fromUtf8(address.password));
}

std::string trimmedMessage(const char* text) {
    std::string message = text ? text : "";
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    return message;
}

PostgresConnection::PostgresConnection(ServerAddress address, int lockTimeoutMs)
    : address_(std::move(address)), lockTimeoutMs_(lockTimeoutMs) {
    static std::atomic<int> counter{0};
    connectionName_ = QStringLiteral("wagebook-postgres-%1").arg(++counter);
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        QSqlDatabase::removeDatabase(connectionName_);
        throw Error("本机没有 PostgreSQL 的 Qt 数据库驱动（软件包 "
                    "libqt6sql6-psql），无法连接数据库服务器 " +
                    address_.displayName() + "。");
    }
    database_ = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName_);
    setServer(database_, address_);
    QStringList options;
    for (const auto& [key, value] : connectOptions(address_))
        options.append(QString::fromUtf8(key) + QLatin1Char('=') + quotedOption(value));
    database_.setConnectOptions(options.join(QLatin1Char(';')));
    if (!database_.open())
        failToConnect(utf8(database_.lastError().databaseText()));
    const QVariant handle = database_.driver()->handle();
    // Qt names the handle's type by libpq's struct or by its typedef.
    if (handle.isValid() &&
        (qstrcmp(handle.typeName(), "PGconn*") == 0 || qstrcmp(handle.typeName(), "pg_conn*") == 0))
        handle_ = *static_cast<pg_conn* const*>(handle.constData());
    if (!handle_) {
        database_.close();
        throw Error("无法使用数据库服务器 " + address_.displayName() +
                    "：PostgreSQL 驱动没有交出连接句柄。");
    }
    PQsetNoticeProcessor(handle_, ignoreNotice, nullptr);
    applySessionSettings();
}

PostgresConnection::~PostgresConnection() {
    handle_ = nullptr;
    if (database_.isValid())
        database_.close();
    database_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(connectionName_);
}

void PostgresConnection::applySessionSettings() {
    ServerError error;
    const std::string settings =
        "SET synchronous_commit TO off; SET lock_timeout TO " + std::to_string(lockTimeoutMs_) +
        "; SET standard_conforming_strings TO on; SET client_min_messages TO error;"
        " SET DateStyle TO ISO, YMD";
    if (!command(settings, error))
        throw Error("无法使用数据库服务器 " + address_.displayName() + "：" + error.message);
}

bool PostgresConnection::lost() const {
    return PQstatus(handle_) == CONNECTION_BAD;
}

void PostgresConnection::reconnect() {
    PQreset(handle_);
    if (lost())
        failToConnect(trimmedMessage(PQerrorMessage(handle_)));
    applySessionSettings();
}

int PostgresConnection::pipeline(const std::vector<Step>& steps, ServerError& error,
                                 std::int64_t* value) {
    if (value)
        *value = 0;
    const auto fail = [&](int index, const PGresult* result) {
        error = errorOf(handle_, result);
        return index;
    };
    if (PQenterPipelineMode(handle_) != 1)
        return fail(0, nullptr);
    int failed = -1;
    std::size_t sent = 0;
    for (; sent < steps.size(); ++sent)
        if (!sendStep(handle_, steps[sent]))
            break;
    if (sent < steps.size() || PQpipelineSync(handle_) != 1) {
        // The connection broke while sending: nothing more will come.
        error = errorOf(handle_, nullptr);
        PQexitPipelineMode(handle_);
        return static_cast<int>(sent);
    }
    for (std::size_t i = 0; i < steps.size(); ++i) {
        PGresult* result;
        while ((result = PQgetResult(handle_)) != nullptr) {
            if (failed < 0 && !succeeded(result))
                failed = fail(static_cast<int>(i), result);
            else if (failed < 0 && steps[i].returnsValue && value)
                *value = firstValue(result);
            if (failed < 0 && steps[i].tag)
                *steps[i].tag = PQcmdStatus(result);
            PQclear(result);
        }
        if (lost())
            break;
    }
    // The sync's own result ends the pipeline.
    if (!lost())
        if (PGresult* sync = PQgetResult(handle_))
            PQclear(sync);
    if (PQexitPipelineMode(handle_) != 1 && failed < 0)
        failed = fail(0, nullptr);
    if (failed < 0 && lost())
        failed = fail(0, nullptr);
    return failed;
}

bool PostgresConnection::command(const std::string& sql, ServerError& error, std::string* tag) {
    PGresult* result = PQexec(handle_, sql.c_str());
    const bool ok = result && succeeded(result);
    if (!ok)
        error = errorOf(handle_, result);
    else if (tag)
        *tag = PQcmdStatus(result);
    PQclear(result);
    return ok;
}

bool PostgresConnection::query(const std::string& sql, const std::vector<EngineValue>& values,
                               TextRows& rows, ServerError& error) {
    const Parameters parameters(&values);
    PGresult* result = PQexecParams(handle_, sql.c_str(), parameters.count(), nullptr,
                                    parameters.data(), nullptr, nullptr, 0);
    const bool ok = result && succeeded(result);
    rows.clear();
    if (!ok) {
        error = errorOf(handle_, result);
    } else {
        for (int row = 0; row < PQntuples(result); ++row) {
            auto& out = rows.emplace_back();
            for (int column = 0; column < PQnfields(result); ++column)
                out.push_back(PQgetisnull(result, row, column)
                                  ? std::nullopt
                                  : std::optional<std::string>(PQgetvalue(result, row, column)));
        }
    }
    PQclear(result);
    return ok;
}

} // namespace wb
