// The window driven as a user drives it, offscreen: start-up, the department tree, the staff
// grid, Import, Abort and Exit. Message boxes are recorded instead of shown.

#include "app/FolderBrowser.h"
#include "app/QtText.h"
#include "app/StaffGridModel.h"
#include "app/Umain.h"
#include "data/Schema.h"
#include "support/GbkBytes.h"
#include "support/TempFolder.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLibraryInfo>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSqlError>
#include <QSqlQuery>
#include <QStorageInfo>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace wb;
using Strings = std::vector<std::string>;

namespace {

std::string utf8(const QString& text) {
    return text.toStdString();
}

// The window with its message boxes recorded as "caption|text|flags", and the run log's last
// line when each box came up.
class RecordingWindow : public TFKvDbf {
public:
    Strings boxes;
    Strings lastLogLineAtBox;

protected:
    void messageBox(const QString& text, const QString& caption, int flags) override {
        boxes.push_back(utf8(caption) + "|" + utf8(text) + "|" + std::to_string(flags));
        lastLogLineAtBox.push_back(utf8(Memo1->document()->lastBlock().text()));
    }
};

// Runs the event loop until `done` holds or `ms` have passed; returns whether it holds.
bool waitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

Strings lines(const QPlainTextEdit* memo) {
    Strings result;
    for (const QString& line : memo->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        result.push_back(utf8(line));
    return result;
}

bool contains(const Strings& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

// An office in a temporary directory, made the current directory: the demo database, the
// code file and the six-person workbook.
class WindowOffice : public ::testing::Test {
protected:
    void SetUp() override {
        folder_.enter();
        folder_.createDatabase();
        folder_.copyFixture("import/dm.txt");
        folder_.copyFixture("window/staff.xls");
    }
    void TearDown() override {
        window.reset();
        if (QSqlDatabase::contains(kOther)) {
            QSqlDatabase::database(kOther, false).close();
            QSqlDatabase::removeDatabase(kOther);
        }
    }

    // Another program's connection to the office's database.
    static inline const QString kOther = QStringLiteral("window-test-other");
    QSqlDatabase otherProgram() const {
        if (!QSqlDatabase::contains(kOther)) {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kOther);
            db.setDatabaseName(QString::fromStdString((folder_.path() / "wagebook.mdb").string()));
        }
        QSqlDatabase db = QSqlDatabase::database(kOther, false);
        if (!db.isOpen())
            db.open();
        return db;
    }

    // The window after its start-up check.
    RecordingWindow& startedWindow() {
        window = std::make_unique<RecordingWindow>();
        window->show();
        window->Timer1Timer();
        return *window;
    }

    QTreeWidgetItem* department(const std::string& code) const {
        for (QTreeWidgetItemIterator it(window->TV1); *it; ++it) {
            if (window->Depts.departmentCode((*it)->data(0, Qt::UserRole).toInt()) == code)
                return *it;
        }
        ADD_FAILURE() << "no node for department " << code;
        return nullptr;
    }
    void clickDepartment(const std::string& code) {
        QTreeWidgetItem* item = department(code);
        window->TV1->setCurrentItem(item);
        emit window->TV1->itemClicked(item, 0);
    }
    void selectWorkbook(const QString& name) {
        const QList<QListWidgetItem*> found =
            window->FileListBox1->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << utf8(name);
        window->FileListBox1->setCurrentItem(found.first());
    }

    // The names in the grid's xm column.
    Strings gridNames() const {
        const StaffGridModel* model = window->DataSource1;
        Strings names;
        for (int row = 0; row < model->rowCount(); ++row)
            names.push_back(utf8(model->index(row, 1).data().toString()));
        return names;
    }
    int persons(const std::string& codePrefix) const {
        QSqlQuery query(otherProgram());
        query.exec(
            QString::fromUtf8("select count(*) from ryjbxx where bm like '" + codePrefix + "%'"));
        return query.next() ? query.value(0).toInt() : -1;
    }
    void addPerson(const std::string& name, const std::string& code) {
        QSqlQuery query(otherProgram());
        query.prepare(QStringLiteral("insert into ryjbxx (xm, bm) values (?, ?)"));
        query.addBindValue(QString::fromStdString(name));
        query.addBindValue(QString::fromStdString(code));
        ASSERT_TRUE(query.exec());
    }
    std::string buttonStates() const {
        return std::string(window->Button1->isEnabled() ? "import " : "") +
               (window->BitBtn1->isEnabled() ? "abort " : "") +
               (window->Button2->isEnabled() ? "exit" : "");
    }

    // Import into a department with the six-person workbook; `during` runs at the first
    // pending-events point of the run, after its first row.
    void importStaff(const std::string& code, const std::function<void()>& during = {}) {
        clickDepartment(code);
        selectWorkbook(QStringLiteral("staff.xls"));
        if (during)
            QTimer::singleShot(0, window.get(), during);
        window->Button1->click();
    }

    std::unique_ptr<RecordingWindow> window;
    const Strings kSixNames = {"张伟", "王芳", "李娜", "刘洋", "陈静", "杨帆"};

private:
    test::TempFolder folder_;
};

} // namespace

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
QPoint emptyTreePoint(const QTreeWidget* tree) {
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

    // The keyboard moves the selection; an empty click then keeps where it went.
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Down);
    ASSERT_EQ(tree->selectedItems(), QList<QTreeWidgetItem*>{department("0102")});
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, empty);
    EXPECT_EQ(tree->selectedItems(), QList<QTreeWidgetItem*>{department("0102")});

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
Strings gridRow(const StaffGridModel* model, int row) {
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
class OtherProgram {
public:
    OtherProgram() {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(QStringLiteral("wagebook.mdb"));
        EXPECT_TRUE(db.open());
    }
    ~OtherProgram() { QSqlDatabase::removeDatabase(name_); }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    // Commits `count` persons in department `code`, named by their number, in one transaction.
    void commitPersons(int count, const QString& code) {
        QSqlDatabase db = QSqlDatabase::database(name_);
        ASSERT_TRUE(db.transaction());
        QSqlQuery insert(db);
        insert.prepare(QStringLiteral("insert into ryjbxx (xm, bm) values (?, ?)"));
        for (int i = 0; i < count; ++i) {
            insert.addBindValue(QString::number(i));
            insert.addBindValue(code);
            ASSERT_TRUE(insert.exec()) << utf8(insert.lastError().text());
        }
        ASSERT_TRUE(db.commit()) << utf8(db.lastError().text());
    }

private:
    const QString name_ = QStringLiteral("other-program");
};

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
    const QStringList names = QSqlDatabase::connectionNames();
    EXPECT_EQ(std::count_if(
                  names.begin(), names.end(),
                  [](const QString& name) { return name.startsWith(QStringLiteral("wagebook")); }),
              1);

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

TEST_F(WindowOffice, OverwriteModeReplacesTheDepartmentsStaff) {
    startedWindow();
    addPerson("旧", "0102");
    addPerson("别", "02");
    window->RadioButton5->setChecked(true);
    importStaff("0102");
    importStaff("0102");

    EXPECT_EQ(persons("0102"), 6);
    EXPECT_EQ(persons("02"), 1);
    EXPECT_EQ(gridNames(), kSixNames);
    EXPECT_TRUE(contains(lines(window->Memo1), "正在删除旧数据!"));
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
    // The database file is deleted under the run: the next row's commit fails.
    importStaff("01", [&] { ASSERT_TRUE(QFile::remove(QStringLiteral("wagebook.mdb"))); });

    ASSERT_EQ(window->boxes.size(), 1u);
    EXPECT_EQ(window->boxes.front().rfind("错误|", 0), 0u) << window->boxes.front();
    const Strings log = lines(window->Memo1);
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[2], "王芳");
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

TEST_F(WindowOffice, ExitDuringARunClosesTheWindowOnceTheRowIsDone) {
    startedWindow();
    importStaff("01", [&] { window->Button2->click(); });

    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(persons("01"), 1);
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

TEST_F(WindowOffice, MessageBoxButtonsSpeakChinese) {
    const QString catalog =
        QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_zh_CN.qm");
    if (!QFile::exists(catalog))
        GTEST_SKIP() << utf8(catalog) << " is missing: install qt6-translations-l10n";
    // The window as the program shows it: its boxes are real, modal and closed from here.
    TFKvDbf shown;
    shown.show();
    QString buttonText;
    QTimer::singleShot(0, &shown, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        buttonText = box->button(QMessageBox::Ok)->text();
        box->button(QMessageBox::Ok)->click();
    });
    shown.showMessage(toGbk(QStringLiteral("数据导入成功!")), toGbk(QStringLiteral("提示")),
                      kPlainMessage);

    EXPECT_EQ(utf8(buttonText), "确定");
}

// What a screen reader is told about a widget.
QAccessibleInterface* accessible(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    EXPECT_NE(face, nullptr) << widget->metaObject()->className();
    return face;
}

std::string accessibleName(QWidget* widget) {
    QAccessibleInterface* face = accessible(widget);
    return face ? utf8(face->text(QAccessible::Name)) : std::string();
}

TEST_F(WindowOffice, AScreenReaderSeesAFrameWithItsCaptionAndNamedControls) {
    startedWindow();
    QAccessibleInterface* frame = accessible(window.get());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->role(), QAccessible::Window);
    EXPECT_EQ(utf8(frame->text(QAccessible::Name)), "从(xls)数据导入zq");

    EXPECT_EQ(accessibleName(window->Memo1), "运行记录");
    EXPECT_EQ(accessibleName(window->Memo2), "错误信息");
    EXPECT_EQ(accessibleName(window->TV1), "部门");
    EXPECT_EQ(accessibleName(window->DBGrid1), "人员列表");
    EXPECT_EQ(accessibleName(window->ProgressBar1), "进度");
    EXPECT_EQ(accessibleName(window->DirectoryListBox1), "数据目录");
    EXPECT_EQ(accessibleName(window->Panel1), "导入方式");
    EXPECT_EQ(accessibleName(window->RadioButton5), "覆盖");
    EXPECT_EQ(accessibleName(window->Button1), "导入");
    EXPECT_EQ(window->Label2->buddy(), window->DirectoryListBox1);
    EXPECT_EQ(window->Label3->buddy(), window->Memo2);
    bool labelled = false;
    for (const auto& [label, relation] : accessible(window->Memo2)->relations(QAccessible::Label))
        labelled = labelled || label->object() == static_cast<QObject*>(window->Label3);
    EXPECT_TRUE(labelled) << "错误信息 labels the error list";

    // Every control a user can reach has a name, its own or its label's.
    int visible = 0;
    for (int i = 0; i < frame->childCount(); ++i) {
        QAccessibleInterface* child = frame->child(i);
        if (child->state().invisible)
            continue;
        ++visible;
        EXPECT_FALSE(child->text(QAccessible::Name).trimmed().isEmpty())
            << child->object()->metaObject()->className() << " at child " << i;
    }
    EXPECT_GE(visible, 15);
}

