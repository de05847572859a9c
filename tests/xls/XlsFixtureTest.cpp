// Every fixture workbook that must open is read, and each cell of its active sheet is
// compared with what xlrd, an independent reader, read from the same file
// (tools/make_xls_fixtures.py wrote the .expected files).

#include "text/Encoding.h"
#include "xls/XlsWorkbook.h"

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

const std::filesystem::path kFixtures = std::filesystem::path(WB_FIXTURES) / "xls";

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

std::vector<std::string> fixturesWithExpectations() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(kFixtures))
        if (entry.path().extension() == ".expected")
            names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

class XlsFixture : public testing::TestWithParam<std::string> {};

TEST_P(XlsFixture, EveryCellEqualsWhatTheIndependentReaderRead) {
    const Expected expected = readExpected(kFixtures / (GetParam() + ".expected"));
    ASSERT_GE(expected.lastRow, 0) << "no 'last' line";
    const auto workbook = XlsWorkbook::open((kFixtures / (GetParam() + ".xls")).string());
    const XlsSheet& sheet = workbook->activeSheet();

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
}

INSTANTIATE_TEST_SUITE_P(Fixtures, XlsFixture, testing::ValuesIn(fixturesWithExpectations()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return info.param;
                         });

TEST(XlsFixtures, TheCasesTheReaderMustCoverAreAllThere) {
    const std::vector<std::string> names = fixturesWithExpectations();
    for (const char* name : {"staff_values", "second_sheet_active", "dates_1904", "sst_continue",
                             "sst_split", "formulas", "records", "mini_stream", "biff5_cp936",
                             "sector_4096", "difat", "scattered_sectors"})
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
}

} // namespace
