// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/Database.h"
#include "text/Gbk.h"

#include <cstdint>
#include <string>
#include <vector>

namespace wb {

// Calls statementFor(list) with the keys as comma-separated lists of at most 500, for
// statements of the form "… where id in (list)" that no engine refuses for their length.
template <typename StatementFor>
void forKeyLists(const std::vector<std::int64_t>& keys, StatementFor statementFor) {
    constexpr std::size_t kKeysPerStatement = 500;
    for (std::size_t start = 0; start < keys.size(); start += kKeysPerStatement) {
        std::string list;
        for (std::size_t i = start; i < keys.size() && i < start + kKeysPerStatement; ++i)
            list += (list.empty() ? "" : ",") + std::to_string(keys[i]);
        statementFor(Gbk::ascii(list));
    }
}

// How many rows of `table` have their `column` among `keys`.
inline std::int64_t countRowsWithKeys(Database& database, std::string_view table,
                                      std::string_view column,
                                      const std::vector<std::int64_t>& keys) {
    std::int64_t count = 0;
    forKeyLists(keys, [&](const Gbk& list) {
        count += database
                     .select("select count(*) from "_ascii + Gbk::ascii(table) + " where "_ascii +
                             Gbk::ascii(column) + " in ("_ascii + list + ')')
                     .rows.at(0)
                     .at(0)
                     .toLongLong();
    });
    return count;
}

} // namespace wb
