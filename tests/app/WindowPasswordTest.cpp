// SPDX-License-Identifier: GPL-3.0-or-later
// The window asks for a workbook's password to open in a password field naming the file:
// the right password imports, Cancel ends the run as an unreadable workbook does and an
// overwrite run deletes nothing.

#include "app/WindowOffice.h"

#include <QInputDialog>
#include <QLineEdit>

#include <filesystem>

using namespace wb;
using namespace wb::test;

namespace {

class WindowPassword : public WindowOffice {
protected:
    // Answers the password dialog once it shows: with `password`, or Cancel without one.
    // What the dialog showed is kept in `asked`.
    void answerDialog(std::optional<QString> password) {
        auto* poll = new QTimer(window.get());
        QObject::connect(poll, &QTimer::timeout, [this, poll, password] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            poll->stop();
            poll->deleteLater();
            asked = utf8(dialog->labelText());
            passwordEcho = dialog->textEchoMode() == QLineEdit::Password;
            if (password) {
                dialog->setTextValue(*password);
                dialog->accept();
            } else {
                dialog->reject();
            }
        });
        poll->start(10);
    }

    // The window on the office with the protected workbook beside the others.
    void startWithProtectedWorkbook() {
        std::filesystem::copy_file(std::filesystem::path(WB_FIXTURES) / "import" /
                                       "full_password.xlsx",
                                   "full_password.xlsx");
        startedWindow();
        addPerson("旧", "0101");
    }

    void importProtected() {
        window->RadioButton5->setChecked(true); // overwrite, confirmed
        window->answers = {true};
        clickDepartment("0101");
        selectWorkbook(QStringLiteral("full_password.xlsx"));
        window->Button1->click();
    }

    std::string asked;
    bool passwordEcho = false;
};

TEST_F(WindowPassword, TheRightPasswordImports) {
    startWithProtectedWorkbook();
    answerDialog(QStringLiteral("工资 2024"));
    importProtected();

    EXPECT_NE(asked.find("full_password.xlsx"), std::string::npos) << asked;
    EXPECT_TRUE(passwordEcho);
    EXPECT_EQ(persons("0101"), 3);
    ASSERT_FALSE(window->boxes.empty());
    EXPECT_EQ(window->boxes.back(), "提示|数据导入成功!|0");
}

TEST_F(WindowPassword, CancelEndsTheRunAndDeletesNothing) {
    startWithProtectedWorkbook();
    answerDialog(std::nullopt);
    importProtected();

    EXPECT_EQ(persons("0101"), 1);
    ASSERT_EQ(window->boxes.size(), 1u);
    EXPECT_EQ(window->boxes[0].rfind("错误|工作簿 \"", 0), 0u) << window->boxes[0];
    EXPECT_NE(
        window->boxes[0].find("full_password.xlsx\" 无法读取: 工作簿有打开密码,未输入密码|16"),
        std::string::npos)
        << window->boxes[0];
}

} // namespace
