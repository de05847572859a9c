// SPDX-License-Identifier: GPL-3.0-or-later
// The office folder from the window: the menu bar, the start from the desktop and its chooser,
// a new database, another office opened, an Access database moved in, the database settings.

#include "app/MigrationDialog.h"
#include "app/OfficeWindow.h"
#include "import/Undo.h"

#include <QAccessible>
#include <QListWidget>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>

#include <fstream>

using namespace wb::test;

namespace {

// The lines of a file.
std::string fileText(const std::string& path) {
    std::ifstream file(path);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// Plays the migration dialog: from `source` into `folder`, then 打开新的办公文件夹 (or 关闭
// when `open` is false); the progress list is kept in `lines`.
PlayDialog migration(const QString& source, const QString& folder, Strings* lines,
                     bool open = true) {
    return [=](QDialog& dialog) {
        auto& migration = dynamic_cast<MigrationDialog&>(dialog);
        if (!source.isEmpty())
            migration.findChild<QLineEdit*>(QStringLiteral("migrationSource"))->setText(source);
        migration.findChild<QLineEdit*>(QStringLiteral("migrationFolder"))->setText(folder);
        migration.findChild<QPushButton*>(QStringLiteral("startMigration"))->click();
        const QListWidget* list =
            migration.findChild<QListWidget*>(QStringLiteral("migrationProgress"));
        for (int row = 0; lines && row < list->count(); ++row)
            lines->push_back(utf8(list->item(row)->text()));
        const QString last =
            open ? QStringLiteral("openMigratedOffice") : QStringLiteral("closeMigration");
        migration.findChild<QPushButton*>(last)->click();
        return migration.result();
    };
}

const QString kAccess = QStringLiteral(WB_FIXTURES "/access");

using WindowMenuBar = OfficeWindow;

TEST_F(WindowMenuBar, SitsAboveTheControlsWhichKeepTheirPlacesWithEveryItemNamed) {
    startedWindow();
    const QMenuBar* bar = window->menus()->bar();
    const int barHeight = bar->height();
    EXPECT_GT(barHeight, 0);
    EXPECT_EQ(window->size(), QSize(982, 664 + barHeight));
    EXPECT_EQ(window->Button1->geometry(), QRect(515, 258 + barHeight, 57, 25));
    EXPECT_EQ(window->TV1->geometry().top(), barHeight);
    EXPECT_EQ(window->StatusBar1->geometry().bottom(), 664 + barHeight - 1);

    Strings menus;
    for (const QAction* menu : bar->actions()) {
        std::string line = utf8(menu->text()) + ":";
        for (const QAction* item : menu->menu()->actions())
            if (!item->isSeparator())
                line += " " + utf8(item->text());
        menus.push_back(line);
        // What a screen reader says for each item: its caption.
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(menu->menu());
        ASSERT_NE(face, nullptr);
        for (int i = 0; i < face->childCount(); ++i) {
            EXPECT_EQ(face->child(i)->text(QAccessible::Name),
                      menu->menu()->actions().at(i)->text());
        }
    }
    EXPECT_EQ(menus,
              (Strings{"文件: 打开办公文件夹… 新建人事数据库… 从 Access 数据库迁移… "
                       "数据库设置… 退出",
                       "导入: 试导入(不写入数据库) 撤销上次导入… 查看工作簿内容… 导出错误信息… "
                       "生成导入模板… 检查工作簿…",
                       "部门: 新增部门… 修改部门名称… 删除部门", "帮助: 使用说明 关于"}));
}

TEST_F(WindowMenuBar, DuringARunOnlyExitAndHelpCanBeChosen) {
    startedWindow();
    const char* items[] = {"openOfficeAction",
                           "newDatabaseAction",
                           "migrateAction",
                           "databaseSettingsAction",
                           "exitAction",
                           "dryRunAction",
                           "undoAction",
                           "cellsAction",
                           "exportErrorsAction",
                           "templateAction",
                           "checkWorkbookAction",
                           "addDepartmentAction",
                           "renameDepartmentAction",
                           "removeDepartmentAction",
                           "usageAction",
                           "aboutAction"};
    Strings enabledDuringRun;
    Opening opening = Opening::Opened;
    importStaff("01", [&] {
        for (const char* name : items)
            if (action(name)->isEnabled())
                enabledDuringRun.push_back(name);
        opening = window->openOffice(QDir::currentPath());
    });

    EXPECT_EQ(enabledDuringRun, (Strings{"exitAction", "usageAction", "aboutAction"}));
    EXPECT_EQ(opening, Opening::Failed) << "no office switch under a run";
    for (const char* name : items)
        EXPECT_TRUE(action(name)->isEnabled()) << name;
    EXPECT_EQ(window->boxes, Strings{"提示|数据导入成功!|0"});
}

TEST_F(WindowMenuBar, HelpNamesWhereTheOfficesFilesAreAndNoCommand) {
    startedWindow();
    trigger("usageAction");
    trigger("aboutAction");
    ASSERT_EQ(window->boxes.size(), 2u);
    for (const std::string& box : window->boxes) {
        EXPECT_EQ(box.find("README"), std::string::npos) << box;
        EXPECT_EQ(box.find("wagebook-"), std::string::npos) << box;
    }
    const std::string here = QDir::currentPath().toStdString();
    EXPECT_EQ(window->boxes[1], "关于|人事工资数据导入（wagebook）版本 " WB_VERSION "\n\n"
                                "办公文件夹：" +
                                    here + "\n数据库：数据库文件 " + here +
                                    "/wagebook.mdb\n代码文件：" + here +
                                    "/dm.txt\n撤销记录：保存在人事数据库中\n本程序的设置：" +
                                    utf8(userSettingsFile()) + "|0");
}

using OfficeFolders = OfficeWindow;

TEST_F(OfficeFolders, AnotherOfficeFolderReplacesTheConnectionTreeGridAndFolder) {
    const QString first = QDir::currentPath();
    const QString other = sibling("other");
    createDatabase(path(other, "wagebook.mdb"), false);
    sqliteRows(path(other, "wagebook.mdb"), "select 1"); // readable before the window
    startedWindow();
    addPerson("甲", "0101");
    clickDepartment("0101");
    ASSERT_EQ(utf8(window->panelText(0)), "1人");
    ASSERT_EQ(utf8(lastOfficeFolder()), first.toStdString());

    // A folder without a database is refused and changes nothing.
    window->folders = {sibling("empty")};
    trigger("openOfficeAction");
    ASSERT_EQ(window->boxes.size(), 1u);
    EXPECT_NE(window->boxes[0].find("中没有人事数据库"), std::string::npos) << window->boxes[0];
    EXPECT_EQ(treeNodes().size(), 5u);

    window->folders = {other};
    trigger("openOfficeAction");
    EXPECT_EQ(window->officeFolder(), other);
    EXPECT_EQ(QDir::currentPath(), other);
    EXPECT_EQ(treeNodes(), Strings{});
    EXPECT_EQ(window->DataSource1->rowCount(), 0);
    EXPECT_EQ(utf8(window->panelText(0)), "");
    EXPECT_EQ(windowConnections(), 1);
    EXPECT_EQ(lastOfficeFolder(), other);
    EXPECT_EQ(window->boxes.size(), 1u) << window->boxes.back();

    // Back to the first: its departments, and writes go to its file.
    window->folders = {first};
    trigger("openOfficeAction");
    EXPECT_EQ(treeNodes().size(), 5u);
    EXPECT_EQ(windowConnections(), 1);
}

TEST_F(OfficeFolders, TheUndoRecordGoesIntoTheDatabaseWhileTheBrowserIsElsewhere) {
    const std::filesystem::path office = std::filesystem::current_path();
    std::filesystem::create_directory("sub");
    std::filesystem::copy_file("staff.xls", "sub/staff.xls");
    startedWindow();
    ASSERT_TRUE(window->Browser->open(QStringLiteral("sub")));
    importStaff("01");

    EXPECT_EQ(persons("01"), 6);
    const std::optional<UndoRun> run = newestUndoRun(window->office().connection.database());
    ASSERT_TRUE(run);
    EXPECT_EQ(run->storedPersons, 6);
    EXPECT_FALSE(std::filesystem::exists(office / "sub" / "wagebook.undo"));
}

TEST_F(OfficeFolders, ANewDatabaseIsMadeOnlyWhereThereIsNoneAndOpenedWhenWanted) {
    window = std::make_unique<RecordingWindow>();
    window->Timer1Timer();
    window->folders = {QDir::currentPath()};
    trigger("newDatabaseAction");
    EXPECT_EQ(window->boxes,
              Strings{"新建人事数据库|文件夹 " + QDir::currentPath().toStdString() +
                      " 中已经有人事数据库（wagebook.mdb）；请选择另一个文件夹。|16"});

    const QString fresh = sibling("fresh");
    window->folders = {fresh};
    window->answers = {false};
    trigger("newDatabaseAction");
    ASSERT_EQ(window->questions.size(), 1u);
    EXPECT_EQ(window->questions[0], "新建人事数据库|已在 " + fresh.toStdString() +
                                        " 中新建人事数据库。要打开这个办公文件夹吗？");
    EXPECT_EQ(rowsIn(fresh, "select count(*) from dm_jg"), Strings{"0"});
    EXPECT_EQ(treeNodes().size(), 5u) << "not opened";

    std::filesystem::remove(path(fresh, "wagebook.mdb"));
    window->folders = {fresh};
    window->answers = {true};
    trigger("newDatabaseAction");
    EXPECT_EQ(window->officeFolder(), fresh);
    EXPECT_EQ(treeNodes(), Strings{});
}

// The whole first day from the desktop: the chooser, a new database, two departments, an
// import, and the next start opening that office at once.
TEST_F(OfficeFolders, TheDesktopStartOpensTheLastOfficeAndAsksForOneTheFirstTime) {
    const QString office = sibling("office");
    for (const char* file : {"staff.xls", "dm.txt"})
        std::filesystem::copy_file(path(QDir::currentPath(), file), path(office, file));
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(folder().parent_path().string())));
    ASSERT_EQ(lastOfficeFolder(), QString());

