// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The binary EncryptionHeader and EncryptionVerifier that RC4 CryptoAPI (in an .xls
// FILEPASS record) and standard encryption (in an encrypted package's EncryptionInfo)
// share. Every size is checked against the bytes given.

#include <cstdint>
#include <string_view>

namespace wb::xls {

struct EncryptionHeader {
    std::uint32_t algorithm = 0;     // AlgID: 0x6801 RC4, 0x660E..0x6610 AES-128..256
    std::uint32_t hashAlgorithm = 0; // AlgIDHash: 0x8004 SHA-1 (0: SHA-1)
    std::uint32_t keyBits = 0;
    std::string_view salt;
    std::string_view encryptedVerifier;     // 16 bytes
    std::uint32_t verifierHashSize = 0;     // 20 for SHA-1
    std::string_view encryptedVerifierHash; // hashBytes bytes
};

namespace algorithm {
inline constexpr std::uint32_t kRc4 = 0x6801;
inline constexpr std::uint32_t kAes128 = 0x660E;
inline constexpr std::uint32_t kAes192 = 0x660F;
inline constexpr std::uint32_t kAes256 = 0x6610;
inline constexpr std::uint32_t kSha1 = 0x8004;
} // namespace algorithm

// Reads EncryptionHeaderSize, EncryptionHeader and EncryptionVerifier from `bytes` (which
// start at the header's size field); the encrypted verifier hash takes hashBytes bytes.
// Throws FormatError when they do not fit, the salt is not 16 bytes or the hash is not
// SHA-1.
EncryptionHeader readEncryptionHeader(std::string_view bytes, std::size_t hashBytes);

} // namespace wb::xls
