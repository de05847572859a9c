// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <vector>

namespace wb {

class Query;

// DataSource1: the staff rows of AQ2 as the grid shows them, in the grid's nine columns (bh,
// xm, sfzh, grsf, xb, mz, csny, jkzk, gzsj), each titled with its field name, whatever else
// the statement selects. It holds its rows' texts itself: every row is there at once (the
// grid, and what a screen reader is told, count them all), and nothing stays open on the
// database. Before rows are loaded, and for a column the statement lacks, the columns are
// there and empty.
class StaffGridModel : public QAbstractTableModel {
public:
    explicit StaffGridModel(QObject* parent = nullptr);

    // The grid's columns and their widths in pixels (0: the grid's default width).
    struct Column {
        const char* field;
        int width;
    };
    static const std::vector<Column>& columns();

    // Replaces the rows with those of the open query, from its current row to its end (the
    // query is left at its end).
    void load(Query& query);
    // No rows, as before the first load.
    void clear();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& item, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::vector<QString> cells_; // row by row, one text per grid column
};

} // namespace wb
