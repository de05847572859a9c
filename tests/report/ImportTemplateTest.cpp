// SPDX-License-Identifier: GPL-3.0-or-later
// The import template read back: by our own reader (what the import sees) and by openpyxl
// (what our reader does not read: lists, notes, hidden sheets, frozen panes).

#include "report/ImportTemplate.h"
#include "import/TitleColumnMap.h"
#include "support/TempOffice.h"
#include "support/XlsxProbe.h"
#include "xls/WorkbookFile.h"

#include <QRegularExpression>

#include <map>

using namespace wb;
using namespace wb::test;
using Strings = std::vector<std::string>;

namespace {

// Every title the import understands, the required ones first; one spelling of the
// seniority adjustment, and 工作时间 left out (参加工作时间 stands for it).
const Strings kTemplateTitles = {"姓名",
                                 "出生年月",
                                 "参加工作时间",
                                 "个人身份",
                                 "序号",
                                 "身份证号",
                                 "工龄调整（月）",
                                 "性别",
                                 "民族",
                                 "扣减从1993年到2006年除见习期外年度考订不计考核等不合格年限",
                                 "工资类别",
                                 "绩效工资类别",
                                 "不计算工龄的大专以上学龄（年）",
                                 "学历",
                                 "执行基本工资对应职务",
                                 "从2006年开始的考核情况"};

class ImportTemplate : public TempOffice {
protected:
    // The cells of rows from `first` on, columns 1..columns, "|"-joined, up to an empty row.
    static Strings sheetRows(const Sheet& sheet, int first, int columns) {
        Strings rows;
        for (int row = first;; ++row) {
            std::string line;
            bool empty = true;
            for (int column = 1; column <= columns; ++column) {
                const std::string text = gbkToUtf8(cellText(sheet.cell(row, column)));
                empty = empty && text.empty();
                line += (column > 1 ? "|" : "") + text;
            }
            if (empty)
                return rows;
            rows.push_back(line);
        }
    }

    // The texts each drop-down list offers, by its column's title, from the cells of the
    // list range each validation names.
    static std::map<std::string, Strings> lists(const QJsonObject& dump) {
        const QJsonObject staff = dumpedSheet(dump, "人员");
        const QJsonObject codes = dumpedSheet(dump, "代码")[QStringLiteral("cells")].toObject();
        const QJsonObject titles = staff[QStringLiteral("cells")].toObject();
        static const QRegularExpression range(
            QStringLiteral("^'代码'!\\$([A-Z]+)\\$(\\d+):\\$([A-Z]+)\\$(\\d+)$"));
        std::map<std::string, Strings> result;
        for (const QJsonValue& value : staff[QStringLiteral("validations")].toArray()) {
            const QJsonObject validation = value.toObject();
            EXPECT_EQ(validation[QStringLiteral("type")].toString(), QStringLiteral("list"));
            EXPECT_EQ(validation[QStringLiteral("errorStyle")].toString(),
                      QStringLiteral("warning"));
            const QString sqref = validation[QStringLiteral("sqref")].toString();
            const QString column = sqref.left(1);
            EXPECT_EQ(sqref, column + QStringLiteral("2:") + column + QStringLiteral("1048576"));
            const auto match = range.match(validation[QStringLiteral("formula1")].toString());
            EXPECT_TRUE(match.hasMatch())
                << validation[QStringLiteral("formula1")].toString().toStdString();
            Strings& texts = result[utf8(titles[column + QStringLiteral("1")])];
            for (int row = match.captured(2).toInt(); row <= match.captured(4).toInt(); ++row)
                texts.push_back(utf8(codes[match.captured(1) + QString::number(row)]));
        }
        return result;
    }
};

// The codes a column holds come from the office's database, of either kind.
using ImportTemplateOnEachEngine = OnEachBackend<ImportTemplate>;
WB_ON_EACH_BACKEND(ImportTemplateOnEachEngine);

} // namespace

