// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MemoMenus.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>

namespace wb {

namespace {

QString defaultSavePath(QWidget* parent) {
    return QFileDialog::getSaveFileName(parent, QStringLiteral("另存为"),
                                        QStringLiteral("错误信息.csv"),
                                        QStringLiteral("CSV 文件 (*.csv)"));
}

// A context menu of the given actions in place of the text field's own.
void useMenu(QPlainTextEdit* memo, std::vector<std::pair<QString, std::function<void()>>> items) {
    memo->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(memo, &QWidget::customContextMenuRequested, memo,
                     [memo, items = std::move(items)](const QPoint& position) {
                         QMenu menu(memo);
                         for (const auto& [text, action] : items)
                             QObject::connect(menu.addAction(text), &QAction::triggered, memo,
                                              action);
                         menu.exec(memo->mapToGlobal(position));
                     });
}

} // namespace

void addRunLogMenu(QPlainTextEdit* runLog) {
    useMenu(runLog, {{QStringLiteral("复制"), [runLog] {
                          copyRunLog(runLog);
                      }}});
}

void copyRunLog(const QPlainTextEdit* runLog) {
    QString selected = runLog->textCursor().selectedText();
    // A selection spanning lines holds U+2029 where the lines break.
    QApplication::clipboard()->setText(selected.isEmpty() ? runLog->toPlainText()
                                                          : selected.replace(QChar(0x2029), u'\n'));
}

ErrorListActions::ErrorListActions(QPlainTextEdit* errorList)
    : QObject(errorList), errorList_(errorList), prompt_(defaultSavePath) {
    useMenu(errorList, {{QStringLiteral("复制"),
                         [this] {
                             copy();
                         }},
                        {QStringLiteral("另存为…"), [this] {
                             saveAs();
                         }}});
}

void ErrorListActions::copy() const {
    std::string csv = errorListCsv(lines_);
    csv.erase(0, 3); // the byte-order mark belongs to a file, not to pasted text
    QApplication::clipboard()->setText(QString::fromStdString(csv));
}

void ErrorListActions::saveAs() {
    const QString path = prompt_(errorList_->window());
    if (path.isEmpty())
        return;
    try {
        save(path);
    } catch (const std::exception& error) {
        QMessageBox::critical(errorList_->window(), QStringLiteral("错误"),
                              QString::fromUtf8(error.what()));
    }
}

void ErrorListActions::save(const QString& path) const {
    writeErrorListCsv(QFile::encodeName(path).toStdString(), lines_);
}

} // namespace wb
