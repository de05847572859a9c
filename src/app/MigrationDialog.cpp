// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MigrationDialog.h"

#include "app/QtText.h"
#include "app/WindowPrompts.h"
#include "import/OfficeFolder.h"
#include "import/UserInterface.h"
#include "migrate/Migration.h"
#include "text/Error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>

namespace wb {

namespace {

const QString kTitle = QStringLiteral("从 Access 数据库迁移");
// How often the row count of the table being copied is shown, and the user's input handled.
constexpr int kProgressIntervalMs = 50;

QPushButton* button(const QString& caption, const char* name, QWidget* parent) {
    auto* pushButton = new QPushButton(caption, parent);
    pushButton->setObjectName(QString::fromLatin1(name));
    pushButton->setAutoDefault(false);
    return pushButton;
}

QWidget* withBrowse(QLineEdit* edit, QPushButton* browse, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edit, 1);
    layout->addWidget(browse);
    return row;
}

} // namespace

MigrationDialog::MigrationDialog(WindowPrompts& prompts, const QString& source, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
    setObjectName(QStringLiteral("migrationDialog"));
    setWindowTitle(kTitle);
    resize(560, 420);
    source_ = new QLineEdit(source, this);
    source_->setObjectName(QStringLiteral("migrationSource"));
    source_->setAccessibleName(QStringLiteral("Access 数据库"));
    folder_ = new QLineEdit(this);
    folder_->setObjectName(QStringLiteral("migrationFolder"));
    folder_->setAccessibleName(QStringLiteral("新的办公文件夹"));
    browseSource_ = button(QStringLiteral("浏览…"), "browseSource", this);
    browseFolder_ = button(QStringLiteral("浏览…"), "browseFolder", this);
    progress_ = new QListWidget(this);
    progress_->setObjectName(QStringLiteral("migrationProgress"));
    progress_->setAccessibleName(QStringLiteral("迁移进度"));
    status_ = new QLabel(QStringLiteral("原来的 Access 数据库只读取，不改动。"), this);
    status_->setObjectName(QStringLiteral("migrationStatus"));
    status_->setWordWrap(true);
    start_ = button(QStringLiteral("开始迁移"), "startMigration", this);
    open_ = button(QStringLiteral("打开新的办公文件夹"), "openMigratedOffice", this);
    open_->hide();
    close_ = button(QStringLiteral("取消"), "closeMigration", this);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Access 数据库:"), withBrowse(source_, browseSource_, this));
    form->addRow(QStringLiteral("新的办公文件夹:"), withBrowse(folder_, browseFolder_, this));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* pushButton : {start_, open_, close_})
        buttons->addWidget(pushButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(progress_, 1);
    layout->addWidget(status_);
    layout->addLayout(buttons);

    connect(browseSource_, &QPushButton::clicked, this, [this] {
        const QString file = prompts_.chooseFile(
            QStringLiteral("选择 Access 数据库"),
            QStringLiteral("Access 数据库 (*.mdb *.accdb *.MDB *.ACCDB);;所有文件 (*)"));
        if (!file.isEmpty())
            source_->setText(file);
    });
    connect(browseFolder_, &QPushButton::clicked, this, [this] {
        const QString folder = prompts_.chooseFolder(QStringLiteral("选择新的办公文件夹"));
        if (!folder.isEmpty())
            folder_->setText(folder);
    });
    connect(start_, &QPushButton::clicked, this, [this] { start(); });
    connect(open_, &QPushButton::clicked, this, &QDialog::accept);
    connect(close_, &QPushButton::clicked, this, [this] { reject(); });
}

void MigrationDialog::start() {
    if (running_ || !migrated_.isEmpty())
        return;
    const QString source = source_->text().trimmed();
    const QString folder = folder_->text().trimmed();
    QString refusal;
    if (source.isEmpty())
        refusal = QStringLiteral("请选择要迁移的 Access 数据库文件。");
    else if (folder.isEmpty())
        refusal = QStringLiteral("请选择新的办公文件夹。");
    else if (const auto why = newOfficeRefusal(toNativePath(folder)))
        refusal = QString::fromStdString(*why);
    if (!refusal.isEmpty()) {
        prompts_.messageBox(refusal, kTitle, kStopMessage);
        return;
    }
    copy(toNativePath(source), folder);
}

void MigrationDialog::copy(const std::string& source, const QString& folder) {
    progress_->clear();
    current_ = nullptr;
    stop_ = false;
    setRunning(true);
    status_->setText(QStringLiteral("正在迁移…"));
    migrate::MigrationRequest request{source, officeDatabaseFile(toNativePath(folder)), 0,
                                      [this] { return stop_; },
                                      [this](const migrate::TableCount& count) {
                                          showProgress(count);
                                      }};
    try {
        migrate::migrate(request, [this](const migrate::TableCount& count) { showTable(count); });
        migrated_ = folder;
        status_->setText(QStringLiteral("迁移完成：已在 %1 中建立人事数据库 wagebook.mdb。")
                             .arg(QDir::toNativeSeparators(folder)));
    } catch (...) {
        const QString text = QString::fromUtf8(failureText());
        status_->setText(text);
        if (!stop_)
            prompts_.messageBox(text, kTitle, kStopMessage);
    }
    setRunning(false);
    if (stop_)
        QDialog::reject();
}

void MigrationDialog::showProgress(const migrate::TableCount& count) {
    if (count.read == 0) {
        current_ = new QListWidgetItem(progress_);
        shown_.invalidate();
    }
    if (shown_.isValid() && shown_.elapsed() < kProgressIntervalMs)
        return;
    current_->setText(QString::fromStdString(count.name) +
                      QStringLiteral(": 已读出 %1 行…").arg(count.read));
    progress_->scrollToItem(current_);
    QCoreApplication::processEvents();
    shown_.start();
}

void MigrationDialog::showTable(const migrate::TableCount& count) {
    if (current_)
        current_->setText(QString::fromStdString(migrate::tableCountLine(count)));
    QCoreApplication::processEvents();
}

void MigrationDialog::setRunning(bool running) {
    running_ = running;
    for (QWidget* control : {static_cast<QWidget*>(source_), static_cast<QWidget*>(folder_),
                             static_cast<QWidget*>(browseSource_),
                             static_cast<QWidget*>(browseFolder_), static_cast<QWidget*>(start_)})
        control->setEnabled(!running && migrated_.isEmpty());
    open_->setVisible(!migrated_.isEmpty());
    close_->setText(migrated_.isEmpty() ? QStringLiteral("取消") : QStringLiteral("关闭"));
}

void MigrationDialog::reject() {
    // A copy in progress is asked to stop; the dialog closes once it has, leaving nothing behind.
    if (running_) {
        stop_ = true;
        status_->setText(QStringLiteral("正在取消…"));
        return;
    }
    QDialog::reject();
}

} // namespace wb
