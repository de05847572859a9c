// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/WorkbookCheck.h"

#include "import/ImportCommand.h"
#include "refdata/Departments.h"
#include "report/XlsxFile.h"
#include "text/DateText.h"
#include "text/Encoding.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <utility>

namespace wb {

namespace {

constexpr const char* kResultSheet = "检查结果";
constexpr const char* kCopySheet = "人员";

// The user interface of the check: everything goes on to the caller's, and the error list
// and an abort are kept.
class CheckUi : public UserInterface {
public:
    explicit CheckUi(UserInterface& ui) : ui_(ui) {}

    void addRunLog(const Gbk& line) override { ui_.addRunLog(line); }
    void addError(const ErrorLine& error) override {
        lines.push_back(error);
        ui_.addError(error);
    }
    void setStatus(int panel, const Gbk& text) override { ui_.setStatus(panel, text); }
    void showMessage(const Gbk& text, const Gbk& caption, int flags) override {
        ui_.showMessage(text, caption, flags);
    }
    void processEvents() override { ui_.processEvents(); }
    void clearAbort() override { ui_.clearAbort(); }
    bool abortRequested() const override {
        aborted = aborted || ui_.abortRequested();
        return aborted;
    }
    void setProgress(int done, int total) override { ui_.setProgress(done, total); }
    std::optional<std::string> askPassword(const std::string& workbook) override {
        return ui_.askPassword(workbook);
    }

