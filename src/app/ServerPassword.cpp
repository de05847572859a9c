// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ServerPassword.h"

#include "app/WindowPrompts.h"

#include <QInputDialog>
#include <QLineEdit>

namespace wb {

std::optional<QString> askServerPassword(WindowPrompts& prompts, QWidget* parent,
                                         const ServerAddress& address) {
    QInputDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("serverPasswordDialog"));
    dialog.setWindowTitle(QStringLiteral("数据库密码"));
    dialog.setLabelText(
        QStringLiteral("数据库服务器 %1:%2 要求用户 %3 的密码（数据库 %4）：")
            .arg(QString::fromStdString(address.host))
            .arg(address.port)
            .arg(QString::fromStdString(address.user), QString::fromStdString(address.database)));
    dialog.setTextEchoMode(QLineEdit::Password);
    if (prompts.execDialog(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

} // namespace wb
