// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The modal questions the window's commands ask, in one place: the window shows real boxes
// and dialogs; tests replace them so that nothing waits for a user.

#include <QString>

class QDialog;

namespace wb {

class WindowPrompts {
public:
    // A message box with an OK button: the stop icon when flags is kStopMessage, no icon when
    // it is kPlainMessage. Returns when it is closed.
    virtual void messageBox(const QString& text, const QString& caption, int flags) = 0;
    // A question with the buttons `yes` (the default) and 取消; whether `yes` was chosen.
    virtual bool question(const QString& text, const QString& caption, const QString& yes) = 0;
    // A question before something that cannot be taken back lightly: the buttons 确定 and
    // 取消, 取消 the default; whether 确定 was chosen.
    virtual bool confirm(const QString& text, const QString& caption) = 0;
    // An existing folder the user picks (absolute), or empty when the user cancels.
    virtual QString chooseFolder(const QString& caption) = 0;
    // An existing file the user picks among those `filter` (QFileDialog's form) shows, or
    // empty.
    virtual QString chooseFile(const QString& caption, const QString& filter) = 0;
    // A file to write (absolute), offered as `suggested`, among those `filter` shows; empty
    // when the user cancels.
    virtual QString chooseSaveFile(const QString& caption, const QString& suggested,
                                   const QString& filter) = 0;
    // Runs `dialog` modally and gives its result (QDialog::Accepted or Rejected).
    virtual int execDialog(QDialog& dialog) = 0;

protected:
    ~WindowPrompts() = default;
};

} // namespace wb
