// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// 从 Access 数据库迁移: an Access database (.mdb, .accdb) copied into wagebook.mdb in a new
// office folder by migrate(), as wagebook-migrate copies it, each table's rows read and
// written listed as the copy goes. 取消 during the copy (or closing the dialog) stops it after
// the row in progress, leaves nothing behind and then closes the dialog. Once the copy is complete
// the dialog offers to open the new office folder: that button accepts it; 关闭 rejects it.

#include <QDialog>
#include <QElapsedTimer>

#include <string>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace wb {

class WindowPrompts;
namespace migrate {
struct TableCount;
}

class MigrationDialog : public QDialog {
public:
    // `source` fills the Access file's field (empty: the user picks it).
    MigrationDialog(WindowPrompts& prompts, const QString& source, QWidget* parent);

    // 开始迁移: copies the source into the folder named; refusals and failures are shown in a
    // box and the status line. Returns when the copy has ended.
    void start();
    bool isRunning() const { return running_; }
    // The new office folder once the copy is complete; empty before.
    QString officeFolder() const { return migrated_; }

    void reject() override;

private:
    void copy(const std::string& source, const QString& folder);
    void showProgress(const migrate::TableCount& count);
    void showTable(const migrate::TableCount& count);
    void setRunning(bool running);

    WindowPrompts& prompts_;
    QLineEdit* source_;
    QLineEdit* folder_;
    QPushButton* browseSource_;
    QPushButton* browseFolder_;
    QListWidget* progress_;
    QLabel* status_;
    QPushButton* start_;
    QPushButton* open_;
    QPushButton* close_;
    QListWidgetItem* current_ = nullptr; // the table being copied
    QElapsedTimer shown_;                // since the progress was last shown
    QString migrated_;
    bool running_ = false;
    bool stop_ = false;
};

} // namespace wb
