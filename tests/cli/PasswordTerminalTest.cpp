// SPDX-License-Identifier: GPL-3.0-or-later
// wagebook-import on a terminal (a pseudo-terminal here) asking for a workbook's password:
// the prompt names the file, what is typed is not echoed, and the terminal gets its echo back
// after the line and when a signal ends the program at the prompt.

#include "support/CliOffice.h"

#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <poll.h>
#include <string>

namespace {

class PasswordTerminal : public wb::test::CliOffice {
protected:
    void SetUp() override {
        CliOffice::SetUp();
        copyFixture("full_password.xlsx");
    }
    void TearDown() override {
        if (master_ >= 0)
            ::close(master_);
        CliOffice::TearDown();
    }

    // Starts the import on a new pseudo-terminal.
    void start() {
        child_ = forkpty(&master_, nullptr, nullptr, nullptr);
        ASSERT_GE(child_, 0);
        if (child_ == 0) {
            if (::chdir(dir_.c_str()) != 0)
                _exit(126);
            const std::string program =
                (std::filesystem::path(WB_BINARY_DIR) / "src" / "cli" / "wagebook-import").string();
            ::execl(program.c_str(), program.c_str(), "--overwrite", "--dept", "0101",
                    "full_password.xlsx", static_cast<char*>(nullptr));
            _exit(127);
        }
    }

    // Reads the terminal until `text` shows or the program ends; gives all it read.
    std::string readUntil(const std::string& text) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (screen_.find(text) == std::string::npos &&
               std::chrono::steady_clock::now() < deadline) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0)
                continue;
            char buffer[512];
            const ssize_t got = ::read(master_, buffer, sizeof buffer);
            if (got <= 0)
                break;
            screen_.append(buffer, static_cast<std::size_t>(got));
        }
        return screen_;
    }

    bool echoOn() const {
        termios settings{};
        return tcgetattr(master_, &settings) == 0 && (settings.c_lflag & ECHO) != 0;
    }

    int wait() const {
        int status = 0;
        ::waitpid(child_, &status, 0);
        return status;
    }

    pid_t child_ = -1;
    int master_ = -1;
    std::string screen_;
};

TEST_F(PasswordTerminal, ThePasswordIsTypedWithoutEchoAndImports) {
    start();
    ASSERT_NE(readUntil("的打开密码: ").find("工作簿 \"full_password.xlsx\" 的打开密码: "),
              std::string::npos)
        << screen_;
    EXPECT_FALSE(echoOn());
    const std::string line = "工资 2024\n";
    ASSERT_EQ(::write(master_, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    readUntil("数据导入成功");
    const int status = wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << screen_;
    EXPECT_EQ(screen_.find("工资 2024"), std::string::npos) << screen_;
    EXPECT_TRUE(echoOn());
    EXPECT_EQ(rows("select count(*) from ryjbxx where bm = '0101'"), Strings{"3"});
}

TEST_F(PasswordTerminal, ASignalAtThePromptGivesTheEchoBack) {
    start();
    readUntil("的打开密码: ");
    ASSERT_FALSE(echoOn()) << screen_;
    ::kill(child_, SIGTERM);
    const int status = wait();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    EXPECT_TRUE(echoOn());
    EXPECT_EQ(rows("select count(*) from ryjbxx"), Strings{"0"});
}

} // namespace
