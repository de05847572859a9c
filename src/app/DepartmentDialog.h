// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The code and the name of a department, as 新增部门… and 修改部门名称… ask for them.

#include <QDialog>

class QLineEdit;

namespace wb {

class DepartmentDialog : public QDialog {
public:
    // `where` says under which department the new one goes, or which one is renamed; the code
    // can be edited only when `newDepartment`.
    DepartmentDialog(const QString& title, const QString& where, const QString& code,
                     const QString& name, bool newDepartment, QWidget* parent);

    QString code() const;
    QString name() const;
    QLineEdit* codeField() const { return code_; }
    QLineEdit* nameField() const { return name_; }

protected:
    // The code offered (the parent's) is kept, the cursor after it, to be extended.
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* code_;
    QLineEdit* name_;
};

} // namespace wb
