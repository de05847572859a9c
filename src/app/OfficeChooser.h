// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// 选择办公文件夹: asked when the window has no office folder to open (the first start from
// the desktop, or a remembered folder that no longer holds a database). Each choice is a
// button that accepts the dialog; 取消 rejects it.

#include <QDialog>

class QPushButton;

namespace wb {

class OfficeChooser : public QDialog {
public:
    enum class Choice { Open, Create, Migrate };

    // `note` says why the dialog comes up (empty for none).
    OfficeChooser(const QString& note, QWidget* parent);

    // The choice that accepted the dialog.
    Choice choice() const { return choice_; }
    QPushButton* button(Choice choice) const;

private:
    QPushButton* buttons_[3];
    Choice choice_ = Choice::Open;
};

} // namespace wb
