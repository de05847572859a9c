// SPDX-License-Identifier: GPL-3.0-or-later
// wagebook-template: the import template of the office in the current directory, for its
// departments to fill in.

#include "cli/CommandLine.h"
#include "cli/TerminalUi.h"
#include "import/Office.h"
#include "report/ImportTemplate.h"
#include "text/Error.h"
#include "text/GbkText.h"
#include "text/TerminalText.h"

#include <QCoreApplication>

#include <exception>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsageHead =
    "用法: wagebook-template [--] FILE.xlsx\n"
    "\n"
    "生成导入模板 FILE.xlsx, 供各部门填写后导入. 在办公室的文件夹中运行: 下拉列表和代码表\n"
    "取自当前目录的代码文件 dm.txt 和 wagebook.mdb (或 wagebook.ini 所指的服务器).\n"
    "模板的第一个工作表在第一行列出导入程序认识的每个标题 (必填的四个在前), 日期列是\n"
    "日期格式; 性别, 民族, 工资类别, 绩效工资类别有下拉列表 (数据库中该列已有的代码的\n"
    "文字, 该列还没有代码时为代码文件的全部文字; 只列导入会翻译的文字); 学历, 职务, 考核\n"
    "各列的标题有批注说明每行的写法. 工作表 \"填写说明\" 逐列说明写法和是否必填, 隐藏的\n"
    "工作表 \"代码\" 列出代码文件的每个文字及其代码, 以及岗位等级.\n";
constexpr const char* kUsageTail =
    "\n"
    "退出码: 0 已生成, 1 没有生成 (缺少数据库或代码文件, 或无法写入), 2 用法错误.\n";

bool endsWithXlsx(const std::string& path) {
    return path.size() > 5 && wb::asciiLower(path.substr(path.size() - 5)) == ".xlsx";
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    wb::cli::CommandLine commandLine("wagebook-template", kUsageHead, kUsageTail);
    if (const auto status = commandLine.parse(argc, argv))
        return *status;
    const std::vector<std::string> files = commandLine.positionalArguments();
    if (files.size() != 1)
        return commandLine.usageError("需要且只需要一个模板文件名");
    // A spreadsheet program refuses an .xlsx under another extension.
    if (!endsWithXlsx(files.front()))
        return commandLine.usageError("模板文件名须以 .xlsx 结尾: " + files.front());

    wb::cli::TerminalUi ui;
    try {
        if (!wb::databaseFilePresent(ui))
            return 1;
        wb::Office office;
        return wb::makeImportTemplate(office, ui, files.front()) ? 0 : 1;
    } catch (...) {
        std::cout << std::flush;
        std::cerr << "错误: " << wb::terminalSafe(wb::failureText()) << '\n';
        return 1;
    }
}
