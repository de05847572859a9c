// SPDX-License-Identifier: GPL-3.0-or-later
// What the window tells a user whatever the desktop's language, and what a screen reader
// is told: Chinese box buttons, a named frame, named controls, every grid row.

#include "app/WindowOffice.h"

using namespace wb::test;

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
static QAccessibleInterface* accessible(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    EXPECT_NE(face, nullptr) << widget->metaObject()->className();
    return face;
}

static std::string accessibleName(QWidget* widget) {
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
    EXPECT_EQ(windowConnections(), 1);

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
