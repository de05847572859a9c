// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the picture of the window for the README: the window opened on an office folder,
// the start-up check, a department clicked in the tree and a workbook imported into it, then
// the window grabbed into a PNG. The import writes into the folder's database: give it a
// fresh office (render.sh does).
//
//   wagebook-screenshot [--screen] OFFICE_DIR DEPARTMENT_CODE WORKBOOK_NAME OUT.png
//
// Message boxes are printed instead of shown. With --screen the whole screen is grabbed as
// the display shows it (to check a real display such as Xvfb), else the window renders
// itself. Exit status 0 when the picture was written.

#include "app/QtText.h"
#include "app/Umain.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QListWidget>
#include <QScreen>
#include <QTextStream>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>

namespace {

class UnattendedWindow : public wb::TFKvDbf {
protected:
    void messageBox(const QString& text, const QString& caption, int flags) override {
        QTextStream(stdout) << "box [" << caption << "] " << text << " (" << flags << ")\n";
    }
};

QTreeWidgetItem* findDepartment(const wb::TFKvDbf& window, const wb::Gbk& code) {
    for (QTreeWidgetItemIterator it(window.TV1); *it; ++it) {
        if (window.Depts.departmentCode((*it)->data(0, Qt::UserRole).toInt()) == code)
            return *it;
    }
    return nullptr;
}

int fail(const char* what) {
    std::fprintf(stderr, "wagebook-screenshot: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QStringList args = QCoreApplication::arguments();
    const bool wholeScreen = args.removeAll(QStringLiteral("--screen")) > 0;
    if (args.size() != 5)
        return fail("usage: wagebook-screenshot [--screen] OFFICE_DIR DEPARTMENT_CODE "
                    "WORKBOOK_NAME OUT.png");
    const QString out = QDir(args[4]).absolutePath();

    if (!QDir::setCurrent(args[1]))
        return fail("cannot enter the office folder");

    UnattendedWindow window;
    window.show();
    window.Timer1Timer();
    QTreeWidgetItem* department = findDepartment(window, wb::toGbk(args[2]));
    if (!department)
        return fail("department not in the tree");
    window.TV1->setCurrentItem(department);
    window.TV1Click();

    const QList<QListWidgetItem*> workbooks =
        window.FileListBox1->findItems(args[3], Qt::MatchExactly);
    if (workbooks.isEmpty())
        return fail("workbook not in the file list");
    window.FileListBox1->setCurrentItem(workbooks.first());
    window.Button1Click();

    // Let the display catch up with the last repaints before it is read back.
    QEventLoop settle;
    QTimer::singleShot(300, &settle, &QEventLoop::quit);
    settle.exec();
    const QPixmap picture =
        wholeScreen ? QGuiApplication::primaryScreen()->grabWindow(0) : window.grab();
    if (!picture.save(out, "PNG"))
        return fail("cannot write the picture");
    QTextStream(stdout) << "wrote " << out << "\n";
    return 0;
}
