// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/GbkBytes.h"
#include "support/TempOffice.h"

using namespace wb;
using namespace wb::test;
using Strings = std::vector<std::string>;

namespace {

const std::vector<std::string> kTitles = {"姓名",
                                          "出生年月",
                                          "参加工作时间",
                                          "个人身份",
                                          "不计算工龄的大专以上学龄（年）",
                                          "学历",
                                          "执行基本工资对应职务",
                                          "从2006年开始的考核情况"};

class DependentRecords : public TempOffice {
protected:
    void SetUp() override {
        TempOffice::SetUp();
        if (IsSkipped())
            return;
        codes("本科=21\n大专=31\n硕士=11\n馆员=3601\n科员=0999\n技工1级=5555\n优秀=1\n合格=2\n"
              "年优秀=3");
    }
    // One person with a work date, college years and the three multi-line cells.
    void person(const std::string& workDate, const std::string& years, const std::string& education,
                const std::string& posts = "", const std::string& assessments = "") {
        sheet =
            MemorySheet({kTitles, {"甲", "", workDate, "", years, education, posts, assessments}});
        if (workDate.empty()) // no work date at all: a text that is no date
            sheet.setText(2, 3, "不详");
        run();
    }
    Strings education() { return rows("select xxxs, xlrq, xldm, dzysxl from ryxl order by id"); }
    Strings appointments() { return rows("select rzrq, gzzwdm, gwzwdm from ryrz order by id"); }
    Strings assessments() { return rows("select khnd, khjg from rykh order by id"); }

    // Makes the database refuse assessments of `year`; its reason names "no_<year>".
    void refuseAssessmentsOf(int year) {
        const std::string name = "no_" + std::to_string(year);
        if (database->kind() == Backend::Sqlite)
            exec("create trigger " + name + " before insert on rykh when new.khnd = " +
                 std::to_string(year) + " begin select raise(abort, '" + name + "'); end");
        else
            exec("alter table rykh add constraint " + name + " check (khnd <> " +
                 std::to_string(year) + ")");
    }
    // The error lines with a refusal's reason cut down to the refusal's name: each engine
    // words its reasons in its own way.
    Strings briefErrors() {
        Strings brief;
        for (const std::string& line : ui.errors) {
            const std::size_t refusal = line.find("no_");
            brief.push_back(
                refusal == std::string::npos
                    ? line
                    : line.substr(0, line.find(':', line.find(':', line.find(':') + 1) + 1) + 1) +
                          line.substr(refusal, 7));
        }
        return brief;
    }
};

using DependentRecordsOnEachEngine = OnEachBackend<DependentRecords>;
WB_ON_EACH_BACKEND(DependentRecordsOnEachEngine);

} // namespace

TEST_F(DependentRecords, LineBreakVariantsAndEmptyLines) {
    for (const char* cell : {"1990.07本科\n\n1995.07硕士", "1990.07本科\r\n\r\n1995.07硕士",
                             "1990.07本科\r\r1995.07硕士\r\n"}) {
        exec("delete from ryxl");
        person("", "", cell);
        EXPECT_EQ(education(), (Strings{"在职|1990-07-01|21|NULL", "在职|1995-07-01|11|NULL"}))
            << cell;
        EXPECT_TRUE(ui.errors.empty());
    }
}

TEST_F(DependentRecords, EducationTextIsTakenByBytesUntrimmed) {
    person("2000-01-01", "", "1990.07\n1990.07 本科\n1990.7本科\n1990-07本科\n1990.07本科  ");
    EXPECT_TRUE(education().empty());
    // A single-digit month takes the text's first byte: the month clamps, the text is cut.
    const std::string cut = gbkToUtf8(byteRange(gbk("1990.7本科"), 8, 27));
    EXPECT_EQ(ui.errors,
              (Strings{"学历:甲:", "学历:甲: 本科", "学历:甲:" + cut, "学历:甲:本科  "}));
}

TEST_F(DependentRecords, EducationDatesAreClamped) {
    person("", "", "1899.00本科\n2101.13大专\n1990.13本科");
    EXPECT_EQ(education(), (Strings{"在职|1900-01-01|21|NULL", "在职|2100-12-01|31|NULL",
                                    "在职|1990-12-01|21|NULL"}));
}

TEST_F(DependentRecords, FullTimeUpToTheMonthWorkStarted) {
    for (const char* workDate : {"1990-07-15", "1990-07-01"}) {
        exec("delete from ryxl");
        person(workDate, "", "1990.07本科\n1990.08硕士");
        EXPECT_EQ(education(), (Strings{"全日制|1990-07-01|21|NULL", "在职|1990-08-01|11|NULL"}))
            << workDate;
    }
}

