// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Agile encryption of an encrypted package: an XML EncryptionInfo that names the hash
// (SHA-1 to SHA-512) and the AES key size, a password key from the hash iterated spinCount
// times, an intermediate key that the password key unlocks, and the package in AES-CBC by
// 4096-byte segments.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace wb::xls {

// The most hash iterations a file may ask for: what the format allows. The fuzz target
// passes less, to keep each input fast.
inline constexpr std::uint32_t kMaxSpinCount = 10'000'000;

// `xml` is EncryptionInfo after its version and reserved field; `package` the
// EncryptedPackage stream after its size, `size` that size. The package's plain bytes, or
// nullopt for a wrong password (UTF-8); throws FormatError for XML or fields that do not
// fit, and for algorithms not known here.
std::optional<std::string> decryptAgilePackage(std::string_view xml, std::string_view package,
                                               std::uint64_t size, std::string_view password,
                                               std::uint32_t maxSpinCount = kMaxSpinCount);

} // namespace wb::xls
