// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/PersonRecord.h"
#include "support/GbkBytes.h"
#include "support/TempOffice.h"

using namespace wb;
using namespace wb::test;
using Strings = std::vector<std::string>;

namespace {
class PersonRecord : public TempOffice {
protected:
    // One data row under the required titles plus `title`, holding `value` in that column.
    std::string importOne(const std::string& title, const std::string& value,
                          const std::string& column) {
        sheet = MemorySheet(
            {{"姓名", "出生年月", "参加工作时间", "个人身份", title}, {"甲", "", "", "", value}});
        run();
        return one("select " + column + " from ryjbxx");
    }
};
} // namespace

TEST(CollegeYears, DigitsAfterThePointAreMonths) {
    struct Case {
        const char* text;
        std::int32_t years, months;
    };
    const Case cases[] = {
        {"2.06", 2, 30}, {"1.15", 1, 27}, {"0.03", 0, 3},   {"1.1", 1, 22},
        {"3", 3, 36},    {"0.5", 0, 50},  {"2.069", 2, 30}, {"-1.5", -1, -62},
        {"0", 0, 0},     {"", 0, 0},      {"abc", 0, 0},    {"99999999999", 0, 0},
    };
    for (const Case& c : cases) {
        const CollegeYears result = collegeYears(gbk(c.text));
        EXPECT_EQ(result.wholeYears, c.years) << c.text;
        EXPECT_EQ(result.months, c.months) << c.text;
    }
}

TEST_F(PersonRecord, SeniorityAdjustmentIsNegatedUnderAllFourSpellings) {
    for (const char* title : {"工龄调整(月）", "工龄调整（月）", "工龄调整(月)", "工龄调整（月)"}) {
        exec("delete from ryjbxx");
        EXPECT_EQ(importOne(title, "6", "kjgl"), "-6") << title;
    }
    for (const char* value : {"0", "6.5", "六"}) {
        exec("delete from ryjbxx");
        EXPECT_EQ(importOne("工龄调整（月)", value, "kjgl"), "NULL") << value;
    }
}

TEST_F(PersonRecord, SexIsCodedOnlyForTextsFromOneToTwo) {
    codes("1=男性\n2=女性\n10=x\n男=no");
    const std::pair<const char*, const char*> cases[] = {
        {"1", "男性"}, {"2", "女性"}, {"10", "x"}, {"男", "NULL"}, {"3", "NULL"}, {"", "NULL"}};
    for (const auto& [value, stored] : cases) {
        exec("delete from ryjbxx");
        EXPECT_EQ(importOne("性别", value, "xb"), stored) << value;
    }
}

TEST_F(PersonRecord, EthnicGroupIsCodedWhenItIsAName) {
    codes("汉族=01");
    const std::pair<const char*, const char*> cases[] = {
        {"01", "01"}, {"汉族", "01"}, {"回族", ""}, {"", ""}};
    for (const auto& [value, stored] : cases) {
        exec("delete from ryjbxx");
        EXPECT_EQ(importOne("民族", value, "mz"), stored) << value;
    }
}

TEST_F(PersonRecord, DatesAreIsoTextAndAnEmptyCellIsTheZeroDate) {
    sheet = MemorySheet({{"姓名", "出生年月", "参加工作时间", "个人身份"},
                         {"空", "", "", ""},
                         {"文本", "1970-3", "1990年7月", ""},
                         {"不详", "不详", "", ""}});
    sheet.set(5, 1, CellValue::ofText(gbk("数字")));
    sheet.set(5, 2, CellValue::ofDate(25569));
    sheet.set(5, 3, CellValue::ofNumber(33055));
    run();
    EXPECT_EQ(rows("select xm, csny, gzsj from ryjbxx order by id"),
              (Strings{"空|1899-12-30|1899-12-30", "文本|1970-03-01|1990-07-01",
                       "不详|NULL|1899-12-30", "数字|1970-01-01|1990-07-01"}));
}

