// SPDX-License-Identifier: GPL-3.0-or-later
// The 部门 menu: departments added under the selected one, renamed and removed, the tree
// reloaded with the department concerned selected; refusals said and the input kept.

#include "app/OfficeWindow.h"

using namespace wb::test;

namespace {

using WindowDepartments = OfficeWindow;

TEST_F(WindowDepartments, AnAddGoesUnderTheSelectedDepartmentOrAtTheTop) {
    startedWindow();
    clickDepartment("02");
    std::string offered;
    window->onDialogs = {departmentAnswer("0202", "数学教研组", &offered)};
    trigger("addDepartmentAction");
    EXPECT_EQ(offered, "02");
    EXPECT_EQ(selectedCode(), "0202");
    EXPECT_EQ(utf8(window->panelText(0)), "0人");

    window->TV1->clearSelection();
    window->onDialogs = {departmentAnswer("03", "后勤部门", &offered)};
    trigger("addDepartmentAction");
    EXPECT_EQ(offered, "");
    EXPECT_EQ(treeNodes(), (Strings{"行政部门_01", "办公室_0101", "人事科_0102", "教学部门_02",
                                    "语文教研组_0201", "数学教研组_0202", "后勤部门_03"}));
    EXPECT_EQ(window->boxes, Strings{});
}

TEST_F(WindowDepartments, ARefusedAddSaysWhyAndAsksAgainWithWhatWasEntered) {
    startedWindow();
    clickDepartment("01");
    std::string codeAskedAgain;
    window->onDialogs = {departmentAnswer("0201", "财务科"),
                         departmentAnswer("0103", "财务科", &codeAskedAgain)};
    trigger("addDepartmentAction");

    EXPECT_EQ(window->boxes,
              Strings{"新增部门|部门代码 0201 不是上级部门 01 的代码再加两个字符（如 0101）。|16"});
    EXPECT_EQ(codeAskedAgain, "0201");
    EXPECT_EQ(selectedCode(), "0103");
    EXPECT_EQ(persons("0103"), 0);
}

TEST_F(WindowDepartments, RenameAndRemoveWorkOnTheSelectedDepartment) {
    startedWindow();
    trigger("renameDepartmentAction");
    trigger("removeDepartmentAction");
    EXPECT_EQ(window->boxes, (Strings{"修改部门名称|请先在部门树中选择要改名的部门。|0",
                                      "删除部门|请先在部门树中选择要删除的部门。|0"}));
    window->boxes.clear();

    clickDepartment("0102");
    window->onDialogs = {departmentAnswer(nullptr, "组织人事科")};
    trigger("renameDepartmentAction");
    EXPECT_EQ(selectedCode(), "0102");
    EXPECT_EQ(treeNodes()[2], "组织人事科_0102");

    window->answers = {false, true};
    trigger("removeDepartmentAction");
    EXPECT_EQ(treeNodes().size(), 5u) << "not removed without a yes";
    trigger("removeDepartmentAction");
    EXPECT_EQ(window->questions, (Strings{"删除部门|删除部门 组织人事科（0102）吗？",
                                          "删除部门|删除部门 组织人事科（0102）吗？"}));
    EXPECT_EQ(treeNodes(),
              (Strings{"行政部门_01", "办公室_0101", "教学部门_02", "语文教研组_0201"}));
    EXPECT_EQ(window->selectedDepartment(), -1);
    EXPECT_EQ(window->boxes, Strings{});
}

TEST_F(WindowDepartments, ADepartmentThatHoldsSomethingIsKeptWithTheReason) {
    startedWindow();
    addPerson("甲", "0201");
    clickDepartment("0201");
    window->answers = {true};
    trigger("removeDepartmentAction");
    clickDepartment("02");
    window->answers = {true};
    trigger("removeDepartmentAction");

    EXPECT_EQ(window->boxes,
              (Strings{"删除部门|部门 0201（语文教研组）还有 1 人（甲），不能删除。|16",
                       "删除部门|部门 02（教学部门）下还有部门 0201（语文教研组），不能删除；"
                       "请先删除这些部门。|16"}));
    EXPECT_EQ(treeNodes().size(), 5u);
}

TEST_F(WindowDepartments, RemovingTheLastDepartmentEmptiesTheTree) {
    { QSqlQuery(otherProgram()).exec(QStringLiteral("delete from dm_jg where jgdm <> '01'")); }
    startedWindow();
    clickDepartment("01");
    window->answers = {true};
    trigger("removeDepartmentAction");
    EXPECT_EQ(treeNodes(), Strings{});
    EXPECT_EQ(window->boxes, Strings{});
}

} // namespace
