// SPDX-License-Identifier: GPL-3.0-or-later
// wagebook-check: a workbook checked as the import would read it, without importing it, and
// a copy of it with the cells to fix marked, for the department that filled it in.

#include "cli/CommandLine.h"
#include "cli/PasswordInput.h"
#include "cli/TerminalUi.h"
#include "import/Office.h"
#include "report/WorkbookCheck.h"
#include "text/Encoding.h"
#include "text/Error.h"
#include "text/TerminalText.h"

#include <QCoreApplication>

#include <exception>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsageHead =
    "用法: wagebook-check [--dept CODE] [--password-stdin] [--] WORKBOOK [-o OUT.xlsx]\n"
    "\n"
    "在当前目录中 (wagebook.mdb 或 wagebook.ini 所指的服务器, 代码文件 dm.txt) 试导入\n"
    "工作簿 WORKBOOK (.xls, .xlsx), 与 wagebook-import --dry-run 相同, 不写入数据库;\n"
    "然后把它的活动工作表复制成 OUT.xlsx: 每个有错误信息的单元格填成浅红色, 批注中写明\n"
    "原因; 第一个工作表 \"检查结果\" 逐条列出错误信息 (行, 列, 类别, 姓名, 内容, 原因),\n"
    "点击列可转到单元格. 复制的工作表是打开时的活动工作表, 改好后可以直接导入.\n"
    "不给 --dept 时, 试导入的人员不属于任何部门 (部门代码 bm 为空): 试导入的数据都不\n"
    "写入数据库, 错误信息与部门无关. 给出 --dept 时, 部门须在 dm_jg 中.\n";
constexpr const char* kUsageTail =
    "\n"
    "OUT 默认为工作簿旁边的 \"工作簿名.检查结果.xlsx\" (staff.xls 得 staff.检查结果.xlsx).\n"
    "退出码: 0 没有错误信息, 1 有错误信息, 或工作簿无法导入 (此时不写出文件), 2 用法错误.\n";

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    wb::cli::CommandLine commandLine("wagebook-check", kUsageHead, kUsageTail);
    const QCommandLineOption department(
        QStringLiteral("dept"),
        QStringLiteral("试导入的部门代码 (dm_jg 中的 jgdm); 默认不属于任何部门"),
        QStringLiteral("CODE"));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("检查结果写入 OUT.xlsx"),
                                    QStringLiteral("OUT.xlsx"));
    const QCommandLineOption passwordStdin = wb::cli::passwordStdinOption();
    for (const QCommandLineOption* option : {&department, &output, &passwordStdin})
        commandLine.addOption(*option);
    if (const auto status = commandLine.parse(argc, argv))
        return *status;
    const std::vector<std::string> workbooks = commandLine.positionalArguments();
    if (workbooks.size() != 1)
        return commandLine.usageError("需要且只需要一个工作簿文件");
    wb::ImportRequest request;
    request.workbookPath = workbooks.front();
    if (commandLine.isSet(department))
        request.departmentCode = wb::utf8ToGbk(commandLine.value(department));
    const std::string out = commandLine.isSet(output) ? commandLine.value(output)
                                                      : wb::checkedCopyPath(request.workbookPath);

    wb::cli::TerminalUi::installAbortHandler();
    wb::cli::TerminalUi ui(wb::cli::passwordPrompt(commandLine.isSet(passwordStdin)));
    try {
        if (!wb::databaseFilePresent(ui))
            return 1;
        wb::Office office;
        const wb::WorkbookCheck check = wb::checkWorkbook(request, office, ui, out);
        return check.written && check.errorLines == 0 ? 0 : 1;
    } catch (...) {
        std::cout << std::flush;
        std::cerr << "错误: " << wb::terminalSafe(wb::failureText()) << '\n';
        return 1;
    }
}
