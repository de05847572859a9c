// SPDX-License-Identifier: GPL-3.0-or-later
// The import command without its process: the refusals a terminal run makes before the
// import, the code file, and the exit status, on a real workbook in a temporary office.

#include "import/ImportCommand.h"
#include "support/TempOffice.h"

#include <filesystem>

using namespace wb;
using namespace wb::test;
using Strings = std::vector<std::string>;

namespace {

class ImportCommand : public TempOffice {
protected:
    void SetUp() override {
        TempOffice::SetUp();
        folder->copyFixture("import/gap.xls");
        folder->copyFixture("import/dm.txt");
    }
    int command(const std::string& department, const std::string& workbook = "gap.xls") {
        return runImportCommand(ImportRequest{gbk(department), workbook, false}, ui);
    }
};

} // namespace

TEST_F(ImportCommand, ACompletedRunExitsWithZero) {
    EXPECT_EQ(command("0101"), kImportCompleted);
    EXPECT_EQ(ui.runLog, (Strings{"XLS相配置!准备导入", "甲", "乙"}));
    EXPECT_EQ(ui.errors, Strings{});
    EXPECT_EQ(ui.boxes, Strings{"提示|数据导入成功!|0"});
    EXPECT_EQ(rows("select bm, xm from ryjbxx order by id"), (Strings{"0101|甲", "0101|乙"}));
}

TEST_F(ImportCommand, AnAbortedRunStillCompletes) {
    ui.onEvents = [](RecordingUi& u) {
        u.abort = true;
    };
    EXPECT_EQ(command("01"), kImportCompleted);
    EXPECT_EQ(ui.boxes, (Strings{"提示|用户中止!|0", "提示|数据导入成功!|0"}));
    EXPECT_EQ(one("select count(*) from ryjbxx"), "1");
}

TEST_F(ImportCommand, ADepartmentIsFoundByItsTrimmedCode) {
    exec("insert into dm_jg (upid, px, jgdm, jgmc, jgjb) values (0, 9, ' 03 ', '丙', '1')");
    EXPECT_EQ(command("03"), kImportCompleted);
    EXPECT_EQ(rows("select distinct bm from ryjbxx"), Strings{"03"});
}

TEST_F(ImportCommand, RefusalsExitWithOneAndWriteNothing) {
    EXPECT_EQ(command("99"), kImportFailed);
    EXPECT_EQ(ui.boxes, Strings{"错误| 请选择部门!|16"});
    EXPECT_EQ(ui.errors, Strings{"没有部门 99：dm_jg 中没有这个部门代码（wagebook-dept list "
                                 "列出已有的部门）"});
    EXPECT_EQ(command("0"), kImportFailed) << "a prefix of a code is no department";
    EXPECT_EQ(command("01", "missing.xls"), kImportFailed);
    EXPECT_EQ(ui.boxes.back(), "失败|未选择导入文件!|0");
    EXPECT_EQ(ui.runLog, Strings{}) << "no run began";
    EXPECT_EQ(one("select count(*) from ryjbxx"), "0");

    ui.boxes.clear();
    office.reset();
    std::filesystem::remove("wagebook.mdb");
    EXPECT_EQ(command("01"), kImportFailed);
    EXPECT_EQ(ui.boxes, Strings{"文件丢失错误|文件(wagebook.dat)丢失,或运行目录不正确!|0"});
    EXPECT_FALSE(std::filesystem::exists("wagebook.mdb"));
}

TEST_F(ImportCommand, TheCodeFileIsReadBeforeTheRun) {
    std::filesystem::remove("dm.txt");
    EXPECT_EQ(command("01"), kImportCompleted);
    EXPECT_EQ(ui.errors, Strings{"代码文件dm.txt不存在"});
}

TEST_F(ImportCommand, AnUnreadableDepartmentTableIsAnError) {
    exec("drop table dm_jg");
    EXPECT_THROW(command("01"), Error);
    EXPECT_EQ(ui.boxes, Strings{});
}
