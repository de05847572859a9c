// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the decryption of protected .xlsx workbooks (the encrypted package).
// An input is the EncryptionInfo stream's length (4 bytes, little-endian), that stream, then
// the EncryptedPackage stream; it is decrypted with the fixed password (the seeds' own),
// hashing at most 1,000 times for agile encryption so that an input stays fast (standard
// encryption always hashes 50,000 times), and a package that opens is read as a workbook.

#include "ReadEveryValue.h"
#include "xls/FormatError.h"
#include "xls/WorkbookFile.h"
#include "xls/crypto/EncryptedPackage.h"
#include "xls/xlsx/XlsxReader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {
constexpr std::uint32_t kFuzzSpinCount = 1000;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4)
        return 0;
    const std::size_t infoSize = static_cast<std::size_t>(data[0]) | std::size_t{data[1]} << 8 |
                                 std::size_t{data[2]} << 16 | std::size_t{data[3]} << 24;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 4, size - 4);
    if (infoSize > rest.size())
        return 0;
    try {
        if (const auto zip =
                wb::xls::decryptEncryptedPackage(rest.substr(0, infoSize), rest.substr(infoSize),
                                                 wb::xls::kFixedPassword, kFuzzSpinCount))
            wb::fuzz::readEveryValue(wb::xls::readXlsxActiveSheet(*zip));
    } catch (const wb::xls::FormatError&) {
    }
    return 0;
}
