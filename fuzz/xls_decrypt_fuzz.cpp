// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the decryption of protected .xls workbooks. Each input is a workbook
// stream whose FILEPASS record says how it is encrypted; it is decrypted with the fixed
// password and with the seeds' password, and when one opens it the records are read as the
// import reads them.

#include "ReadEveryValue.h"
#include "xls/FormatError.h"
#include "xls/biff/BiffReader.h"
#include "xls/crypto/XlsDecryption.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const char* password : {"VelvetSweatshop", "password"}) {
        try {
            if (const auto plain = wb::xls::decryptWorkbookStream(bytes, password))
                wb::fuzz::readEveryValue(wb::xls::readActiveSheet(*plain, size % 2 == 1, true));
        } catch (const wb::xls::FormatError&) {
        }
    }
    return 0;
}
