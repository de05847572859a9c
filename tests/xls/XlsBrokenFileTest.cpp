// SPDX-License-Identifier: GPL-3.0-or-later
// Files that are no readable workbook: each gives a wb::Error that names the file and the
// reason, never a crash or a read outside the file.

#include "support/FileLines.h"
#include "support/GbkBytes.h"
#include "support/OpenError.h"
#include "text/Error.h"
#include "xls/FormatError.h"
#include "xls/biff/XlsWorkbook.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

using namespace wb;
namespace reason = wb::xls::reason;
using wb::test::unreadable;

namespace {

const std::filesystem::path kFixtures = std::filesystem::path(WB_FIXTURES) / "xls";

std::string openError(const std::string& path) {
    return test::openErrorOf([&] { XlsWorkbook::open(path); });
}

std::string fixtureBytes(const char* name) {
    return wb::test::fileBytes(kFixtures / name);
}

struct BrokenFile {
    const char* file;
    std::string reason;
};

TEST(XlsBrokenFiles, EachNamesTheFileAndTheReason) {
    const BrokenFile cases[] = {
        {"empty.xls", reason::kEmpty},
        {"text.xls", reason::kNotWorkbook},
        {"renamed_xlsx.xls", reason::kZipWorkbook},
        {"truncated.xls", reason::kTruncated},
        {"header_only.xls", reason::kTruncated},
        {"chain_loop.xls", reason::kChainLoop},
        {"sector_outside.xls", reason::kSectorOutside},
        {"no_workbook_stream.xls", reason::kNoWorkbookStream},
        {"password.xls", reason::kPasswordProtected},
        {"active_chart.xls", reason::activeSheetHasNoCells("图表")},
    };
    for (const BrokenFile& c : cases) {
        const std::string path = (kFixtures / c.file).string();
        EXPECT_EQ(openError(path), unreadable(path, c.reason)) << c.file;
    }
}

TEST(XlsBrokenFiles, AMissingFileSaysSo) {
    const std::string path = (kFixtures / "no such workbook.xls").string();
    EXPECT_EQ(openError(path), unreadable(path, "文件不存在"));
    // Neither a folder nor a FIFO is opened: the FIFO would wait for a writer.
    const std::string folder = kFixtures.string();
    EXPECT_EQ(openError(folder), unreadable(folder, "它不是普通文件"));
    const std::string fifo = (std::filesystem::temp_directory_path() /
                              ("wb-fifo-" + std::to_string(::getpid()) + ".xls"))
                                 .string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(openError(fifo), unreadable(fifo, "它不是普通文件"));
    std::filesystem::remove(fifo);
}

TEST(XlsBrokenFiles, EveryCutOfAWorkbookFailsCleanlyOrReadsTheWholeSheet) {
    const std::string whole = fixtureBytes("formulas.xls");
    ASSERT_GT(whole.size(), 4096u);
    const auto complete = XlsWorkbook::fromBytes(whole, "formulas.xls");
    for (std::size_t size = 0; size < whole.size(); size += 97) {
        try {
            const auto cut = XlsWorkbook::fromBytes(std::string_view(whole).substr(0, size), "cut");
            // Only padding after the last sector may be cut without losing anything.
            EXPECT_EQ(cut->activeSheet().lastRow(), complete->activeSheet().lastRow()) << size;
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()).rfind("工作簿 \"cut\" 无法读取: ", 0), 0u) << size;
        }
    }
}

TEST(XlsBrokenFiles, AHeaderFieldOutOfRangeIsNamed) {
    const std::string original = fixtureBytes("records.xls");
    const struct {
        const char* name;
        std::size_t offset;
        std::string bytes;
        std::string reason;
    } cases[] = {
        {"byte order", 28, "\xFF\xFE", reason::kBadByteOrder},
        {"sector size 1024", 30, std::string("\x0A\x00", 2), reason::kBadSectorSize},
        {"mini sector size 128", 32, std::string("\x07\x00", 2), reason::kBadMiniSectorSize},
    };
    for (const auto& c : cases) {
        std::string bytes = original;
        bytes.replace(c.offset, c.bytes.size(), c.bytes);
        try {
            XlsWorkbook::fromBytes(bytes, "h.xls");
            ADD_FAILURE() << c.name << ": opened";
        } catch (const Error& e) {
            EXPECT_EQ(e.what(), unreadable("h.xls", c.reason)) << c.name;
        }
    }
}

// Quirks of real files that must not stop the reader.
TEST(XlsContainerQuirks, AreReadLikeTheWellFormedFile) {
    const std::string original = fixtureBytes("records.xls");
    const auto reference = XlsWorkbook::fromBytes(original, "records.xls");

    // Version 3 writers may leave garbage in the high half of a stream's 64-bit size.
    std::string garbageSize = original;
    const std::string name("W\0o\0r\0k\0b\0o\0o\0k\0", 16);
    const std::size_t entry = garbageSize.find(name);
    ASSERT_NE(entry, std::string::npos);
    garbageSize.replace(entry + 124, 4, "\xEF\xBE\xAD\xDE");

    // Bytes after the last sector.
    const std::string trailing = original + "trailing bytes";

    for (const std::string& bytes : {garbageSize, trailing}) {
        const auto workbook = XlsWorkbook::fromBytes(bytes, "quirk.xls");
        const XlsSheet& sheet = workbook->activeSheet();
        ASSERT_EQ(sheet.lastRow(), reference->activeSheet().lastRow());
        for (int row = 1; row <= sheet.lastRow(); ++row)
            for (int column = 1; column <= sheet.lastColumn(); ++column)
                ASSERT_EQ(sheet.cell(row, column), reference->activeSheet().cell(row, column));
    }
}

} // namespace
