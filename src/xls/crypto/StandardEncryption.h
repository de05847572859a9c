// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Standard encryption of an encrypted package: a binary EncryptionInfo, keys from SHA-1
// iterated 50,000 times, the package in AES-ECB.

#include <optional>
#include <string>
#include <string_view>

namespace wb::xls {

// `info` is EncryptionInfo after its version and flags; `package` the EncryptedPackage
// stream after its size, `size` that size. The package's plain bytes, or nullopt for a
// wrong password (UTF-8); throws FormatError when the fields do not fit.
std::optional<std::string> decryptStandardPackage(std::string_view info, std::string_view package,
                                                  std::uint64_t size, std::string_view password);

} // namespace wb::xls
