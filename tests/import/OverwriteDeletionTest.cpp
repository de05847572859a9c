// SPDX-License-Identifier: GPL-3.0-or-later
// An overwrite run's deletion: its statements, the department and its subdepartments emptied
// with every dependent row of their persons, and nothing deleted before the titles are checked.

#include "import/OverwriteDeletion.h"
#include "support/TempOffice.h"

using namespace wb;
using namespace wb::test;
using Strings = std::vector<std::string>;

using OverwriteDeletion = OnEachBackend<TempOffice>;
WB_ON_EACH_BACKEND(OverwriteDeletion);

TEST(OverwriteDeletionStatements, AreTheFifteenInOrder) {
    const auto statements = overwriteDeletionStatements("0102"_ascii);
    ASSERT_EQ(statements.size(), 15u);
    EXPECT_EQ(statements[0],
              "update ryrz a,ryjbxx b set a.mid=0 where a.mid=b.id and b.bm like '0102%'");
    EXPECT_EQ(statements[1], "delete from ryrz where mid=0");
    EXPECT_EQ(statements[2],
              "update rybdrz a,ryjbxx b set a.mid=0 where a.mid=b.id and b.bm like '0102%'");
    EXPECT_EQ(statements[12],
              "update rygzbhb  a,ryjbxx b set a.mid=0 where a.mid=b.id and b.bm like '0102%'");
    EXPECT_EQ(statements[13], "delete from rygzbhb where mid=0");
    EXPECT_EQ(statements[14], "delete from ryjbxx where bm like '0102%'");
    EXPECT_EQ(overwriteDeletionStatements("0'1"_ascii)[14],
              "delete from ryjbxx where bm like '0''1%'");
}

TEST_P(OverwriteDeletion, DeletesTheDepartmentTreeAfterTheLayoutCheck) {
    storedPerson(1, "01");
    storedPerson(2, "0101");
    storedPerson(3, "010203");
    storedPerson(4, "02");
    exec("insert into ryxl (mid) values (0)");   // marked before the run
    exec("insert into rykh (mid) values (999)"); // belongs to nobody
    persons({"新人"});
    EXPECT_EQ(run("01", true), RunOutcome::Completed);
    EXPECT_EQ(ui.runLog, (Strings{"XLS相配置!准备导入", "正在删除旧数据!", "新人"}));
    EXPECT_EQ(rows("select bm, xm from ryjbxx order by id"), (Strings{"02|p4", "01|新人"}));
    EXPECT_EQ(rows("select mid from ryrz"), Strings{"4"});
    EXPECT_EQ(rows("select mid from ryxl"), Strings{"4"});
    EXPECT_EQ(rows("select mid from rykh order by mid"), (Strings{"4", "999"}));
    EXPECT_EQ(dependentRows(), 8);
}

TEST_P(OverwriteDeletion, ARejectedLayoutDeletesNothing) {
    storedPerson(7, "01");
    sheet = MemorySheet({{"姓名", "出生年月", "参加工作时间"}, {"张三"}});
    EXPECT_EQ(run("01", true), RunOutcome::EndedEarly);
    EXPECT_EQ(ui.runLog, (Strings{"XLS数据格式不配置!不能导入", "缺少标题：个人身份"}));
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(one("select count(*) from ryjbxx"), "1");
    EXPECT_EQ(dependentRows(), 7);
}

TEST_P(OverwriteDeletion, AQuoteInTheDepartmentCodeSelectsOnlyThatCode) {
    storedPerson(1, "0'1");
    storedPerson(2, "02");
    persons({"甲"});
    EXPECT_EQ(run("0'1", true), RunOutcome::Completed);
    EXPECT_EQ(rows("select bm, xm from ryjbxx order by id"), (Strings{"02|p2", "0'1|甲"}));
}