TEST_F(ImportTemplate, ItsTitlesAndItsCodeSheetReadBackWithOurOwnReader) {
    codes("1=1\n2=2\n汉族=01\n本科=21\n外聘=\n管理8级=7777");
    const ImportTemplateContents contents = writeImportTemplate(*office, "模板.xlsx");
    EXPECT_EQ(contents.columns, kTemplateTitles.size());

    const XlsSheet sheet = openWorkbookActiveSheet("模板.xlsx");
    EXPECT_EQ(sheetRows(sheet, 1, 17), Strings{[] {
                  std::string line;
                  for (const std::string& title : kTemplateTitles)
                      line += title + "|";
                  return line;
              }()});
    TitleColumnMap titles;
    titles.scan(sheet);
    EXPECT_TRUE(titles.layoutMatches());

    // The hidden sheet, made active in a copy so that our reader reads it: the code file's
    // texts that have a code, in byte order, then the grade names by their code.
    activateSheet("模板.xlsx", 2, folder->path() / "codes.xlsx");
    const Strings rows = sheetRows(openWorkbookActiveSheet("codes.xlsx"), 1, 3);
    ASSERT_EQ(rows.size(), 1 + 5 + 29u);
    EXPECT_EQ(Strings(rows.begin(), rows.begin() + 6),
              (Strings{"文字|代码|来源", "1|1|代码文件 dm.txt", "2|2|代码文件 dm.txt",
                       "本科|21|代码文件 dm.txt", "管理8级|7777|代码文件 dm.txt",
                       "汉族|01|代码文件 dm.txt"}));
    EXPECT_EQ(rows[6], "管理1级|0101|岗位等级（2006 年 7 月起的职务）");
    EXPECT_EQ(rows.back(), "普工|0401|岗位等级（2006 年 7 月起的职务）");
    EXPECT_EQ(contents.codeTexts, 5u);
    EXPECT_EQ(contents.gradeNames, 29u);
}

TEST_F(ImportTemplate, ItIsLaidOutForAClerkToFillIn) {
    if (const std::string reason = withoutOpenpyxl(); !reason.empty())
        GTEST_SKIP() << reason;
    codes("1=1\n2=2\n汉族=01");
    writeImportTemplate(*office, "模板.xlsx");
    const QJsonObject dump = dumpXlsx(folder->path() / "模板.xlsx");

    Strings sheets;
    for (const QJsonValue& sheet : dump[QStringLiteral("sheets")].toArray())
        sheets.push_back(utf8(sheet[QStringLiteral("name")]) + " " +
                         utf8(sheet[QStringLiteral("state")]));
    EXPECT_EQ(sheets, (Strings{"人员 visible", "填写说明 visible", "代码 hidden"}));
    EXPECT_EQ(utf8(dump[QStringLiteral("active")]), "人员");

    const QJsonObject staff = dumpedSheet(dump, "人员");
    EXPECT_EQ(utf8(staff[QStringLiteral("freeze")]), "B2"); // the titles and the names
    const QJsonArray bold = staff[QStringLiteral("bold")].toArray();
    EXPECT_EQ(bold.size(), static_cast<qsizetype>(kTemplateTitles.size()));
    const QJsonObject formats = staff[QStringLiteral("formats")].toObject();
    EXPECT_EQ(utf8(formats[QStringLiteral("B")]), "yyyy-mm-dd"); // 出生年月
    EXPECT_EQ(utf8(formats[QStringLiteral("C")]), "yyyy-mm-dd"); // 参加工作时间
    EXPECT_EQ(utf8(formats[QStringLiteral("F")]), "@");          // 身份证号 stays text
    // The multi-line columns' titles carry the lines' format and an example.
    const QJsonObject notes = staff[QStringLiteral("notes")].toObject();
    EXPECT_EQ(notes.keys(),
              (QStringList{QStringLiteral("N1"), QStringLiteral("O1"), QStringLiteral("P1")}));
    EXPECT_NE(utf8(notes[QStringLiteral("N1")]).find("1994.07本科"), std::string::npos);
    EXPECT_NE(utf8(notes[QStringLiteral("O1")]).find("2010.01 管理6级"), std::string::npos);
    EXPECT_NE(utf8(notes[QStringLiteral("P1")]).find("2007 合格"), std::string::npos);

    // 填写说明: a row per column, the four required ones marked.
    const QJsonObject help = dumpedSheet(dump, "填写说明")[QStringLiteral("cells")].toObject();
    for (std::size_t i = 0; i < kTemplateTitles.size(); ++i) {
        const QString row = QString::number(i + 2);
        EXPECT_EQ(utf8(help[QStringLiteral("A") + row]), kTemplateTitles[i]);
        EXPECT_EQ(utf8(help[QStringLiteral("B") + row]), i < 4 ? "必填" : "可不填");
        EXPECT_FALSE(utf8(help[QStringLiteral("C") + row]).empty());
    }
}

TEST_P(ImportTemplateOnEachEngine, TheListsOfferOnlyTextsTheImportTranslates) {
    if (const std::string reason = withoutOpenpyxl(); !reason.empty())
        GTEST_SKIP() << reason;
    codes("1=1\n2=2\n10=9\n01=01\n男=1\n汉族=01\n回族=03\n在编=1\n聘用=2\n外聘=");
    // The database already holds sex 1, wage category 2, and a performance category no text
    // of the code file has.
    exec("insert into ryjbxx (xm, xb, sylb, ltxlb) values ('甲', '1', '2', 'zz')");
    writeImportTemplate(*office, "模板.xlsx");
    const std::map<std::string, Strings> expected = {
        // Only "1" to "2" is coded, and only "1" has the stored code 1: never 男.
        {"性别", {"1"}},
        // Names only ("01" would be stored as it is); no code stored yet: all of them.
        {"民族", {"汉族", "回族", "男", "聘用", "在编"}},
        {"工资类别", {"2", "聘用"}},
        // None of the stored codes has a text: every text with a code, in byte order.
        {"绩效工资类别", {"01", "1", "10", "2", "汉族", "回族", "男", "聘用", "在编"}},
    };
    EXPECT_EQ(lists(dumpXlsx(folder->path() / "模板.xlsx")), expected);
}

