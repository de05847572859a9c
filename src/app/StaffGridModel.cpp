// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StaffGridModel.h"

#include "app/QtText.h"
#include "data/Query.h"
#include "text/Error.h"

namespace wb {

StaffGridModel::StaffGridModel(QObject* parent) : QAbstractTableModel(parent) {}

const std::vector<StaffGridModel::Column>& StaffGridModel::columns() {
    static const std::vector<Column> kColumns = {
        {"bh", 55}, {"xm", 59},   {"sfzh", 167}, {"grsf", 65}, {"xb", 0},
        {"mz", 0},  {"csny", 93}, {"jkzk", 32},  {"gzsj", 0},
    };
    return kColumns;
}

void StaffGridModel::load(Query& query) {
    const std::size_t width = columns().size();
    std::vector<QString> cells;
    // Which grid columns the statement yields, learnt from its first row: a field the
    // statement lacks is the query's only failure once it stands on a row.
    std::vector<bool> present(width, true);
    for (bool first = true; !query.eof(); query.next(), first = false) {
        for (std::size_t i = 0; i < width; ++i) {
            if (!present[i]) {
                cells.emplace_back();
                continue;
            }
            try {
                cells.push_back(fromGbk(query.fieldText(columns()[i].field)));
            } catch (const Error&) {
                if (!first)
                    throw;
                present[i] = false;
                cells.emplace_back();
            }
        }
    }
    beginResetModel();
    cells_ = std::move(cells);
    endResetModel();
}

void StaffGridModel::clear() {
    beginResetModel();
    cells_.clear();
    endResetModel();
}

int StaffGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(cells_.size() / columns().size());
}

int StaffGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns().size());
}

QVariant StaffGridModel::data(const QModelIndex& item, int role) const {
    if (!checkIndex(item, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    return cells_[static_cast<std::size_t>(item.row()) * columns().size() +
                  static_cast<std::size_t>(item.column())];
}

QVariant StaffGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < columnCount())
        return QString::fromLatin1(columns()[static_cast<std::size_t>(section)].field);
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace wb
