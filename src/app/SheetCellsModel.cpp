// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SheetCellsModel.h"

#include "app/QtText.h"
#include "report/XlsxFile.h"
#include "xls/CellTexts.h"

#include <algorithm>

namespace wb {

SheetCellsModel::Cells::Cells(const Sheet& sheet) {
    forEachCellText(sheet, [this](int row, int column, const Gbk& text) {
        cells_.push_back({row, column, fromGbk(text)});
        rows_ = std::max(rows_, row);
        columns_ = std::max(columns_, column);
    });
}

QString SheetCellsModel::Cells::text(int row, int column) const {
    const auto found = std::lower_bound(
        cells_.begin(), cells_.end(), std::make_pair(row, column),
        [](const Cell& cell, auto at) { return std::make_pair(cell.row, cell.column) < at; });
    return found != cells_.end() && found->row == row && found->column == column ? found->text
                                                                                 : QString();
}

SheetCellsModel::SheetCellsModel(std::shared_ptr<const Cells> cells, int firstRow, int lastRow,
                                 QObject* parent)
    : QAbstractTableModel(parent), cells_(std::move(cells)), firstRow_(firstRow),
      rows_(std::max(0, lastRow - firstRow + 1)) {}

int SheetCellsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int SheetCellsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : cells_->columns();
}

QVariant SheetCellsModel::data(const QModelIndex& item, int role) const {
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const QString text = cells_->text(firstRow_ + item.row(), item.column() + 1);
    return text.isEmpty() ? QVariant() : QVariant(text);
}

QVariant SheetCellsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Vertical)
        return QString::number(firstRow_ + section);
    return QString::fromStdString(columnName(section + 1));
}

} // namespace wb
