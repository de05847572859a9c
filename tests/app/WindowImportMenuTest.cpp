// SPDX-License-Identifier: GPL-3.0-or-later
// The window's 导入 menu driven as a clerk drives it: a workbook's cells, a dry run, the error
// list exported, an overwrite confirmed and undone; the template and the checked copy; the
// code file that cannot be read; the file list following its folder.

#include "app/CellsWindow.h"
#include "app/MemoMenus.h"
#include "app/OfficeWindow.h"
#include "import/ErrorLine.h"

#include <filesystem>
#include <map>

using namespace wb::test;
namespace fs = std::filesystem;

namespace {

class ImportMenu : public OfficeWindow {
protected:
    void SetUp() override {
        OfficeWindow::SetUp();
        for (const char* workbook : {"full.xls", "cells.xls"})
            fs::copy_file(fs::path(WB_FIXTURES) / "import" / workbook, workbook);
    }

    // Every row of every table the database holds rows in (SQLite's own bookkeeping aside),
    // each table's rows in key order.
    std::map<std::string, Strings> everyTable() const {
        const std::string file = (folder() / "wagebook.mdb").string();
        std::map<std::string, Strings> tables;
        for (const std::string& table :
             sqliteRows(file, "select name from sqlite_master where type = 'table' and name "
                              "not like 'sqlite_%' order by name")) {
            Strings rows = sqliteRows(file, "select * from " + table + " order by rowid");
            if (!rows.empty())
                tables[table] = std::move(rows);
        }
        return tables;
    }

    // A person of `code` with a record in each of four dependent tables.
    void personWithRecords(const std::string& name, const std::string& code) {
        addPerson(name, code);
        QSqlQuery query(otherProgram());
        for (const char* table : {"ryxl", "ryrz", "rykh", "ryjl"})
            ASSERT_TRUE(query.exec(QStringLiteral("insert into %1 (mid) select max(id) from ryjbxx")
                                       .arg(QLatin1String(table))))
                << utf8(query.lastError().text());
    }

    CellsWindow* cellsWindow() const { return window->findChild<CellsWindow*>(); }
    static QString cell(const QTableView* table, int row, int column) {
        return table->model()->index(row, column).data().toString();
    }
    static QString header(const QTableView* table, Qt::Orientation orientation, int section) {
        return table->model()->headerData(section, orientation).toString();
    }
};

} // namespace

TEST_F(ImportMenu, LookDryRunReadErrorsOverwriteAndUndoLeaveTheDatabaseAsItWas) {
    startedWindow();
    personWithRecords("旧甲", "01");
    personWithRecords("旧乙", "0101");
    personWithRecords("别", "02");
    clickDepartment("01");
    selectWorkbook(QStringLiteral("full.xls"));
    const Strings gridBefore = gridNames();
    const std::map<std::string, Strings> before = everyTable();

    // Looking imports nothing.
    trigger("cellsAction");
    ASSERT_NE(cellsWindow(), nullptr);
    EXPECT_EQ(utf8(cellsWindow()->windowTitle()), "full.xls");
    EXPECT_FALSE(cellsWindow()->missingTitles()->isVisible());
    EXPECT_EQ(cell(cellsWindow()->titleRow(), 0, 0), QStringLiteral("序号"));
    cellsWindow()->close();

    // The dry run of an overwrite asks nothing, shows the run and its summary, writes nothing.
    window->RadioButton5->setChecked(true);
    trigger("dryRunAction");
    EXPECT_TRUE(window->questions.empty()) << window->questions.front();
    const Strings dryLog = lines(window->Memo1);
    ASSERT_FALSE(dryLog.empty());
    EXPECT_EQ(dryLog.back().rfind("试导入：将导入 ", 0), 0u) << dryLog.back();
    EXPECT_NE(dryLog.back().find("；未写入数据库"), std::string::npos) << dryLog.back();
    EXPECT_TRUE(contains(dryLog, "正在删除旧数据!"));
    EXPECT_EQ(window->boxes, Strings{"提示|数据导入成功!|0"});
    EXPECT_EQ(gridNames(), gridBefore);
    EXPECT_EQ(everyTable(), before);

    // The error list, exported from the menu as its own 另存为… writes it.
    ASSERT_FALSE(window->ErrorList->lines().empty());
    const QString saved = QDir::current().absoluteFilePath(QStringLiteral("错误信息.csv"));
    window->ErrorList->setSavePathPrompt([&](QWidget*) { return saved; });
    trigger("exportErrorsAction");
    QFile csv(saved);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_EQ(csv.readAll().toStdString(), errorListCsv(window->ErrorList->lines()));

    // The import, confirmed, replaces 01 and the department below it.
    window->answers = {true};
    window->Button1->click();
    EXPECT_EQ(window->questions,
              Strings{"覆盖导入|将删除部门 行政部门_01 及其下级部门的 2 人及其全部记录，"
                      "再导入工作簿 full.xls。确定吗？"});
    EXPECT_EQ(persons("0101"), 0);
    EXPECT_NE(everyTable(), before);

    // Undo, confirmed after its description, brings back exactly what was there.
    window->questions.clear();
    window->answers = {true};
    trigger("undoAction");
    ASSERT_EQ(window->questions.size(), 1u);
    EXPECT_EQ(window->questions[0].rfind("撤销导入|", 0), 0u) << window->questions[0];
    EXPECT_NE(window->questions[0].find("部门 01 的覆盖导入（工作簿 "), std::string::npos)
        << window->questions[0];
    EXPECT_EQ(lines(window->Memo1).back().rfind("撤销了 ", 0), 0u) << lines(window->Memo1).back();
    EXPECT_EQ(everyTable(), before);
    EXPECT_EQ(gridNames(), gridBefore);
    EXPECT_EQ(selectedCode(), "01");
    EXPECT_EQ(utf8(window->panelText(0)), "2人");
}

