// SPDX-License-Identifier: GPL-3.0-or-later
// The title row: titles found by their text in any order, the required four, and which
// column a title that occurs twice stands for.

#include "import/TitleColumnMap.h"
#include "support/TempOffice.h"

using namespace wb;
using namespace wb::test;
using Strings = std::vector<std::string>;

TEST(TitleColumnMap, TitlesAreFoundByTextInAnyOrder) {
    struct Case {
        const char* what;
        Strings titles;
        Strings missing; // in the order of the required titles
    };
    const Case cases[] = {
        {"reordered", {"个人身份", "参加工作时间", "姓名", "出生年月"}, {}},
        {"extra columns", {"备注", "姓名", "出生年月", "参加工作时间", "个人身份", "x"}, {}},
        {"gap before a title",
         {"姓名", "出生年月", "", "参加工作时间", "个人身份"},
         {"参加工作时间", "个人身份"}},
        {"blank before the name", {" 姓名", "出生年月", "参加工作时间", "个人身份"}, {"姓名"}},
        {"only 工作时间", {"姓名", "出生年月", "工作时间", "个人身份"}, {"参加工作时间"}},
        {"two missing, named in the required order",
         {"个人身份", "姓名", "备注"},
         {"出生年月", "参加工作时间"}},
        {"no titles", {}, {"姓名", "出生年月", "参加工作时间", "个人身份"}},
    };
    for (const Case& c : cases) {
        MemorySheet titles({c.titles});
        TitleColumnMap map;
        map.scan(titles);
        Strings missing;
        for (const Gbk& title : map.missingTitles())
            missing.push_back(gbkToUtf8(title));
        EXPECT_EQ(missing, c.missing) << c.what;
        EXPECT_EQ(map.layoutMatches(), c.missing.empty()) << c.what;
    }
}

TEST(TitleColumnMap, AScanForgetsWhatTheLastOneFound) {
    TitleColumnMap map;
    map.scan(MemorySheet({{"姓名", "出生年月", "参加工作时间", "个人身份", "学历"}}));
    EXPECT_EQ(map.column(gbk("学历")), 5);
    map.scan(MemorySheet({Strings{"学历", "姓名"}}));
    EXPECT_EQ(map.column(gbk("学历")), 1);
    EXPECT_EQ(map.column(gbk("个人身份")), 0);
    EXPECT_FALSE(map.layoutMatches());
}

using TitlesInARun = TempOffice;

TEST_F(TitlesInARun, DuplicateTitlesUseTheRightmostAndWorkTimeWins) {
    sheet =
        MemorySheet({{"序号", "姓名", "出生年月", "参加工作时间", "个人身份", "序号", "工作时间"},
                     {"1", "甲", "", "1990-01-01", "", "2", "1991-02-03"}});
    EXPECT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(one("select bh, gzsj from ryjbxx"), "2|1991-02-03");
}

TEST_F(TitlesInARun, AWorkbookLackingTitlesIsRefusedWithTheirNames) {
    sheet =
        MemorySheet({{"序号", "个人身份", "姓名", "工作时间"}, {"1", "干部", "甲", "1990-1-1"}});
    EXPECT_EQ(run(), RunOutcome::EndedEarly);
    EXPECT_EQ(ui.runLog,
              (Strings{"XLS数据格式不配置!不能导入", "缺少标题：出生年月、参加工作时间"}));
    EXPECT_EQ(ui.errors, Strings{});
    EXPECT_EQ(one("select count(*) from ryjbxx"), "0");
}
