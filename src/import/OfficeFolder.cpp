// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/OfficeFolder.h"

#include "data/Schema.h"
#include "import/Office.h"
#include "text/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace wb {

namespace {

QString decoded(const std::string& path) {
    return QFile::decodeName(path.c_str());
}

std::string encoded(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

std::string shown(const QString& path) {
    return QDir::toNativeSeparators(path).toStdString();
}

QString fileIn(const std::string& folder, const char* name) {
    return QDir(decoded(folder)).absoluteFilePath(QString::fromLatin1(name));
}

QString backupOf(const QString& file) {
    return file + QStringLiteral(".bak");
}

// Keeps `file` as file.bak, replacing an older backup; copied or moved.
void keepBackup(const QString& file, bool move) {
    const QString backup = backupOf(file);
    if (QFileInfo::exists(backup) && !QFile::remove(backup))
        throw Error("无法替换 " + shown(backup) + "。");
    QFile original(file);
    if (!(move ? original.rename(backup) : original.copy(backup)))
        throw Error("无法把 " + shown(file) + " 保存为 " + shown(backup) + "：" +
                    original.errorString().toStdString() + "。");
}

} // namespace

std::string officeDatabaseFile(const std::string& folder) {
    return encoded(fileIn(folder, kDatabaseFile));
}

bool folderUsesServer(const std::string& folder) {
    return QFileInfo::exists(fileIn(folder, kSettingsFile));
}

bool holdsOfficeDatabase(const std::string& folder) {
    return QFileInfo(fileIn(folder, kDatabaseFile)).isFile() || folderUsesServer(folder);
}

std::optional<std::string> newOfficeRefusal(const std::string& folder) {
    const QFileInfo info(decoded(folder));
    if (!info.isDir())
        return "找不到文件夹 " + shown(info.absoluteFilePath()) + "。";
    const QString database = fileIn(folder, kDatabaseFile);
    if (holdsOfficeDatabase(folder) || QFileInfo::exists(database))
        return "文件夹 " + shown(info.absoluteFilePath()) + " 中已经有人事数据库（" +
               (QFileInfo::exists(database) ? kDatabaseFile : kSettingsFile) +
               "）；请选择另一个文件夹。";
    return std::nullopt;
}

void createOfficeDatabase(const std::string& folder) {
    if (const auto refusal = newOfficeRefusal(folder))
        throw Error(*refusal);
    createDatabase(officeDatabaseFile(folder), false);
}

std::optional<ServerAddress> officeServer(const std::string& folder) {
    const QString settings = fileIn(folder, kSettingsFile);
    const auto url = serverUrlOfSettings(encoded(settings));
    if (!url)
        return std::nullopt;
    try {
        return parseServerUrl(*url);
    } catch (const Error& error) {
        throw Error("设置文件 " + shown(settings) + " 中的" + error.what());
    }
}

void saveOfficeServer(const std::string& folder, const ServerAddress& address) {
    ServerAddress saved = address;
    saved.password.clear();
    const std::string url = saved.url();
    parseServerUrl(url); // refuses what would not read back, saying why
    const QString settings = fileIn(folder, kSettingsFile);
    if (QFileInfo::exists(settings))
        keepBackup(settings, false);
    QSaveFile file(settings);
    const QByteArray text = "[database]\nurl=" + QByteArray::fromStdString(url) + '\n';
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        throw Error("无法写入设置文件 " + shown(settings) + "：" +
                    file.errorString().toStdString() + "。");
}

void forgetOfficeServer(const std::string& folder) {
    const QString settings = fileIn(folder, kSettingsFile);
    if (QFileInfo::exists(settings))
        keepBackup(settings, true);
}

} // namespace wb
