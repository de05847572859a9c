// SPDX-License-Identifier: GPL-3.0-or-later
#include "xls/crypto/StandardEncryption.h"

#include "xls/FormatError.h"
#include "xls/crypto/Crypto.h"
#include "xls/crypto/EncryptionHeader.h"

namespace wb::xls {

namespace {

using crypto::Hash;

constexpr std::uint32_t kSpinCount = 50000;
constexpr std::size_t kAesHashBytes = 32; // the SHA-1 hash padded to two AES blocks
constexpr std::size_t kDeriveBlock = 64;

std::string passwordKey(const EncryptionHeader& h, std::string_view password) {
    std::string hash = crypto::passwordHash(Hash::Sha1, h.salt, password, kSpinCount);
    std::string final = crypto::digest(Hash::Sha1, {hash, crypto::le32(0)});
    crypto::wipe(hash);
    std::string inner(kDeriveBlock, '\x36');
    std::string outer(kDeriveBlock, '\x5C');
    for (std::size_t i = 0; i < final.size(); ++i) {
        inner[i] = static_cast<char>(inner[i] ^ final[i]);
        outer[i] = static_cast<char>(outer[i] ^ final[i]);
    }
    crypto::wipe(final);
    std::string key = crypto::digest(Hash::Sha1, {inner}) + crypto::digest(Hash::Sha1, {outer});
    crypto::wipe(inner);
    crypto::wipe(outer);
    key.resize(h.keyBits / 8);
    return key;
}

} // namespace

std::optional<std::string> decryptStandardPackage(std::string_view info, std::string_view package,
                                                  std::uint64_t size, std::string_view password) {
    const EncryptionHeader h = readEncryptionHeader(info, kAesHashBytes);
    const bool aes = h.algorithm == algorithm::kAes128 || h.algorithm == algorithm::kAes192 ||
                     h.algorithm == algorithm::kAes256;
    if (!aes || !crypto::validAesKeySize(h.keyBits / 8) || h.keyBits % 8 != 0)
        throw FormatError(reason::kEncryptionUnsupported);
    std::string key = passwordKey(h, password);
    const std::string verifier = crypto::aesDecryptEcb(key, h.encryptedVerifier);
    const std::string hash = crypto::aesDecryptEcb(key, h.encryptedVerifierHash);
    if (crypto::digest(Hash::Sha1, {verifier}) != hash.substr(0, h.verifierHashSize)) {
        crypto::wipe(key);
        return std::nullopt;
    }
    const std::uint64_t blocks = (size + crypto::kAesBlock - 1) / crypto::kAesBlock;
    if (blocks > package.size() / crypto::kAesBlock)
        throw FormatError(reason::kEncryptedPackageCut);
    std::string plain = crypto::aesDecryptEcb(
        key, package.substr(0, static_cast<std::size_t>(blocks * crypto::kAesBlock)));
    crypto::wipe(key);
    plain.resize(static_cast<std::size_t>(size));
    return plain;
}

} // namespace wb::xls
