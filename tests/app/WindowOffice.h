// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window on an office in a temporary folder, its boxes recorded, and what its tests
// read back from it.

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
#include <QDialog>
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

#include <algorithm>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace wb;
using Strings = std::vector<std::string>;

namespace wb::test {

inline std::string utf8(const QString& text) {
    return text.toStdString();
}

// The window with its message boxes recorded as "caption|text|flags", and the run log's last
// line when each box came up; its questions, folder and file choices and dialogs answered
// from what a test queued (nothing queued: the user cancels).
class RecordingWindow : public TFKvDbf {
public:
    using TFKvDbf::TFKvDbf;

    Strings boxes;
    Strings lastLogLineAtBox;
    Strings questions; // "caption|text"
    std::deque<bool> answers;
    std::deque<QString> folders;
    std::deque<QString> files;
    Strings dialogs; // the title of each dialog run
    // Plays the dialogs the window runs, in order: each gets the dialog and gives its result.
    std::deque<std::function<int(QDialog&)>> onDialogs;

protected:
    void messageBox(const QString& text, const QString& caption, int flags) override {
        boxes.push_back(utf8(caption) + "|" + utf8(text) + "|" + std::to_string(flags));
        lastLogLineAtBox.push_back(utf8(Memo1->document()->lastBlock().text()));
    }
    bool question(const QString& text, const QString& caption, const QString&) override {
        questions.push_back(utf8(caption) + "|" + utf8(text));
        return next(answers, false);
    }
    bool confirm(const QString& text, const QString& caption) override {
        return question(text, caption, QString());
    }
    QString chooseFolder(const QString&) override { return next(folders, QString()); }
    QString chooseFile(const QString&, const QString&) override { return next(files, QString()); }
    QString chooseSaveFile(const QString&, const QString&, const QString&) override {
        return next(files, QString());
    }
    int execDialog(QDialog& dialog) override {
        dialogs.push_back(utf8(dialog.windowTitle()));
        const auto play = next(onDialogs, std::function<int(QDialog&)>());
        return play ? play(dialog) : static_cast<int>(QDialog::Rejected);
    }

private:
    template <class T> static T next(std::deque<T>& queue, T none) {
        if (queue.empty())
            return none;
        T front = std::move(queue.front());
        queue.pop_front();
        return front;
    }
};

// Runs the event loop until `done` holds or `ms` have passed; returns whether it holds.
inline bool waitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

inline Strings lines(const QPlainTextEdit* memo) {
    Strings result;
    for (const QString& line : memo->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        result.push_back(utf8(line));
    return result;
}

// How many database connections the window holds open (theirs are named "wagebook...").
inline std::ptrdiff_t windowConnections() {
    const QStringList names = QSqlDatabase::connectionNames();
    return std::count_if(names.begin(), names.end(), [](const QString& name) {
        return name.startsWith(QStringLiteral("wagebook"));
    });
}

inline bool contains(const Strings& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

// An office in a temporary directory, made the current directory: the demo database, the
// code file and the six-person workbook.
class WindowOffice : public ::testing::Test {
protected:
    void SetUp() override {
        // The window remembers the office it opens in the user's settings: a folder of the
        // test's own.
        ASSERT_TRUE(config_.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path()));
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

    const std::filesystem::path& folder() const { return folder_.path(); }

private:
    test::TempFolder folder_;
    QTemporaryDir config_;
};

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

} // namespace wb::test
