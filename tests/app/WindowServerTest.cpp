// SPDX-License-Identifier: GPL-3.0-or-later
// The window and a throw-away PostgreSQL server: the password asked at login and never
// written, and 测试连接 of the database settings (skipped without WB_TEST_POSTGRES_URL).

#include "app/OfficeWindow.h"
#include "support/Backend.h"

#include <QInputDialog>
#include <QRadioButton>
#include <QSpinBox>

#include <fstream>

using namespace wb::test;

namespace {

class WindowServer : public OfficeWindow {
protected:
    void SetUp() override {
        OfficeWindow::SetUp();
        if (!std::getenv("WB_TEST_POSTGRES_URL"))
            GTEST_SKIP() << kNoServer;
        // Neither the environment nor a password file gives the password.
        ::unsetenv("PGPASSWORD");
        ::setenv("PGPASSFILE", "/nonexistent", 1);
        serverFolder_ = sibling("server");
        server_ = std::make_unique<BackendDatabase>(Backend::Postgres, serverFolder_.toStdString());
        address_ = parseServerUrl(server_->location());
        std::ofstream(path(serverFolder_, "wagebook.ini"))
            << "[database]\nurl=" << address_.url() << "\n";
    }
    void TearDown() override {
        window.reset();
        server_.reset();
        OfficeWindow::TearDown();
    }

    // Plays the password question: `password` entered; the question's text kept in `asked`.
    PlayDialog password(const std::string& password, std::string* asked = nullptr) {
        return [=](QDialog& dialog) {
            auto& input = dynamic_cast<QInputDialog&>(dialog);
            if (asked)
                *asked = utf8(input.labelText());
            EXPECT_EQ(input.textEchoMode(), QLineEdit::Password);
            input.setTextValue(QString::fromStdString(password));
            return static_cast<int>(QDialog::Accepted);
        };
    }
    std::string serverText() const {
        return "数据库服务器 " + address_.host + ":" + std::to_string(address_.port) +
               " 上的数据库 " + address_.database + "（用户 " + address_.user + "）";
    }

    QString serverFolder_;
    std::unique_ptr<BackendDatabase> server_;
    ServerAddress address_;
};

TEST_F(WindowServer, AnOfficeOnAServerAsksForThePasswordAtLoginAndWritesItNowhere) {
    server_->create(true);
    startedWindow();
    std::string asked;
    window->onDialogs = {password("wrong")};
    window->folders = {serverFolder_};
    trigger("openOfficeAction");
    ASSERT_EQ(window->boxes.size(), 1u);
    EXPECT_NE(window->boxes[0].find("拒绝了用户 " + address_.user + " 的登录"), std::string::npos)
        << window->boxes[0];
    EXPECT_FALSE(qEnvironmentVariableIsSet("PGPASSWORD")) << "a refused password is not kept";
    EXPECT_EQ(treeNodes().size(), 5u) << "the window stays on its office";

    window->onDialogs = {password(address_.password, &asked)};
    window->folders = {serverFolder_};
    trigger("openOfficeAction");
    EXPECT_EQ(asked, "数据库服务器 " + address_.host + ":" + std::to_string(address_.port) +
                         " 要求用户 " + address_.user + " 的密码（数据库 " + address_.database +
                         "）：");
    EXPECT_EQ(window->officeFolder(), serverFolder_);
    EXPECT_EQ(treeNodes().size(), 5u);
    EXPECT_EQ(window->boxes.size(), 1u) << window->boxes.back();
    std::ifstream ini(path(serverFolder_, "wagebook.ini"));
    const std::string text((std::istreambuf_iterator<char>(ini)), {});
    EXPECT_EQ(text.find(address_.password), std::string::npos) << text;
}

TEST_F(WindowServer, TestConnectionSaysWhatHappenedAndOffersTheProgramsTables) {
    startedWindow();
    const auto test = [&](int port) {
        return [this, port](QDialog& dialog) {
            dialog.findChild<QRadioButton*>(QStringLiteral("useServer"))->setChecked(true);
            dialog.findChild<QLineEdit*>(QStringLiteral("serverHost"))
                ->setText(QString::fromStdString(address_.host));
            dialog.findChild<QSpinBox*>(QStringLiteral("serverPort"))->setValue(port);
            dialog.findChild<QLineEdit*>(QStringLiteral("serverDatabase"))
                ->setText(QString::fromStdString(address_.database));
            dialog.findChild<QLineEdit*>(QStringLiteral("serverUser"))
                ->setText(QString::fromStdString(address_.user));
            dialog.findChild<QPushButton*>(QStringLiteral("testConnection"))->click();
            return static_cast<int>(QDialog::Rejected);
        };
    };
    window->onDialogs = {test(address_.port), password(address_.password)};
    window->answers = {true};
    trigger("databaseSettingsAction");
    EXPECT_EQ(window->questions, Strings{"测试连接|连接成功，但" + serverText() +
                                         "中还没有人事数据库的表。要现在建立这些表吗？"});
    EXPECT_EQ(window->boxes, Strings{"测试连接|已在" + serverText() + "中建立人事数据库的表。|0"});
    EXPECT_TRUE(server_->hasTable("ryjbxx"));
    EXPECT_TRUE(server_->hasTable("dm_jg"));

    window->onDialogs = {test(address_.port), password(address_.password)};
    trigger("databaseSettingsAction");
    EXPECT_EQ(window->boxes.back(),
              "测试连接|连接成功：" + serverText() + "，其中有人事数据库的表。|0");

    window->onDialogs = {test(1)};
    trigger("databaseSettingsAction");
    EXPECT_EQ(
        window->boxes.back().rfind("测试连接|无法连接数据库服务器 " + address_.host + ":1", 0), 0u)
        << window->boxes.back();
    EXPECT_FALSE(std::filesystem::exists("wagebook.ini")) << "testing saves nothing";
}

} // namespace