    window = std::make_unique<RecordingWindow>(TFKvDbf::StartUp::LastOffice);
    window->show();
    std::string note;
    window->onDialogs = {choose(OfficeChooser::Choice::Create, &note)};
    window->folders = {office};
    window->Timer1Timer();
    EXPECT_EQ(window->dialogs, Strings{"选择办公文件夹"});
    EXPECT_EQ(note.find("上次"), std::string::npos) << note;
    EXPECT_EQ(window->officeFolder(), office);
    EXPECT_EQ(QDir::currentPath(), office);
    QSettings settings(userSettingsFile(), QSettings::IniFormat);
    EXPECT_EQ(settings.value(QStringLiteral("office/folder")).toString(), office);
    EXPECT_NE(fileText(utf8(userSettingsFile())).find("[office]"), std::string::npos);

    std::string codeOffered;
    window->onDialogs = {departmentAnswer("01", "行政部门"),
                         departmentAnswer("0101", "办公室", &codeOffered)};
    trigger("addDepartmentAction");
    EXPECT_EQ(selectedCode(), "01");
    trigger("addDepartmentAction");
    EXPECT_EQ(codeOffered, "01") << "the code starts as the parent's";
    EXPECT_EQ(treeNodes(), (Strings{"行政部门_01", "办公室_0101"}));
    EXPECT_EQ(selectedCode(), "0101");

