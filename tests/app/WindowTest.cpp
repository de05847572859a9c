// SPDX-License-Identifier: GPL-3.0-or-later
// The window driven as a user drives it: start-up, the tree and its selection, the grid,
// the import and its buttons, folders.

#include "app/MemoMenus.h"
#include "app/WindowOffice.h"

#include <QClipboard>
#include <QTextCursor>
#include <filesystem>
#include <fstream>

using namespace wb::test;

TEST_F(WindowOffice, StartUpWithoutDatabaseShowsTheBoxAndEndsWithExitCodeZero) {
    QFile::remove(QStringLiteral("wagebook.mdb"));
    RecordingWindow shown;
    shown.show();
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    safety.start(5000);
    QElapsedTimer clock;
    clock.start();

    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_GE(clock.elapsed(), 900);
    EXPECT_EQ(shown.boxes, Strings{"文件丢失错误|文件(wagebook.dat)丢失,或运行目录不正确!|0"});
    EXPECT_EQ(shown.TV1->topLevelItemCount(), 0);
    EXPECT_FALSE(QFile::exists(QStringLiteral("wagebook.mdb")));
}

TEST_F(WindowOffice, StartUpWithAnUnreachableServerShowsWhyAndEndsAsWithoutDatabase) {
    QFile::remove(QStringLiteral("wagebook.mdb"));
    std::ofstream("wagebook.ini") << "[database]\nurl=postgresql://clerk@127.0.0.1:1/wagebook\n";
    RecordingWindow shown;
    shown.show();
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    safety.start(20000);

    EXPECT_EQ(QApplication::exec(), 0);
    ASSERT_EQ(shown.boxes.size(), 1u);
    EXPECT_EQ(shown.boxes[0].rfind(
                  "错误|无法连接数据库服务器 127.0.0.1:1（数据库 wagebook）：服务器没有响应", 0),
              0u)
        << shown.boxes[0];
    EXPECT_EQ(shown.boxes[0].substr(shown.boxes[0].size() - 3), "|16");
    EXPECT_EQ(shown.TV1->topLevelItemCount(), 0);
}

TEST_F(WindowOffice, StartUpFillsTheTreeExpandedWithNothingSelected) {
    window = std::make_unique<RecordingWindow>();
    window->show();
    ASSERT_TRUE(waitFor([&] { return window->TV1->topLevelItemCount() > 0; }, 5000));

    Strings outline;
    for (QTreeWidgetItemIterator it(window->TV1); *it; ++it) {
        int depth = 0;
        for (QTreeWidgetItem* up = (*it)->parent(); up; up = up->parent())
            ++depth;
        EXPECT_TRUE((*it)->isExpanded() || (*it)->childCount() == 0);
        outline.push_back(std::string(2 * depth, ' ') + utf8((*it)->text(0)));
    }
    EXPECT_EQ(outline, (Strings{"行政部门_01", "  办公室_0101", "  人事科_0102", "教学部门_02",
                                "  语文教研组_0201"}));
    EXPECT_EQ(window->selectedDepartment(), -1);
    EXPECT_TRUE(window->Button1->isEnabled());
    EXPECT_TRUE(window->boxes.empty());
}

TEST_F(WindowOffice, ImportWithNothingSelectedOnlyShowsTheBox) {
    QFile::remove(QStringLiteral("dm.txt")); // the code-file step would report it
    startedWindow();
    selectWorkbook(QStringLiteral("staff.xls"));
    window->Button1->click();

    EXPECT_EQ(window->boxes, Strings{"错误| 请选择部门!|16"});
    EXPECT_TRUE(lines(window->Memo1).empty());
    EXPECT_TRUE(lines(window->Memo2).empty());
    EXPECT_EQ(persons(""), 0);
}

TEST_F(WindowOffice, ClickingADepartmentListsItsStaffAndTheirCount) {
    startedWindow();
    addPerson("甲", "01");
    addPerson("乙", "0101");
    addPerson("丙", "0102");
    addPerson("丁", "02");

    clickDepartment("01");
    EXPECT_EQ(gridNames(), (Strings{"甲", "乙", "丙"}));
    EXPECT_EQ(utf8(window->panelText(0)), "3人");

    clickDepartment("0101");
    EXPECT_EQ(gridNames(), Strings{"乙"});
    EXPECT_EQ(utf8(window->panelText(0)), "1人");

    clickDepartment("0201");
    EXPECT_EQ(gridNames(), Strings{});
    EXPECT_EQ(utf8(window->panelText(0)), "0人");
    EXPECT_TRUE(window->boxes.empty());
}

