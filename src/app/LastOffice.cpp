// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/LastOffice.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace wb {

namespace {

const QString kFolderKey = QStringLiteral("office/folder");

} // namespace

QString userSettingsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/wagebook/wagebook.conf");
}

QString lastOfficeFolder() {
    return QSettings(userSettingsFile(), QSettings::IniFormat).value(kFolderKey).toString();
}

void rememberOfficeFolder(const QString& folder) {
    QSettings settings(userSettingsFile(), QSettings::IniFormat);
    settings.setValue(kFolderKey, QDir(folder).absolutePath());
}

} // namespace wb
