// SPDX-License-Identifier: GPL-3.0-or-later
// Workbook streams with records whose counts, offsets and lengths do not fit their data.
// Each must give a clear reason, never a read outside the stream or an allocation as large
// as a count read from the file.

#include "support/GbkBytes.h"
#include "text/Encoding.h"
#include "xls/FormatError.h"
#include "xls/biff/BiffReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

using namespace wb;
using namespace wb::xls;

namespace {

std::string le16(unsigned v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}
std::string le32(std::uint32_t v) {
    return le16(v & 0xFFFF) + le16(v >> 16);
}

std::string record(unsigned id, const std::string& data) {
    return le16(id) + le16(static_cast<unsigned>(data.size())) + data;
}

std::string bof(unsigned version, unsigned kind) {
    return record(0x0809, le16(version) + le16(kind) + le16(0) + le16(0));
}

std::string eof() {
    return record(0x000A, "");
}

std::string cellHeader(unsigned row, unsigned column) {
    return le16(row) + le16(column) + le16(0);
}

std::string sst(const std::vector<std::string>& asciiStrings, std::uint32_t claimed) {
    std::string body = le32(claimed) + le32(claimed);
    for (const std::string& s : asciiStrings)
        body += le16(static_cast<unsigned>(s.size())) + '\0' + s;
    return record(0x00FC, body);
}

// A sheet entry without its offset: visible worksheet, a one-letter 8-bit name.
std::string entryTail(char name) {
    return std::string("\0\0\x01\0", 4) + name;
}

// A BIFF8 stream: globals, one sheet entry per sheet (pointing at its substream) and the
// substreams. A sheet entry's offset can be replaced to point elsewhere.
std::string workbook(const std::string& globals, const std::vector<std::string>& sheets,
                     std::function<std::uint32_t(std::uint32_t)> offset = nullptr) {
    std::string entries;
    std::size_t at = bof(0x0600, 5).size() + globals.size() + eof().size();
    for (std::size_t i = 0; i < sheets.size(); ++i)
        at += record(0x0085, le32(0) + entryTail('a')).size();
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        const auto position = static_cast<std::uint32_t>(at);
        entries += record(0x0085, le32(offset ? offset(position) : position) +
                                      entryTail(static_cast<char>('a' + i)));
        at += sheets[i].size();
    }
    std::string stream = bof(0x0600, 5) + globals + entries + eof();
    for (const std::string& sheet : sheets)
        stream += sheet;
    return stream;
}

std::string sheet(const std::string& cells) {
    return bof(0x0600, 0x10) + cells + eof();
}

std::string failure(const std::string& stream) {
    try {
        readActiveSheet(stream, false);
    } catch (const FormatError& e) {
        return e.what();
    }
    return "(read)";
}

TEST(BiffRecords, CountsOffsetsAndLengthsThatDoNotFitAreRefused) {
    const std::string labelSst5 = record(0x00FD, cellHeader(0, 0) + le32(5));
    struct Case {
        const char* name;
        std::string stream;
        std::string reason;
    } cases[] = {
        {"string index past the shared strings", workbook(sst({"a", "b"}, 2), {sheet(labelSst5)}),
         "LABELSST 记录的字符串编号超出 SST 记录中的字符串数,工作簿已损坏"},
        {"sheet entry pointing past the stream",
         workbook("", {sheet("")}, [](std::uint32_t) { return 0x7FFFFFF0u; }),
         "BOUNDSHEET 记录中工作表的位置超出工作簿数据,工作簿已损坏"},
        {"sheet entry pointing into the middle of a record",
         workbook("", {sheet("")}, [](std::uint32_t at) { return at + 1; }),
         "BOUNDSHEET 记录指向的位置不是工作表的 BOF 记录,工作簿已损坏"},
        {"record longer than the stream",
         workbook("", {bof(0x0600, 0x10) + le16(0x0203) + le16(14) + "short"}),
         "NUMBER 记录的长度超出工作簿数据,工作簿已损坏"},
        {"unknown record longer than the stream",
         workbook("", {bof(0x0600, 0x10) + le16(0x12AB) + le16(14) + "short"}),
         "0x12AB 记录的长度超出工作簿数据,工作簿已损坏"},
        {"record header cut", workbook("", {bof(0x0600, 0x10) + "\x03\x02"}),
         "工作簿数据末尾的记录头不完整,工作簿已损坏"},
        {"number record too short for its value",
         workbook("", {sheet(record(0x0203, cellHeader(0, 0) + "1234"))}),
         "NUMBER 记录过短,工作簿已损坏"},
        {"label longer than its record",
         workbook("", {sheet(record(0x0204, cellHeader(0, 0) + le16(50) + '\0' + "abc"))}),
         "LABEL 记录过短,工作簿已损坏"},
        {"string count past the end of the table",
         workbook(record(0x00FC, le32(1) + le32(1) + le16(40) + '\0' + "abc"), {sheet("")}),
         "SST 记录过短,工作簿已损坏"},
        {"sheet entry without its name", workbook(record(0x0085, le32(0)), {sheet("")}),
         "BOUNDSHEET 记录过短,工作簿已损坏"},
        {"BOF without its version", record(0x0809, "\x00") + eof(), "BOF 记录过短,工作簿已损坏"},
        {"stream starting with another record", eof() + bof(0x0600, 5),
         "工作簿数据不以 BOF 记录开始,工作簿已损坏"},
        {"workbook of BIFF4", record(0x0409, le16(0) + le16(5)) + eof(), reason::kOldVersion},
        {"globals without any sheet", bof(0x0600, 5) + eof(), reason::kNoSheet},
        {"empty stream", "", "工作簿数据不以 BOF 记录开始,工作簿已损坏"},
        {"password", workbook(record(0x002F, std::string(54, '\0')), {sheet("")}),
         reason::kPasswordProtected},
    };
    for (const Case& c : cases)
        EXPECT_EQ(failure(c.stream), c.reason) << c.name;
}