// A point in the tree's viewport below its last node: no node under the mouse.
static QPoint emptyTreePoint(const QTreeWidget* tree) {
    QTreeWidgetItem* last = tree->topLevelItem(tree->topLevelItemCount() - 1);
    while (last->childCount() > 0 && last->isExpanded())
        last = last->child(last->childCount() - 1);
    const QRect lastRow = tree->visualItemRect(last);
    const QPoint point(lastRow.left() + 20, lastRow.bottom() + 40);
    EXPECT_LT(point.y(), tree->viewport()->height());
    EXPECT_EQ(tree->itemAt(point), nullptr);
    return point;
}

TEST_F(WindowOffice, ClickingTheTreesEmptyAreaKeepsTheSelectedDepartment) {
    startedWindow();
    addPerson("甲", "0101");
    QTreeWidget* tree = window->TV1;
    const QPoint empty = emptyTreePoint(tree);

    // Nothing selected yet: an empty click selects nothing.
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, empty);
    EXPECT_EQ(window->selectedDepartment(), -1);

    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                      tree->visualItemRect(department("0101")).center());
    ASSERT_EQ(tree->selectedItems(), QList<QTreeWidgetItem*>{department("0101")});
    EXPECT_EQ(utf8(window->panelText(0)), "1人");

    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, empty);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, empty);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::ControlModifier, empty);
    EXPECT_EQ(tree->selectedItems(), QList<QTreeWidgetItem*>{department("0101")});
    EXPECT_EQ(utf8(window->panelText(0)), "1人");

    // Each click, an empty one too, lists the selected department's staff again.
    addPerson("乙", "0101");
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, empty);
    EXPECT_EQ(utf8(window->panelText(0)), "2人");
    EXPECT_EQ(gridNames(), (Strings{"甲", "乙"}));

    // The keyboard moves the selection and lists nothing; an empty click then keeps where it
    // went and lists its staff.
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Down);
    ASSERT_EQ(tree->selectedItems(), QList<QTreeWidgetItem*>{department("0102")});
    EXPECT_EQ(utf8(window->panelText(0)), "2人");
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, empty);
    EXPECT_EQ(tree->selectedItems(), QList<QTreeWidgetItem*>{department("0102")});
    EXPECT_EQ(utf8(window->panelText(0)), "0人");

    // A Ctrl-click on the selected node does not unselect it either.
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      tree->visualItemRect(department("0102")).center());
    EXPECT_EQ(tree->selectedItems(), QList<QTreeWidgetItem*>{department("0102")});

    // And Import goes to the department still selected, without the refusal.
    selectWorkbook(QStringLiteral("staff.xls"));
    window->Button1->click();
    EXPECT_EQ(window->boxes, Strings{"提示|数据导入成功!|0"});
    EXPECT_EQ(persons("0102"), 6);
}

TEST_F(WindowOffice, TheGridShowsItsNineColumnsAtTheirWidths) {
    startedWindow();
    addPerson("甲", "01");
    clickDepartment("01"); // a query resets the header; the widths must survive it

    const QHeaderView* header = window->DBGrid1->horizontalHeader();
    Strings titles;
    for (int column = 0; column < header->count(); ++column)
        titles.push_back(utf8(window->DataSource1->headerData(column, Qt::Horizontal).toString()));
    EXPECT_EQ(titles, (Strings{"bh", "xm", "sfzh", "grsf", "xb", "mz", "csny", "jkzk", "gzsj"}));
    const std::vector<int> widths = {55, 59, 167, 65, 0, 0, 93, 32, 0};
    for (int column = 0; column < 9; ++column) {
        if (widths[column]) {
            EXPECT_EQ(header->sectionSize(column), widths[column]) << titles[column];
        }
    }
}

// The texts of the grid's row.
static Strings gridRow(const StaffGridModel* model, int row) {
    Strings texts;
    for (int column = 0; column < model->columnCount(); ++column)
        texts.push_back(utf8(model->index(row, column).data().toString()));
    return texts;
}

TEST_F(WindowOffice, TheGridShowsEachRowsNineFieldsInItsOrder) {
    startedWindow();
    QSqlQuery insert(otherProgram());
    ASSERT_TRUE(insert.exec(QStringLiteral(
        "insert into ryjbxx (bm, bh, xm, sfzh, grsf, xb, mz, csny, jkzk, gzsj, sylb)"
        " values ('01', '7', '李明', '110101197203150017', '干部', '1', '01', '1972-03-15',"
        " '10', '1994-07-01', 'x')")));
    ASSERT_TRUE(insert.exec(QStringLiteral("insert into ryjbxx (bm, xm) values ('01', '空')")));

    clickDepartment("01");
    ASSERT_EQ(window->DataSource1->rowCount(), 2);
    EXPECT_EQ(gridRow(window->DataSource1, 0),
              (Strings{"7", "李明", "110101197203150017", "干部", "1", "01", "1972-03-15", "10",
                       "1994-07-01"}));
    EXPECT_EQ(gridRow(window->DataSource1, 1), (Strings{"", "空", "", "", "", "", "", "", ""}));
}

