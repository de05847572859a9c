#pragma once
// The window's menu bar: 文件 (the office folder, a new database, the migration, the database
// settings, 退出), 部门 (add, rename, remove) and 帮助 (使用说明, 关于). An 导入 menu belongs
// between 文件 and 部门 (insertMenu before departmentMenu()). Each item's object name is for
// tests, its caption its accessible name. The bar goes above the window's controls, which
// keep their places: the window grows by the bar's height.

#include <QObject>

class QAction;
class QMenu;
class QMenuBar;

namespace wb {

class DepartmentActions;
class OfficeActions;
class TFKvDbf;

class WindowMenus : public QObject {
public:
    WindowMenus(TFKvDbf& window, OfficeActions& office, DepartmentActions& departments);

    QMenuBar* bar() const { return bar_; }
    QMenu* departmentMenu() const { return departmentMenu_; }

    // During a run only 退出 and the 帮助 menu stay enabled: the office and its departments
    // must not change under the run.
    void setRunning(bool running);

private:
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
