// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's menu bar: 文件 (the office folder, a new database, the migration, the database
// settings, 退出), 导入 (dry run, undo, a workbook's cells, the error list exported, the
// template, a workbook checked), 部门 (add, rename, remove) and 帮助 (使用说明, 关于). Each
// item's object name is for tests, its caption its accessible name. The bar goes above the window's
// controls, which keep their places: the window grows by the bar's height.

#include <QObject>
#include <QString>

#include <initializer_list>

class QAction;
class QMenu;
class QMenuBar;

namespace wb {

class DepartmentActions;
class ImportActions;
class OfficeActions;
class TFKvDbf;

class WindowMenus : public QObject {
public:
    WindowMenus(TFKvDbf& window, OfficeActions& office, ImportActions& imports,
                DepartmentActions& departments);

    QMenuBar* bar() const { return bar_; }
    QMenu* departmentMenu() const { return departmentMenu_; }

    // During a run only 退出 and the 帮助 menu stay enabled: the office and its departments
    // must not change under the run, and no other command starts inside it.
    void setRunning(bool running);

private:
    // An item that runs a command of `Actions`, disabled during a run.
    template <class Actions> struct Command {
        QString caption;
        const char* name;
        void (Actions::*run)();
        bool separatorAfter = false;
    };
    template <class Actions>
    void addCommands(QMenu* menu, Actions& actions,
                     std::initializer_list<Command<Actions>> commands);
    QMenu* menu(const QString& title, const char* name);
    QAction* item(QMenu* menu, const QString& caption, const char* name);
    void showUsage();
    void showAbout();

    TFKvDbf& window_;
    QMenuBar* bar_;
    QMenu* departmentMenu_;
    QList<QAction*> changing_; // the items a run disables
};

} // namespace wb
