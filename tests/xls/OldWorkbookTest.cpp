// SPDX-License-Identifier: GPL-3.0-or-later
// Workbooks of the versions before BIFF5, saved as a bare record stream with no compound file
// around it: refused with what to do instead, while a bare stream of a later version reads.

#include "support/FileLines.h"
#include "support/OpenError.h"
#include "text/Error.h"
#include "xls/FormatError.h"
#include "xls/WorkbookFile.h"
#include "xls/biff/CompoundFile.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace wb;
namespace reason = wb::xls::reason;

namespace {

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

std::string openError(const std::string& file) {
    return test::openErrorOf([&] { readWorkbookActiveSheet(file, "old.xls"); });
}

TEST(OldWorkbooks, BiffTwoToFourAreRefusedWithWhatToDo) {
    const struct {
        const char* what;
        std::string file;
        std::string reason;
    } cases[] = {
        // BOF (version, type), then a NUMBER and an EOF.
        {"BIFF2", bytes({0x09, 0, 4, 0, 2, 0, 0x10, 0, 0x0A, 0, 0, 0}), reason::kOldVersion},
        {"BIFF3", bytes({0x09, 2, 6, 0, 0, 0, 0x10, 0, 0, 0, 0x0A, 0, 0, 0}), reason::kOldVersion},
        {"BIFF4 workbook", bytes({0x09, 4, 6, 0, 0, 0, 0, 1, 0, 0, 0x0A, 0, 0, 0}),
         reason::kOldVersion},
        // A BOF's number with a length no BOF has is no workbook.
        {"not a BOF", bytes({0x09, 0, 0x40, 0, 1, 2, 3, 4}), reason::kNotWorkbook},
        {"too short", bytes({0x09, 0, 4}), reason::kNotWorkbook},
    };
    for (const auto& c : cases)
        EXPECT_EQ(openError(c.file), "工作簿 \"old.xls\" 无法读取: " + c.reason) << c.what;
}

TEST(OldWorkbooks, ABareStreamOfALaterVersionReads) {
    const auto path = std::filesystem::path(WB_FIXTURES) / "xls" / "records.xls";
    const std::string file = wb::test::fileBytes(path);
    std::string storage;
    const std::string stream(xls::readWorkbookStream(file, storage).bytes);
    const XlsSheet bare = readWorkbookActiveSheet(stream, "bare.xls");
    const XlsSheet whole = readWorkbookActiveSheet(file, "records.xls");
    ASSERT_GT(whole.lastRow(), 1);
    EXPECT_EQ(bare.lastRow(), whole.lastRow());
    EXPECT_EQ(bare.lastColumn(), whole.lastColumn());
    for (int row = 1; row <= whole.lastRow(); ++row)
        for (int column = 1; column <= whole.lastColumn(); ++column)
            EXPECT_EQ(bare.cell(row, column).text, whole.cell(row, column).text);
}

} // namespace
