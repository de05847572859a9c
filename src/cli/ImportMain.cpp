// wagebook-import: the import run from a terminal, in the current directory, exactly as the
// window runs it: wagebook.mdb and dm.txt are taken from there.

#include "cli/CommandLine.h"
#include "cli/PasswordInput.h"
#include "import/ImportCommand.h"
#include "text/Encoding.h"
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
    explicit TerminalUi(wb::PasswordPrompt askPassword) : askPassword_(std::move(askPassword)) {}
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
    std::optional<std::string> askPassword(const std::string& workbook) override {
        return askPassword_(workbook);
    }

private:
    wb::PasswordPrompt askPassword_;
    static void out(const wb::Gbk& gbkLine) {
        std::cout << printable(gbkLine) << '\n' << std::flush;
    }
};

constexpr const char* kUsageHead =
    "用法: wagebook-import [--overwrite] [--password-stdin] --dept CODE [--] WORKBOOK\n"
    "\n"
    "在当前目录中, 把工作簿 WORKBOOK (.xls) 导入 wagebook.mdb 的部门 CODE;\n"
    "代码文件 dm.txt 也取自当前目录.\n";
constexpr const char* kUsageTail =
    "\n"
    "退出码: 0 导入完成 (含用户中止), 1 提前结束或出错, 2 用法错误.\n";

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
    commandLine.addOption(department);
    commandLine.addOption(overwrite);
    const QCommandLineOption passwordStdin = wb::cli::passwordStdinOption();
    commandLine.addOption(passwordStdin);
    if (const auto status = commandLine.parse(argc, argv))
        return *status;
    if (!commandLine.isSet(department))
        return commandLine.usageError("缺少 --dept CODE");
    const std::vector<std::string> workbooks = commandLine.positionalArguments();
    if (workbooks.size() != 1)
        return commandLine.usageError("需要且只需要一个工作簿文件");
    const wb::ImportRequest request{wb::utf8ToGbk(commandLine.value(department)), workbooks.front(),
                                    commandLine.isSet(overwrite)};

    installAbortHandler();
    TerminalUi ui(wb::cli::passwordPrompt(commandLine.isSet(passwordStdin)));
    try {
        return wb::runImportCommand(request, ui);
    } catch (const std::exception& error) {
        std::cout << std::flush;
        std::cerr << "错误: " << wb::terminalSafe(error.what()) << '\n';
        return wb::kImportFailed;
    }
}
