// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <memory>
#include <vector>

namespace wb {

class Sheet;

// A band of a workbook's sheet as the import reads it (each cell's text, forEachCellText),
// for a read-only table: rows `firstRow` to `lastRow` of the sheet (1-based, inclusive) and
// its columns up to the rightmost cell with text. Headers are the sheet's own: row numbers
// down the side, column letters across the top. Bands of the same sheet share its texts.
class SheetCellsModel : public QAbstractTableModel {
public:
    // The texts of a sheet, read once.
    class Cells {
    public:
        explicit Cells(const Sheet& sheet);
        int rows() const { return rows_; }
        int columns() const { return columns_; }
        // The text at a 1-based row and column; empty where the cell has none.
        QString text(int row, int column) const;

    private:
        struct Cell {
            int row, column;
            QString text;
        };
        std::vector<Cell> cells_; // in row then column order
        int rows_ = 0, columns_ = 0;
    };

    SheetCellsModel(std::shared_ptr<const Cells> cells, int firstRow, int lastRow,
                    QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& item, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::shared_ptr<const Cells> cells_;
    int firstRow_;
    int rows_;
};

} // namespace wb