TEST_F(WindowOffice, TheGridAndAScreenReaderHoldEveryRowTheStatusBarCounts) {
    startedWindow();
    OtherProgram other;
    other.commitPersons(400, QStringLiteral("0101"));
    clickDepartment("0101");
    ASSERT_EQ(utf8(window->panelText(0)), "400人");
    EXPECT_EQ(window->DataSource1->rowCount(), 400);
    EXPECT_FALSE(window->DataSource1->canFetchMore(QModelIndex()));
    // The window reads through its one connection; the other is the other program's.
    // The window's own connections: one.
    const QStringList names = QSqlDatabase::connectionNames();
    EXPECT_EQ(std::count_if(
                  names.begin(), names.end(),
                  [](const QString& name) { return name.startsWith(QStringLiteral("wagebook")); }),
              1);

    QAccessibleInterface* grid = accessible(window->DBGrid1);
    ASSERT_NE(grid, nullptr);
    ASSERT_NE(grid->tableInterface(), nullptr);
    EXPECT_EQ(grid->tableInterface()->rowCount(), 400);
    EXPECT_EQ(grid->tableInterface()->columnCount(), 9);
    // Every cell, the column titles and the (hidden) row titles.
    EXPECT_EQ(grid->childCount(), (400 + 1) * (9 + 1));
    QAccessibleInterface* lastName = grid->tableInterface()->cellAt(399, 1);
    ASSERT_NE(lastName, nullptr);
    EXPECT_EQ(utf8(lastName->text(QAccessible::Name)), "399");
}