    std::vector<ErrorLine> lines;
    mutable bool aborted = false;

private:
    UserInterface& ui_;
};

using CellKey = std::pair<int, int>; // row, column

// The formats of the copy: each cell's own (date, wrapped text) plain or marked red.
struct CopyFormats {
    explicit CopyFormats(XlsxFile& file) {
        for (int marked = 0; marked < 2; ++marked) {
            for (lxw_format*& format : byKind[marked]) {
                format = file.addFormat();
                if (marked) {
                    format_set_bg_color(format, 0xFFC7CE); // light red
                    format_set_pattern(format, LXW_PATTERN_SOLID);
                }
            }
            format_set_num_format(byKind[marked][kDate], "yyyy-mm-dd");
            format_set_num_format(byKind[marked][kDateTime], "yyyy-mm-dd hh:mm:ss");
            format_set_text_wrap(byKind[marked][kWrapped]);
            format_set_align(byKind[marked][kWrapped], LXW_ALIGN_VERTICAL_TOP);
        }
        bold = file.addFormat();
        format_set_bold(bold);
        wrapped = file.addFormat();
        format_set_text_wrap(wrapped);
        format_set_align(wrapped, LXW_ALIGN_VERTICAL_TOP);
    }
    enum Kind { kPlain, kDate, kDateTime, kWrapped, kKinds };
    lxw_format* byKind[2][kKinds] = {};
    lxw_format* bold = nullptr;
    lxw_format* wrapped = nullptr;
};

bool hasLineBreak(const Gbk& text) {
    return text.view().find_first_of("\r\n") != std::string_view::npos;
}

// The widest line of a text, in GBK bytes: about the width it takes in a column, as a
// Chinese character is about twice as wide as a digit.
std::size_t lineWidth(const Gbk& text) {
    std::size_t widest = 0, current = 0;
    for (const char c : text.view()) {
        current = (c == '\r' || c == '\n') ? 0 : current + 1;
        widest = std::max(widest, current);
    }
    return widest;
}

// The active sheet as the import read it: texts, numbers, dates and booleans keep their
// kind; an error value becomes its text. Every marked cell gets the red fill and a note
// with the causes of its lines.
void writeCopy(XlsxFile& file, lxw_worksheet* sheet, const CopyFormats& formats,
               const Sheet& source, const std::map<CellKey, Gbk>& marks) {
    std::map<int, std::size_t> widths;
    std::set<CellKey> written;
    source.forEachCell([&](int row, int column, const CellValue& value) {
        const int marked = marks.contains({row, column}) ? 1 : 0;
        if (marked)
            written.insert({row, column});
        const auto r = static_cast<lxw_row_t>(row - 1);
        const auto c = static_cast<lxw_col_t>(column - 1);
        lxw_format* const* format = formats.byKind[marked];
        lxw_error error = LXW_NO_ERROR;
        switch (value.kind) {
        case CellValue::Kind::Number:
            error = worksheet_write_number(sheet, r, c, value.number, format[CopyFormats::kPlain]);
            break;
        case CellValue::Kind::Date: {
            const bool timeOfDay = value.number != std::floor(value.number);
            error = worksheet_write_number(
                sheet, r, c, value.number,
                format[timeOfDay ? CopyFormats::kDateTime : CopyFormats::kDate]);
            break;
        }
        case CellValue::Kind::Boolean:
            error = worksheet_write_boolean(sheet, r, c, value.number != 0,
                                            format[CopyFormats::kPlain]);
            break;
        case CellValue::Kind::Text:
        case CellValue::Kind::Error: {
            const Gbk text = cellText(value);
            widths[column] = std::max(widths[column], lineWidth(text));
            error = worksheet_write_string(
                sheet, r, c, cellString(text).c_str(),
                format[hasLineBreak(text) ? CopyFormats::kWrapped : CopyFormats::kPlain]);
            break;
        }
        case CellValue::Kind::Empty:
            break;
        }
        file.check(error, "写入单元格");
    });
    for (const auto& [cell, causes] : marks) {
        const auto r = static_cast<lxw_row_t>(cell.first - 1);
        const auto c = static_cast<lxw_col_t>(cell.second - 1);
        if (!written.contains(cell))
            file.check(worksheet_write_blank(sheet, r, c, formats.byKind[1][CopyFormats::kPlain]),
                       "写入单元格");
        lxw_comment_options options{};
        options.width = 260;
        options.height = 90;
        file.check(worksheet_write_comment_opt(sheet, r, c, noteString(causes).c_str(), &options),
                   "写入批注");
    }
    for (const auto& [column, width] : widths) {
        const auto c = static_cast<lxw_col_t>(column - 1);
        file.check(worksheet_set_column(
                       sheet, c, c, static_cast<double>(std::clamp<std::size_t>(width, 8, 40)) + 1,
                       nullptr),
                   "设置列宽");
    }
    worksheet_freeze_panes(sheet, 1, 0);
}

// The sheet 检查结果: a header, then the lines in the error list's order; a line from a
// cell names its row and column, the column linking to the cell.
void writeResults(XlsxFile& file, lxw_worksheet* sheet, const CopyFormats& formats,
                  const std::vector<ErrorLine>& lines) {
    const auto put = [&](lxw_row_t row, lxw_col_t column, const Gbk& text, lxw_format* format) {
        file.check(worksheet_write_string(sheet, row, column, cellString(text).c_str(), format),
                   "写入工作表“检查结果”");
    };
    const char* const headers[] = {"行", "列", "类别", "姓名", "内容", "原因"};
    for (lxw_col_t column = 0; column < 6; ++column)
        put(0, column, utf8ToGbk(headers[column]), formats.bold);
    std::size_t links = 0;
    lxw_row_t row = 0;
    for (const ErrorLine& line : lines) {
        ++row;
        if (line.cell.row > 0) {
            file.check(worksheet_write_number(sheet, row, 0, line.cell.row, nullptr), "写入行号");
            const std::string column = columnName(line.cell.column);
            // A sheet holds at most this many links; the lines after them name the cell only.
            if (links++ < LXW_MAX_NUMBER_URLS) {
                const std::string target =
                    "internal:" + sheetReference(kCopySheet, cellName(line.cell));
                file.check(worksheet_write_url_opt(sheet, row, 1, target.c_str(), nullptr,
                                                   column.c_str(), nullptr),
                           "写入链接");
            } else {
                put(row, 1, Gbk::ascii(column), nullptr);
            }
        }
        put(row, 2, line.kind, nullptr);
        put(row, 3, line.name, nullptr);
        put(row, 4, line.text, hasLineBreak(line.text) ? formats.wrapped : nullptr);
        put(row, 5, line.cause(), formats.wrapped);
    }
    const double widths[] = {6, 6, 12, 10, 30, 60};
    for (lxw_col_t column = 0; column < 6; ++column)
        file.check(worksheet_set_column(sheet, column, column, widths[column], nullptr),
                   "设置列宽");
    worksheet_freeze_panes(sheet, 1, 0);
}

// Writes the checked copy; gives the number of cells marked.
std::size_t writeCheckedCopy(const Sheet& source, const std::vector<ErrorLine>& lines,
                             const std::string& path) {
    // A cell that gave several lines (a multi-line cell) gets all their causes, one a line.
    std::map<CellKey, Gbk> marks;
    for (const ErrorLine& line : lines) {
        if (line.cell.row <= 0 || line.cell.column <= 0)
            continue;
        Gbk& causes = marks[{line.cell.row, line.cell.column}];
        if (!causes.empty())
            causes += '\n';
        causes += line.cause();
    }
    XlsxFile file(path);
    const CopyFormats formats(file);
    lxw_worksheet* results = file.addSheet(kResultSheet);
    lxw_worksheet* copy = file.addSheet(kCopySheet);
    writeResults(file, results, formats, lines);
    writeCopy(file, copy, formats, source, marks);
    // The copy is the sheet that opens, and the one an import of the fixed copy reads.
    worksheet_activate(copy);
    file.save();
    return marks.size();
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec);
}

Gbk checkSummary(const WorkbookCheck& check, const std::string& outPath) {
    std::string line = "检查结果：";
    line += check.errorLines == 0
                ? std::string("没有错误信息")
                : "错误信息 " + std::to_string(check.errorLines) + " 条，标出单元格 " +
                      std::to_string(check.markedCells) + " 个";
    return utf8ToGbk(line + "；已写入 " + outPath);
}

} // namespace

