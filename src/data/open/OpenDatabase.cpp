// SPDX-License-Identifier: GPL-3.0-or-later
// The one place that knows every kind of database: it picks the kind a location names.

#include "data/DataText.h"
#include "data/Database.h"
#include "data/ServerAddress.h"
#include "data/jet/JetDatabase.h"
#include "data/postgres/PostgresDatabase.h"
#include "data/sqlite/SqliteDatabase.h"
#include "text/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace wb {

namespace {

constexpr char kSqliteHeader[] = "SQLite format 3"; // followed by a NUL byte

} // namespace

std::unique_ptr<Database> openDatabase(const std::string& location, int busyTimeoutMs) {
    if (isServerUrl(location))
        return std::make_unique<PostgresDatabase>(parseServerUrl(location), busyTimeoutMs);
    const std::string& fileName = location;
    const QString folder = QFileInfo(QFile::decodeName(fileName.c_str())).absolutePath();
    const QString settings = QDir(folder).filePath(QString::fromLatin1(kSettingsFile));
    if (const auto url = serverUrlOfSettings(QFile::encodeName(settings).toStdString())) {
        ServerAddress address;
        try {
            address = parseServerUrl(*url);
        } catch (const Error& error) {
            throw Error("设置文件 " + utf8(settings) + " 中的" + error.what());
        }
        return std::make_unique<PostgresDatabase>(address, busyTimeoutMs);
    }
    return openDatabaseFile(fileName, busyTimeoutMs);
}

std::unique_ptr<Database> openDatabaseFile(const std::string& fileName, int busyTimeoutMs) {
    const QString path = QFileInfo(QFile::decodeName(fileName.c_str())).absoluteFilePath();
    const std::string name = utf8(path);
    const QFileInfo info(path);
    if (!info.exists())
        throw Error("找不到数据库文件 " + name + "。");
    if (info.isDir())
        throw Error("无法读取数据库文件 " + name + "：它是一个文件夹。");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error("无法读取数据库文件 " + name + "：" + utf8(file.errorString()) + "。");
    const QByteArray head = file.read(32);
    if (file.error() != QFileDevice::NoError)
        throw Error("无法读取数据库文件 " + name + "：" + utf8(file.errorString()) + "。");
    file.close();

    if (head.startsWith(QByteArray(kSqliteHeader, sizeof kSqliteHeader)))
        return std::make_unique<SqliteDatabase>(path, busyTimeoutMs);
    if (head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB")
        return std::make_unique<JetDatabase>(path);
    throw Error("文件 " + name +
                " 不是人事数据库：它既不是 SQLite 3 数据库，也不是 Access 数据库。");
}

} // namespace wb