TEST(BiffRecords, AStringCountFromTheFileDoesNotDecideTheAllocation) {
    // Claims four thousand million strings and holds two.
    const std::string cells = record(0x00FD, cellHeader(0, 0) + le32(1));
    const XlsSheet read =
        readActiveSheet(workbook(sst({"a", "b"}, 0xFFFFFFF0u), {sheet(cells)}), false);
    EXPECT_EQ(read.cell(1, 1), CellValue::ofText("b"_ascii));
}

TEST(BiffRecords, AnActiveSheetNumberPastTheSheetsMeansTheFirst) {
    const std::string window1 =
        record(0x003D, std::string(10, '\0') + le16(7) + le16(0) + le16(1) + le16(0x258));
    const std::string first = sheet(record(0x0203, cellHeader(0, 0) + std::string(8, '\0')));
    const XlsSheet read = readActiveSheet(workbook(window1, {first, sheet("")}), false);
    EXPECT_EQ(read.name(), "a");
    EXPECT_EQ(read.cell(1, 1), CellValue::ofNumber(0));
}

TEST(BiffRecords, AFormulaTextWithoutItsStringRecordIsEmptyText) {
    std::string result = std::string(6, '\0') + "\xFF\xFF";
    const std::string formula =
        record(0x0006, cellHeader(0, 0) + result + le16(0) + le32(0) + le16(0));
    const std::string number = record(0x0203, cellHeader(0, 1) + std::string(8, '\0'));
    const XlsSheet read = readActiveSheet(workbook("", {sheet(formula + number)}), false);
    EXPECT_EQ(read.cell(1, 1), CellValue::ofText(""_ascii));
    EXPECT_EQ(read.cell(1, 2), CellValue::ofNumber(0));
}

TEST(BiffRecords, ADateFormattedNumberOutsideTheCalendarStaysANumber) {
    std::string xf = record(0x00E0, le16(0) + le16(14) + std::string(16, '\0'));
    const auto number = [](unsigned column, double value) {
        std::string bits(8, '\0');
        std::memcpy(bits.data(), &value, 8);
        return record(0x0203, cellHeader(0, column) + bits);
    };
    const std::string cells = number(0, 2958465.5) + number(1, 2958466) + number(2, -1) +
                              number(3, 0) + number(4, std::nan(""));
    const XlsSheet read = readActiveSheet(workbook(xf, {sheet(cells)}), false);
    EXPECT_EQ(read.cell(1, 1), CellValue::ofDate(2958465.5)); // 9999-12-31 12:00
    EXPECT_EQ(read.cell(1, 2), CellValue::ofNumber(2958466));
    EXPECT_EQ(read.cell(1, 3), CellValue::ofNumber(-1));
    EXPECT_EQ(read.cell(1, 4), CellValue::ofDate(0));
    EXPECT_EQ(read.cell(1, 5).kind, CellValue::Kind::Number);
}

TEST(BiffRecords, CellsAtTheFarCornerOfTheSheetAreAddressable) {
    const std::string far = record(0x0203, cellHeader(65535, 255) + std::string(8, '\0'));
    const XlsSheet read = readActiveSheet(workbook("", {sheet(far)}), false);
    EXPECT_EQ(read.lastRow(), 65536);
    EXPECT_EQ(read.lastColumn(), 256);
    EXPECT_EQ(read.cell(65536, 256), CellValue::ofNumber(0));
    EXPECT_EQ(read.cell(65536, 255), CellValue{});
    EXPECT_EQ(read.cell(65537, 256), CellValue{});
    EXPECT_EQ(read.cell(-1, 1), CellValue{});
}

} // namespace
