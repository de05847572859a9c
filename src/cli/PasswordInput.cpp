// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/PasswordInput.h"

#include "text/Error.h"
#include "text/TerminalText.h"
#include "xls/WorkbookFile.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>

namespace wb::cli {

namespace {

// What a signal handler needs to give the terminal its echo back.
volatile std::sig_atomic_t restoreFd = -1;
termios savedSettings;

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

extern "C" void restoreAndReraise(int signal) {
    if (restoreFd >= 0)
        tcsetattr(restoreFd, TCSAFLUSH, &savedSettings);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Echo off on the terminal for as long as it lives, and the handlers that undo it.
class EchoOff {
public:
    explicit EchoOff(int fd) : fd_(fd) {
        if (tcgetattr(fd, &savedSettings) != 0)
            return;
        for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
            struct sigaction action = {};
            action.sa_handler = restoreAndReraise;
            sigemptyset(&action.sa_mask);
            sigaction(kEndingSignals[i], &action, &previous_[i]);
        }
        restoreFd = fd;
        termios quiet = savedSettings;
        quiet.c_lflag &= static_cast<tcflag_t>(~(ECHO | ECHOE | ECHOK | ECHONL));
        quiet.c_lflag |= ICANON;
        tcsetattr(fd, TCSAFLUSH, &quiet);
        active_ = true;
    }
    ~EchoOff() {
        if (!active_)
            return;
        tcsetattr(fd_, TCSAFLUSH, &savedSettings);
        restoreFd = -1;
        for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
            sigaction(kEndingSignals[i], &previous_[i], nullptr);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    int fd_;
    bool active_ = false;
    struct sigaction previous_[std::size(kEndingSignals)] = {};
};

// One line from fd, without its line end; nullopt at the end of input before any byte.
std::optional<std::string> readLine(int fd) {
    std::string line;
    char c;
    ssize_t got;
    while ((got = ::read(fd, &c, 1)) == 1 && c != '\n')
        line.push_back(c);
    if (got <= 0 && line.empty())
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

std::optional<std::string> fromTerminal(const std::string& workbook) {
    const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    const std::string prompt = "工作簿 \"" + terminalSafe(workbook) + "\" 的打开密码: ";
    std::optional<std::string> line;
    {
        // Echo goes off before the prompt shows: nothing typed after it is ever echoed.
        EchoOff quiet(fd);
        if (::write(fd, prompt.data(), prompt.size()) >= 0)
            line = readLine(fd);
    }
    [[maybe_unused]] const ssize_t ignored = ::write(fd, "\n", 1);
    ::close(fd);
    return line;
}

} // namespace

QCommandLineOption passwordStdinOption() {
    return QCommandLineOption(QStringLiteral("password-stdin"),
                              QStringLiteral("工作簿有打开密码时, 从标准输入的第一行读取密码"));
}

PasswordPrompt passwordPrompt(bool fromStdin) {
    if (fromStdin) {
        auto used = std::make_shared<bool>(false);
        return [used](const std::string&) -> std::optional<std::string> {
            if (*used)
                return std::nullopt;
            *used = true;
            return readLine(STDIN_FILENO);
        };
    }
    return [](const std::string& workbook) -> std::optional<std::string> {
        if (!::isatty(STDIN_FILENO))
            throw workbookError(workbook, "工作簿有打开密码, 没有终端可以输入; 请用 "
                                          "--password-stdin 从标准输入的第一行给出密码");
        std::cout << std::flush;
        return fromTerminal(workbook);
    };
}

} // namespace wb::cli
