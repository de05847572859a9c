// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the window through one import as a user would: the start-up check, a department
// clicked in the tree, a workbook chosen in the file list, Import clicked; then quits. Message
// boxes are printed instead of shown. Prints the seconds from the click until the window was
// repainted with the run's end, and what the user then sees (run log lines, progress, status
// panels, grid rows), so that a faster run can be checked to show the same.
//
//   bench_window OFFICE_DIR DEPARTMENT_CODE WORKBOOK_NAME
//
// Exit status 0 when the run ended with the success box.

#include "app/QtText.h"
#include "app/StaffGridModel.h"
#include "app/Umain.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTextStream>
#include <QTreeWidget>

#include <cstdio>

namespace {

class UnattendedWindow : public wb::TFKvDbf {
public:
    bool succeeded = false;

protected:
    void messageBox(const QString& text, const QString& caption, int flags) override {
        QTextStream(stdout) << "box [" << caption << "] " << text << " (" << flags << ")\n";
        succeeded = text == QStringLiteral("数据导入成功!");
    }
};

int fail(const char* what) {
    std::fprintf(stderr, "bench_window: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4)
        return fail("usage: bench_window OFFICE_DIR DEPARTMENT_CODE WORKBOOK_NAME");
    if (!QDir::setCurrent(args[1]))
        return fail("cannot enter the office folder");

    UnattendedWindow window;
    window.show();
    window.Timer1Timer();
    QTreeWidgetItem* department = nullptr;
    for (QTreeWidgetItemIterator it(window.TV1); *it && !department; ++it) {
        if (window.Depts.departmentCode((*it)->data(0, Qt::UserRole).toInt()) == wb::toGbk(args[2]))
            department = *it;
    }
    if (!department)
        return fail("department not in the tree");
    window.TV1->setCurrentItem(department);
    emit window.TV1->itemClicked(department, 0);
    const QList<QListWidgetItem*> workbooks =
        window.FileListBox1->findItems(args[3], Qt::MatchExactly);
    if (workbooks.isEmpty())
        return fail("workbook not in the file list");
    window.FileListBox1->setCurrentItem(workbooks.first());
    QCoreApplication::processEvents();

    QElapsedTimer clock;
    clock.start();
    window.Button1Click();
    // The run's last updates reach the screen with the next pass of the event loop.
    QCoreApplication::processEvents();
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;

    QTextStream out(stdout);
    out << "run log lines " << window.Memo1->document()->blockCount() << ", error lines "
        << window.Memo2->document()->blockCount() << ", progress " << window.ProgressBar1->value()
        << ", panels [" << window.panelText(0) << "] [" << window.panelText(1) << "], grid rows "
        << window.DataSource1->rowCount() << "\n";
    out << "window_import_s " << QString::number(seconds, 'f', 3) << "\n";
    return window.succeeded ? 0 : 1;
}
