// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The context menus of the window's two lists: 复制 on the run log; 复制 and 另存为… on the
// error list, both giving the list as the CSV table the command line writes with --errors.

#include "import/ErrorLine.h"

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QPlainTextEdit;
class QWidget;

namespace wb {

// 复制 on the run log, doing copyRunLog.
void addRunLogMenu(QPlainTextEdit* runLog);
// The selected text of the run log, or the whole log when nothing is selected, on the
// clipboard.
void copyRunLog(const QPlainTextEdit* runLog);

// The error list's lines in their parts, as the engine reported them, and its menu.
class ErrorListActions : public QObject {
public:
    // Asks where to save; gives an empty path when the user cancels. Tests replace it.
    using SavePathPrompt = std::function<QString(QWidget* parent)>;

    explicit ErrorListActions(QPlainTextEdit* errorList);

    void append(const ErrorLine& line) { lines_.push_back(line); }
    const std::vector<ErrorLine>& lines() const { return lines_; }

    // 复制: the list as CSV text on the clipboard.
    void copy() const;
    // 另存为…: asks for a file, writes the CSV there; a failure is shown in an error box.
    void saveAs();
    // Writes the CSV to `path`; throws wb::Error when it cannot.
    void save(const QString& path) const;

    void setSavePathPrompt(SavePathPrompt prompt) { prompt_ = std::move(prompt); }

private:
    QPlainTextEdit* errorList_;
    std::vector<ErrorLine> lines_;
    SavePathPrompt prompt_;
};

} // namespace wb
