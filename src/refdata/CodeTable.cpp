#include "refdata/CodeTable.h"

namespace wb {

void CodeTable::set(std::string key, std::string value) {
    entries_.insert_or_assign(std::move(key), std::move(value));
}

const std::string& CodeTable::lookup(std::string_view key) const {
    static const std::string kNone;
    const auto it = entries_.find(key);
    return it == entries_.end() ? kNone : it->second;
}

} // namespace wb
