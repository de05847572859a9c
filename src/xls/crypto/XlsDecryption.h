// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Decryption of a password-protected .xls workbook stream: the FILEPASS record after the
// globals' BOF names the method (XOR obfuscation, RC4, RC4 CryptoAPI) and holds what checks
// the password; the data of the records after it is encrypted, their headers are not.

#include <optional>
#include <string>
#include <string_view>

namespace wb::xls {

// Whether the stream's globals hold a FILEPASS record.
bool hasFilePass(std::string_view stream);

// The stream with its records decrypted (same length, same record headers; FILEPASS left in
// place), or nullopt when the password (UTF-8) is wrong. Throws FormatError for a FILEPASS
// record that is damaged or names a method not known here, and for records that run past
// the stream.
std::optional<std::string> decryptWorkbookStream(std::string_view stream,
                                                 std::string_view password);

} // namespace wb::xls
