// SPDX-License-Identifier: GPL-3.0-or-later
#include "refdata/DepartmentChanges.h"

#include "data/Connection.h"
#include "data/JetSql.h"
#include "data/Query.h"
#include "refdata/Departments.h"
#include "text/Encoding.h"
#include "text/Error.h"
#include "text/GbkText.h"

#include <algorithm>
#include <string>

namespace wb {

namespace {

// Persons named when a removal is refused for them.
constexpr int kNamedPersons = 3;

std::string shown(const Gbk& text) {
    return gbkToUtf8(text);
}

// "0101（办公室）"
std::string codeAndName(const DepartmentRecord& record) {
    return shown(trim(record.jgdm)) + "（" + shown(record.jgmc) + "）";
}

bool isAsciiLetterOrDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

void checkCode(const Gbk& code) {
    if (code.empty())
        throw Error("部门代码不能为空。");
    // A code is counted in bytes, two a level: a Chinese character or a blank would make a
    // level of the wrong width, or a code that trims to another.
    if (!std::all_of(code.view().begin(), code.view().end(), isAsciiLetterOrDigit))
        throw Error("部门代码 " + shown(code) + " 只能由字母和数字组成。");
}

Gbk checkedName(const Gbk& name) {
    const Gbk trimmed = trim(name);
    if (trimmed.empty())
        throw Error("部门名称不能为空。");
    for (const char c : trimmed.view())
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            throw Error("部门名称中不能有换行符或其他控制字符。");
    return trimmed;
}

DeptTree loadTree(Connection& connection) {
    Query query(connection);
    DeptTree tree;
    tree.fill(loadDepartments(query));
    return tree;
}

// The records whose code, trimmed, is `code`, in list order.
std::vector<const DepartmentRecord*> withCode(const DeptTree& tree, const Gbk& code) {
    std::vector<const DepartmentRecord*> found;
    for (const DepartmentRecord& record : tree.records())
        if (isDepartment(record, code))
            found.push_back(&record);
    return found;
}

// The nodes in tree order: each node, then its children.
std::vector<int> treeOrder(const DeptTree& tree) {
    std::vector<int> order;
    std::vector<int> pending(tree.roots().rbegin(), tree.roots().rend());
    while (!pending.empty()) {
        const int node = pending.back();
        pending.pop_back();
        order.push_back(node);
        const std::vector<int>& children = tree.nodes()[node].children;
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
    return order;
}

// The node a child of `code` goes under, as the tree places children: the first in tree
// order whose jgdm is the code as stored; -1 when none.
int parentNode(const DeptTree& tree, const Gbk& code) {
    for (const int node : treeOrder(tree))
        if (tree.records()[tree.nodes()[node].record].jgdm == code)
            return node;
    return -1;
}

Gbk staffCondition(const Gbk& code) {
    return Gbk::ascii(" from ryjbxx where ") + departmentFilter(code);
}

int staffCount(Query& query, const Gbk& code) {
    query.close();
    query.setText(Gbk::ascii("select count(*) as cnt") + staffCondition(code));
    query.open();
    return query.fieldInteger("cnt");
}

// Runs `change` on the departments as they are once the department is held, as one
// transaction.
template <class Change> void changeHeld(Connection& connection, const Gbk& code, Change&& change) {
    Database& database = connection.database();
    database.beginDepartmentTransaction(code);
    try {
        change(database, loadTree(connection));
        database.commitTransaction();
    } catch (...) {
        database.rollbackTransaction();
        throw;
    }
}

const DepartmentRecord& existing(const DeptTree& tree, const Gbk& code) {
    const std::vector<const DepartmentRecord*> found = withCode(tree, code);
    if (found.empty())
        throw Error("没有部门 " + shown(code) + "。");
    return *found.front();
}

// Numbers the siblings 1, 2, ... in code order, the new department `code` among them;
// gives its number.
int placeAmongSiblings(Database& database, const DeptTree& tree, const std::vector<int>& siblings,
                       const Gbk& code) {
    int place = 1;
    for (const int node : siblings) {
        const DepartmentRecord& sibling = tree.records()[tree.nodes()[node].record];
        if (sibling.jgdm < code)
            ++place;
    }
    int number = 1;
    for (const int node : siblings) {
        const DepartmentRecord& sibling = tree.records()[tree.nodes()[node].record];
        if (number == place)
            ++number;
        if (sibling.px != number)
            database.execute(Gbk::ascii("update dm_jg set px = ") + decimal(number) +
                             Gbk::ascii(" where id = ") + decimal(sibling.id));
        ++number;
    }
    return place;
}

} // namespace

DepartmentList listDepartments(Connection& connection) {
    const DeptTree tree = loadTree(connection);
    Query query(connection);
    DepartmentList list;
    for (const int node : treeOrder(tree)) {
        int level = 1;
        for (int up = tree.nodes()[node].parent; up >= 0; up = tree.nodes()[up].parent)
            ++level;
        const int record = tree.nodes()[node].record;
        const Gbk code = tree.departmentCode(record);
        list.listed.push_back({code, tree.records()[record].jgmc, level, staffCount(query, code)});
    }
    for (const DepartmentRecord& record : tree.records())
        if (record.node < 0)
            list.leftOut.push_back(record);
    return list;
}

Gbk parentCodeOf(const Gbk& code) {
    return code.size() > 2 ? code.substr(0, code.size() - 2) : Gbk();
}

void addDepartment(Connection& connection, const Gbk& parent, const Gbk& code, const Gbk& name) {
    checkCode(code);
    if (code.size() % 2 != 0)
        throw Error("部门代码 " + shown(code) + " 的长度不对：每级两个字符（如 01、0101）。");
    if (parent.empty() && code.size() != 2)
        throw Error("顶层部门的代码是两个字符（如 01），" + shown(code) + " 不是。");
    if (!parent.empty() &&
        (code.size() != parent.size() + 2 || code.substr(0, parent.size()) != parent))
        throw Error("部门代码 " + shown(code) + " 不是上级部门 " + shown(parent) +
                    " 的代码再加两个字符（如 " + shown(parent) + "01）。");
    const Gbk newName = checkedName(name);
    changeHeld(connection, code, [&](Database& database, const DeptTree& tree) {
        if (const auto found = withCode(tree, code); !found.empty())
            throw Error("部门 " + codeAndName(*found.front()) + "已经存在。");
        std::int32_t upid = 0;
        std::vector<int> siblings = tree.roots();
        if (!parent.empty()) {
            const int node = parentNode(tree, parent);
            if (node < 0)
                throw Error("没有上级部门 " + shown(parent) + "（部门树中没有这个部门）。");
            upid = tree.records()[tree.nodes()[node].record].id;
            siblings = tree.nodes()[node].children;
        }
        const int px = placeAmongSiblings(database, tree, siblings, code);
        database.execute(Gbk::ascii("insert into dm_jg (upid, px, jgdm, jgmc, jgjb) values (") +
                         decimal(upid) + Gbk::ascii(", ") + decimal(px) + Gbk::ascii(", '") +
                         escapeSqlText(code) + Gbk::ascii("', '") + escapeSqlText(newName) +
                         Gbk::ascii("', '") + decimal(static_cast<int>(code.size() / 2)) +
                         Gbk::ascii("')"));
    });
}

void renameDepartment(Connection& connection, const Gbk& code, const Gbk& name) {
    const Gbk newName = checkedName(name);
    changeHeld(connection, code, [&](Database& database, const DeptTree& tree) {
        (void)existing(tree, code);
        for (const DepartmentRecord* record : withCode(tree, code))
            database.execute(Gbk::ascii("update dm_jg set jgmc = '") + escapeSqlText(newName) +
                             Gbk::ascii("' where id = ") + decimal(record->id));
    });
}

void removeDepartment(Connection& connection, const Gbk& code) {
    changeHeld(connection, code, [&](Database& database, const DeptTree& tree) {
        const DepartmentRecord& department = existing(tree, code);
        std::string below;
        for (const DepartmentRecord& record : tree.records()) {
            const Gbk other = trim(record.jgdm);
            if (other.size() > code.size() && other.substr(0, code.size()) == code)
                below += (below.empty() ? "" : "、") + codeAndName(record);
        }
        if (!below.empty())
            throw Error("部门 " + codeAndName(department) + "下还有部门 " + below +
                        "，不能删除；请先删除这些部门。");
        Query persons(connection);
        persons.setText(Gbk::ascii("select xm") + staffCondition(code) +
                        Gbk::ascii(" order by id"));
        persons.open();
        if (const int count = persons.rowCount(); count > 0) {
            std::string names;
            for (int i = 0; i < kNamedPersons && !persons.eof(); ++i, persons.next())
                names += (names.empty() ? "" : "、") + shown(persons.fieldText("xm"));
            throw Error("部门 " + codeAndName(department) + "还有 " + std::to_string(count) +
                        " 人（" + names + (count > kNamedPersons ? " 等" : "") + "），不能删除。");
        }
        for (const DepartmentRecord* record : withCode(tree, code))
            database.execute(Gbk::ascii("delete from dm_jg where id = ") + decimal(record->id));
    });
}

} // namespace wb
