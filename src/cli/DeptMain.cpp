// SPDX-License-Identifier: GPL-3.0-or-later
// wagebook-dept list|add CODE NAME|rename CODE NAME|remove CODE: the departments of the
// office in the current directory, as the window's 部门 menu changes them.

#include "cli/CommandLine.h"
#include "cli/TerminalLines.h"
#include "cli/TerminalUi.h"
#include "import/Office.h"
#include "refdata/DepartmentChanges.h"
#include "text/Encoding.h"
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
    "用法: wagebook-dept list\n"
    "      wagebook-dept add CODE NAME\n"
    "      wagebook-dept rename CODE NAME\n"
    "      wagebook-dept remove CODE\n"
    "\n"
    "在当前目录的人事数据库 (wagebook.mdb, 或 wagebook.ini 所指的服务器) 中\n"
    "列出, 新增, 改名, 删除部门. 部门代码每级两个字符 (字母或数字): 顶层如 01,\n"
    "其下如 0101; add 把部门加在代码去掉末两个字符的上级部门之下.\n"
    "list 每行一个部门: 代码<TAB>名称<TAB>人数 (含下级部门的人员), 每级缩进两格.\n"
    "remove 只删除没有下级部门, 也没有人员的部门.\n";
constexpr const char* kUsageTail = "\n"
                                   "退出码: 0 完成, 1 被拒绝或出错, 2 用法错误.\n";

void list(wb::Connection& connection) {
    const wb::DepartmentList departments = wb::listDepartments(connection);
    for (const wb::DepartmentListing& department : departments.listed)
        std::cout << std::string(2 * (department.level - 1), ' ')
                  << wb::cli::printable(department.code) << '\t'
                  << wb::cli::printable(department.name) << '\t' << department.persons << '\n';
    std::cout << std::flush;
    for (const wb::DepartmentRecord& record : departments.leftOut)
        std::cerr << "部门 " << wb::cli::printable(wb::trim(record.jgdm)) << "（"
                  << wb::cli::printable(record.jgmc) << "）不在部门树中：找不到它的上级部门。\n";
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    wb::cli::CommandLine commandLine("wagebook-dept", kUsageHead, kUsageTail);
    if (const auto status = commandLine.parse(argc, argv))
        return *status;
    const std::vector<std::string> words = commandLine.positionalArguments();
    const std::string command = words.empty() ? std::string() : words.front();
    const std::size_t wanted = command == "list"     ? 1
                               : command == "add"    ? 3
                               : command == "rename" ? 3
                               : command == "remove" ? 2
                                                     : 0;
    if (wanted == 0)
        return commandLine.usageError(words.empty() ? "缺少命令 (list, add, rename 或 remove)"
                                                    : "未知命令 " + command);
    if (words.size() != wanted)
        return commandLine.usageError(command + " 需要 " + std::to_string(wanted - 1) + " 个参数");

    wb::cli::TerminalUi ui;
    if (!wb::databaseFilePresent(ui))
        return 1;
    try {
        wb::Office office;
        const wb::Gbk code = wanted > 1 ? wb::utf8ToGbk(words[1]) : wb::Gbk();
        const std::string shownCode = wanted > 1 ? wb::terminalSafe(words[1]) : std::string();
        if (command == "list") {
            list(office.connection);
        } else if (command == "add") {
            wb::addDepartment(office.connection, wb::parentCodeOf(code), code,
                              wb::utf8ToGbk(words[2]));
            std::cout << "已新增部门 " << shownCode << '\n';
        } else if (command == "rename") {
            wb::renameDepartment(office.connection, code, wb::utf8ToGbk(words[2]));
            std::cout << "已为部门 " << shownCode << " 改名\n";
        } else {
            wb::removeDepartment(office.connection, code);
            std::cout << "已删除部门 " << shownCode << '\n';
        }
        return 0;
    } catch (...) {
        std::cout << std::flush;
        std::cerr << "错误: " << wb::terminalSafe(wb::failureText()) << '\n';
        return 1;
    }
}
