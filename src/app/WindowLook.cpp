// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WindowLook.h"

#include <QFontDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

namespace wb {

namespace {

QString chineseFontFamily() {
    const QStringList installed = QFontDatabase::families();
    for (const QString& name :
         {QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun")}) {
        if (installed.contains(name))
            return name;
    }
    const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    for (const QString& name : chinese) {
        if (!QFontDatabase::isFixedPitch(name))
            return name;
    }
    return chinese.isEmpty() ? QString() : chinese.first();
}

} // namespace

QFont chineseFont(int pixelSize) {
    QFont font(chineseFontFamily());
    font.setPixelSize(pixelSize);
    return font;
}

QIcon programIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(QColor(0x1f, 0x5f, 0xa8));
    QPainter painter(&pixmap);
    painter.setPen(Qt::white);
    painter.setFont(chineseFont(24));
    painter.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("导"));
    return QIcon(pixmap);
}

QPlainTextEdit* readOnlyMemo(QWidget* parent) {
    auto* edit = new QPlainTextEdit(parent);
    edit->setReadOnly(true);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    return edit;
}

void appendLines(QPlainTextEdit* memo, QStringList& lines) {
    if (lines.isEmpty())
        return;
    memo->appendPlainText(lines.join(QLatin1Char('\n')));
    memo->verticalScrollBar()->setValue(memo->verticalScrollBar()->maximum());
    lines.clear();
}

QPushButton* commandButton(const QString& caption, QWidget* parent) {
    auto* pushButton = new QPushButton(caption, parent);
    pushButton->setAutoDefault(false);
    return pushButton;
}

DepartmentTree::DepartmentTree(QWidget* parent) : QTreeWidget(parent) {
    setFont(chineseFont(13));
    setHeaderHidden(true);
    setIndentation(19);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    QPalette treePalette = palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        treePalette.setColor(QPalette::Inactive, role, treePalette.color(QPalette::Active, role));
    setPalette(treePalette);
}

QItemSelectionModel::SelectionFlags DepartmentTree::selectionCommand(const QModelIndex& index,
                                                                     const QEvent* event) const {
    const QItemSelectionModel::SelectionFlags command = QTreeWidget::selectionCommand(index, event);
    if (!index.isValid() ||
        (command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle)))
        return QItemSelectionModel::NoUpdate;
    return command;
}

void DepartmentTree::mouseReleaseEvent(QMouseEvent* event) {
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && !indexAt(event->position().toPoint()).isValid())
        emit clickedBesideNodes();
}

} // namespace wb
