// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the .xls reader. Each input is read twice: as a whole file (compound
// container and records) and as a bare workbook stream, so that mutations reach the records
// without first having to keep a container intact. Every value found is converted as the
// import converts it.

#include "ReadEveryValue.h"
#include "text/CellValue.h"
#include "text/Error.h"
#include "xls/FormatError.h"
#include "xls/biff/BiffReader.h"
#include "xls/biff/XlsWorkbook.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using wb::fuzz::readEveryValue;

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
