// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLabel;
class QTableView;

namespace wb {

class Sheet;

// 查看工作簿内容…: a workbook's active sheet as the import reads it, in a read-only table
// titled with the file's name, with the sheet's row numbers and column letters. Row 1, the
// titles, stays in place above the other rows as they scroll; above it, when the layout check
// would refuse the sheet, the line naming the missing titles. Opening it imports nothing.
class CellsWindow : public QDialog {
public:
    CellsWindow(const QString& fileName, const Sheet& sheet, QWidget* parent);

    // The line above the table; empty (and hidden) when the titles are all there.
    QLabel* missingTitles() const { return missingTitles_; }
    // Row 1, and the rows below it.
    QTableView* titleRow() const { return titleRow_; }
    QTableView* rows() const { return rows_; }

private:
    void keepColumnsInStep();

    QLabel* missingTitles_;
    QTableView* titleRow_;
    QTableView* rows_;
};

} // namespace wb
