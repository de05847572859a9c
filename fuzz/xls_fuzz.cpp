// libFuzzer target for the .xls reader. Each input is read twice: as a whole file (compound
// container and records) and as a bare workbook stream, so that mutations reach the records
// without first having to keep a container intact. Every value found is converted as the
// import converts it.

#include "text/Error.h"
#include "xls/BiffReader.h"
#include "xls/CellValue.h"
#include "xls/FormatError.h"
#include "xls/XlsWorkbook.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

void readEveryValue(const wb::XlsSheet& sheet) {
    // The used range can be 65536 x 256; a corner of it and its last row are enough.
    const int rows = std::min(sheet.lastRow(), 40);
    const int columns = std::min(sheet.lastColumn(), 12);
    std::size_t sink = sheet.name().size();
    for (int row = 0; row <= rows + 1; ++row) {
        for (int column = 0; column <= columns + 1; ++column) {
            const wb::CellValue value = sheet.cell(row, column);
            sink += wb::cellText(value).size();
            try {
                sink += static_cast<std::size_t>(wb::cellDate(value) != 0);
            } catch (const wb::Error&) {
            }
        }
    }
    for (int column = 1; column <= sheet.lastColumn(); ++column)
        sink += wb::cellText(sheet.cell(sheet.lastRow(), column)).size();
    volatile std::size_t keep = sink;
    (void)keep;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        const auto workbook = wb::XlsWorkbook::fromBytes(bytes, "fuzz.xls");
        readEveryValue(workbook->activeSheet());
    } catch (const wb::Error&) {
    }
    try {
        // The stream's name ("Book" or "Workbook") only matters when the BOF is unclear;
        // the input's length picks one.
        readEveryValue(wb::xls::readActiveSheet(bytes, size % 2 == 1));
    } catch (const wb::xls::FormatError&) {
    }
    return 0;
}
