// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's 部门 menu: departments added under the selected one (or at the top), renamed
// and removed through the engine (refdata/DepartmentChanges.h), the tree reloaded after each
// change with the department concerned selected. A refusal is shown in a box saying why; an
// add or a rename then asks again with what was entered.

namespace wb {

class TFKvDbf;

class DepartmentActions {
public:
    explicit DepartmentActions(TFKvDbf& window) : window_(window) {}

    void add();
    void rename();
    void remove();

private:
    TFKvDbf& window_;
};

} // namespace wb
