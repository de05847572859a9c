// SPDX-License-Identifier: GPL-3.0-or-later
// A workbook checked: a dry run, then a copy with exactly the faulty cells marked.

#include "report/WorkbookCheck.h"
#include "report/ImportTemplate.h"
#include "support/TempOffice.h"
#include "support/XlsxProbe.h"

#include <set>

using namespace wb;
using namespace wb::test;
using Strings = std::vector<std::string>;

namespace {

class WorkbookCheckTest : public TempOffice {
protected:
    void SetUp() override {
        TempOffice::SetUp();
        if (IsSkipped())
            return;
        if (const std::string reason = withoutOpenpyxl(); !reason.empty())
            GTEST_SKIP() << reason;
        codes("本科=21\n研究生=11\n科员=1101\n优秀=1\n合格=2\n在编=1\n岗位绩效=1");
    }

    // A workbook filled into the template: `rows` of title -> value.
    std::filesystem::path workbook(const QJsonArray& rows) {
        writeImportTemplate(*office, "模板.xlsx");
        fillXlsx(folder->path() / "模板.xlsx", folder->path() / "部门.xlsx", rows);
        return folder->path() / "部门.xlsx";
    }

    WorkbookCheck check(const std::filesystem::path& file) {
        ImportRequest request;
        request.workbookPath = file.string();
        return checkWorkbook(request, *office, ui, "检查.xlsx");
    }

    static std::set<std::string> keys(const QJsonObject& object) {
        std::set<std::string> result;
        for (const QString& key : object.keys())
            result.insert(key.toStdString());
        return result;
    }
};

QJsonObject row(std::initializer_list<std::pair<const char*, QJsonValue>> cells) {
    QJsonObject object;
    for (const auto& [title, value] : cells)
        object.insert(QString::fromUtf8(title), value);
    return object;
}

// The check is the import's dry run, on either kind of database.
using WorkbookCheckOnEachEngine = OnEachBackend<WorkbookCheckTest>;
WB_ON_EACH_BACKEND(WorkbookCheckOnEachEngine);

} // namespace

