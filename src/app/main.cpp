// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Umain.h"
#include "cli/CommandLine.h"
#include "text/Error.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QMessageBox>

#include <cstring>
#include <exception>
#include <iostream>

namespace {

// --help and --version are answered on the terminal before anything needs a display; every
// other argument is left to Qt (-platform, -style ...) first.
bool asksForHelpOrVersion(int argc, char* argv[]) {
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i)
        for (const char* option : {"--help", "-h", "--version"})
            if (std::strcmp(argv[i], option) == 0)
                return true;
    return false;
}

const QCommandLineOption kLastOffice(
    QStringLiteral("last-office"),
    QStringLiteral("打开上次使用的办公文件夹; 第一次, 或其中已没有人事数据库时, 询问文件夹"));

constexpr const char* kUsage =
    "用法: wagebook [--last-office] [--] [文件夹]\n"
    "\n"
    "打开导入窗口. 给出文件夹时, 先进入该文件夹; 它 (或当前目录) 中须有人事数据库\n"
    "wagebook.mdb, 或指明数据库服务器的 wagebook.ini. 桌面菜单用 --last-office 启动.\n";

} // namespace

int main(int argc, char* argv[]) {
    if (asksForHelpOrVersion(argc, argv)) {
        // The parser's messages are translated through an application object; this one goes
        // before the window's is made.
        const QCoreApplication terminal(argc, argv);
        wb::cli::CommandLine help("wagebook", kUsage, "");
        help.addOption(kLastOffice);
        if (const auto status = help.parse(argc, argv))
            return *status;
    }
    QApplication application(argc, argv);
    wb::cli::CommandLine arguments("wagebook", kUsage, "");
    arguments.addOption(kLastOffice);
    if (const auto status = arguments.parse(argc, argv))
        return *status;
    const std::vector<std::string> folders = arguments.positionalArguments();
    if (folders.size() > 1)
        return arguments.usageError("只能给出一个文件夹");
    const bool lastOffice = arguments.isSet(kLastOffice);
    if (lastOffice && !folders.empty())
        return arguments.usageError("--last-office 与文件夹不能同时给出");
    if (!folders.empty() && !QDir::setCurrent(QFile::decodeName(folders.front().c_str()))) {
        std::cerr << "wagebook: 无法进入文件夹 " << folders.front() << '\n';
        return 1;
    }
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("wagebook")));
    try {
        wb::TFKvDbf window(lastOffice ? wb::TFKvDbf::StartUp::LastOffice
                                      : wb::TFKvDbf::StartUp::InCurrentFolder);
        window.show();
        return application.exec();
    } catch (...) {
        QMessageBox::critical(nullptr, QStringLiteral("wagebook"),
                              QString::fromStdString(wb::failureText()));
    }
    return 0;
}
