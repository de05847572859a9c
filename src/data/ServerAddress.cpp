// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/ServerAddress.h"

#include "data/DataText.h"
#include "text/Error.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QUrlQuery>

namespace wb {

namespace {

constexpr const char* kUrlForm = "postgresql://用户[:密码]@主机[:端口]/数据库";

[[noreturn]] void badUrl(const std::string& url, const std::string& why) {
    throw Error("数据库地址“" + url + "”不对：" + why + "。应为 " + kUrlForm + "。");
}

// A line without the blanks at both ends.
QByteArray trimmed(const QByteArray& line) {
    return line.trimmed();
}

} // namespace

std::string ServerAddress::displayName() const {
    return host + ":" + std::to_string(port) + "/" + database;
}

std::string ServerAddress::url(bool withPassword) const {
    QUrl url;
    url.setScheme(QStringLiteral("postgresql"));
    url.setUserName(QString::fromUtf8(user), QUrl::DecodedMode);
    if (withPassword && !password.empty())
        url.setPassword(QString::fromUtf8(password), QUrl::DecodedMode);
    url.setHost(QString::fromUtf8(host));
    url.setPort(port);
    url.setPath(QStringLiteral("/") + QString::fromUtf8(database), QUrl::DecodedMode);
    if (!options.empty()) {
        QString query;
        for (const auto& [key, value] : options)
            query += QString::fromLatin1((query.isEmpty() ? "" : "&") +
                                         QUrl::toPercentEncoding(QString::fromUtf8(key)) + '=' +
                                         QUrl::toPercentEncoding(QString::fromUtf8(value)));
        url.setQuery(query, QUrl::StrictMode);
    }
    return utf8(url.toString(QUrl::FullyEncoded));
}

bool isServerUrl(const std::string& location) {
    return location.rfind("postgresql://", 0) == 0 || location.rfind("postgres://", 0) == 0;
}

ServerAddress parseServerUrl(const std::string& text) {
    if (!isServerUrl(text))
        badUrl(text, "它不是以 postgresql:// 开头");
    const QUrl url(QString::fromUtf8(text), QUrl::StrictMode);
    // The text of a refusal never shows the password.
    const std::string shown =
        url.isValid() ? utf8(url.toString(QUrl::RemovePassword)) : std::string("postgresql://…");
    // Qt's own explanation quotes the whole url, password included.
    if (!url.isValid())
        badUrl(shown, "无法解析（主机名、端口或其中的字符不合规则）");
    ServerAddress address;
    address.user = utf8(url.userName(QUrl::FullyDecoded));
    address.password = utf8(url.password(QUrl::FullyDecoded));
    address.host = utf8(url.host(QUrl::FullyDecoded));
    address.port = url.port(5432);
    QString path = url.path(QUrl::FullyDecoded);
    if (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    address.database = utf8(path);
    if (address.user.empty())
        badUrl(shown, "缺少用户名");
    if (address.host.empty())
        badUrl(shown, "缺少服务器的主机名");
    if (address.database.empty() || path.contains(QLatin1Char('/')))
        badUrl(shown, "缺少数据库名，或数据库名中有 /");
    if (!url.fragment().isEmpty())
        badUrl(shown, "地址中不能有 #");
    for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        if (key.isEmpty())
            badUrl(shown, "? 之后的选项缺少名称");
        address.options.emplace_back(utf8(key), utf8(value));
    }
    return address;
}

std::optional<std::string> serverUrlOfSettings(const std::string& iniPath) {
    const QString path = QFile::decodeName(iniPath.c_str());
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return std::nullopt;
    const std::string name = utf8(info.absoluteFilePath());
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly))
        throw Error("无法读取设置文件 " + name + "：" +
                    (info.isDir() ? std::string("它是一个文件夹") : utf8(file.errorString())) +
                    "。");
    // A plain reading: "[section]" lines, "key=value" lines, and ";" or "#" comment lines;
    // a value is taken as it stands, commas and quotes included.
    QByteArray section;
    std::optional<std::string> url;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        QByteArray line = trimmed(raw);
        if (line.startsWith("\xEF\xBB\xBF"))
            line = trimmed(line.mid(3));
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (line.startsWith('[') && line.endsWith(']')) {
            section = trimmed(line.mid(1, line.size() - 2)).toLower();
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (section == "database" && equals > 0 && trimmed(line.left(equals)).toLower() == "url")
            url = trimmed(line.mid(equals + 1)).toStdString();
    }
    if (!url || url->empty())
        throw Error("设置文件 " + name + " 中没有 [database] 下的 url（应为 url=" + kUrlForm +
                    "）。");
    return url;
}

} // namespace wb
