// SPDX-License-Identifier: GPL-3.0-or-later
#include "refdata/DeptTree.h"

#include "text/GbkText.h"

namespace wb {

bool DeptTree::fill(std::vector<DepartmentRecord> records) {
    if (records.empty())
        return false;
    records_ = std::move(records);
    nodes_.clear();
    roots_.clear();
    for (DepartmentRecord& record : records_) {
        record.codeLength = static_cast<std::int32_t>(record.jgdm.size());
        record.node = -1;
    }

    std::size_t next = 0;
    for (; next < records_.size() && records_[next].codeLength == 2; ++next)
        addNode(static_cast<int>(next), -1);

    for (; next < records_.size(); ++next) {
        const DepartmentRecord& record = records_[next];
        // A code shorter than two bytes looks for the empty code, which no node carries.
        const std::size_t parentLength = record.codeLength > 2 ? record.codeLength - 2 : 0;
        const int parent = findNode(record.jgdm.substr(0, parentLength));
        if (parent >= 0)
            addNode(static_cast<int>(next), parent);
    }
    return true;
}

void DeptTree::clear() {
    records_.clear();
    nodes_.clear();
    roots_.clear();
}

Gbk DeptTree::departmentCode(int record) const {
    return trim(records_.at(record).jgdm);
}

int DeptTree::addNode(int record, int parent) {
    const int index = static_cast<int>(nodes_.size());
    DepartmentRecord& data = records_[record];
    nodes_.push_back(DeptNode{record, parent, {}, data.jgmc + '_' + data.jgdm});
    data.node = index;
    (parent < 0 ? roots_ : nodes_[parent].children).push_back(index);
    return index;
}

int DeptTree::findNode(const Gbk& code) const {
    if (code.empty())
        return -1;
    // Pre-order walk: a node, its children, then its next sibling.
    std::vector<int> pending(roots_.rbegin(), roots_.rend());
    while (!pending.empty()) {
        const int node = pending.back();
        pending.pop_back();
        if (records_[nodes_[node].record].jgdm == code)
            return node;
        const std::vector<int>& children = nodes_[node].children;
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
    return -1;
}

} // namespace wb
