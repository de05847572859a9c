// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DatabaseSettingsDialog.h"

#include "app/QtText.h"
#include "app/ServerPassword.h"
#include "app/WindowPrompts.h"
#include "data/Schema.h"
#include "data/postgres/PostgresConnection.h"
#include "import/Office.h"
#include "import/OfficeFolder.h"
#include "import/UserInterface.h"
#include "text/Error.h"

#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <exception>

namespace wb {

namespace {

const QString kTitle = QStringLiteral("数据库设置");
// How long a test login waits for a lock: it takes none, so any bound will do.
constexpr int kLockTimeoutMs = 5000;

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

QString shownFile(const QString& folder, const char* name) {
    return QDir::toNativeSeparators(QDir(folder).absoluteFilePath(QString::fromLatin1(name)));
}

QString serverText(const ServerAddress& address) {
    return QStringLiteral("数据库服务器 %1:%2 上的数据库 %3（用户 %4）")
        .arg(text(address.host))
        .arg(address.port)
        .arg(text(address.database), text(address.user));
}

QPushButton* button(const QString& caption, const char* name, QWidget* parent) {
    auto* pushButton = new QPushButton(caption, parent);
    pushButton->setObjectName(QString::fromLatin1(name));
    pushButton->setAutoDefault(false);
    return pushButton;
}

QLineEdit* field(const char* name, const QString& accessibleName, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setAccessibleName(accessibleName);
    return edit;
}

} // namespace

QString officeDatabaseText(const QString& folder) {
    try {
        if (const auto server = officeServer(toNativePath(folder)))
            return serverText(*server) +
                   QStringLiteral("，由设置文件 %1 指定").arg(shownFile(folder, kSettingsFile));
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    }
    return QStringLiteral("数据库文件 %1").arg(shownFile(folder, kDatabaseFile));
}

DatabaseSettingsDialog::DatabaseSettingsDialog(WindowPrompts& prompts, const QString& folder,
                                               QWidget* parent)
    : QDialog(parent), prompts_(prompts), folder_(folder) {
    setObjectName(QStringLiteral("databaseSettings"));
    setWindowTitle(kTitle);
    setMinimumWidth(480);
    auto* current = new QLabel(QStringLiteral("本办公文件夹现在使用") + officeDatabaseText(folder) +
                                   QStringLiteral("。"),
                               this);
    current->setObjectName(QStringLiteral("currentDatabase"));
    current->setWordWrap(true);
    useFile_ = new QRadioButton(QStringLiteral("本文件夹中的数据库文件 wagebook.mdb"), this);
    useFile_->setObjectName(QStringLiteral("useDatabaseFile"));
    useServer_ = new QRadioButton(QStringLiteral("PostgreSQL 数据库服务器"), this);
    useServer_->setObjectName(QStringLiteral("useServer"));

    serverFields_ = new QWidget(this);
    host_ = field("serverHost", QStringLiteral("主机"), serverFields_);
    port_ = new QSpinBox(serverFields_);
    port_->setObjectName(QStringLiteral("serverPort"));
    port_->setAccessibleName(QStringLiteral("端口"));
    port_->setRange(1, 65535);
    port_->setValue(5432);
    database_ = field("serverDatabase", QStringLiteral("数据库"), serverFields_);
    user_ = field("serverUser", QStringLiteral("用户"), serverFields_);
    auto* form = new QFormLayout(serverFields_);
    form->addRow(QStringLiteral("主机:"), host_);
    form->addRow(QStringLiteral("端口:"), port_);
    form->addRow(QStringLiteral("数据库:"), database_);
    form->addRow(QStringLiteral("用户:"), user_);
    auto* note = new QLabel(QStringLiteral("密码不写入任何文件：可以写在 ~/.pgpass 中，"
                                           "否则连接时会询问。"),
                            serverFields_);
    note->setWordWrap(true);
    form->addRow(note);

    auto* test = button(QStringLiteral("测试连接"), "testConnection", this);
    auto* save = button(QStringLiteral("保存"), "saveSettings", this);
    auto* cancel = button(QStringLiteral("取消"), "cancelSettings", this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(test);
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    for (QWidget* widget : {static_cast<QWidget*>(current), static_cast<QWidget*>(useFile_),
                            static_cast<QWidget*>(useServer_), serverFields_})
        layout->addWidget(widget);
    layout->addLayout(buttons);

    std::optional<ServerAddress> server;
    try {
        server = officeServer(toNativePath(folder));
    } catch (const std::exception&) {
        // The label says what is wrong with the file; the form starts empty.
        useServer_->setChecked(true);
    }
    if (server) {
        host_->setText(text(server->host));
        port_->setValue(server->port);
        database_->setText(text(server->database));
        user_->setText(text(server->user));
    }
    (server || useServer_->isChecked() ? useServer_ : useFile_)->setChecked(true);
    showMode();
    connect(useServer_, &QRadioButton::toggled, this, [this, test] {
        showMode();
        test->setEnabled(useServer_->isChecked());
    });
    test->setEnabled(useServer_->isChecked());
    connect(test, &QPushButton::clicked, this, [this] { testConnection(); });
    connect(save, &QPushButton::clicked, this, [this] { this->save(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void DatabaseSettingsDialog::showMode() {
    serverFields_->setEnabled(useServer_->isChecked());
}

std::optional<ServerAddress> DatabaseSettingsDialog::formServer() {
    ServerAddress address;
    address.host = host_->text().trimmed().toStdString();
    address.port = port_->value();
    address.database = database_->text().trimmed().toStdString();
    address.user = user_->text().trimmed().toStdString();
    if (address.host.empty() || address.database.empty() || address.user.empty()) {
        prompts_.messageBox(QStringLiteral("请填写服务器的主机、数据库和用户。"), kTitle,
                            kStopMessage);
        return std::nullopt;
    }
    return address;
}

void DatabaseSettingsDialog::testConnection() {
    std::optional<ServerAddress> address = formServer();
    if (!address)
        return;
    for (bool asked = false;;) {
        try {
            PostgresConnection connection(*address, kLockTimeoutMs);
            const QStringList tables = connection.qt().tables();
            if (tables.contains(QStringLiteral("ryjbxx")) &&
                tables.contains(QStringLiteral("dm_jg"))) {
                prompts_.messageBox(QStringLiteral("连接成功：") + serverText(*address) +
                                        QStringLiteral("，其中有人事数据库的表。"),
                                    QStringLiteral("测试连接"), kPlainMessage);
                return;
            }
            break;
        } catch (...) {
            const std::string failure = failureText();
            if (!asked && address->password.empty() && loginNeedsPassword(*address)) {
                asked = true;
                if (const auto password = askServerPassword(prompts_, this, *address)) {
                    address->password = password->toStdString();
                    continue;
                }
            }
            prompts_.messageBox(QString::fromUtf8(failure), QStringLiteral("测试连接"),
                                kStopMessage);
            return;
        }
    }
    offerTables(*address);
}

void DatabaseSettingsDialog::offerTables(const ServerAddress& address) {
    if (!prompts_.question(QStringLiteral("连接成功，但") + serverText(address) +
                               QStringLiteral("中还没有人事数据库的表。要现在建立这些表吗？"),
                           QStringLiteral("测试连接"), QStringLiteral("建立表"))) {
        return;
    }
    try {
        createDatabase(address.url(true), false);
        prompts_.messageBox(QStringLiteral("已在") + serverText(address) +
                                QStringLiteral("中建立人事数据库的表。"),
                            QStringLiteral("测试连接"), kPlainMessage);
    } catch (...) {
        prompts_.messageBox(QString::fromUtf8(failureText()), QStringLiteral("测试连接"),
                            kStopMessage);
    }
}

void DatabaseSettingsDialog::save() {
    const std::string folder = toNativePath(folder_);
    const bool hadSettings = QFileInfo::exists(shownFile(folder_, kSettingsFile));
    QString done;
    try {
        if (useServer_->isChecked()) {
            const std::optional<ServerAddress> address = formServer();
            if (!address)
                return;
            saveOfficeServer(folder, *address);
            done = QStringLiteral("已把数据库设置写入 %1").arg(shownFile(folder_, kSettingsFile));
        } else if (!QFileInfo(shownFile(folder_, kDatabaseFile)).isFile()) {
            prompts_.messageBox(QStringLiteral("本文件夹中没有数据库文件 %1。")
                                    .arg(shownFile(folder_, kDatabaseFile)),
                                kTitle, kStopMessage);
            return;
        } else if (hadSettings) {
            forgetOfficeServer(folder);
            done = QStringLiteral("本办公文件夹改为使用数据库文件 %1")
                       .arg(shownFile(folder_, kDatabaseFile));
        } else {
            accept();
            return;
        }
    } catch (...) {
        prompts_.messageBox(QString::fromUtf8(failureText()), kTitle, kStopMessage);
        return;
    }
    if (hadSettings)
        done += QStringLiteral("（原来的设置保存在 %1 中）")
                    .arg(shownFile(folder_, "wagebook.ini.bak"));
    prompts_.messageBox(done + QStringLiteral("。新的设置在下次启动本程序时生效。"), kTitle,
                        kPlainMessage);
    accept();
}

} // namespace wb