TEST_F(ImportMenu, UndoAsksFirstAndSaysWhenThereIsNothingOrWhyItCannot) {
    startedWindow();
    trigger("undoAction");
    EXPECT_EQ(window->boxes, Strings{"提示|没有可以撤销的导入|0"});
    EXPECT_TRUE(window->questions.empty());

    addPerson("旧", "01");
    window->RadioButton5->setChecked(true);
    window->answers = {true};
    importStaff("01");
    const int kept = persons("");

    // 取消, the default, keeps the import.
    trigger("undoAction");
    EXPECT_EQ(window->questions.size(), 2u);
    EXPECT_EQ(persons(""), kept);

    // The key of a person the overwrite deleted was taken since: undo refuses, changing nothing.
    QSqlQuery query(otherProgram());
    ASSERT_TRUE(
        query.exec(QStringLiteral("insert into ryjbxx (id, xm, bm) values (1, '新', '02')")));
    window->boxes.clear();
    window->answers = {true};
    trigger("undoAction");
    EXPECT_EQ(
        window->boxes,
        Strings{"错误|撤销没有完成，数据库没有改动：人员的编号 1 在导入之后又被其他人员使用了，"
                "这些人员无法恢复|16"});
    EXPECT_EQ(persons(""), kept + 1);
}

TEST_F(ImportMenu, TheCellsWindowShowsTheSheetAsReadWithItsOwnRowsAndColumns) {
    startedWindow();
    selectWorkbook(QStringLiteral("cells.xls"));
    trigger("cellsAction");
    CellsWindow* cells = cellsWindow();
    ASSERT_NE(cells, nullptr);
    EXPECT_EQ(utf8(cells->windowTitle()), "cells.xls");
    EXPECT_EQ(utf8(cells->missingTitles()->text()), "缺少标题：参加工作时间、个人身份");

    // Row 1 stands apart, above rows 2 to 6; both carry the sheet's numbers and letters.
    const QTableView* titles = cells->titleRow();
    const QTableView* rows = cells->rows();
    EXPECT_EQ(titles->model()->rowCount(), 1);
    EXPECT_EQ(rows->model()->rowCount(), 5);
    EXPECT_EQ(header(titles, Qt::Vertical, 0), QStringLiteral("1"));
    EXPECT_EQ(header(rows, Qt::Vertical, 0), QStringLiteral("2"));
    EXPECT_EQ(header(rows, Qt::Vertical, 4), QStringLiteral("6"));
    EXPECT_EQ(header(titles, Qt::Horizontal, 3), QStringLiteral("D"));
    EXPECT_FALSE(rows->horizontalHeader()->isVisible());
    // The texts unescaped, as the import reads them; an empty cell empty.
    EXPECT_EQ(cell(titles, 0, 2), QStringLiteral("备注"));
    EXPECT_EQ(cell(rows, 0, 2), QStringLiteral("a\tb\\c\nd"));
    EXPECT_EQ(cell(rows, 0, 1), QStringLiteral("1970-1-1"));
    EXPECT_EQ(cell(rows, 2, 0), QString());
    EXPECT_EQ(titles->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(rows->editTriggers(), QAbstractItemView::NoEditTriggers);
    // A column widened in the title row widens below it; scrolling takes the title row along.
    titles->horizontalHeader()->resizeSection(0, 2000);
    EXPECT_EQ(rows->columnWidth(0), 2000);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(cells));
    QApplication::processEvents();
    rows->horizontalScrollBar()->setValue(rows->horizontalScrollBar()->maximum());
    ASSERT_GT(rows->horizontalScrollBar()->value(), 1000);
    EXPECT_EQ(titles->horizontalScrollBar()->value(), rows->horizontalScrollBar()->value());
    EXPECT_EQ(persons(""), 0);

    // No workbook selected: the run's refusal.
    window->FileListBox1->clearSelection();
    trigger("cellsAction");
    EXPECT_EQ(window->boxes, Strings{"失败|未选择导入文件!|0"});
}

