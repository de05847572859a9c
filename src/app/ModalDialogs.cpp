// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ModalDialogs.h"

#include "import/UserInterface.h"

#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace wb {

void showMessageBox(QWidget* parent, const QString& text, const QString& caption, int flags) {
    QMessageBox box(flags == kStopMessage ? QMessageBox::Critical : QMessageBox::NoIcon, caption,
                    text, QMessageBox::Ok, parent);
    box.exec();
}

namespace {

bool ask(QWidget* parent, const QString& text, const QString& caption, const QString& yes,
         bool yesIsDefault) {
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, parent);
    QPushButton* accept = box.addButton(yes, QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    box.setDefaultButton(yesIsDefault ? accept : cancel);
    box.exec();
    return box.clickedButton() == accept;
}

} // namespace

bool askQuestion(QWidget* parent, const QString& text, const QString& caption, const QString& yes) {
    return ask(parent, text, caption, yes, true);
}

bool askToConfirm(QWidget* parent, const QString& text, const QString& caption) {
    return ask(parent, text, caption, QStringLiteral("确定"), false);
}

std::optional<std::string> askWorkbookPassword(QWidget* parent, const std::string& workbook) {
    QInputDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("打开密码"));
    dialog.setLabelText(QStringLiteral("工作簿 \"%1\" 有打开密码, 请输入密码:")
                            .arg(QFileInfo(QString::fromUtf8(workbook)).fileName()));
    dialog.setTextEchoMode(QLineEdit::Password);
    dialog.setObjectName(QStringLiteral("passwordDialog"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    QString text = dialog.textValue();
    std::string password = text.toStdString();
    // The dialog's copies go with it; ours is overwritten.
    text.fill(QChar(u'\0'));
    return password;
}

} // namespace wb
