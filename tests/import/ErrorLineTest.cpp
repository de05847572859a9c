#include "import/ErrorLine.h"
#include "support/GbkBytes.h"
#include "support/TempFolder.h"
#include "text/Encoding.h"
#include "text/Error.h"

#include <gtest/gtest.h>

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
