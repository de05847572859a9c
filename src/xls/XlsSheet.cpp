// SPDX-License-Identifier: GPL-3.0-or-later
#include "xls/XlsSheet.h"

#include "xls/FormatError.h"
#include "xls/SheetBuilder.h"

#include <algorithm>
#include <limits>

namespace wb {

CellValue XlsSheet::cell(int row, int column) const {
    if (row < 1 || column < 1 || row > lastRow() || column > lastColumn_)
        return {};
    const auto r = static_cast<std::uint32_t>(row - 1);
    const auto c = static_cast<std::uint16_t>(column - 1);
    const auto first = cells_.begin() + rowStart_[r];
    const auto last = cells_.begin() + rowStart_[r + 1];
    const auto found = std::lower_bound(
        first, last, c, [](const StoredCell& cell, std::uint16_t k) { return cell.column < k; });
    if (found == last || found->column != c)
        return {};
    return valueOf(*found);
}

void XlsSheet::forEachCell(const CellVisitor& visit) const {
    for (const StoredCell& stored : cells_)
        if (stored.kind != CellValue::Kind::Empty)
            visit(static_cast<int>(stored.row) + 1, stored.column + 1, valueOf(stored));
}

CellValue XlsSheet::valueOf(const StoredCell& stored) const {
    if (stored.kind == CellValue::Kind::Text)
        return CellValue::ofText(Gbk::fromBytes(textAt(stored.text)));
    return CellValue{stored.kind, stored.number, {}};
}

namespace xls {

SheetBuilder::SheetBuilder() {
    appendText({});
}

void SheetBuilder::add(std::uint32_t row, std::uint16_t column, Kind kind, double number) {
    XlsSheet::StoredCell cell{row, column, kind, {}};
    cell.number = number;
    push(cell);
}

std::size_t SheetBuilder::addText(std::uint32_t row, std::uint16_t column, std::uint32_t text) {
    XlsSheet::StoredCell cell{row, column, Kind::Text, {}};
    cell.text = text;
    push(cell);
    return sheet_.cells_.size() - 1;
}

void SheetBuilder::push(const XlsSheet::StoredCell& cell) {
    if (sheet_.cells_.size() == kMaxCells)
        throw FormatError(reason::kTooManyCells);
    sheet_.cells_.push_back(cell);
}

std::uint32_t SheetBuilder::appendText(const Gbk& text) {
    const std::string_view gbk = text.view();
    if (gbk.size() > std::numeric_limits<std::uint32_t>::max() - sheet_.text_.size())
        throw FormatError(reason::kTooLarge);
    sheet_.text_.append(gbk);
    sheet_.textStart_.push_back(static_cast<std::uint32_t>(sheet_.text_.size()));
    return static_cast<std::uint32_t>(sheet_.textStart_.size() - 2);
}

void SheetBuilder::setText(std::size_t cellPosition, std::uint32_t text) {
    sheet_.cells_[cellPosition].text = text;
}

void SheetBuilder::reserve(std::size_t cells) {
    sheet_.cells_.reserve(cells);
}

XlsSheet SheetBuilder::finish(Gbk name) {
    auto& cells = sheet_.cells_;
    const auto byKey = [](const XlsSheet::StoredCell& a, const XlsSheet::StoredCell& b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    };
    if (!std::is_sorted(cells.begin(), cells.end(), byKey))
        std::stable_sort(cells.begin(), cells.end(), byKey);
    // Of cells given twice, the later one wins; the stable sort kept them in file order.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (kept > 0 && cells[kept - 1].row == cells[i].row &&
            cells[kept - 1].column == cells[i].column)
            cells[kept - 1] = cells[i];
        else
            cells[kept++] = cells[i];
    }
    cells.resize(kept);
    cells.shrink_to_fit();

    const std::uint32_t rows = cells.empty() ? 0 : cells.back().row + 1;
    sheet_.rowStart_.assign(rows + 1, 0);
    std::uint32_t row = 0;
    int lastColumn = 0;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const std::uint32_t cellRow = cells[i].row;
        while (row < cellRow)
            sheet_.rowStart_[++row] = static_cast<std::uint32_t>(i);
        lastColumn = std::max(lastColumn, static_cast<int>(cells[i].column) + 1);
    }
    while (row < rows)
        sheet_.rowStart_[++row] = static_cast<std::uint32_t>(cells.size());
    sheet_.lastColumn_ = lastColumn;
    sheet_.name_ = std::move(name);
    return std::move(sheet_);
}

} // namespace xls

} // namespace wb