    selectWorkbook(QStringLiteral("staff.xls"));
    window->Button1->click();
    EXPECT_EQ(window->boxes, Strings{"提示|数据导入成功!|0"});
    EXPECT_EQ(rowsIn(office, "select count(*) from ryjbxx where bm = '0101'"), Strings{"6"});

    // The next start from the desktop, from elsewhere: that office, no question.
    window.reset();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(folder().string())));
    window = std::make_unique<RecordingWindow>(TFKvDbf::StartUp::LastOffice);
    window->show();
    window->Timer1Timer();
    EXPECT_EQ(window->dialogs, Strings{});
    EXPECT_EQ(window->officeFolder(), office);
    clickDepartment("0101");
    EXPECT_EQ(gridNames(), kSixNames);
}

TEST_F(OfficeFolders, AFolderThatLostItsDatabaseBringsTheChooserWhoseCancelEndsTheProgram) {
    const QString gone = sibling("gone");
    rememberOfficeFolder(gone);
    RecordingWindow shown(TFKvDbf::StartUp::LastOffice);
    std::string note;
    shown.onDialogs = {choose(OfficeChooser::Choice::Open, &note)}; // then Cancel
    shown.show();
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    safety.start(5000);

    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(shown.dialogs, (Strings{"选择办公文件夹", "选择办公文件夹"}));
    EXPECT_EQ(
        note.rfind("上次使用的办公文件夹 " + gone.toStdString() + " 中已经没有人事数据库。", 0), 0u)
        << note;
}

