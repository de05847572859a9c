// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TerminalUi.h"

#include "cli/TerminalLines.h"
#include "text/Encoding.h"

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

// An information box ("提示") goes with the run log; an error or failure box (错误, 失败,
// 文件丢失错误) goes to stderr, where a script looks for why the run failed.
void TerminalUi::showMessage(const Gbk& text, const Gbk& caption, int) {
    static const Gbk kNotice = gbk("提示");
    std::ostream& stream = caption == kNotice ? std::cout : std::cerr;
    stream << messageLine(caption, text) << '\n' << std::flush;
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
