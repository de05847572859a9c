// SPDX-License-Identifier: GPL-3.0-or-later
// wagebook-import: the import run from a terminal, in the current directory, exactly as the
// window runs it: wagebook.mdb (or the server wagebook.ini names) and dm.txt are taken from
// there.

#include "cli/CommandLine.h"
#include "cli/PasswordInput.h"
#include "cli/TerminalUi.h"
#include "import/ImportCommand.h"
#include "text/Encoding.h"
#include "text/Error.h"
#include "text/TerminalText.h"

#include <QCoreApplication>

#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsageHead =
    "用法: wagebook-import [--overwrite] [--dry-run] [--errors FILE] [--password-stdin]\n"
    "                      --dept CODE [--] WORKBOOK\n"
    "\n"
    "在当前目录中, 把工作簿 WORKBOOK (.xls, .xlsx) 导入 wagebook.mdb 的部门 CODE;\n"
    "代码文件 dm.txt 也取自当前目录. 当前目录中有 wagebook.ini 时, 导入它\n"
    "[database] 一节的 url=postgresql://用户[:密码]@主机[:端口]/数据库 所指的服务器;\n"
    "没有写密码时取 PGPASSWORD 或 ~/.pgpass.\n";
constexpr const char* kUsageTail =
    "\n"
    "每次导入都记录在人事数据库中, wagebook-undo 可以撤销 (试导入除外).\n"
    "退出码: 0 导入完成 (含用户中止), 1 提前结束或出错, 2 用法错误.\n";

int fail(const std::string& message) {
    std::cout << std::flush;
    std::cerr << "错误: " << wb::terminalSafe(message) << '\n';
    return wb::kImportFailed;
}

// The import with its error list kept for --errors; gives the exit status.
int importWith(const wb::ImportRequest& request, wb::cli::TerminalUi& ui) {
    try {
        return wb::runImportCommand(request, ui);
    } catch (...) {
        return fail(wb::failureText());
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    wb::cli::CommandLine commandLine("wagebook-import", kUsageHead, kUsageTail);
    const QCommandLineOption department(QStringLiteral("dept"),
                                        QStringLiteral("部门代码 (dm_jg 中的 jgdm)"),
                                        QStringLiteral("CODE"));
    const QCommandLineOption overwrite(
        QStringLiteral("overwrite"),
        QStringLiteral("覆盖: 先删除该部门 (及下级部门) 的人员及其记录; 默认追加"));
    const QCommandLineOption dryRun(
        QStringLiteral("dry-run"),
        QStringLiteral("试导入: 完整地运行一遍 (含覆盖时的删除), 输出相同, 但不写入数据库"));
    const QCommandLineOption errors(
        QStringLiteral("errors"),
        QStringLiteral("把错误信息另外写入 FILE (CSV, UTF-8 带 BOM: 类别,姓名,内容,原因)"),
        QStringLiteral("FILE"));
    const QCommandLineOption passwordStdin = wb::cli::passwordStdinOption();
    for (const QCommandLineOption* option :
         {&department, &overwrite, &dryRun, &errors, &passwordStdin})
        commandLine.addOption(*option);
    if (const auto status = commandLine.parse(argc, argv))
        return *status;
    if (!commandLine.isSet(department))
        return commandLine.usageError("缺少 --dept CODE");
    const std::vector<std::string> workbooks = commandLine.positionalArguments();
    if (workbooks.size() != 1)
        return commandLine.usageError("需要且只需要一个工作簿文件");
    wb::ImportRequest request{wb::utf8ToGbk(commandLine.value(department)), workbooks.front(),
                              commandLine.isSet(overwrite)};
    request.dryRun = commandLine.isSet(dryRun);

    std::optional<std::string> errorsFile;
    if (commandLine.isSet(errors)) {
        // A file that cannot be written is refused before the run writes anything.
        errorsFile = commandLine.value(errors);
        try {
            wb::writeErrorListCsv(*errorsFile, {});
        } catch (const std::exception& error) {
            return fail(error.what());
        }
    }

    wb::cli::TerminalUi::installAbortHandler();
    wb::cli::TerminalUi ui(wb::cli::passwordPrompt(commandLine.isSet(passwordStdin)));
    int status = importWith(request, ui);
    if (errorsFile) {
        try {
            wb::writeErrorListCsv(*errorsFile, ui.errors());
        } catch (const std::exception& error) {
            status = fail(error.what());
        }
    }
    return status;
}
