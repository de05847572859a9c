// The window driven as a user drives it, offscreen: start-up, the department tree, the staff
// grid, Import, Abort and Exit. Message boxes are recorded instead of shown.

#include "app/FolderBrowser.h"
#include "app/QtText.h"
#include "app/StaffGridModel.h"
#include "app/Umain.h"
#include "data/Schema.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHeaderView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QStorageInfo>
#include <QTableView>
#include <QTemporaryDir>
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

const QString kFixtures = QString::fromUtf8(WB_FIXTURES);

std::string utf8(const QString& text) {
    return text.toStdString();
}

// The window with its message boxes recorded as "caption|text|flags".
class RecordingWindow : public TFKvDbf {
public:
    Strings boxes;

protected:
    void messageBox(const QString& text, const QString& caption, int flags) override {
        boxes.push_back(utf8(caption) + "|" + utf8(text) + "|" + std::to_string(flags));
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
        ASSERT_TRUE(dir_.isValid());
        previous_ = QDir::currentPath();
        QDir::setCurrent(dir_.path());
        createDatabase("wagebook.mdb", true);
        QFile::copy(kFixtures + QStringLiteral("/import/dm.txt"), QStringLiteral("dm.txt"));
        QFile::copy(kFixtures + QStringLiteral("/window/staff.xls"), QStringLiteral("staff.xls"));
    }
    void TearDown() override {
        window.reset();
        QDir::setCurrent(previous_);
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

    // The names in the grid's xm column, fetching every row.
    Strings gridNames() const {
        StaffGridModel* model = window->DataSource1;
        while (model->canFetchMore())
            model->fetchMore();
        Strings names;
        for (int row = 0; row < model->rowCount(); ++row)
            names.push_back(utf8(model->index(row, 1).data().toString()));
        return names;
    }
    int persons(const std::string& codePrefix) const {
        QSqlQuery query(window->office.ADOConnection1.database());
        query.exec(
            QString::fromUtf8("select count(*) from ryjbxx where bm like '" + codePrefix + "%'"));
        return query.next() ? query.value(0).toInt() : -1;
    }
    void addPerson(const std::string& name, const std::string& code) {
        QSqlQuery query(window->office.ADOConnection1.database());
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
    QTemporaryDir dir_;
    QString previous_;
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

TEST_F(WindowOffice, OpeningADirectoryMakesItCurrentButLeavesTheDatabase) {
    const QString start = QDir::currentPath();
    QDir().mkpath(QStringLiteral("sub/deeper"));
    QFile::copy(QStringLiteral("staff.xls"), QStringLiteral("sub/staff.xls"));
    QFile(QStringLiteral("sub/OTHER.XLS")).open(QIODevice::WriteOnly);
    QFile(QStringLiteral("sub/new.xlsx")).open(QIODevice::WriteOnly);
    QFile(QStringLiteral("sub/macros.XLSM")).open(QIODevice::WriteOnly);
    QFile(QStringLiteral("sub/notes.txt")).open(QIODevice::WriteOnly);
    QFile(QStringLiteral("sub/sheet.ods")).open(QIODevice::WriteOnly);
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
    EXPECT_EQ(files, (Strings{"OTHER.XLS", "macros.XLSM", "new.xlsx", "staff.xls"}));
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
