// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/TitleColumnMap.h"

#include "import/Titles.h"

namespace wb {

void TitleColumnMap::scan(const Sheet& sheet) {
    columns_.clear();
    for (int column = 1;; ++column) {
        Gbk title = cellText(sheet.cell(1, column));
        if (title.empty())
            break;
        columns_.insert_or_assign(std::move(title), column);
    }
}

int TitleColumnMap::column(const Gbk& title) const {
    const auto it = columns_.find(title);
    return it == columns_.end() ? 0 : it->second;
}

bool TitleColumnMap::layoutMatches() const {
    return missingTitles().empty();
}

std::vector<Gbk> TitleColumnMap::missingTitles() const {
    std::vector<Gbk> missing;
    for (const Gbk* title : titles::kRequired)
        if (column(*title) == 0)
            missing.push_back(*title);
    return missing;
}

Gbk missingTitlesLine(const std::vector<Gbk>& missing) {
    static const Gbk kMissing = gbk("缺少标题：");
    static const Gbk kSeparator = gbk("、");
    Gbk line = kMissing;
    for (std::size_t i = 0; i < missing.size(); ++i) {
        if (i > 0)
            line += kSeparator;
        line += missing[i];
    }
    return line;
}

} // namespace wb
