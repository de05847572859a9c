// SPDX-License-Identifier: GPL-3.0-or-later
// wagebook-cells: the cells of a workbook exactly as the import reads them, one per line, so
// that a user can see what the import will see before importing.

#include "cli/CommandLine.h"
#include "cli/PasswordInput.h"
#include "cli/TerminalLines.h"
#include "text/Encoding.h"
#include "text/TerminalText.h"
#include "xls/CellTexts.h"
#include "xls/WorkbookFile.h"

#include <QCoreApplication>

#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsageHead =
    "用法: wagebook-cells [--password-stdin] [--] WORKBOOK\n"
    "\n"
    "列出工作簿 WORKBOOK (.xls, .xlsx) 活动工作表中每个非空单元格, 每行一个:\n"
    "  行<TAB>列<TAB>文字\n"
    "行号和列号从 1 起, 按行再按列排序; 文字是导入程序读到的文字 (日期和数字按导入的\n"
    "方式成为文字), UTF-8. 文字中的 \\ 写作 \\\\, 制表符 \\t, 回车 \\r, 换行 \\n, 其他控制字符\n"
    "写作 \\xHH (U+0080..U+009F 写作 \\u00HH), 十六进制小写; 照此可以还原原来的文字.\n"
    "文字为空的单元格不列出.\n";
constexpr const char* kUsageTail =
    "\n"
    "退出码: 0 已列出, 1 工作簿无法读取 (原因与导入时相同, 在标准错误输出上), 2 用法错误.\n";

// One cell as a line: row, column and the escaped text, tab-separated.
void printCell(int row, int column, const wb::Gbk& text, std::string& buffer) {
    buffer += std::to_string(row);
    buffer += '\t';
    buffer += std::to_string(column);
    buffer += '\t';
    buffer += wb::escapeField(wb::gbkToUtf8(text));
    buffer += '\n';
    if (buffer.size() >= (1 << 16)) {
        std::fwrite(buffer.data(), 1, buffer.size(), stdout);
        buffer.clear();
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    wb::cli::CommandLine commandLine("wagebook-cells", kUsageHead, kUsageTail);
    const QCommandLineOption passwordStdin = wb::cli::passwordStdinOption();
    commandLine.addOption(passwordStdin);
    if (const auto status = commandLine.parse(argc, argv))
        return *status;
    const std::vector<std::string> workbooks = commandLine.positionalArguments();
    if (workbooks.size() != 1)
        return commandLine.usageError("需要且只需要一个工作簿文件");

    std::optional<wb::XlsSheet> sheet;
    try {
        sheet = wb::openWorkbookActiveSheet(
            workbooks.front(), wb::cli::passwordPrompt(commandLine.isSet(passwordStdin)));
    } catch (const std::exception& error) {
        // The line the import shows for the same workbook.
        std::fprintf(stderr, "%s\n",
                     wb::cli::messageLine(wb::gbk("错误"), wb::utf8ToGbk(error.what())).c_str());
        return 1;
    }
    std::string buffer;
    wb::forEachCellText(*sheet, [&](int row, int column, const wb::Gbk& text) {
        printCell(row, column, text, buffer);
    });
    std::fwrite(buffer.data(), 1, buffer.size(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "错误: 无法写出单元格 (标准输出写入失败)\n");
        return 1;
    }
    return 0;
}