TEST_P(WorkbookCheckOnEachEngine, SeededFaultsMarkExactlyTheirCells) {
    const QJsonObject date{{QStringLiteral("date"), QStringLiteral("1970-01-02")}};
    const std::filesystem::path file = workbook({
        row({{"姓名", QStringLiteral("甲")},
             {"出生年月", date},
             {"序号", 1},
             {"工资类别", QStringLiteral("在编")},
             {"学历", QStringLiteral("1990.07本科")},
             {"从2006年开始的考核情况", QStringLiteral("2007 优秀")}}),
        row({{"姓名", QStringLiteral("乙")},
             {"工资类别", QStringLiteral("外聘")},
             {"学历", QStringLiteral("1990.07本科\n2016.06博士\n2003.6本科")},
             {"执行基本工资对应职务", QStringLiteral("2005.01 管理8级")},
             {"从2006年开始的考核情况", QStringLiteral("2007 良好")}}),
        row({{"姓名", QStringLiteral("丙")}, {"绩效工资类别", QStringLiteral("岗位绩效 ")}}),
    });
    const WorkbookCheck result = check(file);
    ASSERT_TRUE(result.written);
    EXPECT_EQ(result.errorLines, 6u);
    EXPECT_EQ(result.markedCells, 5u);
    EXPECT_EQ(result.counts.persons, 3);
    EXPECT_EQ(one("select count(*) from ryjbxx"), "0"); // a dry run: nothing stays
    EXPECT_EQ(ui.runLog.back(), "检查结果：错误信息 6 条，标出单元格 5 个；已写入 检查.xlsx");

    const QJsonObject dump = dumpXlsx(folder->path() / "检查.xlsx");
    EXPECT_EQ(utf8(dump[QStringLiteral("active")]), "人员");
    const QJsonObject copy = dumpedSheet(dump, "人员");
    const QJsonObject fills = copy[QStringLiteral("fills")].toObject();
    EXPECT_EQ(keys(fills), (std::set<std::string>{"K3", "L4", "N3", "O3", "P3"}));
    for (const QJsonValue& fill : fills)
        EXPECT_EQ(utf8(fill), "FFFFC7CE");
    const QJsonObject notes = copy[QStringLiteral("notes")].toObject();
    EXPECT_EQ(keys(notes), keys(fills));
    EXPECT_EQ(utf8(notes[QStringLiteral("K3")]), "代码文件中没有“外聘”这一工资类别");
    // Both faulty lines of the education cell.
    EXPECT_EQ(utf8(notes[QStringLiteral("N3")]),
              "代码文件中没有“博士”这一学历\n日期要写成 4 位年份、点、2 位月份，如 2003.06");
    // The values as the import read them, dates and numbers keeping their kind.
    const QJsonObject cells = copy[QStringLiteral("cells")].toObject();
    EXPECT_EQ(utf8(cells[QStringLiteral("B2")]), "1970-01-02 00:00:00");
    EXPECT_EQ(cells[QStringLiteral("E2")].toDouble(), 1.0);
    EXPECT_EQ(utf8(cells[QStringLiteral("N3")]), "1990.07本科\n2016.06博士\n2003.6本科");

    // The list: a line per error-list line, its column linking to its cell.
    const QJsonObject results = dumpedSheet(dump, "检查结果");
    const QJsonObject lines = results[QStringLiteral("cells")].toObject();
    Strings listed;
    for (int r = 1; r <= 7; ++r) {
        std::string line;
        for (const char* column : {"A", "B", "C", "D", "E"})
            line += utf8(lines[QString::fromUtf8(column) + QString::number(r)]) + "|";
        listed.push_back(line);
    }
    EXPECT_EQ(
        listed,
        (Strings{"行|列|类别|姓名|内容|", "3|K|工资类别|乙|外聘|", "3|N|学历|乙|博士|",
                 "3|N|学历|乙|" +
                     [&] {
                         return utf8(lines[QStringLiteral("E4")]);
                     }() +
                     "|",
                 "3|O|职务|乙|管理8级|", "3|P|考核|乙|良好|", "4|L|绩效工资类别|丙|岗位绩效 |"}));
    EXPECT_EQ(utf8(lines[QStringLiteral("F5")]),
              "“管理8级”是岗位等级，岗位等级只用于 2006 年 7 月及以后的任职");
    const QJsonObject links = results[QStringLiteral("links")].toObject();
    EXPECT_EQ(utf8(links[QStringLiteral("B2")]), "'人员'!K3");
    EXPECT_EQ(utf8(links[QStringLiteral("B7")]), "'人员'!L4");
}

TEST_F(WorkbookCheckTest, AWorkbookTheImportRefusesGetsNoCopy) {
    std::filesystem::copy_file(std::filesystem::path(WB_FIXTURES) / "import" / "no_work_start.xls",
                               "no_work_start.xls");
    EXPECT_FALSE(check(folder->path() / "no_work_start.xls").written);
    EXPECT_FALSE(std::filesystem::exists("检查.xlsx"));
    EXPECT_EQ(ui.runLog.at(0), "XLS数据格式不配置!不能导入");
}

TEST_F(WorkbookCheckTest, AnAbortedCheckWritesNoCopyThatWouldLookClean) {
    const std::filesystem::path file =
        workbook({row({{"姓名", QStringLiteral("甲")}}),
                  row({{"姓名", QStringLiteral("乙")}, {"学历", QStringLiteral("2016.06博士")}})});
    ui.onEvents = [](RecordingUi& recording) {
        recording.abort = true;
    };
    EXPECT_FALSE(check(file).written);
    EXPECT_FALSE(std::filesystem::exists("检查.xlsx"));
    EXPECT_EQ(ui.runLog.back(), "检查已中止，没有写出检查结果");
}

TEST_F(WorkbookCheckTest, TheCopyNeverReplacesTheWorkbook) {
    const std::filesystem::path file = workbook({row({{"姓名", QStringLiteral("甲")}})});
    const std::string before = fileBytes(file);
    ImportRequest request;
    request.workbookPath = file.string();
    EXPECT_FALSE(checkWorkbook(request, *office, ui, "部门.xlsx").written);
    EXPECT_EQ(fileBytes(file), before);
    EXPECT_EQ(checkedCopyPath("dir/staff.xls"), "dir/staff.检查结果.xlsx");
}
