// Renders the picture of the window for the README: a copy of an office folder, the start-up
// check, a department clicked in the tree and a workbook imported into it, then the window
// grabbed into a PNG. The office folder itself is left as it was.
//
//   wagebook-screenshot OFFICE_DIR DEPARTMENT_CODE WORKBOOK_NAME OUT.png
//
// Message boxes are printed instead of shown. Exit status 0 when the picture was written.

#include "app/QtText.h"
#include "app/Umain.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTreeWidget>

#include <cstdio>

namespace {

class UnattendedWindow : public wb::TFKvDbf {
protected:
    void messageBox(const QString& text, const QString& caption, int flags) override {
        QTextStream(stdout) << "box [" << caption << "] " << text << " (" << flags << ")\n";
    }
};

bool copyOffice(const QString& from, const QString& to) {
    const QDir source(from);
    for (const QString& name : source.entryList(QDir::Files)) {
        if (!QFile::copy(source.filePath(name), QDir(to).filePath(name)))
            return false;
    }
    return true;
}

QTreeWidgetItem* findDepartment(const wb::TFKvDbf& window, const std::string& code) {
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
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 5)
        return fail("usage: wagebook-screenshot OFFICE_DIR DEPARTMENT_CODE WORKBOOK_NAME OUT.png");
    const QString out = QDir(args[4]).absolutePath();

    QTemporaryDir office;
    if (!office.isValid() || !copyOffice(args[1], office.path()))
        return fail("cannot copy the office folder");
    QDir::setCurrent(office.path());

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

    QCoreApplication::processEvents();
    if (!window.grab().save(out, "PNG"))
        return fail("cannot write the picture");
    QTextStream(stdout) << "wrote " << out << "\n";
    return 0;
}
