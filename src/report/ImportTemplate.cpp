// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/ImportTemplate.h"

#include "data/Query.h"
#include "import/PersonRecord.h"
#include "import/Titles.h"
#include "report/XlsxFile.h"
#include "text/Encoding.h"
#include "text/GbkText.h"

#include <algorithm>
#include <set>
#include <utility>

namespace wb {

namespace {

constexpr const char* kStaffSheet = "人员";
constexpr const char* kHelpSheet = "填写说明";
constexpr const char* kCodeSheet = "代码";
// Drop-down lists and column formats reach down to the sheet's last row.
constexpr lxw_row_t kLastRow = LXW_ROW_MAX - 1;

// How a column's cells are formatted: as they come, as text (so that "01" or an 18-digit
// number stays as typed), as dates, or as wrapped text of several lines.
enum class Form { General, Text, Date, Lines };

struct TemplateColumn {
    const Gbk& title;
    Form form;
    double width;
    const char* help;           // what the column holds, for 填写说明
    const CodedColumn* list;    // the coded column whose drop-down list it gets
    const char* note = nullptr; // the note on its title: the lines' format, an example
};

// The columns in their order: the required ones first, then the others as the import
// reads them. 工作时间 is left out: it would stand beside 参加工作时间, which the layout
// check requires, and silently win over it when both are filled. The seniority adjustment
// is spelt with wide parentheses, as 不计算工龄的大专以上学龄（年） must be.
const std::vector<TemplateColumn>& templateColumns() {
    static const std::vector<TemplateColumn> kColumns = {
        {titles::kName, Form::General, 10,
         "人员的姓名。姓名为空的行是数据的结尾，它下面的行都不导入。", nullptr},
        {titles::kBirthDate, Form::Date, 12,
         "出生日期，如 1972-03-15；只知年月时写 1972-03（记为当月 1 日）。", nullptr},
        {titles::kWorkStart, Form::Date, 12,
         "参加工作的日期，写法同出生年月。学历不晚于参加工作的年月为全日制，否则为在职。", nullptr},
        {titles::kPersonalStatus, Form::General, 10, "个人身份，如 干部、工人，照原样保存。",
         nullptr},
        {titles::kSerial, Form::General, 6, "编号，照原样保存。", nullptr},
        {titles::kIdCard, Form::Text, 20, "身份证号。本列是文本格式，18 位数字不会变成科学记数法。",
         nullptr},
        {titles::kSeniorityAdjustment[1], Form::General, 10,
         "工龄调整的月数，整数；填 6 时保存为 -6。不调整时不填。", nullptr},
        {titles::kSex, Form::Text, 6,
         "从下拉列表中选。只有 1 开头的文字和 2 会翻译成代码保存，其他文字（如 男）不保存。",
         &coded::kSex},
        {titles::kEthnicGroup, Form::Text, 8,
         "民族名称，从下拉列表中选，翻译成代码保存；直接写数字代码（如 01）时照原样保存。",
         &coded::kEthnicGroup},
        {titles::kDeductedYears, Form::General, 12, "扣减的年数，整数。", nullptr},
        {titles::kWageCategory, Form::Text, 10,
         "从下拉列表中选；代码文件中没有的文字列入错误信息，不保存。", &coded::kWageCategory},
        {titles::kPerformanceCategory, Form::Text, 12,
         "从下拉列表中选；代码文件中没有的文字列入错误信息，不保存。",
         &coded::kPerformanceCategory},
        {titles::kCollegeYears, Form::General, 12,
         "不计算工龄的大专以上学龄：年数，小数点后两位是月数，如 2.06 为 2 年 6 个月。", nullptr},
        {titles::kEducation, Form::Lines, 24,
         "每行一项：4 位年份、点、2 位月份，紧接学历名称，不加空格，如 2003.06本科。"
         "学历名称须是代码文件中的文字（见工作表“代码”），否则列入错误信息，不保存。",
         nullptr,
         "每行一项：年.月紧接学历名称\n月份写两位，中间不加空格\n例：\n1994.07本科\n"
         "2003.06研究生"},
        {titles::kAppointments, Form::Lines, 24,
         "每行一项：4 位年份、点、2 位月份、空格、职务名称，如 1997.07 科员。职务名称须是代码"
         "文件中的文字；2006 年 7 月及以后的任职也可写岗位等级，如 2010.01 管理6级。",
         nullptr,
         "每行一项：年.月 空格 职务\n2006.07 起也可写岗位等级\n例：\n1997.07 科员\n"
         "2010.01 管理6级"},
        {titles::kAssessments, Form::Lines, 18,
         "每行一年：4 位年份、空格、考核结果，如 2007 合格。考核结果须是代码文件中的文字。",
         nullptr, "每行一年：年份 空格 考核结果\n例：\n2006 优秀\n2007 合格"},
    };
    return kColumns;
}

bool isRequired(const Gbk& title) {
    return std::any_of(titles::kRequired.begin(), titles::kRequired.end(),
                       [&title](const Gbk* required) { return *required == title; });
}

// The codes the office's database holds in a column of ryjbxx.
std::set<Gbk> storedCodes(Office& office, const char* field) {
    Query query(office.connection);
    query.setText("select distinct "_ascii + Gbk::ascii(field) + " as code from ryjbxx"_ascii);
    query.open();
    std::set<Gbk> codes;
    for (; !query.eof(); query.next())
        if (Gbk code = trim(query.fieldText("code")); !code.empty())
            codes.insert(std::move(code));
    return codes;
}

// The texts a coded column's drop-down list offers (see writeImportTemplate).
std::vector<Gbk> listTexts(const CodedColumn& column, const CodeTable& codeMap,
                           const std::set<Gbk>& stored) {
    std::vector<Gbk> all, used;
    for (const auto& [text, code] : codeMap.entries()) {
        if (code.empty() || !column.looksUp(text))
            continue;
        all.push_back(text);
        if (stored.contains(code))
            used.push_back(text);
    }
    return used.empty() ? all : used;
}

// The formats the sheets use, made once per workbook.
struct Formats {
    explicit Formats(XlsxFile& file)
        : bold(file.addFormat()), text(file.addFormat()), date(file.addFormat()),
          lines(file.addFormat()), wrapped(file.addFormat()) {
        format_set_bold(bold);
        format_set_num_format(text, "@");
        format_set_num_format(date, "yyyy-mm-dd");
        format_set_num_format(lines, "@");
        format_set_text_wrap(lines);
        format_set_align(lines, LXW_ALIGN_VERTICAL_TOP);
        format_set_text_wrap(wrapped);
        format_set_align(wrapped, LXW_ALIGN_VERTICAL_TOP);
    }
    lxw_format* of(Form form) const {
        switch (form) {
        case Form::Text:
            return text;
        case Form::Date:
            return date;
        case Form::Lines:
            return lines;
        case Form::General:
            break;
        }
        return nullptr;
    }
    lxw_format *bold, *text, *date, *lines, *wrapped;
};

// The hidden sheet 代码: the code file's texts and the grade names with their codes in
// columns A to C, then each drop-down list in a column of its own from E on. Gives the
// lists' ranges, by column of the template ("" for a column without a list).
std::vector<std::string> writeCodeSheet(XlsxFile& file, const Formats& formats, Office& office,
                                        ImportTemplateContents& contents) {
    lxw_worksheet* sheet = file.addSheet(kCodeSheet);
    static const Gbk kFromCodeFile = gbk("代码文件 dm.txt");
    static const Gbk kFromGrades = gbk("岗位等级（2006 年 7 月起的职务）");
    lxw_row_t row = 0;
    const auto put = [&](int column, const Gbk& text, lxw_format* format = nullptr) {
        file.check(worksheet_write_string(sheet, row, static_cast<lxw_col_t>(column),
                                          cellString(text).c_str(), format),
                   "写入工作表“代码”");
    };
    put(0, gbk("文字"), formats.bold);
    put(1, gbk("代码"), formats.bold);
    put(2, gbk("来源"), formats.bold);
    for (const auto& [text, code] : office.codeMap.entries()) {
        if (code.empty())
            continue;
        ++row;
        put(0, text);
        put(1, code);
        put(2, kFromCodeFile);
        ++contents.codeTexts;
    }
    std::vector<std::pair<Gbk, Gbk>> grades(office.tables.PositionGradeNameToCode.entries().begin(),
                                            office.tables.PositionGradeNameToCode.entries().end());
    std::sort(grades.begin(), grades.end(),
              [](const auto& a, const auto& b) { return a.second < b.second; });
    for (const auto& [name, code] : grades) {
        ++row;
        put(0, name);
        put(1, code);
        put(2, kFromGrades);
        ++contents.gradeNames;
    }
    file.check(worksheet_set_column(sheet, 0, 0, 16, formats.text), "设置列宽");
    file.check(worksheet_set_column(sheet, 1, 1, 8, formats.text), "设置列宽");
    file.check(worksheet_set_column(sheet, 2, 2, 30, nullptr), "设置列宽");

    std::vector<std::string> ranges;
    int listColumn = 4;
    for (const TemplateColumn& column : templateColumns()) {
        if (!column.list) {
            ranges.emplace_back();
            continue;
        }
        const std::vector<Gbk> texts =
            listTexts(*column.list, office.codeMap, storedCodes(office, column.list->field));
        row = 0;
        put(listColumn, column.title, formats.bold);
        for (const Gbk& text : texts) {
            ++row;
            put(listColumn, text);
        }
        file.check(worksheet_set_column(sheet, static_cast<lxw_col_t>(listColumn),
                                        static_cast<lxw_col_t>(listColumn), 14, formats.text),
                   "设置列宽");
        ranges.push_back(
            texts.empty()
                ? std::string()
                : sheetReference(
                      kCodeSheet,
                      cellName({2, listColumn + 1}, true) + ":" +
                          cellName({static_cast<int>(texts.size()) + 1, listColumn + 1}, true)));
        if (!texts.empty())
            contents.lists.push_back({column.title, texts.size()});
        ++listColumn;
    }
    worksheet_hide(sheet);
    return ranges;
}

void addList(XlsxFile& file, lxw_worksheet* sheet, int column, const std::string& range) {
    static const std::string kTitle = "不在下拉列表中";
    static const std::string kMessage =
        "这个文字不在下拉列表中，导入时可能查不到代码而不能保存。仍要使用它吗？";
    const std::string formula = "=" + range;
    lxw_data_validation validation{};
    validation.validate = LXW_VALIDATION_TYPE_LIST_FORMULA;
    validation.value_formula = const_cast<char*>(formula.c_str());
    validation.error_type = LXW_VALIDATION_ERROR_TYPE_WARNING;
    validation.error_title = const_cast<char*>(kTitle.c_str());
    validation.error_message = const_cast<char*>(kMessage.c_str());
    file.check(worksheet_data_validation_range(sheet, 1, static_cast<lxw_col_t>(column), kLastRow,
                                               static_cast<lxw_col_t>(column), &validation),
               "设置下拉列表");
}

void writeStaffSheet(XlsxFile& file, lxw_worksheet* sheet, const Formats& formats,
                     const std::vector<std::string>& listRanges) {
    const std::vector<TemplateColumn>& columns = templateColumns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const TemplateColumn& column = columns[i];
        const auto c = static_cast<lxw_col_t>(i);
        file.check(worksheet_set_column(sheet, c, c, column.width, formats.of(column.form)),
                   "设置列格式");
        file.check(
            worksheet_write_string(sheet, 0, c, cellString(column.title).c_str(), formats.bold),
            "写入标题");
        if (column.note) {
            lxw_comment_options options{};
            options.width = 220;
            options.height = 130;
            file.check(worksheet_write_comment_opt(sheet, 0, c, column.note, &options), "写入批注");
        }
        if (!listRanges[i].empty())
            addList(file, sheet, static_cast<int>(i), listRanges[i]);
    }
    // The titles stay in view, and so do the names.
    worksheet_freeze_panes(sheet, 1, 1);
}

void writeHelpSheet(XlsxFile& file, lxw_worksheet* sheet, const Formats& formats) {
    static const Gbk kRequired = gbk("必填"), kOptional = gbk("可不填");
    lxw_row_t row = 0;
    const auto put = [&](int column, const std::string& utf8, lxw_format* format) {
        file.check(worksheet_write_string(sheet, row, static_cast<lxw_col_t>(column), utf8.c_str(),
                                          format),
                   "写入工作表“填写说明”");
    };
    put(0, "列标题", formats.bold);
    put(1, "是否必填", formats.bold);
    put(2, "填写说明", formats.bold);
    for (const TemplateColumn& column : templateColumns()) {
        ++row;
        put(0, cellString(column.title), formats.wrapped);
        put(1, cellString(isRequired(column.title) ? kRequired : kOptional), nullptr);
        put(2, column.help, formats.wrapped);
    }
    row += 2;
    for (const char* line : {
             "第一行的标题不要改动，也不要在标题之间留空列；不用的列可以空着。",
             "学历、职务、考核各列在一个单元格中写多行：单元格内换行按 Alt+Enter。",
             "只用“参加工作时间”一列，不要另加“工作时间”列（两列都有时导入只取“工作时间”）。",
             "下拉列表和隐藏的工作表“代码”中的文字取自本办公室的代码文件，导入时能翻译成代码。",
         }) {
        put(0, line, nullptr);
        ++row;
    }
    file.check(worksheet_set_column(sheet, 0, 0, 28, nullptr), "设置列宽");
    file.check(worksheet_set_column(sheet, 1, 1, 10, nullptr), "设置列宽");
    file.check(worksheet_set_column(sheet, 2, 2, 80, nullptr), "设置列宽");
    worksheet_freeze_panes(sheet, 1, 0);
}

} // namespace

