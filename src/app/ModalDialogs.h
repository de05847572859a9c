// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's own modal boxes, shown over `parent`; each returns when it is closed.

#include <QString>

#include <optional>
#include <string>

class QWidget;

namespace wb {

// OK button; the stop icon when flags is kStopMessage, no icon when kPlainMessage.
void showMessageBox(QWidget* parent, const QString& text, const QString& caption, int flags);

// The buttons `yes` (the default) and 取消; whether `yes` was chosen.
bool askQuestion(QWidget* parent, const QString& text, const QString& caption, const QString& yes);

// The buttons 确定 and 取消 (the default); whether 确定 was chosen.
bool askToConfirm(QWidget* parent, const QString& text, const QString& caption);

// The password that opens the workbook `workbook` (its path, UTF-8), in a password field
// naming the file; nullopt when the user cancels. The dialog's copy is overwritten.
std::optional<std::string> askWorkbookPassword(QWidget* parent, const std::string& workbook);

} // namespace wb
