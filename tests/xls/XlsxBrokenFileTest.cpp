// SPDX-License-Identifier: GPL-3.0-or-later
// Workbook files that the program's opener refuses: each message names the file and the
// reason, exactly; zip bombs are stopped at their bound; formats the program does not read
// say what to do instead. And what the opener must read whatever the file is called.

#include "support/FileLines.h"
#include "support/OpenError.h"
#include "text/Encoding.h"
#include "text/Error.h"
#include "xls/FormatError.h"
#include "xls/WorkbookFile.h"
#include "xls/biff/XlsWorkbook.h"
#include "xls/xlsx/XlsxReader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace wb;
namespace reason = wb::xls::reason;
namespace fs = std::filesystem;
using wb::test::fileBytes;
using wb::test::unreadable;

namespace {

const fs::path kFixtures = fs::path(WB_FIXTURES);

std::string openError(const std::string& path) {
    return test::openErrorOf([&] { openWorkbookActiveSheet(path); });
}

// A copy of a fixture under another name, in a folder of its own.
class RenamedCopies : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("wb-xlsx-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string copy(const fs::path& fixture, const std::string& name) {
        fs::copy_file(fixture, dir_ / name, fs::copy_options::overwrite_existing);
        return (dir_ / name).string();
    }
    std::string write(const std::string& name, const std::string& bytes) {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
        return (dir_ / name).string();
    }
    fs::path dir_;
};

TEST(XlsxBrokenFiles, EachNamesTheFileAndTheReason) {
    const struct {
        const char* file;
        std::string reason;
    } cases[] = {
        {"truncated.xlsx", reason::kZipCut},
        {"no_workbook_part.xlsx", reason::kNoWorkbookPart},
        {"missing_workbook.xlsx", reason::partMissing("xl/workbook.xml")},
        {"missing_sheet.xlsx", reason::partMissing("xl/worksheets/sheet1.xml")},
        {"bad_xml.xlsx", reason::badXml("xl/worksheets/sheet1.xml", 1, 120, "mismatched tag")},
        {"doctype.xlsx", reason::xmlDoctype("xl/workbook.xml")},
        {"bomb_declared.xlsx", reason::partTooLarge("xl/worksheets/sheet1.xml", 256 << 20)},
        {"absurd_reference.xlsx", reason::badCellReference("XFE1")},
        {"shared_string_outside.xlsx", reason::sharedStringOutside("B1", "4000", 29)},
        {"bad_number.xlsx", reason::badNumber("C1", "12,5")},
        {"chart_active.xlsx", reason::activeSheetHasNoCells("图表")},
        {"staff.ods", reason::kOpenDocument},
        {"staff.csv", reason::kCsvText},
    };
    for (const auto& c : cases) {
        const std::string path = (kFixtures / "xlsx" / c.file).string();
        EXPECT_EQ(openError(path), unreadable(path, c.reason)) << c.file;
    }
}

TEST(XlsxBrokenFiles, AZipBombStopsAtItsBound) {
    // 3 MB of blanks in a few KB: read under the usual bounds, refused under smaller ones,
    // whichever of the part's and the package's bound it passes first.
    const std::string bomb = fileBytes(kFixtures / "xlsx" / "bomb_whitespace.xlsx");
    EXPECT_EQ(xls::readXlsxActiveSheet(bomb).lastRow(), 40);
    const struct {
        xls::InflateBounds bounds;
        std::string reason;
    } cases[] = {
        {{1 << 20, 1 << 30}, reason::partTooLarge("xl/worksheets/sheet1.xml", 1 << 20)},
        {{8 << 20, 2 << 20}, reason::packageTooLarge(2 << 20)},
    };
    for (const auto& c : cases) {
        try {
            xls::readXlsxActiveSheet(bomb, c.bounds);
            ADD_FAILURE() << c.reason << ": read";
        } catch (const xls::FormatError& e) {
            EXPECT_EQ(e.what(), c.reason);
        }
    }
}

TEST(XlsxBrokenFiles, EveryCutOfAWorkbookFailsCleanly) {
    const std::string whole = fileBytes(kFixtures / "xlsx" / "values_lo.xlsx");
    for (std::size_t size = 0; size < whole.size(); size += 37) {
        try {
            readWorkbookActiveSheet(std::string_view(whole).substr(0, size), "cut.xlsx");
            ADD_FAILURE() << size << ": read";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()).rfind("工作簿 \"cut.xlsx\" 无法读取: ", 0), 0u) << size;
        }
    }
}

TEST_F(RenamedCopies, TheContentChoosesTheReaderNotTheName) {
    const auto expectSameSheet = [](const XlsSheet& a, const XlsSheet& b, const char* name) {
        ASSERT_EQ(a.lastRow(), b.lastRow()) << name;
        ASSERT_EQ(a.lastColumn(), b.lastColumn()) << name;
        for (int row = 1; row <= a.lastRow(); ++row)
            for (int column = 1; column <= a.lastColumn(); ++column)
                EXPECT_EQ(cellText(a.cell(row, column)), cellText(b.cell(row, column)))
                    << name << " " << row << "," << column;
    };
    const fs::path xlsx = kFixtures / "xlsx" / "values_lo.xlsx";
    const fs::path xls = kFixtures / "xls" / "staff_values.xls";
    expectSameSheet(openWorkbookActiveSheet(copy(xlsx, "renamed.xls")),
                    openWorkbookActiveSheet(xlsx.string()), ".xlsx named .xls");
    expectSameSheet(openWorkbookActiveSheet(copy(xlsx, "renamed.xlsm")),
                    openWorkbookActiveSheet(xlsx.string()), ".xlsx named .xlsm");
    expectSameSheet(openWorkbookActiveSheet(copy(xls, "renamed.xlsx")),
                    openWorkbookActiveSheet(xls.string()), ".xls named .xlsx");
    // A .et file that does not read as a workbook, and text of any name.
    const struct {
        std::string path;
        std::string reason;
    } refused[] = {
        {copy(kFixtures / "xlsx" / "staff.csv", "book.ET"), reason::kEtWorkbook},
        {copy(kFixtures / "xls" / "no_workbook_stream.xls", "book.et"), reason::kEtWorkbook},
        {copy(kFixtures / "xlsx" / "staff.csv", "staff.xls"), reason::kCsvText},
        {write("tabs.txt.xlsx", "姓名\t性别\n张三\t男\n"), reason::kCsvText},
        {write("unicode.xls", std::string("\xFF\xFE\x53\x59", 4)), reason::kCsvText},
        {write("notes.csv", "no separator in this line\n"), reason::kCsvText},
        {write("page.xls", "<html><body>姓名,性别</body></html>"), reason::kNotWorkbook},
        {write("binary.xls", std::string("\x01\x02,\x03", 4)), reason::kNotWorkbook},
        {write("empty.xlsx", ""), reason::kEmpty},
        {copy(kFixtures / "xlsx" / "staff.ods", "staff.xlsx"), reason::kOpenDocument},
    };
    for (const auto& c : refused)
        EXPECT_EQ(openError(c.path), unreadable(c.path, c.reason)) << c.path;
}

} // namespace
