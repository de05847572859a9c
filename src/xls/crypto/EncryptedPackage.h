// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An .xlsx workbook protected by a password is no zip but a compound file with two streams:
// EncryptionInfo, which says how it is encrypted and checks the password, and
// EncryptedPackage, the zip encrypted. Standard and agile encryption are read; the
// extensible kind, which needs a third-party provider, is refused.

#include "xls/crypto/AgileEncryption.h"

#include <optional>
#include <string>
#include <string_view>

namespace wb::xls {

// The zip's bytes, or nullopt when the password (UTF-8) is wrong. Throws FormatError for
// streams that are damaged or cut short and for encryption not known here.
std::optional<std::string> decryptEncryptedPackage(std::string_view encryptionInfo,
                                                   std::string_view encryptedPackage,
                                                   std::string_view password,
                                                   std::uint32_t maxSpinCount = kMaxSpinCount);

} // namespace wb::xls