TEST_F(DependentRecords, CollegeYearsGoOntoTheLastFullTimeLineInCellOrder) {
    person("1995-09-01", "3.05", "1993.07本科\n1990.07大专\n1998.01硕士");
    EXPECT_EQ(education(), (Strings{"全日制|1993-07-01|21|NULL", "全日制|1990-07-01|31|3",
                                    "在职|1998-01-01|11|NULL"}));
}

TEST_F(DependentRecords, NoWorkDateOrNoYearsMeansNoUpdate) {
    person("", "3", "1990.07本科");
    EXPECT_EQ(education(), Strings{"在职|1990-07-01|21|NULL"});
    exec("delete from ryxl");
    person("1995-09-01", "0.06", "1990.07本科");
    EXPECT_EQ(education(), Strings{"全日制|1990-07-01|21|NULL"});
}

TEST_F(DependentRecords, AppointmentCodesFromTheCodeFileAndTheGradeTables) {
    person("", "", "",
           "2006.07 管理8级\n2006.06 管理8级\n2008.03 馆员\n2005.03馆员\n2010.01 科员\n"
           "2007.01 技术2级\n \t2009.01 技术2级 \t\n2009-01 馆员\n2009.01\n2011.01 技工1级");
    EXPECT_EQ(appointments(),
              (Strings{"2006-07-01|1001|0108", "2008-03-01|3601|0301", "2005-03-01|3601|",
                       "2010-01-01|0999|", "2007-01-01|2101|0202", "2009-01-01|2101|0202",
                       "2011-01-01|5555|"}));
    EXPECT_EQ(ui.errors, (Strings{"职务:甲:管理8级", "职务:甲:"}));
}

TEST_F(DependentRecords, AssessmentLines) {
    person("", "", "", "",
           "2007 优秀\n2007合格\n2007年优秀\n2007.优秀\n1899优秀\n2101优秀\n1900 优秀\n"
           "2100 优秀\n199x优秀\n2008\n2007 优秀");
    EXPECT_EQ(assessments(), (Strings{"2007|1", "2007|2", "2007|3", "1900|1", "2100|1", "2007|1"}));
    EXPECT_EQ(ui.errors, (Strings{"考核:甲:.优秀", "考核:甲:"}));
}

TEST_F(DependentRecords, QuotesAreStoredAsTheyAreAndBareCodesMustBeNumbers) {
    codes("本科=2'1\n优秀=A1\n合格=2");
    person("", "", "1990.07本科", "", "2007优秀\n2008合格");
    EXPECT_EQ(education(), Strings{"在职|1990-07-01|2'1|NULL"});
    EXPECT_EQ(assessments(), Strings{"2008|2"});
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_EQ(ui.errors[0].rfind("考核:甲:2007优秀:", 0), 0u) << ui.errors[0];
}

TEST_P(DependentRecordsOnEachEngine, ARejectedStatementIsReportedAndTheRowGoesOn) {
    refuseAssessmentsOf(2009);
    person("", "", "1990.07本科", "", "2008 优秀\n2009 优秀\n2010 合格");
    EXPECT_EQ(assessments(), (Strings{"2008|1", "2010|2"}));
    EXPECT_EQ(education().size(), 1u);
    EXPECT_EQ(briefErrors(), Strings{"考核:甲:2009 优秀:no_2009"});
}

TEST_P(DependentRecordsOnEachEngine, RefusalsKeepTheirPlaceAmongTheRowsOtherLines) {
    refuseAssessmentsOf(2009);
    refuseAssessmentsOf(2011);
    sheet = MemorySheet(
        {kTitles,
         {"甲", "", "", "", "", "", "", "2008 优秀\n2009 优秀\n2010 未知\n2011 合格\n2012 合格"},
         {"乙", "", "", "", "", "1990.07博士", "", "2009 合格"}});
    for (const bool overwrite : {false, true}) {
        ui.errors.clear();
        run("01", overwrite);
        EXPECT_EQ(briefErrors(),
                  (Strings{"考核:甲:2009 优秀:no_2009", "考核:甲:未知", "考核:甲:2011 合格:no_2011",
                           "学历:乙:博士", "考核:乙:2009 合格:no_2009"}))
            << (overwrite ? "overwrite" : "append");
        EXPECT_EQ(rows("select khnd, khjg from rykh order by mid, id"),
                  (Strings{"2008|1", "2012|2"}));
    }
}

TEST_F(DependentRecords, AnOddYearNeverReachesTheUpdateUnquoted) {
    // "199#" is no year but sorts between 1900 and 2100, and before the work year 1995.
    person("1995-09-01", "2", "199#.07本科");
    EXPECT_TRUE(education().empty());
    ASSERT_EQ(ui.errors.size(), 2u);
    EXPECT_EQ(ui.errors[0].rfind("学历:甲:199#.07本科:", 0), 0u) << ui.errors[0];
    EXPECT_EQ(ui.errors[1], "学历:甲:199#-07-1:不是日期");
}
