// SPDX-License-Identifier: GPL-3.0-or-later
// wagebook-undo: takes back the newest import run recorded in the office's database (the
// one the current directory names); called again, the run before it.

#include "cli/CommandLine.h"
#include "cli/TerminalLines.h"
#include "cli/TerminalUi.h"
#include "import/Office.h"
#include "import/Undo.h"
#include "text/Error.h"
#include "text/TerminalText.h"

#include <QCoreApplication>

#include <exception>
#include <iostream>

namespace {

constexpr const char* kUsageHead =
    "用法: wagebook-undo\n"
    "\n"
    "在当前目录中, 撤销人事数据库 (wagebook.mdb 或 wagebook.ini 指定的服务器) 最近一次导入:\n"
    "删除那次导入的人员及其全部记录, 恢复那次覆盖删除的人员及其全部记录.\n"
    "再次运行则撤销再前一次, 最多可撤销最近 20 次.\n";
constexpr const char* kUsageTail = "\n"
                                   "退出码: 0 已撤销, 1 没有可撤销的导入或出错, 2 用法错误.\n";

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    wb::cli::CommandLine commandLine("wagebook-undo", kUsageHead, kUsageTail);
    if (const auto status = commandLine.parse(argc, argv))
        return *status;
    if (!commandLine.positionalArguments().empty())
        return commandLine.usageError("不需要参数");

    wb::cli::TerminalUi ui;
    if (!wb::databaseFilePresent(ui))
        return 1;
    try {
        wb::Office office;
        office.prepareUndo();
        const auto message = wb::undoNewestRun(office.connection.database());
        if (!message) {
            std::cerr << "没有可以撤销的导入\n";
            return 1;
        }
        std::cout << wb::cli::printable(*message) << '\n';
        return 0;
    } catch (...) {
        std::cerr << "错误: " << wb::terminalSafe(wb::failureText()) << '\n';
        return 1;
    }
}