TEST_F(WindowOffice, DirectoryEntriesAreNamedByTheFolderAloneAndDrawnIndented) {
    QDir().mkpath(QStringLiteral("年度/march"));
    QDir::setCurrent(QStringLiteral("年度"));
    startedWindow();
    QListWidget* list = window->DirectoryListBox1;

    QAccessibleInterface* face = accessible(list);
    ASSERT_NE(face, nullptr);
    Strings names;
    for (int i = 0; i < face->childCount(); ++i)
        names.push_back(utf8(face->child(i)->text(QAccessible::Name)));
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ(names[0],
              utf8(QDir::toNativeSeparators(QStorageInfo(QDir::currentPath()).rootPath())));
    EXPECT_EQ(names[names.size() - 2], "年度");
    EXPECT_EQ(names.back(), "march");
    for (const std::string& name : names)
        EXPECT_NE(name.front(), ' ') << name;

    // Keyboard search finds an entry by the start of its name.
    list->setFocus();
    list->setCurrentRow(0);
    QTest::keyClicks(list, QStringLiteral("mar"));
    EXPECT_EQ(utf8(list->currentItem()->text()), "march");

    // The deeper the entry, the wider it is drawn than its name alone would be.
    QStyleOptionViewItem option;
    option.initFrom(list);
    const QStyledItemDelegate nameAlone;
    auto indentation = [&](int row) {
        const QModelIndex entry = list->model()->index(row, 0);
        return list->itemDelegate()->sizeHint(option, entry).width() -
               nameAlone.sizeHint(option, entry).width();
    };
    const int rows = list->count();
    EXPECT_EQ(indentation(0), 0);
    EXPECT_GT(indentation(rows - 2), 0);
    EXPECT_GT(indentation(rows - 1), indentation(rows - 2));
}

