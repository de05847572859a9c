// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The department list and the tree built from its codes, free of any widget: the window
// mirrors the nodes into its tree view, tests read them directly.

#include "text/Gbk.h"

#include <cstdint>
#include <string>
#include <vector>

namespace wb {

// One row of dm_jg. Texts are GBK bytes as read (jgdm is not trimmed).
struct DepartmentRecord {
    std::int32_t id = 0;
    std::int32_t upid = 0;
    std::int32_t px = 0;
    std::int32_t codeLength = 0; // bytes of jgdm
    Gbk jgdm;
    Gbk jgmc;
    Gbk jgjb;
    int node = -1; // index into DeptTree::nodes(); -1 while the record has no node
};

// A node of the department tree.
struct DeptNode {
    int record = -1;           // index into DeptTree::records()
    int parent = -1;           // index into DeptTree::nodes(); -1 for a top-level node
    std::vector<int> children; // indexes into DeptTree::nodes(), in display order
    Gbk text;                  // jgmc "_" jgdm
};

// DeptList and the tree over it. Only jgdm decides the shape: upid and px are carried along.
class DeptTree {
public:
    // Replaces the list with `records` (expected in order of code length, then code), sets
    // each record's codeLength from its jgdm and rebuilds the tree: top-level nodes for the leading
    // records whose code is two bytes long; then each remaining record, in list order, becomes the
    // last child of the first node in tree order (pre-order) whose code equals its own code without
    // the last two bytes, or gets no node when there is none. An empty `records` changes nothing
    // and returns false.
    bool fill(std::vector<DepartmentRecord> records);
    // No records and no nodes, as before the first fill.
    void clear();

    const std::vector<DepartmentRecord>& records() const { return records_; }
    int departmentCount() const { return static_cast<int>(records_.size()); }
    const std::vector<DeptNode>& nodes() const { return nodes_; }
    const std::vector<int>& roots() const { return roots_; }

    // The department code of a record for queries and imports: jgdm without blanks and
    // control characters at either end.
    Gbk departmentCode(int record) const;

private:
    int addNode(int record, int parent);
    int findNode(const Gbk& code) const;

    std::vector<DepartmentRecord> records_;
    std::vector<DeptNode> nodes_;
    std::vector<int> roots_;
};

} // namespace wb