TEST_F(ImportMenu, TheTemplateAndTheCheckedCopyAreWrittenAndNamedInTheRunLog) {
    startedWindow();
    // No path chosen: nothing.
    trigger("templateAction");
    EXPECT_TRUE(lines(window->Memo1).empty());

    const QString chosen = QDir::current().absoluteFilePath(QStringLiteral("模板"));
    window->files = {chosen};
    trigger("templateAction");
    EXPECT_TRUE(QFile::exists(chosen + QStringLiteral(".xlsx")));
    ASSERT_EQ(lines(window->Memo1).size(), 1u);
    EXPECT_EQ(lines(window->Memo1)[0].rfind("已生成导入模板 " + utf8(chosen) + ".xlsx：", 0), 0u)
        << lines(window->Memo1)[0];

    const std::map<std::string, Strings> before = everyTable();
    clickDepartment("01");
    selectWorkbook(QStringLiteral("full.xls"));
    trigger("checkWorkbookAction");
    EXPECT_TRUE(QFile::exists(QStringLiteral("full.检查结果.xlsx")));
    const std::string last = lines(window->Memo1).back();
    EXPECT_EQ(last.rfind("检查结果：错误信息 ", 0), 0u) << last;
    EXPECT_NE(last.find("full.检查结果.xlsx"), std::string::npos) << last;
    EXPECT_FALSE(window->ErrorList->lines().empty());
    EXPECT_EQ(everyTable(), before);
    EXPECT_EQ(buttonStates(), "import exit");
}

TEST_F(ImportMenu, ACodeFileThatCannotBeReadEndsTheImportWithButtonsUnchanged) {
    startedWindow();
    ASSERT_TRUE(QFile::remove(QStringLiteral("dm.txt")));
    // A regular file whose every read fails, whoever runs the test.
    fs::create_symlink("/proc/self/mem", "dm.txt");
    addPerson("旧", "01");
    const std::string states = buttonStates();
    window->RadioButton5->setChecked(true);
    window->answers = {true};
    importStaff("01");

    EXPECT_EQ(window->boxes, Strings{"错误|代码文件dm.txt无法读取：输入/输出错误|16"});
    EXPECT_EQ(buttonStates(), states);
    EXPECT_TRUE(lines(window->Memo1).empty());
    EXPECT_EQ(persons("01"), 1);

    // A folder at its name is no code file: reported as missing, and the run goes on.
    fs::remove("dm.txt");
    fs::create_directory("dm.txt");
    window->boxes.clear();
    window->RadioButton4->setChecked(true);
    importStaff("01");
    EXPECT_EQ(window->boxes, (Strings{"错误|代码文件dm.txt不存在|16", "提示|数据导入成功!|0"}));
    EXPECT_EQ(persons("01"), 7);
}

TEST_F(ImportMenu, TheFileListFollowsItsFolder) {
    startedWindow();
    selectWorkbook(QStringLiteral("staff.xls"));
    auto listed = [&](const char* name) {
        return !window->FileListBox1->findItems(QString::fromUtf8(name), Qt::MatchExactly)
                    .isEmpty();
    };
    fs::copy_file("staff.xls", "copied.xls");
    EXPECT_TRUE(waitFor([&] { return listed("copied.xls"); }, 5000));
    fs::remove("full.xls");
    EXPECT_TRUE(waitFor([&] { return !listed("full.xls"); }, 5000));
    fs::rename("cells.xls", "renamed.xlsx");
    EXPECT_TRUE(waitFor([&] { return listed("renamed.xlsx") && !listed("cells.xls"); }, 5000));
    // The selected workbook stays selected through it all.
    EXPECT_EQ(QFileInfo(window->Browser->selectedFile()).fileName(), QStringLiteral("staff.xls"));
}
