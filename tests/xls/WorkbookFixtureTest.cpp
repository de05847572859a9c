// SPDX-License-Identifier: GPL-3.0-or-later
// Every fixture workbook that must open is read through the program's opener, and each cell
// of its active sheet is compared with what an independent reader read from the same file:
// xlrd for the .xls files, openpyxl for the .xlsx files (tools/make_xls_fixtures.py and
// tools/make_xlsx_fixtures.py wrote the .expected files).

#include "support/GbkBytes.h"
#include "text/Encoding.h"
#include "xls/WorkbookFile.h"
#include "xls/biff/XlsWorkbook.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <sstream>

namespace wb {
void PrintTo(const CellValue& value, std::ostream* out) {
    *out << "{kind " << static_cast<int>(value.kind) << ", number " << value.number << ", text \""
         << gbkToUtf8(value.text) << "\"}";
}
} // namespace wb

using namespace wb;

namespace {

const std::filesystem::path kFixtures = std::filesystem::path(WB_FIXTURES);

struct Expected {
    std::string sheet; // UTF-8
    int lastRow = -1;
    int lastColumn = -1;
    std::map<std::pair<int, int>, CellValue> cells;
};

std::string unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        out += next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : next;
    }
    return out;
}

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, '\t'))
        out.push_back(field);
    if (!line.empty() && line.back() == '\t')
        out.emplace_back();
    return out;
}

Expected readExpected(const std::filesystem::path& file) {
    Expected expected;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        const std::vector<std::string> f = fields(line);
        if (f[0] == "sheet") {
            expected.sheet = unescape(f.at(1));
        } else if (f[0] == "last") {
            expected.lastRow = std::stoi(f.at(1));
            expected.lastColumn = std::stoi(f.at(2));
        } else {
            const std::string& kind = f.at(2);
            const std::string& value = f.at(3);
            CellValue cell;
            if (kind == "number")
                cell = CellValue::ofNumber(std::strtod(value.c_str(), nullptr));
            else if (kind == "date")
                cell = CellValue::ofDate(std::strtod(value.c_str(), nullptr));
            else if (kind == "text")
                cell = CellValue::ofText(utf8ToGbk(unescape(value)));
            else if (kind == "boolean")
                cell = CellValue::ofBoolean(std::stoi(value) != 0);
            else if (kind == "error")
                cell = CellValue::ofError(std::stoi(value));
            else
                ADD_FAILURE() << file << ": unknown kind " << kind;
            expected.cells[{std::stoi(f[0]), std::stoi(f[1])}] = cell;
        }
    }
    return expected;
}

// "xls/name" for tests/fixtures/xls/name.xls and its name.expected, "xlsx/name" likewise.
std::vector<std::string> fixturesWithExpectations() {
    std::vector<std::string> names;
    for (const char* format : {"xls", "xlsx"})
        for (const auto& entry : std::filesystem::directory_iterator(kFixtures / format))
            if (entry.path().extension() == ".expected")
                names.push_back(std::string(format) + "/" + entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

class WorkbookFixture : public testing::TestWithParam<std::string> {};

TEST_P(WorkbookFixture, EveryCellEqualsWhatTheIndependentReaderRead) {
    const Expected expected = readExpected(kFixtures / (GetParam() + ".expected"));
    ASSERT_GE(expected.lastRow, 0) << "no 'last' line";
    const std::string format = GetParam().substr(0, GetParam().find('/'));
    const XlsSheet sheet =
        openWorkbookActiveSheet((kFixtures / (GetParam() + "." + format)).string());

    EXPECT_EQ(gbkToUtf8(sheet.name()), expected.sheet);
    EXPECT_EQ(sheet.lastRow(), expected.lastRow);
    EXPECT_EQ(sheet.lastColumn(), expected.lastColumn);
    int mismatches = 0;
    // One row and column beyond the last value, and row/column 0, must read as empty.
    for (int row = 0; row <= expected.lastRow + 1 && mismatches < 20; ++row) {
        for (int column = 0; column <= expected.lastColumn + 1; ++column) {
            const auto found = expected.cells.find({row, column});
            const CellValue want = found == expected.cells.end() ? CellValue{} : found->second;
            const CellValue got = sheet.cell(row, column);
            if (got != want) {
                ++mismatches;
                ADD_FAILURE() << "cell " << row << "," << column << ": got "
                              << testing::PrintToString(got) << ", want "
                              << testing::PrintToString(want);
            }
        }
    }
    // Walking the cells gives the same cells, each once, in row then column order.
    std::map<std::pair<int, int>, CellValue> visited;
    std::pair<int, int> previous{0, 0};
    sheet.forEachCell([&](int row, int column, const CellValue& value) {
        EXPECT_LT(previous, std::pair(row, column)) << row << "," << column;
        previous = {row, column};
        visited[{row, column}] = value;
    });
    EXPECT_EQ(visited, expected.cells);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, WorkbookFixture, testing::ValuesIn(fixturesWithExpectations()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '/', '_');
                             return name;
                         });

TEST(WorkbookFixtures, TheCasesTheReadersMustCoverAreAllThere) {
    const std::vector<std::string> names = fixturesWithExpectations();
    for (const char* name : {"xls/staff_values",      "xls/second_sheet_active",
                             "xls/dates_1904",        "xls/sst_continue",
                             "xls/sst_split",         "xls/formulas",
                             "xls/records",           "xls/mini_stream",
                             "xls/biff5_cp936",       "xls/biff5_cp936_chars",
                             "xls/sector_4096",       "xls/difat",
                             "xls/scattered_sectors", "xlsx/values",
                             "xlsx/values_lo",        "xlsx/formulas_lo",
                             "xlsx/rich_text",        "xlsx/second_sheet_active",
                             "xlsx/dates_1904",       "xlsx/strict"})
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
}

} // namespace

namespace {

// The end-to-end staff workbook as xlwt wrote it (.xls), as openpyxl wrote the same rows
// (.xlsx) and as LibreOffice saved the .xls (.xlsx): every cell reads as the same text,
// except that LibreOffice turns the CR LF line breaks it loads into LF.
TEST(WorkbookFixtures, TheStaffWorkbookReadsTheSameTextsInEveryFormat) {
    const auto lineFeeds = [](std::string text) {
        for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;)
            text.erase(at, 1);
        return text;
    };
    const std::filesystem::path folder = kFixtures / "import";
    const XlsSheet xls = openWorkbookActiveSheet((folder / "full.xls").string());
    ASSERT_GT(xls.lastRow(), 3);
    for (const auto& [name, libreOffice] :
         {std::pair{"full.xlsx", false}, {"full_lo.xlsx", true}}) {
        const XlsSheet xlsx = openWorkbookActiveSheet((folder / name).string());
        EXPECT_EQ(xlsx.name(), xls.name()) << name;
        ASSERT_EQ(xlsx.lastRow(), xls.lastRow()) << name;
        ASSERT_EQ(xlsx.lastColumn(), xls.lastColumn()) << name;
        for (int row = 1; row <= xls.lastRow(); ++row) {
            for (int column = 1; column <= xls.lastColumn(); ++column) {
                const std::string want = gbkToUtf8(cellText(xls.cell(row, column)));
                EXPECT_EQ(gbkToUtf8(cellText(xlsx.cell(row, column))),
                          libreOffice ? lineFeeds(want) : want)
                    << name << " " << row << "," << column;
            }
        }
    }
}

} // namespace
