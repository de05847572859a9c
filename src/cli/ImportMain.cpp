// wagebook-import: the import run from a terminal, in the current directory, exactly as the
// window runs it: wagebook.mdb and dm.txt are taken from there.

#include "import/Office.h"
#include "text/Encoding.h"
#include "text/GbkText.h"
#include "text/TerminalText.h"

#include <QCoreApplication>

#include <csignal>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

namespace {

volatile std::sig_atomic_t abortFlag = 0;

extern "C" void requestAbort(int) {
    abortFlag = 1;
}

// The first Ctrl-C asks the run to stop after the row in progress; a second one ends the
// program at once (each row is committed whole, so nothing half-written stays).
void installAbortHandler() {
    struct sigaction action = {};
    action.sa_handler = requestAbort;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

// Workbook and code-file text on the terminal: UTF-8 with its control characters shown.
std::string printable(const wb::Gbk& gbkText) {
    return wb::terminalSafe(wb::gbkToUtf8(gbkText));
}

// Run log and message boxes to stdout, error list to stderr. Every line is flushed as it
// is written: a reader of a pipe or file sees each imported name when it is logged, and
// after a kill the log still holds every name logged.
class TerminalUi : public wb::UserInterface {
public:
    void addRunLog(const wb::Gbk& line) override { out(line); }
    void addError(const wb::Gbk& line) override {
        std::cerr << printable(line) << '\n' << std::flush;
    }
    void setStatus(int, const wb::Gbk&) override {}
    void showMessage(const wb::Gbk& text, const wb::Gbk& caption, int) override {
        using wb::operator""_ascii;
        out(caption + ": "_ascii + text);
    }
    void processEvents() override {}
    void clearAbort() override { abortFlag = 0; }
    bool abortRequested() const override { return abortFlag != 0; }

private:
    static void out(const wb::Gbk& gbkLine) {
        std::cout << printable(gbkLine) << '\n' << std::flush;
    }
};

constexpr const char* kUsage =
    "用法: wagebook-import [--overwrite] --dept CODE WORKBOOK\n"
    "\n"
    "在当前目录中, 把工作簿 WORKBOOK (.xls) 导入 wagebook.mdb 的部门 CODE;\n"
    "代码文件 dm.txt 也取自当前目录.\n"
    "  --dept CODE   部门代码 (dm_jg 中的 jgdm)\n"
    "  --overwrite   覆盖: 先删除该部门 (及下级部门) 的人员及其记录; 默认追加\n"
    "  --help        显示本说明\n"
    "\n"
    "退出码: 0 导入完成 (含用户中止), 1 提前结束或出错, 2 用法错误.\n";

struct Arguments {
    bool overwrite = false;
    wb::Gbk department;
    std::string workbook;
};

int usageError(const std::string& message) {
    std::cerr << "wagebook-import: " << wb::terminalSafe(message) << "\n\n" << kUsage;
    return 2;
}

bool departmentExists(wb::Office& office, const wb::Gbk& code) {
    office.departmentQuery.close();
    office.departmentQuery.setText(wb::Gbk::ascii("select jgdm from dm_jg"));
    office.departmentQuery.open();
    bool found = false;
    for (; !office.departmentQuery.eof() && !found; office.departmentQuery.next())
        found = wb::trim(office.departmentQuery.fieldText("jgdm")) == code;
    office.departmentQuery.close();
    return found;
}

int run(const Arguments& arguments) {
    TerminalUi ui;
    if (!wb::databaseFilePresent(ui))
        return 1;
    wb::Office office;
    if (!departmentExists(office, arguments.department)) {
        wb::refuseWithoutDepartment(ui);
        return 1;
    }
    office.loadCodeFile(ui);
    const wb::ImportRequest request{arguments.department, arguments.workbook, arguments.overwrite};
    return office.import(request, ui) == wb::RunOutcome::Completed ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    Arguments arguments;
    bool haveDepartment = false;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (argument == "--overwrite") {
            arguments.overwrite = true;
        } else if (argument == "--dept") {
            if (++i == argc)
                return usageError("--dept 需要部门代码");
            arguments.department = wb::utf8ToGbk(argv[i]);
            haveDepartment = true;
        } else if (argument.rfind("--dept=", 0) == 0) {
            arguments.department = wb::utf8ToGbk(argument.substr(7));
            haveDepartment = true;
        } else if (argument.size() > 1 && argument[0] == '-') {
            return usageError("未知选项 " + argument);
        } else {
            positional.push_back(argument);
        }
    }
    if (!haveDepartment)
        return usageError("缺少 --dept CODE");
    if (positional.size() != 1)
        return usageError("需要且只需要一个工作簿文件");
    arguments.workbook = positional.front();

    installAbortHandler();
    try {
        return run(arguments);
    } catch (const std::exception& error) {
        std::cout << std::flush;
        std::cerr << "错误: " << wb::terminalSafe(error.what()) << '\n';
        return 1;
    }
}
