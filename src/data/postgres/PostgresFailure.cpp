// SPDX-License-Identifier: GPL-3.0-or-later
// How a PostgreSQL server's refusals read to a clerk: at login, and for a statement.

#include "data/postgres/PostgresConnection.h"

#include "text/Error.h"

#include <libpq-fe.h>
#include <poll.h>

#include <regex>

namespace wb {

namespace {

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

// What the server said at login, asked again on a connection of our own whose messages
// carry the SQLSTATE (the server's words may be in any language).
struct LoginRefusal {
    std::string sqlstate;
    std::string message;
    bool needsPassword = false;
    bool connected = false;
};

LoginRefusal askServer(const ServerAddress& address) {
    std::vector<std::pair<std::string, std::string>> pairs = {
        {"host", address.host},
        {"port", std::to_string(address.port)},
        {"dbname", address.database},
        {"user", address.user}};
    if (!address.password.empty())
        pairs.emplace_back("password", address.password);
    for (auto& option : connectOptions(address))
        pairs.push_back(std::move(option));
    std::vector<const char*> keys, values;
    for (const auto& [key, value] : pairs) {
        keys.push_back(key.c_str());
        values.push_back(value.c_str());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);

    LoginRefusal refusal;
    PGconn* probe = PQconnectStartParams(keys.data(), values.data(), 0);
    if (!probe)
        return refusal;
    PQsetErrorVerbosity(probe, PQERRORS_VERBOSE);
    PostgresPollingStatusType status = PGRES_POLLING_WRITING;
    while (PQstatus(probe) != CONNECTION_BAD && status != PGRES_POLLING_OK &&
           status != PGRES_POLLING_FAILED) {
        pollfd wait = {PQsocket(probe),
                       static_cast<short>(status == PGRES_POLLING_READING ? POLLIN : POLLOUT), 0};
        if (::poll(&wait, 1, 15000) <= 0)
            break;
        status = PQconnectPoll(probe);
    }
    refusal.connected = status == PGRES_POLLING_OK;
    refusal.needsPassword = PQconnectionNeedsPassword(probe) == 1;
    refusal.message = trimmedMessage(PQerrorMessage(probe));
    // "FATAL:  28P01: password authentication failed ...", whatever the words.
    static const std::regex kState(R"(:\s+((?=[0-9A-Z]*[0-9])[0-9A-Z]{5}):\s)");
    std::smatch match;
    if (std::regex_search(refusal.message, match, kState))
        refusal.sqlstate = match[1];
    PQfinish(probe);
    return refusal;
}

} // namespace

bool loginNeedsPassword(const ServerAddress& address) {
    return askServer(address).needsPassword;
}

void PostgresConnection::failToConnect(const std::string& driverText) {
    const std::string server =
        "数据库服务器 " + address_.host + ":" + std::to_string(address_.port);
    const std::string database = "数据库 " + address_.database;
    const LoginRefusal refusal = askServer(address_);
    std::string said = driverText.empty() ? refusal.message : driverText;
    // One line: the server's words may span several.
    for (char& c : said)
        if (c == '\n' || c == '\t')
            c = ' ';
    while (!said.empty() && said.back() == ' ')
        said.pop_back();
    std::string text;
    if (refusal.needsPassword)
        text = server + " 要求用户 " + address_.user + " 的密码（" + database +
               "），但 wagebook.ini 的 url、PGPASSWORD 和 ~/.pgpass 都没有给出。";
    else if (startsWith(refusal.sqlstate, "28"))
        text = server + " 拒绝了用户 " + address_.user + " 的登录（" + database +
               "）：密码不对，或没有这个用户，或不允许它从本机登录。";
    else if (refusal.sqlstate == "3D000")
        text = server + " 上没有" + database + "（用户 " + address_.user +
               "）。请检查 wagebook.ini 中的数据库名，或先在服务器上建立这个数据库。";
    else if (refusal.sqlstate == "57P03" || refusal.sqlstate == "53300")
        text = server + " 暂时不接受连接（正在启动或关闭，或连接数已满）：" + database + "。";
    else if (refusal.sqlstate.empty() && !refusal.connected)
        text = "无法连接" + server + "（" + database +
               "）：服务器没有响应。请检查 wagebook.ini 中的主机名和端口、服务器是否已启动、"
               "网络是否通畅。";
    else
        text = "无法连接" + server + " 上的" + database + "。";
    throw Error(text + "（" + said + "）");
}

std::string serverFailureCause(const ServerError& error) {
    const std::string& state = error.sqlstate;
    if (error.connectionLost || startsWith(state, "08"))
        return "与数据库服务器的连接断开了";
    if (state == "53100")
        return "数据库服务器的磁盘已满";
    if (state == "53200")
        return "数据库服务器内存不足";
    if (startsWith(state, "53"))
        return "数据库服务器资源不足";
    if (startsWith(state, "57P"))
        return "数据库服务器正在关闭或重启";
    if (state == "55P03")
        return "数据库正被其他用户使用（已锁定），请稍后再试";
    if (state == "40001")
        return "另一位用户同时改动了同一批记录";
    if (state == "40P01")
        return "与另一位用户的写入相互等待（死锁）";
    if (state == "25006")
        return "数据库服务器只允许读取（只读）";
    if (state == "42501")
        return "没有写入这个数据库的权限";
    if (startsWith(state, "58"))
        return "数据库服务器读写磁盘时出错";
    if (startsWith(state, "XX"))
        return "数据库服务器内部错误（数据可能已损坏）";
    if (state == "25P02")
        return "写入事务已被服务器中止";
    return {};
}

bool isServerFailure(const ServerError& error) {
    return !serverFailureCause(error).empty();
}

} // namespace wb