TEST_F(WindowOffice, AGridColumnTheTableLacksStaysEmpty) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("q"));
        db.setDatabaseName(QStringLiteral("wagebook.mdb"));
        ASSERT_TRUE(db.open());
        ASSERT_TRUE(QSqlQuery(db).exec(QStringLiteral("alter table ryjbxx drop column jkzk")));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("q"));
    startedWindow();
    addPerson("甲", "01");
    addPerson("乙", "01");

    clickDepartment("01");
    EXPECT_TRUE(window->boxes.empty()) << window->boxes.front();
    EXPECT_EQ(gridNames(), (Strings{"甲", "乙"}));
    EXPECT_EQ(window->DataSource1->columnCount(), 9);
    EXPECT_EQ(window->DataSource1->index(1, 7).data().toString(), QString());
}

TEST_F(WindowOffice, AQuoteInADepartmentCodeCannotBreakTheStaffQuery) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("q"));
        db.setDatabaseName(QStringLiteral("wagebook.mdb"));
        ASSERT_TRUE(db.open());
        QSqlQuery(db).exec(QStringLiteral(
            "insert into dm_jg (upid, px, jgdm, jgmc, jgjb) values (0, 9, '''1', 'Q', '1')"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("q"));
    startedWindow();
    addPerson("甲", "'1");

    clickDepartment("'1");
    EXPECT_TRUE(window->boxes.empty()) << window->boxes.front();
    EXPECT_EQ(gridNames(), Strings{"甲"});
    EXPECT_EQ(utf8(window->panelText(0)), "1人");
}

// Another program's connection to the office's database, as a second process would have it.

TEST_F(WindowOffice, AnotherProgramsCommitWhileTheGridShowsADepartmentLeavesImportWorking) {
    startedWindow();
    OtherProgram other;
    other.commitPersons(300, QStringLiteral("01"));
    clickDepartment("01");
    ASSERT_EQ(window->DataSource1->rowCount(), 300);

    other.commitPersons(1, QStringLiteral("02"));
    importStaff("01");

    EXPECT_EQ(window->boxes, Strings{"提示|数据导入成功!|0"});
    EXPECT_EQ(persons("01"), 306);
    EXPECT_EQ(persons("02"), 1);
    EXPECT_EQ(window->DataSource1->rowCount(), 306);
    EXPECT_EQ(utf8(window->panelText(0)), "306人");
    // The window's own connections: one.
    EXPECT_EQ(windowConnections(), 1);

    // And the other program can still write once the window has.
    other.commitPersons(1, QStringLiteral("02"));
    EXPECT_EQ(persons("02"), 2);
}

TEST_F(WindowOffice, ImportIntoTheSelectedDepartmentRefreshesGridAndCount) {
    startedWindow();
    clickDepartment("0101");
    ASSERT_EQ(utf8(window->panelText(0)), "0人");
    importStaff("0101");

    EXPECT_EQ(window->boxes, Strings{"提示|数据导入成功!|0"});
    EXPECT_EQ(persons("0101"), 6);
    EXPECT_EQ(gridNames(), kSixNames);
    EXPECT_EQ(utf8(window->panelText(0)), "6人");
    EXPECT_EQ(utf8(window->panelText(1)), "数据导入成功!");
    for (const std::string& name : kSixNames)
        EXPECT_TRUE(contains(lines(window->Memo1), name)) << name;
    EXPECT_EQ(window->ProgressBar1->value(), 100);
    EXPECT_EQ(buttonStates(), "import exit");
}