TEST_P(ImportTemplateOnEachEngine, FilledFromItsListsItImportsWithoutAnErrorLine) {
    if (const std::string reason = withoutOpenpyxl(); !reason.empty())
        GTEST_SKIP() << reason;
    codes("1=1\n2=2\n汉族=01\n在编=1\n岗位绩效=1\n本科=21\n研究生=11\n办事员=1201\n优秀=1\n"
          "合格=2");
    writeImportTemplate(*office, "模板.xlsx");
    const std::map<std::string, Strings> offered = lists(dumpXlsx(folder->path() / "模板.xlsx"));
    const auto first = [&offered](const char* title) {
        return QString::fromStdString(offered.at(title).at(0));
    };
    // One valid value per column; the birth date typed into the date column as a clerk types
    // it (the day number, in the column's format), the work date as openpyxl writes a date.
    const QJsonObject row{
        {QStringLiteral("姓名"), QStringLiteral("李明")},
        {QStringLiteral("出生年月"),
         QJsonObject{{QStringLiteral("typed"), QStringLiteral("1972-03-15")}}},
        {QStringLiteral("参加工作时间"),
         QJsonObject{{QStringLiteral("date"), QStringLiteral("1994-07-01")}}},
        {QStringLiteral("个人身份"), QStringLiteral("干部")},
        {QStringLiteral("序号"), 7},
        {QStringLiteral("身份证号"), QStringLiteral("110101197203150017")},
        {QStringLiteral("工龄调整（月）"), 6},
        {QStringLiteral("性别"), first("性别")},
        {QStringLiteral("民族"), first("民族")},
        {QStringLiteral("扣减从1993年到2006年除见习期外年度考订不计考核等不合格年限"), 1},
        {QStringLiteral("工资类别"), first("工资类别")},
        {QStringLiteral("绩效工资类别"), first("绩效工资类别")},
        {QStringLiteral("不计算工龄的大专以上学龄（年）"), 2.06},
        {QStringLiteral("学历"), QStringLiteral("1994.07本科\n2003.06研究生")},
        {QStringLiteral("执行基本工资对应职务"), QStringLiteral("1994.07 办事员\n2010.01 管理6级")},
        {QStringLiteral("从2006年开始的考核情况"), QStringLiteral("2006 优秀\n2007 合格")},
    };
    fillXlsx(folder->path() / "模板.xlsx", folder->path() / "填好.xlsx", QJsonArray{row});

    // Our reader gives the typed day number as a date: the column's format says so.
    EXPECT_EQ(openWorkbookActiveSheet("填好.xlsx").cell(2, 2).kind, CellValue::Kind::Date);

    const ImportRequest request{gbk("01"), "填好.xlsx", false};
    EXPECT_EQ(office->import(request, ui), RunOutcome::Completed);
    EXPECT_EQ(ui.errors, Strings{});
    const std::string person =
        one("select xm || '|' || csny || '|' || gzsj || '|' || grsf || '|' || bh || '|' || sfzh || "
            "'|' || kjgl || '|' || xb || '|' || mz || '|' || kjtgnf || '|' || sylb || '|' || "
            "ltxlb || '|' || dzysxl from ryjbxx");
    const auto code = [&](const char* title) {
        return office->codeMap.lookup(gbk(first(title).toStdString())).bytes();
    };
    EXPECT_EQ(person, "李明|1972-03-15|1994-07-01|干部|7|110101197203150017|-6|" + code("性别") +
                          "|" + code("民族") + "|1|" + code("工资类别") + "|" +
                          code("绩效工资类别") + "|30");
    EXPECT_EQ(one("select count(*) from ryxl"), "2");
    EXPECT_EQ(one("select count(*) from ryrz"), "2");
    EXPECT_EQ(one("select count(*) from rykh"), "2");
}

TEST_F(ImportTemplate, WithoutACodeFileNoTemplateIsWritten) {
    EXPECT_FALSE(makeImportTemplate(*office, ui, "模板.xlsx").has_value());
    EXPECT_FALSE(std::filesystem::exists("模板.xlsx"));
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[1].rfind("错误|没有生成导入模板", 0), 0u) << ui.boxes[1];
}
