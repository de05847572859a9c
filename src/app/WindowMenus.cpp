// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WindowMenus.h"

#include "app/DatabaseSettingsDialog.h"
#include "app/DepartmentActions.h"
#include "app/ImportActions.h"
#include "app/LastOffice.h"
#include "app/OfficeActions.h"
#include "app/Umain.h"
#include "import/UndoJournal.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QMenuBar>

#include <functional>

namespace wb {

namespace {

QString inFolder(const QString& folder, const char* name) {
    return QDir::toNativeSeparators(QDir(folder).absoluteFilePath(QString::fromLatin1(name)));
}

const QString kUsage = QStringLiteral(
    "1. 办公文件夹：人事数据库 wagebook.mdb（或指明数据库服务器的 wagebook.ini）放在办公文件夹中。"
    "用“文件 › 打开办公文件夹…”换一个办公文件夹，用“文件 › 新建人事数据库…”新建一个；"
    "原来的 Access 数据库用“文件 › 从 Access 数据库迁移…”迁移过来。\n\n"
    "2. 部门：新建的人事数据库中还没有部门。在右边的部门树中选中上级部门（不选则加在顶层），"
    "用“部门 › 新增部门…”添加；部门代码每级两个字符，如 01、0101。\n\n"
    "3. 导入：在左边的文件列表中选择工作簿（.xls、.xlsx），在部门树中点击要导入的部门，"
    "选择“追加”或“覆盖”，然后点击“导入”。“覆盖”先问过再删除部门原有的人员。"
    "“中止”在当前这一行之后停止导入。\n\n"
    "4. 导入菜单：“查看工作簿内容…”显示导入读到的单元格；“试导入(不写入数据库)”完整地试一遍，"
    "不写入数据库；“撤销上次导入…”撤销最近一次导入（可逐次往前撤销）；“导出错误信息…”把错误信息"
    "存为 CSV；“生成导入模板…”生成发给各部门填写的模板；“检查工作簿…”在工作簿旁边写出标出错误"
    "单元格的检查结果。\n\n"
    "5. 工作簿的第一行须有这些标题：姓名、出生年月、参加工作时间、个人身份。\n\n"
    "6. 代码文件 dm.txt 须为 GBK 编码，导入时从左边打开的目录中读取。");

} // namespace

WindowMenus::WindowMenus(TFKvDbf& window, OfficeActions& office, ImportActions& imports,
                         DepartmentActions& departments)
    : QObject(&window), window_(window), bar_(new QMenuBar(&window)) {
    bar_->setObjectName(QStringLiteral("menuBar"));
    bar_->setAccessibleName(QStringLiteral("菜单栏"));

    OfficeActions* const officeActions = &office;
    QMenu* file = menu(QStringLiteral("文件"), "fileMenu");
    const struct {
        QString caption;
        const char* name;
        std::function<void()> run;
    } fileItems[] = {
        {QStringLiteral("打开办公文件夹…"), "openOfficeAction",
         [officeActions] {
             officeActions->openFolder();
         }},
        {QStringLiteral("新建人事数据库…"), "newDatabaseAction",
         [officeActions] {
             officeActions->createDatabase();
         }},
        {QStringLiteral("从 Access 数据库迁移…"), "migrateAction",
         [officeActions] {
             officeActions->migrateAccess(QString());
         }},
        {QStringLiteral("数据库设置…"), "databaseSettingsAction",
         [officeActions] {
             officeActions->databaseSettings();
         }},
    };
    for (const auto& entry : fileItems) {
        QAction* action = item(file, entry.caption, entry.name);
        connect(action, &QAction::triggered, this, entry.run);
        changing_.append(action);
    }
    file->addSeparator();
    connect(item(file, QStringLiteral("退出"), "exitAction"), &QAction::triggered, this,
            [this] { window_.Button2Click(); });

    QMenu* import = menu(QStringLiteral("导入"), "importMenu");
    addCommands<ImportActions>(
        import, imports,
        {{QStringLiteral("试导入(不写入数据库)"), "dryRunAction", &ImportActions::dryRun},
         {QStringLiteral("撤销上次导入…"), "undoAction", &ImportActions::undo, true},
         {QStringLiteral("查看工作簿内容…"), "cellsAction", &ImportActions::showCells},
         {QStringLiteral("导出错误信息…"), "exportErrorsAction", &ImportActions::exportErrors,
          true},
         {QStringLiteral("生成导入模板…"), "templateAction", &ImportActions::makeTemplate},
         {QStringLiteral("检查工作簿…"), "checkWorkbookAction", &ImportActions::checkWorkbook}});

    departmentMenu_ = menu(QStringLiteral("部门"), "departmentMenu");
    addCommands<DepartmentActions>(
        departmentMenu_, departments,
        {{QStringLiteral("新增部门…"), "addDepartmentAction", &DepartmentActions::add},
         {QStringLiteral("修改部门名称…"), "renameDepartmentAction", &DepartmentActions::rename},
         {QStringLiteral("删除部门"), "removeDepartmentAction", &DepartmentActions::remove}});

    QMenu* help = menu(QStringLiteral("帮助"), "helpMenu");
    connect(item(help, QStringLiteral("使用说明"), "usageAction"), &QAction::triggered, this,
            [this] { showUsage(); });
    connect(item(help, QStringLiteral("关于"), "aboutAction"), &QAction::triggered, this,
            [this] { showAbout(); });
    // The controls keep their places below the bar; the window grows by its height.
    const int barHeight = bar_->sizeHint().height();
    for (QWidget* control : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (control != bar_)
            control->move(control->pos() + QPoint(0, barHeight));
    }
    bar_->setGeometry(0, 0, window.width(), barHeight);
    window.setFixedSize(window.width(), window.height() + barHeight);
}

template <class Actions>
void WindowMenus::addCommands(QMenu* menu, Actions& actions,
                              std::initializer_list<Command<Actions>> commands) {
    for (const Command<Actions>& command : commands) {
        QAction* action = item(menu, command.caption, command.name);
        connect(action, &QAction::triggered, this,
                [&actions, run = command.run] { (actions.*run)(); });
        changing_.append(action);
        if (command.separatorAfter)
            menu->addSeparator();
    }
}

QMenu* WindowMenus::menu(const QString& title, const char* name) {
    QMenu* added = bar_->addMenu(title);
    added->setObjectName(QString::fromLatin1(name));
    added->setAccessibleName(title);
    return added;
}

QAction* WindowMenus::item(QMenu* menu, const QString& caption, const char* name) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

void WindowMenus::setRunning(bool running) {
    for (QAction* action : changing_)
        action->setEnabled(!running);
}

void WindowMenus::showUsage() {
    window_.prompts().messageBox(kUsage, QStringLiteral("使用说明"), kPlainMessage);
}

void WindowMenus::showAbout() {
    const QString folder = window_.officeFolder();
    window_.prompts().messageBox(
        QStringLiteral("人事工资数据导入（wagebook）版本 %1\n\n").arg(QStringLiteral(WB_VERSION)) +
            QStringLiteral("办公文件夹：%1\n").arg(QDir::toNativeSeparators(folder)) +
            QStringLiteral("数据库：%1\n").arg(officeDatabaseText(folder)) +
            QStringLiteral("代码文件：%1\n").arg(inFolder(QDir::currentPath(), "dm.txt")) +
            QStringLiteral("撤销记录：保存在人事数据库中\n") +
            QStringLiteral("本程序的设置：%1").arg(QDir::toNativeSeparators(userSettingsFile())),
        QStringLiteral("关于"), kPlainMessage);
}

} // namespace wb
