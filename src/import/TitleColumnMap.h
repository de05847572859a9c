// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "xls/Sheet.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace wb {

// Title text of the workbook's first row to its 1-based column. Built afresh for every run.
class TitleColumnMap {
public:
    // Reads row 1 from column 1 up to the first empty title; a title that occurs twice maps
    // to its rightmost column. Replaces what an earlier scan found.
    void scan(const Sheet& sheet);
    // The column of a title, 0 when the title is absent.
    int column(const Gbk& title) const;
    // Whether the four required titles (name, birth date, work start, personal status) are
    // all present.
    bool layoutMatches() const;
    // The required titles that are absent, in the order above; empty when the layout
    // matches.
    std::vector<Gbk> missingTitles() const;

private:
    std::map<Gbk, int> columns_;
};

// The run-log line naming the missing titles: "缺少标题：" and the titles, joined by "、".
Gbk missingTitlesLine(const std::vector<Gbk>& missing);

} // namespace wb