TEST_F(WindowOffice, OverwriteModeAsksNamingWhatGoesAndReplacesTheDepartmentsStaff) {
    startedWindow();
    addPerson("旧", "01");
    addPerson("下", "0102");
    addPerson("别", "02");
    window->RadioButton5->setChecked(true);

    // 取消 (and the default, nothing answered) ends the command with nothing done.
    window->answers = {false};
    importStaff("01");
    importStaff("01");
    const std::string question = "覆盖导入|将删除部门 行政部门_01 及其下级部门的 2 人及其全部记录，"
                                 "再导入工作簿 staff.xls。确定吗？";
    EXPECT_EQ(window->questions, (Strings{question, question}));
    EXPECT_TRUE(window->boxes.empty()) << window->boxes.front();
    EXPECT_TRUE(lines(window->Memo1).empty());
    EXPECT_EQ(persons("01"), 2);

    window->answers = {true};
    importStaff("01");
    EXPECT_EQ(persons("01"), 6);
    EXPECT_EQ(persons("02"), 1);
    EXPECT_TRUE(contains(lines(window->Memo1), "正在删除旧数据!"));
    EXPECT_EQ(window->boxes, Strings{"提示|数据导入成功!|0"});

    // Append asks nothing; nor does an overwrite whose workbook is gone, which deletes nothing.
    window->questions.clear();
    window->RadioButton4->setChecked(true);
    importStaff("0102");
    window->RadioButton5->setChecked(true);
    clickDepartment("0102");
    window->FileListBox1->clearSelection();
    window->Button1->click();
    EXPECT_TRUE(window->questions.empty()) << window->questions.front();
    EXPECT_EQ(persons("0102"), 6);
}

TEST_F(WindowOffice, AbortBeforeARunDoesNotStopIt) {
    startedWindow();
    window->BitBtn1->click();
    importStaff("01");

    EXPECT_EQ(persons("01"), 6);
    EXPECT_EQ(window->boxes, Strings{"提示|数据导入成功!|0"});
}

TEST_F(WindowOffice, ARunThatEndsEarlyLeavesTheSameButtonStates) {
    startedWindow();
    clickDepartment("01");
    window->Button1->click(); // no workbook selected

    EXPECT_EQ(window->boxes, Strings{"失败|未选择导入文件!|0"});
    EXPECT_EQ(utf8(window->panelText(1)), "文件不存在!");
    EXPECT_EQ(buttonStates(), "import exit");
}

TEST_F(WindowOffice, AbortDuringARunStopsAfterTheCurrentRow) {
    startedWindow();
    std::string statesDuringRun;
    int progressDuringRun = -1;
    importStaff("01", [&] {
        statesDuringRun = buttonStates();
        progressDuringRun = window->ProgressBar1->value();
        window->BitBtn1->click();
    });

    EXPECT_EQ(statesDuringRun, "abort exit");
    EXPECT_GT(progressDuringRun, 0);
    EXPECT_LT(progressDuringRun, 100);
    EXPECT_EQ(persons("01"), 1);
    EXPECT_EQ(window->boxes, (Strings{"提示|用户中止!|0", "提示|数据导入成功!|0"}));
    EXPECT_EQ(utf8(window->panelText(1)), "数据导入成功!");
    EXPECT_EQ(gridNames(), Strings{"张伟"});
    EXPECT_EQ(buttonStates(), "import exit");
    EXPECT_TRUE(window->isVisible());
}

TEST_F(WindowOffice, TheRunLogKeepsUpDuringARunAndIsCompleteWhenABoxComesUp) {
    startedWindow();
    // Each row committed as it ends, so that its name is due at once.
    window->office().rowGroups.maxRows = 1;
    Strings shownDuringRun;
    importStaff("01", [&] {
        // The user sees the first row's name within a moment, while the run goes on.
        waitFor([&] { return lines(window->Memo1).size() >= 2; }, 2000);
        shownDuringRun = lines(window->Memo1);
        window->BitBtn1->click();
    });

    EXPECT_EQ(shownDuringRun, (Strings{"XLS相配置!准备导入", "张伟"}));
    EXPECT_EQ(window->lastLogLineAtBox, (Strings{"张伟", "张伟"}));
    EXPECT_EQ(lines(window->Memo1), (Strings{"XLS相配置!准备导入", "张伟"}));
}

TEST_F(WindowOffice, AFullRunLogsEveryRowOnceInOrder) {
    startedWindow();
    importStaff("01");

    Strings expected = {"XLS相配置!准备导入"};
    expected.insert(expected.end(), kSixNames.begin(), kSixNames.end());
    EXPECT_EQ(lines(window->Memo1), expected);
    EXPECT_EQ(window->lastLogLineAtBox, Strings{"杨帆"});
    const QScrollBar* scroll = window->Memo1->verticalScrollBar();
    EXPECT_EQ(scroll->value(), scroll->maximum());
}

