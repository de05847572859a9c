#include "app/Umain.h"
#include "cli/CommandLine.h"
#include "text/Error.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>

#include <cstring>
#include <exception>

namespace {

// --help and --version are answered on the terminal before anything needs a display; every
// other argument is left to Qt (-platform, -style ...).
bool asksForHelpOrVersion(int argc, char* argv[]) {
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i)
        for (const char* option : {"--help", "-h", "--version"})
            if (std::strcmp(argv[i], option) == 0)
                return true;
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    if (asksForHelpOrVersion(argc, argv)) {
        // The parser's messages are translated through an application object; this one goes
        // before the window's is made.
        const QCoreApplication terminal(argc, argv);
        wb::cli::CommandLine commandLine("wagebook",
                                         "用法: wagebook\n"
                                         "\n"
                                         "打开导入窗口; 当前目录中须有人事数据库 wagebook.mdb.\n",
                                         "");
        if (const auto status = commandLine.parse(argc, argv))
            return *status;
    }
    QApplication application(argc, argv);
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("wagebook")));
    try {
        wb::TFKvDbf window;
        window.show();
        return application.exec();
    } catch (...) {
        QMessageBox::critical(nullptr, QStringLiteral("wagebook"),
                              QString::fromStdString(wb::failureText()));
    }
    return 0;
}
