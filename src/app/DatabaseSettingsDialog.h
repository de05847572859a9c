// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// 数据库设置: which database the office in a folder uses (its wagebook.mdb, or the server its
// wagebook.ini names), and a change of it: back to the file, or to a PostgreSQL server named
// by host, port, database and user. No password is written: libpq's password file gives it,
// or the window asks for it at login. 测试连接 logs in as the form says and tells what
// happened (offering to create the program's tables where the database has none); 保存
// writes wagebook.ini (the old one kept as wagebook.ini.bak), or sets it aside for the file,
// says that the change takes effect at the next start, and accepts the dialog.

#include "data/ServerAddress.h"

#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace wb {

class WindowPrompts;

// The database of the office in `folder` in words: the file, or the server and the settings
// file that names it, or why the settings file cannot be read.
QString officeDatabaseText(const QString& folder);

class DatabaseSettingsDialog : public QDialog {
public:
    DatabaseSettingsDialog(WindowPrompts& prompts, const QString& folder, QWidget* parent);

    void testConnection();
    void save();

private:
    // The server the form names; nullopt, after saying what is missing, when it names none.
    std::optional<ServerAddress> formServer();
    void offerTables(const ServerAddress& address);
    void showMode();

    WindowPrompts& prompts_;
    QString folder_;
    QRadioButton* useFile_;
    QRadioButton* useServer_;
    QLineEdit* host_;
    QSpinBox* port_;
    QLineEdit* database_;
    QLineEdit* user_;
    QWidget* serverFields_;
};

} // namespace wb
