// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DepartmentDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace wb {

DepartmentDialog::DepartmentDialog(const QString& title, const QString& where, const QString& code,
                                   const QString& name, bool newDepartment, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("departmentDialog"));
    setWindowTitle(title);
    code_ = new QLineEdit(code, this);
    code_->setObjectName(QStringLiteral("departmentCode"));
    code_->setAccessibleName(QStringLiteral("部门代码"));
    code_->setReadOnly(!newDepartment);
    name_ = new QLineEdit(name, this);
    name_->setObjectName(QStringLiteral("departmentName"));
    name_->setAccessibleName(QStringLiteral("部门名称"));
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole)
        ->setObjectName(QStringLiteral("acceptDepartment"));
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout(this);
    auto* place = new QLabel(where, this);
    place->setWordWrap(true);
    form->addRow(place);
    form->addRow(QStringLiteral("部门代码:"), code_);
    form->addRow(QStringLiteral("部门名称:"), name_);
    if (newDepartment)
        form->addRow(new QLabel(QStringLiteral("代码每级两个字符（字母或数字），"
                                               "即上级部门的代码再加两个字符。"),
                                this));
    form->addRow(buttons);
    (newDepartment ? code_ : name_)->setFocus();
}

void DepartmentDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // After the focus arrives, which selects the whole text.
    QTimer::singleShot(0, code_, [this] { code_->end(false); });
}

QString DepartmentDialog::code() const {
    return code_->text().trimmed();
}

QString DepartmentDialog::name() const {
    return name_->text();
}

} // namespace wb