TEST_F(WindowOffice, ARunThatFailsMidwayShowsItsWholeLogBeforeTheErrorBox) {
    startedWindow();
    window->office().rowGroups.maxRows = 1;
    // The database file is deleted under the run: the next row's commit fails.
    importStaff("01", [&] { ASSERT_TRUE(QFile::remove(QStringLiteral("wagebook.mdb"))); });

    ASSERT_EQ(window->boxes.size(), 1u);
    EXPECT_EQ(window->boxes.front().rfind("错误|", 0), 0u) << window->boxes.front();
    // The row whose commit failed is not shown: the log shows what was stored.
    const Strings log = lines(window->Memo1);
    EXPECT_EQ(log, (Strings{"XLS相配置!准备导入", "张伟"}));
    EXPECT_EQ(window->lastLogLineAtBox, Strings{log.back()});
}

TEST_F(WindowOffice, ImportDuringARunStartsNoSecondRun) {
    startedWindow();
    importStaff("01", [&] {
        window->Button1->click(); // disabled: nothing happens
        window->Button1Click();   // and the handler itself refuses while a run is on
    });

    EXPECT_EQ(persons("01"), 6);
    EXPECT_EQ(window->boxes, Strings{"提示|数据导入成功!|0"});
    EXPECT_EQ(buttonStates(), "import exit");
}

TEST_F(WindowOffice, ClosingDuringARunAsksThenStopsAfterTheRowAndCloses) {
    startedWindow();
    const std::string question = "退出|正在导入，确定要中止并退出吗？";
    // 取消: the run goes on to its end and the window stays.
    importStaff("01", [&] { window->close(); });
    EXPECT_EQ(window->questions, Strings{question});
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(persons("01"), 6);
    EXPECT_EQ(window->boxes, Strings{"提示|数据导入成功!|0"});

    window->questions.clear();
    window->boxes.clear();
    window->answers = {true};
    importStaff("02", [&] { window->Button2->click(); });
    EXPECT_EQ(window->questions, Strings{question});
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(persons("02"), 1);
    EXPECT_TRUE(window->boxes.empty()) << window->boxes.front();
}

TEST_F(WindowOffice, AnErrorInAHandlerIsShownAndTheWindowStaysOpen) {
    QFile::remove(QStringLiteral("wagebook.mdb"));
    QFile garbage(QStringLiteral("wagebook.mdb"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("this is no database, only text in a file that has the right name");
    garbage.close();

    startedWindow();
    ASSERT_EQ(window->boxes.size(), 1u);
    EXPECT_EQ(window->boxes.front().rfind("错误|", 0), 0u) << window->boxes.front();
    EXPECT_GT(window->boxes.front().size(), std::string("错误||16").size());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->Button1->isEnabled());
    EXPECT_EQ(window->TV1->topLevelItemCount(), 0);
}

TEST_F(WindowOffice, TheErrorListCopiesAndSavesAsTheCsvTableAndTheRunLogCopies) {
    // A workbook with texts the code file has no code for.
    std::filesystem::copy_file(std::string(WB_FIXTURES) + "/import/full.xls", "full.xls");
    startedWindow();
    clickDepartment("0101");
    selectWorkbook(QStringLiteral("full.xls"));
    window->Button1->click();
    const Strings shown = lines(window->Memo2);
    ASSERT_FALSE(shown.empty());
    // In its parts, as the engine reported it: the same lines.
    Strings fromParts;
    for (const ErrorLine& line : window->ErrorList->lines())
        fromParts.push_back(gbkToUtf8(line.line()));
    EXPECT_EQ(fromParts, shown);
    const std::string csv = errorListCsv(window->ErrorList->lines());

    window->ErrorList->copy();
    EXPECT_EQ(utf8(QApplication::clipboard()->text()), csv.substr(3)); // without the BOM

    const QString saved = QDir::current().absoluteFilePath(QStringLiteral("错误.csv"));
    window->ErrorList->setSavePathPrompt([&](QWidget*) { return saved; });
    window->ErrorList->saveAs();
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), csv);

    // Cancelling the prompt writes nothing.
    file.remove();
    window->ErrorList->setSavePathPrompt([](QWidget*) { return QString(); });
    window->ErrorList->saveAs();
    EXPECT_FALSE(QFile::exists(saved));

    copyRunLog(window->Memo1);
    EXPECT_EQ(utf8(QApplication::clipboard()->text()), utf8(window->Memo1->toPlainText()));
    QTextCursor cursor(window->Memo1->document());
    cursor.movePosition(QTextCursor::Down, QTextCursor::KeepAnchor, 2);
    window->Memo1->setTextCursor(cursor);
    copyRunLog(window->Memo1);
    const Strings log = lines(window->Memo1);
    EXPECT_EQ(utf8(QApplication::clipboard()->text()), log.at(0) + "\n" + log.at(1) + "\n");
}
