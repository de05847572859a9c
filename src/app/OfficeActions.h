// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's 文件 menu and its start from the desktop: the office folder chosen (an
// existing one opened, a new database made, an Access database moved in), its database
// connected, and the database settings. The window switches offices (TFKvDbf::openOffice);
// this class asks the user and connects.

#include <QString>

#include <string>

namespace wb {

class Office;
class TFKvDbf;

// What connecting an office's database came to.
enum class Opening {
    Opened,
    Failed,     // a box said why
    AccessFile, // the folder's wagebook.mdb is an Access database; nothing was shown
};

class OfficeActions {
public:
    explicit OfficeActions(TFKvDbf& window) : window_(window) {}

    // Opens the database of `office`, whose folder is `folder`. A server that asks for a
    // password nothing else gives gets the user's answer, kept in this process's environment
    // (PGPASSWORD) for its later logins and never written to a file.
    Opening connect(Office& office, const QString& folder);

    // The start from the desktop: the office folder opened last while it holds a database,
    // else the chooser. False when the user cancelled the chooser.
    bool startWithLastOffice();
    // 选择办公文件夹 until an office is opened; false when the user cancels it. `note` says why
    // it is asked.
    bool chooseOffice(const QString& note);
    // The box for an office whose database is an Access file, offering 从 Access 数据库迁移…;
    // whether an office was opened after it.
    bool offerMigration(const QString& accessFile);
    // Shows why a command failed, in a box under `caption`; but when the window's office is
    // an Access file that could not be opened, the box offering its migration instead, once
    // the command has returned (the engine's text names a terminal program). Whether it was
    // the latter: the command then has nothing more to try.
    bool showFailure(const QString& text, const QString& caption);

    void openFolder();                         // 打开办公文件夹…
    void createDatabase();                     // 新建人事数据库…
    void migrateAccess(const QString& source); // 从 Access 数据库迁移…, from `source` if given
    void databaseSettings();                   // 数据库设置…

private:
    // Each gives the folder of an office to open, or empty after the user cancelled or was
    // told why not.
    QString existingOffice();
    QString newOffice();
    QString migratedOffice(const QString& source);
    // Opens the office in `folder` in the window, offering the migration of an Access file.
    bool open(const QString& folder);
    // Whether the user gave the password the server of the office in `folder` asks for.
    bool askPassword(const std::string& folder);

    TFKvDbf& window_;
    bool offerPending_ = false;
};

} // namespace wb