ImportTemplateContents writeImportTemplate(Office& office, const std::string& path) {
    ImportTemplateContents contents;
    contents.columns = templateColumns().size();
    XlsxFile file(path);
    const Formats formats(file);
    // The staff sheet comes first and is the one a spreadsheet program opens on.
    lxw_worksheet* staff = file.addSheet(kStaffSheet);
    lxw_worksheet* help = file.addSheet(kHelpSheet);
    const std::vector<std::string> listRanges = writeCodeSheet(file, formats, office, contents);
    writeStaffSheet(file, staff, formats, listRanges);
    writeHelpSheet(file, help, formats);
    worksheet_activate(staff);
    file.save();
    return contents;
}

std::optional<ImportTemplateContents> makeImportTemplate(Office& office, UserInterface& ui,
                                                         const std::string& path) {
    static const Gbk kNoCodeFile =
        gbk("没有生成导入模板：模板的下拉列表和代码表取自代码文件 dm.txt，它须能读取且是 GBK 编码");
    if (!office.loadCodeFile(ui)) {
        ui.showMessage(kNoCodeFile, gbk("错误"), kStopMessage);
        return std::nullopt;
    }
    ImportTemplateContents contents = writeImportTemplate(office, path);
    ui.addRunLog(templateSummary(contents, path));
    return contents;
}

Gbk templateSummary(const ImportTemplateContents& contents, const std::string& path) {
    std::string line = "已生成导入模板 " + path + "：" + std::to_string(contents.columns) +
                       " 列；代码 " + std::to_string(contents.codeTexts) + " 条、岗位等级 " +
                       std::to_string(contents.gradeNames) + " 个；下拉列表：";
    if (contents.lists.empty())
        line += "无";
    for (std::size_t i = 0; i < contents.lists.size(); ++i)
        line += (i > 0 ? "、" : "") + gbkToUtf8(contents.lists[i].title) + " " +
                std::to_string(contents.lists[i].texts) + " 项";
    return utf8ToGbk(line);
}

} // namespace wb