std::string checkedCopyPath(const std::string& workbookPath) {
    const std::filesystem::path workbook(workbookPath);
    return (workbook.parent_path() / (workbook.stem().string() + ".检查结果.xlsx")).string();
}

WorkbookCheck checkWorkbook(ImportRequest request, Office& office, UserInterface& ui,
                            const std::string& outPath) {
    static const Gbk kOntoItself = gbk("检查结果不能写入工作簿自己的文件，请另选文件名");
    static const Gbk kAborted = gbk("检查已中止，没有写出检查结果");
    request.dryRun = true;
    request.overwrite = false;
    WorkbookCheck check;
    if (!request.departmentCode.empty() &&
        !departmentExists(office.departmentQuery, request.departmentCode)) {
        refuseWithoutDepartment(ui);
        return check;
    }
    if (sameFile(request.workbookPath, outPath)) {
        ui.showMessage(kOntoItself, gbk("错误"), kStopMessage);
        return check;
    }
    CheckUi checkUi(ui);
    office.loadCodeFile(checkUi);
    office.lastDryRun.reset();
    // The sheet the run reads is the one copied: the workbook is read once.
    std::shared_ptr<const Sheet> sheet;
    const RunOutcome outcome =
        office.import(request, checkUi, [&sheet, &ui](const std::string& path) {
            sheet = openWorkbookSheet(
                path, [&ui](const std::string& name) { return ui.askPassword(name); });
            return sheet;
        });
    if (outcome != RunOutcome::Completed || !sheet || !office.lastDryRun)
        return check;
    check.counts = *office.lastDryRun;
    ui.addRunLog(dryRunSummary(check.counts));
    if (checkUi.aborted) {
        ui.addRunLog(kAborted);
        return check;
    }
    check.errorLines = checkUi.lines.size();
    check.markedCells = writeCheckedCopy(*sheet, checkUi.lines, outPath);
    check.written = true;
    ui.addRunLog(checkSummary(check, outPath));
    return check;
}

} // namespace wb
