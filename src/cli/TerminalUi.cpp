#include "cli/TerminalUi.h"

#include "cli/TerminalLines.h"

#include <csignal>
#include <iostream>

namespace wb::cli {

namespace {

volatile std::sig_atomic_t abortFlag = 0;

extern "C" void requestAbort(int) {
    abortFlag = 1;
}

void out(const Gbk& gbkLine) {
    std::cout << printable(gbkLine) << '\n' << std::flush;
}

} // namespace

void TerminalUi::installAbortHandler() {
    struct sigaction action = {};
    action.sa_handler = requestAbort;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

void TerminalUi::addRunLog(const Gbk& line) {
    out(line);
}

void TerminalUi::addError(const ErrorLine& error) {
    std::cerr << printable(error.line()) << '\n' << std::flush;
    errors_.push_back(error);
}

void TerminalUi::showMessage(const Gbk& text, const Gbk& caption, int) {
    std::cout << messageLine(caption, text) << '\n' << std::flush;
}

void TerminalUi::clearAbort() {
    abortFlag = 0;
}

bool TerminalUi::abortRequested() const {
    return abortFlag != 0;
}

std::optional<std::string> TerminalUi::askPassword(const std::string& workbook) {
    if (!askPassword_)
        return std::nullopt;
    return askPassword_(workbook);
}

} // namespace wb::cli
