// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/OfficeActions.h"

#include "app/DatabaseSettingsDialog.h"
#include "app/LastOffice.h"
#include "app/MigrationDialog.h"
#include "app/OfficeChooser.h"
#include "app/QtText.h"
#include "app/ServerPassword.h"
#include "app/Umain.h"
#include "data/postgres/PostgresConnection.h"
#include "import/OfficeFolder.h"
#include "migrate/AccessFile.h"
#include "text/Error.h"

#include <QDir>
#include <QFile>
#include <QTimer>

#include <exception>

namespace wb {

namespace {

QString shown(const QString& path) {
    return QDir::toNativeSeparators(QDir(path).absolutePath());
}

} // namespace

Opening OfficeActions::connect(Office& office, const QString& folder) {
    const std::string path = toNativePath(folder);
    bool asked = false;
    bool given = false;
    for (;;) {
        try {
            office.connection.database();
            return Opening::Opened;
        } catch (...) {
            const std::string failure = failureText();
            if (!folderUsesServer(path) && migrate::isAccessFile(officeDatabaseFile(path)))
                return Opening::AccessFile;
            if (!asked) {
                asked = true;
                given = askPassword(path);
                if (given)
                    continue;
            }
            // A password given and refused is asked again at the next login.
            if (given)
                qunsetenv("PGPASSWORD");
            window_.prompts().messageBox(QString::fromUtf8(failure), QStringLiteral("错误"),
                                         kStopMessage);
            return Opening::Failed;
        }
    }
}

bool OfficeActions::askPassword(const std::string& folder) {
    std::optional<ServerAddress> server;
    try {
        server = officeServer(folder);
    } catch (const std::exception&) {
        return false; // the failure's own box names the settings file
    }
    if (!server || !server->password.empty() || !loginNeedsPassword(*server))
        return false;
    const auto password = askServerPassword(window_.prompts(), &window_, *server);
    if (!password)
        return false;
    qputenv("PGPASSWORD", password->toUtf8());
    return true;
}

bool OfficeActions::startWithLastOffice() {
    const QString last = lastOfficeFolder();
    if (!last.isEmpty() && holdsOfficeDatabase(toNativePath(last))) {
        window_.startOffice(last);
        return true;
    }
    return chooseOffice(
        last.isEmpty()
            ? QString()
            : QStringLiteral("上次使用的办公文件夹 %1 中已经没有人事数据库。").arg(shown(last)));
}

bool OfficeActions::chooseOffice(const QString& note) {
    for (;;) {
        OfficeChooser chooser(note, &window_);
        if (window_.prompts().execDialog(chooser) != QDialog::Accepted)
            return false;
        QString folder;
        switch (chooser.choice()) {
        case OfficeChooser::Choice::Open:
            folder = existingOffice();
            break;
        case OfficeChooser::Choice::Create:
            folder = newOffice();
            break;
        case OfficeChooser::Choice::Migrate:
            folder = migratedOffice(QString());
            break;
        }
        if (!folder.isEmpty() && open(folder))
            return true;
    }
}

bool OfficeActions::offerMigration(const QString& accessFile) {
    if (!window_.prompts().question(
            QStringLiteral("文件 %1 是 Access 数据库，本程序不能直接使用它。\n\n"
                           "请把它迁移到一个新的办公文件夹：本程序会建立自己的数据库，"
                           "复制其中所有的表和数据；原来的文件只读取，不改动。")
                .arg(QDir::toNativeSeparators(accessFile)),
            QStringLiteral("Access 数据库"), QStringLiteral("从 Access 数据库迁移…")))
        return false;
    const QString folder = migratedOffice(accessFile);
    return !folder.isEmpty() && open(folder);
}

bool OfficeActions::showFailure(const QString& text, const QString& caption) {
    const std::string folder = toNativePath(window_.officeFolder());
    const std::string file = officeDatabaseFile(folder);
    if (window_.office().connection.isOpen() || folderUsesServer(folder) ||
        !migrate::isAccessFile(file)) {
        window_.prompts().messageBox(text, caption, kStopMessage);
        return false;
    }
    if (!offerPending_) {
        offerPending_ = true;
        QTimer::singleShot(0, &window_, [this, accessFile = QFile::decodeName(file.c_str())] {
            offerPending_ = false;
            offerMigration(accessFile);
        });
    }
    return true;
}

void OfficeActions::openFolder() {
    const QString folder = existingOffice();
    if (!folder.isEmpty())
        open(folder);
}

void OfficeActions::createDatabase() {
    const QString folder = newOffice();
    if (!folder.isEmpty() &&
        window_.prompts().question(
            QStringLiteral("已在 %1 中新建人事数据库。要打开这个办公文件夹吗？").arg(shown(folder)),
            QStringLiteral("新建人事数据库"), QStringLiteral("打开")))
        open(folder);
}

void OfficeActions::migrateAccess(const QString& source) {
    const QString folder = migratedOffice(source);
    if (!folder.isEmpty())
        open(folder);
}

void OfficeActions::databaseSettings() {
    DatabaseSettingsDialog dialog(window_.prompts(), window_.officeFolder(), &window_);
    window_.prompts().execDialog(dialog);
}

QString OfficeActions::existingOffice() {
    const QString folder = window_.prompts().chooseFolder(QStringLiteral("打开办公文件夹"));
    if (folder.isEmpty() || holdsOfficeDatabase(toNativePath(folder)))
        return folder;
    window_.prompts().messageBox(
        QStringLiteral("文件夹 %1 中没有人事数据库（wagebook.mdb，或指明服务器的 "
                       "wagebook.ini）。要在其中建立人事数据库，请用“新建人事数据库”。")
            .arg(shown(folder)),
        QStringLiteral("打开办公文件夹"), kStopMessage);
    return QString();
}

QString OfficeActions::newOffice() {
    const QString folder =
        window_.prompts().chooseFolder(QStringLiteral("新建人事数据库：选择办公文件夹"));
    if (folder.isEmpty())
        return folder;
    try {
        createOfficeDatabase(toNativePath(folder));
        return folder;
    } catch (...) {
        window_.prompts().messageBox(QString::fromUtf8(failureText()),
                                     QStringLiteral("新建人事数据库"), kStopMessage);
        return QString();
    }
}

QString OfficeActions::migratedOffice(const QString& source) {
    MigrationDialog dialog(window_.prompts(), source, &window_);
    return window_.prompts().execDialog(dialog) == QDialog::Accepted ? dialog.officeFolder()
                                                                     : QString();
}

bool OfficeActions::open(const QString& folder) {
    const Opening opening = window_.openOffice(folder);
    if (opening == Opening::AccessFile)
        return offerMigration(QDir(folder).absoluteFilePath(QString::fromLatin1(kDatabaseFile)));
    return opening == Opening::Opened;
}

} // namespace wb
