// SPDX-License-Identifier: GPL-3.0-or-later
#include "refdata/DeptTree.h"
#include "support/GbkBytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace wb;
using test::bytes;

namespace {

// Records as the department query yields them: code and name, the rest left at defaults.
std::vector<DepartmentRecord>
departments(std::initializer_list<std::pair<std::string, std::string>> rows) {
    std::vector<DepartmentRecord> records;
    int id = 1;
    for (const auto& [code, name] : rows) {
        DepartmentRecord record;
        record.id = id++;
        record.jgdm = bytes(code);
        record.jgmc = bytes(name);
        records.push_back(record);
    }
    return records;
}

// The tree as indented lines of node text, in pre-order, one level of indent per depth.
void outline(const DeptTree& tree, int node, int depth, std::vector<std::string>& lines) {
    lines.push_back(std::string(2 * depth, ' ') + tree.nodes()[node].text.bytes());
    for (int child : tree.nodes()[node].children)
        outline(tree, child, depth + 1, lines);
}

std::vector<std::string> outline(const DeptTree& tree) {
    std::vector<std::string> lines;
    for (int root : tree.roots())
        outline(tree, root, 0, lines);
    return lines;
}

using Lines = std::vector<std::string>;

struct ShapeCase {
    const char* name;
    std::vector<DepartmentRecord> records;
    Lines expected;
};

class DeptTreeShape : public ::testing::TestWithParam<ShapeCase> {};

} // namespace

TEST_P(DeptTreeShape, BuildsNodesFromCodes) {
    DeptTree tree;
    ASSERT_TRUE(tree.fill(GetParam().records));
    EXPECT_EQ(outline(tree), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, DeptTreeShape,
    ::testing::Values(
        ShapeCase{
            "TwoLevels",
            departments({{"01", "A"}, {"02", "B"}, {"0101", "A1"}, {"0102", "A2"}, {"0201", "B1"}}),
            {"A_01", "  A1_0101", "  A2_0102", "B_02", "  B1_0201"}},
        ShapeCase{"ThreeLevels",
                  departments({{"01", "A"},
                               {"0101", "A1"},
                               {"0102", "A2"},
                               {"010201", "A21"},
                               {"010101", "A11"}}),
                  {"A_01", "  A1_0101", "    A11_010101", "  A2_0102", "    A21_010201"}},
        ShapeCase{"ParentMissing",
                  departments({{"01", "A"}, {"0101", "A1"}, {"0301", "C1"}, {"030101", "C11"}}),
                  {"A_01", "  A1_0101"}},
        ShapeCase{
            "OddLengthsNeverPlaced",
            departments(
                {{"01", "A"}, {"010", "X"}, {"0101", "A1"}, {"01011", "Y"}, {"010101", "A11"}}),
            {"A_01", "  A1_0101", "    A11_010101"}},
        ShapeCase{"TrailingBlankIsPartOfTheCode",
                  departments({{"01", "A"}, {"0101 ", "A1"}, {"0102", "A2"}}),
                  {"A_01", "  A2_0102"}},
        ShapeCase{"EmptyCodeEndsRootPass",
                  departments({{"", "E"}, {"01", "A"}, {"02", "B"}, {"0101", "A1"}}),
                  {}},
        ShapeCase{
            "OneByteCodeEndsRootPass", departments({{"1", "E"}, {"01", "A"}, {"0101", "A1"}}), {}},
        ShapeCase{"RootPassStopsAtFirstLongerCode",
                  // Out of order input: "03" after a four-byte code is no root and finds
                  // no parent.
                  departments({{"01", "A"}, {"0101", "A1"}, {"03", "C"}, {"0301", "C1"}}),
                  {"A_01", "  A1_0101"}},
        ShapeCase{
            "DuplicateCodesBothPlacedChildrenUnderFirst",
            departments(
                {{"01", "A"}, {"01", "A'"}, {"0101", "A1"}, {"0101", "A1'"}, {"010101", "A11"}}),
            {"A_01", "  A1_0101", "    A11_010101", "  A1'_0101", "A'_01"}},
        ShapeCase{
            "ListOrderNotCodeOrder",
            // The tree keeps the order it is given; sorting is the query's job.
            departments({{"02", "B"}, {"01", "A"}, {"01", "A'"}, {"0201", "B1"}, {"0102", "A2"}}),
            {"B_02", "  B1_0201", "A_01", "  A2_0102", "A'_01"}},
        ShapeCase{"ChineseNamesKeptAsBytes",
                  departments({{"01", "\xC8\xCB\xCA\xC2"}, {"0101", "\xB2\xC6\xCE\xF1"}}),
                  {"\xC8\xCB\xCA\xC2_01", "  \xB2\xC6\xCE\xF1_0101"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DeptTree, RecordsAndNodesReferToEachOther) {
    DeptTree tree;
    ASSERT_TRUE(tree.fill(departments({{"01", "A"}, {"02", "B"}, {"0101", "A1"}, {"0401", "D1"}})));
    ASSERT_EQ(tree.departmentCount(), 4);
    for (int i = 0; i < tree.departmentCount(); ++i) {
        const DepartmentRecord& record = tree.records()[i];
        EXPECT_EQ(record.codeLength, static_cast<int>(record.jgdm.size()));
        if (record.jgdm == "0401"_ascii) {
            EXPECT_EQ(record.node, -1);
            continue;
        }
        ASSERT_GE(record.node, 0) << record.jgdm.bytes();
        EXPECT_EQ(tree.nodes()[record.node].record, i);
    }
    const DeptNode& child = tree.nodes()[tree.records()[2].node];
    EXPECT_EQ(tree.records()[tree.nodes()[child.parent].record].jgdm, "01");
}

TEST(DeptTree, EmptyLoadLeavesListAndTreeAsTheyWere) {
    DeptTree tree;
    ASSERT_TRUE(tree.fill(departments({{"01", "A"}, {"0101", "A1"}})));
    const Lines before = outline(tree);

    EXPECT_FALSE(tree.fill({}));
    EXPECT_EQ(tree.departmentCount(), 2);
    EXPECT_EQ(outline(tree), before);
}

TEST(DeptTree, RefillReplacesEverything) {
    DeptTree tree;
    ASSERT_TRUE(tree.fill(departments({{"01", "A"}, {"0101", "A1"}, {"0102", "A2"}})));
    ASSERT_TRUE(tree.fill(departments({{"02", "B"}})));
    EXPECT_EQ(tree.departmentCount(), 1);
    EXPECT_EQ(outline(tree), Lines{"B_02"});
    EXPECT_EQ(tree.nodes().size(), 1u);
}

TEST(DeptTree, DepartmentCodeIsTrimmed) {
    DeptTree tree;
    ASSERT_TRUE(tree.fill(departments({{" 01\t", "A"}, {"02", "B"}})));
    EXPECT_EQ(tree.departmentCode(0), "01");
    EXPECT_EQ(tree.departmentCode(1), "02");
    // The untrimmed code is what the tree compares: " 01\t" is four bytes, so no root.
    EXPECT_EQ(outline(tree), Lines{});
}