TEST_F(WindowOffice, OpeningADirectoryMakesItCurrentButLeavesTheDatabase) {
    const QString start = QDir::currentPath();
    QDir().mkpath(QStringLiteral("sub/deeper"));
    QFile::copy(QStringLiteral("staff.xls"), QStringLiteral("sub/staff.xls"));
    QFile(QStringLiteral("sub/OTHER.XLS")).open(QIODevice::WriteOnly);
    QFile(QStringLiteral("sub/notes.txt")).open(QIODevice::WriteOnly);
    startedWindow();

    const QList<QListWidgetItem*> sub =
        window->DirectoryListBox1->findItems(QStringLiteral("sub"), Qt::MatchEndsWith);
    ASSERT_EQ(sub.size(), 1);
    emit window->DirectoryListBox1->itemActivated(sub.first());

    EXPECT_EQ(QDir::currentPath(), QDir(start).filePath(QStringLiteral("sub")));
    Strings files;
    for (int row = 0; row < window->FileListBox1->count(); ++row)
        files.push_back(utf8(window->FileListBox1->item(row)->text()));
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (Strings{"OTHER.XLS", "staff.xls"}));
    EXPECT_FALSE(window->DirectoryListBox1->findItems(QStringLiteral("deeper"), Qt::MatchEndsWith)
                     .isEmpty());
    EXPECT_EQ(window->DriveComboBox1->currentText(), QStorageInfo(start).rootPath());

    // The code file now comes from sub/, where there is none; the database stays the one
    // opened at start-up.
    importStaff("02");
    EXPECT_TRUE(contains(lines(window->Memo2), "代码文件dm.txt不存在"));
    EXPECT_EQ(persons("02"), 6);
    EXPECT_FALSE(QFile::exists(QStringLiteral("wagebook.mdb")));
}
