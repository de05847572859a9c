// SPDX-License-Identifier: GPL-3.0-or-later
#include "refdata/CodeTable.h"

namespace wb {

void CodeTable::set(Gbk key, Gbk value) {
    entries_.insert_or_assign(std::move(key), std::move(value));
}

const Gbk& CodeTable::lookup(const Gbk& key) const {
    static const Gbk kNone;
    const auto it = entries_.find(key);
    return it == entries_.end() ? kNone : it->second;
}

} // namespace wb
