// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the window looks: its Chinese font, its icon, its memos and buttons, and the
// department tree's selection rule.

#include <QFont>
#include <QIcon>
#include <QStringList>
#include <QTreeWidget>

class QPlainTextEdit;
class QPushButton;

namespace wb {

// "宋体" where it is installed, else a font the system has for simplified Chinese,
// preferring a proportional one; `pixelSize` pixels high.
QFont chineseFont(int pixelSize);

// The program's icon, drawn rather than shipped: a blue square with a white "导".
QIcon programIcon();

// A read-only memo with a vertical scroll bar and no line wrap.
QPlainTextEdit* readOnlyMemo(QWidget* parent);
// Appends the lines as one edit (each its own paragraph), scrolls to the last, and empties
// `lines`.
void appendLines(QPlainTextEdit* memo, QStringList& lines);
// A button that Enter in another control does not press.
QPushButton* commandButton(const QString& caption, QWidget* parent);

// TV1: a department once selected stays selected until another one is chosen. A click where
// no node is, or a Ctrl-click or Ctrl-Space on the selected node, leaves the selection alone,
// so Import goes to the department the user last chose, and the selection stays highlighted
// while another control has the focus. Labels are not editable; the font is 13 pixels high.
// Every click is a click on the tree: one beside the nodes emits clickedBesideNodes, as one
// on a node emits itemClicked.
class DepartmentTree : public QTreeWidget {
    Q_OBJECT

public:
    explicit DepartmentTree(QWidget* parent);

signals:
    void clickedBesideNodes();

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace wb
