// SPDX-License-Identifier: GPL-3.0-or-later
#include "xls/crypto/EncryptionHeader.h"

#include "xls/Bytes.h"
#include "xls/FormatError.h"

namespace wb::xls {

namespace {

// EncryptionHeader fields, after its size.
constexpr std::size_t kAlgorithm = 8;
constexpr std::size_t kHashAlgorithm = 12;
constexpr std::size_t kKeyBits = 16;
constexpr std::size_t kFixedHeaderSize = 32; // before the provider's name
constexpr std::size_t kSaltBytes = 16;
constexpr std::size_t kVerifierBytes = 16;
constexpr std::size_t kSha1Bytes = 20;

} // namespace

EncryptionHeader readEncryptionHeader(std::string_view bytes, std::size_t hashBytes) {
    if (bytes.size() < 4)
        throw FormatError(reason::kEncryptionInfoDamaged);
    const std::uint32_t headerSize = u32At(bytes, 0);
    bytes.remove_prefix(4);
    if (headerSize < kFixedHeaderSize || headerSize > bytes.size())
        throw FormatError(reason::kEncryptionInfoDamaged);
    EncryptionHeader h;
    h.algorithm = u32At(bytes, kAlgorithm);
    h.hashAlgorithm = u32At(bytes, kHashAlgorithm);
    h.keyBits = u32At(bytes, kKeyBits);
    if (h.hashAlgorithm != 0 && h.hashAlgorithm != algorithm::kSha1)
        throw FormatError(reason::kEncryptionUnsupported);
    bytes.remove_prefix(headerSize);
    // SaltSize, Salt, EncryptedVerifier, VerifierHashSize, EncryptedVerifierHash.
    if (bytes.size() < 4 + kSaltBytes + kVerifierBytes + 4 + hashBytes ||
        u32At(bytes, 0) != kSaltBytes)
        throw FormatError(reason::kEncryptionInfoDamaged);
    h.salt = bytes.substr(4, kSaltBytes);
    h.encryptedVerifier = bytes.substr(4 + kSaltBytes, kVerifierBytes);
    h.verifierHashSize = u32At(bytes, 4 + kSaltBytes + kVerifierBytes);
    if (h.verifierHashSize != kSha1Bytes || hashBytes < kSha1Bytes)
        throw FormatError(reason::kEncryptionInfoDamaged);
    h.encryptedVerifierHash = bytes.substr(4 + kSaltBytes + kVerifierBytes + 4, hashBytes);
    return h;
}

} // namespace wb::xls
