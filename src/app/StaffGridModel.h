#pragma once

#include <QSqlQueryModel>
#include <QStringList>
#include <vector>

namespace wb {

// DataSource1: the staff rows of AQ2 as the grid shows them, in the grid's nine columns (bh,
// xm, sfzh, grsf, xb, mz, csny, jkzk, gzsj), each titled with its field name, whatever else
// the statement selects. Rows are fetched lazily. Before a statement is set, and for a
// column the statement lacks, the columns are there and empty.
class StaffGridModel : public QSqlQueryModel {
public:
    explicit StaffGridModel(QObject* parent = nullptr);

    // The grid's columns and their widths in pixels (0: the grid's default width).
    struct Column {
        const char* field;
        int width;
    };
    static const std::vector<Column>& columns();

    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& item, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

protected:
    void queryChange() override;

private:
    std::vector<int> sourceColumns_; // column of the statement for each grid column; -1: none
};

} // namespace wb
