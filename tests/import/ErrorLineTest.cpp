// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/ErrorLine.h"
#include "support/GbkBytes.h"
#include "support/TempFolder.h"
#include "support/TempOffice.h"
#include "text/Encoding.h"
#include "text/Error.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

using namespace wb;
using namespace wb::test;

TEST(ErrorLine, ShowsAsTheErrorListHasAlwaysShownIt) {
    const struct {
        ErrorLine line;
        const char* shown;
    } cases[] = {
        {{gbk("学历"), gbk("甲"), gbk("博士"), {}}, "学历:甲:博士"},
        {{gbk("学历"), gbk("甲"), {}, {}}, "学历:甲:"},
        {{gbk("考核"), gbk("甲"), gbk("2007优秀"), gbk("结果代码不是数字 x")},
         "考核:甲:2007优秀:结果代码不是数字 x"},
        {{gbk("人员"), gbk("甲"), {}, gbk("值太长")}, "人员:甲:值太长"},
        {ErrorLine::plain(gbk("代码文件dm.txt不存在")), "代码文件dm.txt不存在"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(gbkToUtf8(c.line.line()), c.shown);
}

TEST(ErrorLine, TheCsvQuotesWhatItMustAndNeverHoldsAFormula) {
    const std::string csv = errorListCsv({
        {gbk("学历"), gbk("甲"), gbk("博士"), {}},
        {gbk("职务"), gbk("乙,丙"), gbk("说\"是\"\n第二行"), {}},
        {gbk("工资类别"), gbk("=HYPERLINK(\"x\")"), gbk("-1"), gbk("+2")},
        ErrorLine::plain(gbk("代码文件dm.txt不存在")),
    });
    EXPECT_EQ(csv, "\xEF\xBB\xBF"
                   "类别,姓名,内容,原因\r\n"
                   "学历,甲,博士,\r\n"
                   "职务,\"乙,丙\",\"说\"\"是\"\"\n第二行\",\r\n"
                   "工资类别,\"'=HYPERLINK(\"\"x\"\")\",'-1,'+2\r\n"
                   ",,代码文件dm.txt不存在,\r\n");
}

TEST(ErrorLine, TheCsvFileIsWrittenWholeOrNotAtAll) {
    TempFolder folder;
    const std::string path = (folder.path() / "errors.csv").string();
    writeErrorListCsv(path, {{gbk("学历"), gbk("甲"), gbk("博士"), {}}});
    std::stringstream written;
    written << std::ifstream(path, std::ios::binary).rdbuf();
    EXPECT_EQ(written.str(), errorListCsv({{gbk("学历"), gbk("甲"), gbk("博士"), {}}}));
    EXPECT_THROW(writeErrorListCsv((folder.path() / "missing" / "errors.csv").string(), {}), Error);
}

namespace {

// An import whose rows give every kind of error-list line.
class ErrorLineKinds : public TempOffice {};

} // namespace

TEST_F(ErrorLineKinds, EachLineNamesItsCellAndWhyWhileItShowsAsBefore) {
    exec("create trigger refuse_person before insert on ryjbxx when new.xm = '坏' "
         "begin select raise(abort, 'no_person'); end");
    exec("create trigger refuse_2009 before insert on rykh when new.khnd = 2009 "
         "begin select raise(abort, 'no_2009'); end");
    codes("本科=21\n科员=1101\n优秀=1\n在编=1\n岗位绩效=1\n优良=A1");
    sheet = MemorySheet(
        {{"姓名", "出生年月", "参加工作时间", "个人身份", "工资类别", "绩效工资类别", "学历",
          "执行基本工资对应职务", "从2006年开始的考核情况"},
         {"甲", "", "", "", "外聘", "岗位绩效 ", "1990.07本科\n2016.06博士\n2003.6本科\n1999.01",
          "2005.01 管理8级\n2007.01 处长", "2007 良好\n2008 优良\n2009 优秀"},
         {"坏", "", "", "", "", "", "", "", ""}});
    run();
    const struct {
        const char* shown;
        CellPosition cell;
        const char* cause; // in cause()
    } expected[] = {
        {"工资类别:甲:外聘", {2, 5}, "代码文件中没有“外聘”这一工资类别"},
        {"绩效工资类别:甲:岗位绩效 ",
         {2, 6},
         "代码文件中没有“岗位绩效 ”这一绩效工资类别（文字前后多了空格）"},
        {"学历:甲:博士", {2, 7}, "代码文件中没有“博士”这一学历"},
        // The one-digit month shifts the education text by a byte.
        {nullptr, {2, 7}, "日期要写成 4 位年份、点、2 位月份，如 2003.06"},
        {"学历:甲:", {2, 7}, "没有写学历"},
        {"职务:甲:管理8级", {2, 8}, "“管理8级”是岗位等级，岗位等级只用于 2006 年 7 月及以后的任职"},
        {"职务:甲:处长", {2, 8}, "代码文件中没有“处长”这一职务，也不是岗位等级（如 管理8级）"},
        {"考核:甲:良好", {2, 9}, "代码文件中没有“良好”这一考核结果"},
        {"考核:甲:2008 优良:结果代码不是数字 A1", {2, 9}, "结果代码不是数字 A1"},
        {"考核:甲:2009 优秀:", {2, 9}, "no_2009"},
        {"人员:坏:", {3, 1}, "no_person"},
    };
    ASSERT_EQ(ui.errorLines.size(), std::size(expected)) << ::testing::PrintToString(ui.errors);
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const ErrorLine& line = ui.errorLines[i];
        if (expected[i].shown) {
            EXPECT_EQ(ui.errors[i].substr(0, std::strlen(expected[i].shown)), expected[i].shown);
        }
        EXPECT_EQ(line.cell, expected[i].cell) << ui.errors[i];
        EXPECT_NE(gbkToUtf8(line.cause()).find(expected[i].cause), std::string::npos)
            << ui.errors[i] << " | " << gbkToUtf8(line.cause());
        // The explanation is for the tables only: the shown line never carries it.
        if (!line.explanation.empty()) {
            EXPECT_EQ(ui.errors[i].find(gbkToUtf8(line.explanation)), std::string::npos);
        }
    }
}

TEST_F(ErrorLineKinds, ACodeFileProblemComesFromNoCellButSaysWhatItMeans) {
    office->loadCodeFile(ui); // no dm.txt in the folder
    ASSERT_EQ(ui.errorLines.size(), 1u);
    EXPECT_EQ(ui.errors[0], "代码文件dm.txt不存在");
    EXPECT_EQ(ui.errorLines[0].cell, CellPosition{});
    EXPECT_FALSE(ui.errorLines[0].cause().empty());
    EXPECT_NE(errorListCsv(ui.errorLines).find(gbkToUtf8(ui.errorLines[0].cause())),
              std::string::npos);
}
