// SPDX-License-Identifier: GPL-3.0-or-later
// wagebook-migrate SOURCE TARGET: an office's Access database (.mdb, .accdb) copied into a
// new SQLite personnel database, every table with every row; the counts per table printed.

#include "cli/CommandLine.h"
#include "migrate/Migration.h"
#include "text/TerminalText.h"

#include <QCoreApplication>

#include <csignal>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

namespace {

volatile std::sig_atomic_t stopFlag = 0;

extern "C" void requestStop(int) {
    stopFlag = 1;
}

constexpr const char* kUsageHead =
    "用法: wagebook-migrate [--codepage N] [--] SOURCE TARGET\n"
    "\n"
    "把 Access 数据库 SOURCE (.mdb, .accdb) 的全部表和全部行复制到新建的 SQLite\n"
    "人事数据库 TARGET; 本程序自己的表得到 wagebook-initdb 建立的列类型和索引.\n"
    "TARGET 不能已经存在.\n";
constexpr const char* kUsageTail = "\n"
                                   "每个表打印读出和写入的行数; 有一个表不一致就不生成 TARGET.\n"
                                   "退出码: 0 完成, 1 失败 (未生成 TARGET), 2 用法错误.\n";

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    wb::cli::CommandLine commandLine("wagebook-migrate", kUsageHead, kUsageTail);
    const QCommandLineOption codePage(
        QStringLiteral("codepage"),
        QStringLiteral("Jet 3 (Access 97) 文件的文本代码页, 默认用文件自己标明的 (中文为 936)"),
        QStringLiteral("N"));
    commandLine.addOption(codePage);
    if (const auto status = commandLine.parse(argc, argv))
        return *status;
    const std::vector<std::string> files = commandLine.positionalArguments();
    if (files.size() != 2 || files[0].empty() || files[1].empty())
        return commandLine.usageError("需要两个文件名: SOURCE 和 TARGET");
    // Ctrl-C or a kill stops after the row in progress, and the temporary file goes.
    wb::migrate::MigrationRequest request{files[0], files[1], 0, [] { return stopFlag != 0; }, {}};
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    if (commandLine.isSet(codePage)) {
        bool valid = false;
        request.codePage = QString::fromStdString(commandLine.value(codePage)).toInt(&valid);
        if (!valid || request.codePage <= 0)
            return commandLine.usageError("--codepage 需要一个代码页编号, 例如 936");
    }
    try {
        wb::migrate::migrate(request, [](const wb::migrate::TableCount& count) {
            std::cout << wb::terminalSafe(wb::migrate::tableCountLine(count)) << '\n' << std::flush;
        });
    } catch (const std::exception& error) {
        std::cout << std::flush;
        std::cerr << "wagebook-migrate: " << wb::terminalSafe(error.what()) << '\n';
        return 1;
    }
    std::cout << "已创建 " << wb::terminalSafe(request.target) << '\n';
    return 0;
}
