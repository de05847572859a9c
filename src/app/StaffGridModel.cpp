#include "app/StaffGridModel.h"

#include <QSqlRecord>

namespace wb {

StaffGridModel::StaffGridModel(QObject* parent) : QSqlQueryModel(parent) {
    sourceColumns_.assign(columns().size(), -1);
}

const std::vector<StaffGridModel::Column>& StaffGridModel::columns() {
    static const std::vector<Column> kColumns = {
        {"bh", 55}, {"xm", 59},   {"sfzh", 167}, {"grsf", 65}, {"xb", 0},
        {"mz", 0},  {"csny", 93}, {"jkzk", 32},  {"gzsj", 0},
    };
    return kColumns;
}

int StaffGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns().size());
}

QVariant StaffGridModel::data(const QModelIndex& item, int role) const {
    if (!item.isValid() || item.column() >= columnCount())
        return QVariant();
    const int source = sourceColumns_[static_cast<std::size_t>(item.column())];
    if (source < 0)
        return QVariant();
    return QSqlQueryModel::data(createIndex(item.row(), source), role);
}

QVariant StaffGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < columnCount())
        return QString::fromLatin1(columns()[static_cast<std::size_t>(section)].field);
    return QSqlQueryModel::headerData(section, orientation, role);
}

void StaffGridModel::queryChange() {
    const QSqlRecord fields = record();
    for (std::size_t i = 0; i < columns().size(); ++i)
        sourceColumns_[i] = fields.indexOf(QString::fromLatin1(columns()[i].field));
    // The base class announces the new rows before this hook runs.
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

} // namespace wb
