// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/Gbk.h"

#include <map>
#include <string>
#include <string_view>

namespace wb {

// A text-to-code table: keys are unique GBK byte strings, ordered and compared byte by byte
// (unsigned bytes; a prefix sorts first). Lookup is byte-exact: no trimming or folding.
class CodeTable {
public:
    // Sets the key's value, replacing an earlier one.
    void set(Gbk key, Gbk value);
    // The key's value, or the empty text when the key is absent.
    const Gbk& lookup(const Gbk& key) const;
    // Every key with its value, in key order.
    const std::map<Gbk, Gbk>& entries() const { return entries_; }
    void clear() { entries_.clear(); }
    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }

private:
    std::map<Gbk, Gbk> entries_;
};

} // namespace wb