TEST_F(OfficeFolders, AnAccessDatabaseIsMovedInTableByTableAndOpened) {
    startedWindow();
    const struct {
        const char* file;
        const char* folder;
        std::string line;  // the progress list
        std::string count; // the table's rows counted in the new office
    } cases[] = {
        {"DateTestDatabase.mdb", "jet4", "DateTest: 读出 6 行, 写入 6 行",
         "select count(*) = 6 from DateTest"},
        {"ASampleDatabase.accdb", "ace", "Asset Items: 读出 65 行, 写入 65 行",
         "select count(*) = 65 from \"Asset Items\""},
    };
    for (const auto& c : cases) {
        const QString office = sibling(c.folder);
        Strings lines;
        window->onDialogs = {
            migration(kAccess + QLatin1Char('/') + QLatin1String(c.file), office, &lines)};
        trigger("migrateAction");

        EXPECT_EQ(lines, Strings{c.line});
        EXPECT_EQ(window->officeFolder(), office);
        EXPECT_EQ(rowsIn(office, c.count), Strings{"1"}) << c.file;
    }
    EXPECT_EQ(window->boxes, Strings{});
}

TEST_F(OfficeFolders, CancellingAMigrationLeavesNothingBehind) {
    startedWindow();
    const QString office = sibling("cancelled");
    window->onDialogs = {[&](QDialog& dialog) {
        // 取消 is pressed as soon as the copy hands the user's input over.
        QTimer::singleShot(0, &dialog, [&dialog] {
            dialog.findChild<QPushButton*>(QStringLiteral("closeMigration"))->click();
        });
        return migration(kAccess + QStringLiteral("/nwind.mdb"), office, nullptr, false)(dialog);
    }};
    trigger("migrateAction");

    EXPECT_TRUE(QDir(office).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    EXPECT_EQ(window->officeFolder(),
              QDir(QString::fromStdString(folder().string())).absolutePath());
    EXPECT_EQ(window->boxes, Strings{});
}

TEST_F(OfficeFolders, AnAccessFileAsTheOfficesDatabaseOffersTheMigrationDirectly) {
    std::filesystem::remove("wagebook.mdb");
    std::filesystem::copy_file(std::string(WB_FIXTURES) + "/access/DateTestDatabase.mdb",
                               "wagebook.mdb");
    const std::string accessFile =
        QDir::current().absoluteFilePath(QStringLiteral("wagebook.mdb")).toStdString();
    const QString office = sibling("moved");
    window = std::make_unique<RecordingWindow>();
    window->answers = {true};
    window->onDialogs = {migration(QString(), office, nullptr)};
    window->show();
    window->Timer1Timer();

    ASSERT_EQ(window->questions.size(), 1u);
    EXPECT_EQ(
        window->questions[0].rfind("Access 数据库|文件 " + accessFile + " 是 Access 数据库", 0), 0u)
        << window->questions[0];
    EXPECT_EQ(window->boxes, Strings{}) << "no box sends the user to a command or the README";
    EXPECT_EQ(window->officeFolder(), office);
    EXPECT_EQ(rowsIn(office, "select count(*) from DateTest"), Strings{"6"});
}

TEST_F(OfficeFolders, AnAccessOfficeDeclinedIsOfferedAgainWhenACommandNeedsItsDatabase) {
    std::filesystem::remove("wagebook.mdb");
    std::filesystem::copy_file(std::string(WB_FIXTURES) + "/access/DateTestDatabase.mdb",
                               "wagebook.mdb");
    window = std::make_unique<RecordingWindow>();
    window->answers = {false};
    window->show();
    window->Timer1Timer();
    ASSERT_EQ(window->questions.size(), 1u);

    window->onDialogs = {departmentAnswer("01", "行政部门")};
    trigger("addDepartmentAction");
    ASSERT_TRUE(waitFor([&] { return window->questions.size() == 2; }, 2000));
    EXPECT_EQ(window->questions[1], window->questions[0]);
    EXPECT_EQ(window->dialogs, Strings{"新增部门"}) << "nothing left to try: not asked again";
    EXPECT_EQ(window->boxes, Strings{}) << "the engine's text names a terminal program";
}

TEST_F(OfficeFolders, DatabaseSettingsShowTheDatabaseAndSaveAServerWithoutAPassword) {
    startedWindow();
    const std::string here = QDir::currentPath().toStdString();
    std::string shown;
    window->onDialogs = {[&](QDialog& dialog) {
        shown = utf8(dialog.findChild<QLabel*>(QStringLiteral("currentDatabase"))->text());
        dialog.findChild<QRadioButton*>(QStringLiteral("useServer"))->setChecked(true);
        dialog.findChild<QLineEdit*>(QStringLiteral("serverHost"))
            ->setText(QStringLiteral("db.office"));
        dialog.findChild<QSpinBox*>(QStringLiteral("serverPort"))->setValue(6543);
        dialog.findChild<QLineEdit*>(QStringLiteral("serverDatabase"))
            ->setText(QStringLiteral("人事"));
        dialog.findChild<QLineEdit*>(QStringLiteral("serverUser"))
            ->setText(QStringLiteral("clerk"));
        dialog.findChild<QPushButton*>(QStringLiteral("saveSettings"))->click();
        return dialog.result();
    }};
    trigger("databaseSettingsAction");
    EXPECT_EQ(shown, "本办公文件夹现在使用数据库文件 " + here + "/wagebook.mdb。");
    EXPECT_EQ(fileText("wagebook.ini"),
              "[database]\nurl=postgresql://clerk@db.office:6543/%E4%BA%BA%E4%BA%8B\n");
    EXPECT_EQ(window->boxes, Strings{"数据库设置|已把数据库设置写入 " + here +
                                     "/wagebook.ini。新的设置在下次启动本程序时生效。|0"});

    window->onDialogs = {[&](QDialog& dialog) {
        shown = utf8(dialog.findChild<QLabel*>(QStringLiteral("currentDatabase"))->text());
        EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("serverDatabase"))->text(),
                  QStringLiteral("人事"));
        dialog.findChild<QRadioButton*>(QStringLiteral("useDatabaseFile"))->setChecked(true);
        dialog.findChild<QPushButton*>(QStringLiteral("saveSettings"))->click();
        return dialog.result();
    }};
    trigger("databaseSettingsAction");
    EXPECT_EQ(shown, "本办公文件夹现在使用数据库服务器 db.office:6543 上的数据库 人事（用户 "
                     "clerk），由设置文件 " +
                         here + "/wagebook.ini 指定。");
    EXPECT_FALSE(std::filesystem::exists("wagebook.ini"));
    EXPECT_NE(fileText("wagebook.ini.bak").find("db.office"), std::string::npos);
    EXPECT_EQ(window->boxes.back(),
              "数据库设置|本办公文件夹改为使用数据库文件 " + here +
                  "/wagebook.mdb（原来的设置保存在 " + here +
                  "/wagebook.ini.bak 中）。新的设置在下次启动本程序时生效。|0");
}

} // namespace
