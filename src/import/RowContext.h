// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/Database.h"
#include "import/TitleColumnMap.h"
#include "import/UserInterface.h"
#include "refdata/BuiltinTables.h"
#include "refdata/CodeTable.h"
#include "xls/Sheet.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace wb {

class PersonTable;
class StatementRunner;

// What every step of one data row works on.
struct RowContext {
    const Sheet& sheet;
    int row;
    const TitleColumnMap& titles;
    const CodeTable& codeMap;
    UserInterface& ui;
    Database& database;

    // The cell of a title in this row; an absent title reads as an empty cell.
    CellValue cell(const Gbk& title) const {
        const int column = titles.column(title);
        return column == 0 ? CellValue{} : sheet.cell(row, column);
    }
    // An error-list line about the cell of `title` in this row.
    ErrorLine errorAt(const Gbk& title, Gbk kind, Gbk name, Gbk text, Gbk reason = {},
                      Gbk explanation = {}) const {
        return {std::move(kind),   std::move(name),        std::move(text),
                std::move(reason), std::move(explanation), {row, titles.column(title)}};
    }
    // Adds a line to the error list after the refusals of the row's statements run so far,
    // so that the list keeps the order of the row's cells.
    void addError(const ErrorLine& error) const {
        database.settle();
        ui.addError(error);
    }
};

// What the person step hands on to the dependent records of the same row.
struct PersonOutcome {
    std::optional<std::int32_t> key; // none when the person record could not be stored
    Gbk name;
    Gbk workDate;                // "yyyy-mm-dd", empty when the row gives none
    std::int32_t wholeYears = 0; // college years not counted toward seniority
};

} // namespace wb
