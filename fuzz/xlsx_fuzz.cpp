// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the .xlsx reader. Each input is read twice: as a whole file, through
// the opener that picks the reader by content (zip container, relationships, parts), and as
// the XML of a workbook's parts put into a fresh package, so that mutations reach the XML
// without first having to keep a deflated zip intact. That input is split at NUL bytes into
// the sheet, the shared strings, the styles and the workbook part; parts it does not give
// are those of a small valid workbook. Every value found is converted as the import
// converts it.

#include "ReadEveryValue.h"
#include "support/XlsxPackage.h"
#include "text/Error.h"
#include "xls/FormatError.h"
#include "xls/WorkbookFile.h"
#include "xls/xlsx/XlsxReader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

// Inputs larger than this are only read as whole files: zipping them costs more than the
// parsing they would reach.
constexpr std::size_t kMaxPartsInput = 1 << 16;

wb::test::Parts partsOf(std::string_view input) {
    static const char* const kPartNames[] = {"xl/worksheets/sheet1.xml", "xl/sharedStrings.xml",
                                             "xl/styles.xml", "xl/workbook.xml"};
    wb::test::Parts parts =
        wb::test::workbookParts(R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>)");
    for (const char* name : kPartNames) {
        const std::size_t end = input.find('\0');
        parts[name] = std::string(input.substr(0, end));
        if (end == std::string_view::npos)
            break;
        input.remove_prefix(end + 1);
    }
    return parts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        wb::fuzz::readEveryValue(wb::readWorkbookActiveSheet(bytes, "fuzz.xlsx"));
    } catch (const wb::Error&) {
    }
    if (size <= kMaxPartsInput) {
        try {
            wb::fuzz::readEveryValue(
                wb::xls::readXlsxActiveSheet(wb::test::zipBytes(partsOf(bytes))));
        } catch (const wb::xls::FormatError&) {
        }
    }
    return 0;
}