TEST_F(PersonRecord, UnknownCategoriesAreListedAndThePersonIsStillStored) {
    codes("在编=1");
    sheet =
        MemorySheet({{"姓名", "出生年月", "参加工作时间", "个人身份", "工资类别", "绩效工资类别"},
                     {"甲", "", "", "", "在编", "临时"},
                     {"乙", "", "", "", "外聘", ""}});
    run();
    EXPECT_EQ(rows("select xm, sylb, ltxlb from ryjbxx order by id"),
              (Strings{"甲|1|NULL", "乙|NULL|NULL"}));
    EXPECT_EQ(ui.errors, (Strings{"绩效工资类别:甲:临时", "工资类别:乙:外聘"}));
}

TEST_F(PersonRecord, NumbersAndDeliveredValuesKeepTheirText) {
    sheet = MemorySheet({{"姓名", "出生年月", "参加工作时间", "个人身份", "序号", "身份证号",
                          "扣减从1993年到2006年除见习期外年度考订不计考核等不合格年限",
                          "不计算工龄的大专以上学龄（年）"},
                         {"甲", "", "", "干部", "", "110101199001011234", "2", "2.06"}});
    sheet.set(2, 5, CellValue::ofNumber(12));
    run();
    EXPECT_EQ(one("select bh, sfzh, grsf, kjtgnf, dzysxl from ryjbxx"),
              "12|110101199001011234|干部|2|30");
}

TEST_F(PersonRecord, ARecordTheDatabaseRejectsIsReportedAndDiscarded) {
    exec("create trigger refuse before insert on ryjbxx when new.xm = '坏' "
         "begin select raise(abort, 'refused by the office'); end");
    codes("本科=21");
    sheet = MemorySheet({{"姓名", "出生年月", "参加工作时间", "个人身份", "学历"},
                         {"坏", "", "", "", "1990.07本科"},
                         {"好", "", "", "", "1991.07本科"}});
    EXPECT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(rows("select xm from ryjbxx"), Strings{"好"});
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_EQ(ui.errors[0].rfind("人员:坏:", 0), 0u) << ui.errors[0];
    EXPECT_NE(ui.errors[0].find("refused by the office"), std::string::npos);
    // The rejected row's education is not attached to anyone.
    EXPECT_EQ(rows("select r.xlrq from ryxl r join ryjbxx p on p.id = r.mid"),
              Strings{"1991-07-01"});
    EXPECT_EQ(one("select count(*) from ryxl"), "1");
    EXPECT_EQ(ui.runLog, (Strings{"XLS相配置!准备导入", "坏", "好"}));
}

TEST_F(PersonRecord, EachPersonsRecordsCarryItsOwnKey) {
    codes("本科=21");
    sheet = MemorySheet({{"姓名", "出生年月", "参加工作时间", "个人身份", "学历"},
                         {"甲", "", "", "", "1990.07本科"},
                         {"乙", "", "", "", "1991.07本科"}});
    run();
    EXPECT_EQ(rows("select p.xm, r.xlrq from ryxl r join ryjbxx p on p.id = r.mid order by r.id"),
              (Strings{"甲|1990-07-01", "乙|1991-07-01"}));
    EXPECT_EQ(one("select count(distinct id) from ryjbxx"), "2");
}

TEST_F(PersonRecord, APersonWhoseKeyCannotBeHandedOnIsNotKept) {
    exec("insert into ryjbxx (id, xm) values (2147483647, '最后')");
    codes("本科=21");
    sheet = MemorySheet({{"姓名", "出生年月", "参加工作时间", "个人身份", "学历"},
                         {"甲", "", "", "", "1990.07本科"}});
    EXPECT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(rows("select xm from ryjbxx"), Strings{"最后"});
    EXPECT_EQ(one("select count(*) from ryxl"), "0");
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_EQ(ui.errors[0].rfind("人员:甲:", 0), 0u) << ui.errors[0];
}
