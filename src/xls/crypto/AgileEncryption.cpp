// SPDX-License-Identifier: GPL-3.0-or-later
#include "xls/crypto/AgileEncryption.h"

#include "xls/FormatError.h"
#include "xls/crypto/Crypto.h"
#include "xls/xlsx/XmlParser.h"

#include <charconv>

namespace wb::xls {

namespace {

using crypto::Hash;

constexpr std::size_t kSegmentSize = 4096;
constexpr char kPart[] = "EncryptionInfo";

// The block keys that tell the three values the password key decrypts apart.
constexpr std::string_view kVerifierInputKey("\xfe\xa7\xd2\x76\x3b\x4b\x9e\x79", 8);
constexpr std::string_view kVerifierHashKey("\xd7\xaa\x0f\x6d\x30\x61\x34\x4e", 8);
constexpr std::string_view kEncryptedKeyKey("\x14\x6e\x0b\xe7\xab\xac\xd0\xd6", 8);

[[noreturn]] void damaged() {
    throw FormatError(reason::kEncryptionInfoDamaged);
}

// What keyData and the password's encryptedKey share.
struct CipherParams {
    Hash hash = Hash::Sha1;
    std::size_t keyBytes = 0;
    std::string salt;
    bool seen = false;
};

struct PasswordKey : CipherParams {
    std::uint32_t spinCount = 0;
    std::string verifierInput;
    std::string verifierHash;
    std::string encryptedKey;
};

std::uint32_t number(const char* text) {
    std::uint32_t value = 0;
    const char* end = text + std::char_traits<char>::length(text);
    const auto [ptr, ec] = std::from_chars(text, end, value);
    if (ec != std::errc() || ptr != end)
        damaged();
    return value;
}

std::string base64(const char* text) {
    std::optional<std::string> bytes = crypto::base64Decode(text);
    if (!bytes)
        damaged();
    return std::move(*bytes);
}

Hash hashNamed(std::string_view name) {
    if (name == "SHA1" || name == "SHA-1")
        return Hash::Sha1;
    if (name == "SHA256")
        return Hash::Sha256;
    if (name == "SHA384")
        return Hash::Sha384;
    if (name == "SHA512")
        return Hash::Sha512;
    throw FormatError(reason::kEncryptionUnsupported);
}

void readParams(const XmlAttributes& a, CipherParams& p) {
    const char* cipher = a.get("cipherAlgorithm");
    const char* chaining = a.get("cipherChaining");
    const char* hash = a.get("hashAlgorithm");
    const char* keyBits = a.get("keyBits");
    const char* blockSize = a.get("blockSize");
    const char* salt = a.get("saltValue");
    if (!cipher || !chaining || !hash || !keyBits || !blockSize || !salt)
        damaged();
    if (std::string_view(cipher) != "AES" || std::string_view(chaining) != "ChainingModeCBC" ||
        number(blockSize) != crypto::kAesBlock)
        throw FormatError(reason::kEncryptionUnsupported);
    p.hash = hashNamed(hash);
    const std::uint32_t bits = number(keyBits);
    if (bits % 8 != 0 || !crypto::validAesKeySize(bits / 8))
        throw FormatError(reason::kEncryptionUnsupported);
    p.keyBytes = bits / 8;
    p.salt = base64(salt);
    if (p.salt.size() < crypto::kAesBlock)
        damaged();
    p.seen = true;
}

class InfoHandler final : public XmlHandler {
public:
    void startElement(const XmlName& name, const XmlAttributes& a) override {
        if (name.local == "keyData" && !keyData.seen) {
            readParams(a, keyData);
        } else if (name.local == "encryptedKey" && !password.seen && a.get("spinCount")) {
            readParams(a, password);
            password.spinCount = number(a.get("spinCount"));
            const char* input = a.get("encryptedVerifierHashInput");
            const char* hash = a.get("encryptedVerifierHashValue");
            const char* key = a.get("encryptedKeyValue");
            if (!input || !hash || !key)
                damaged();
            password.verifierInput = base64(input);
            password.verifierHash = base64(hash);
            password.encryptedKey = base64(key);
        }
    }
    void endElement(const XmlName&) override {}
    void characters(std::string_view) override {}

    CipherParams keyData;
    PasswordKey password;
};

// A key or IV the size asked for: the hash cut short, or padded with 0x36.
std::string fitted(std::string bytes, std::size_t size) {
    bytes.resize(size, '\x36');
    return bytes;
}

// Decrypts an encrypted value under the key for blockKey; at least `want` bytes come back.
std::string unlock(const PasswordKey& p, std::string_view passwordHash, std::string_view blockKey,
                   std::string_view value, std::size_t want) {
    if (value.size() % crypto::kAesBlock != 0 || value.size() < want)
        damaged();
    std::string key = fitted(crypto::digest(p.hash, {passwordHash, blockKey}), p.keyBytes);
    std::string plain =
        crypto::aesDecryptCbc(key, std::string_view(p.salt).substr(0, crypto::kAesBlock), value);
    crypto::wipe(key);
    plain.resize(want);
    return plain;
}

// The intermediate key, or nullopt when the password does not open it.
std::optional<std::string> secretKey(const PasswordKey& p, std::string_view password,
                                     std::size_t keyBytes) {
    std::string hash = crypto::passwordHash(p.hash, p.salt, password, p.spinCount);
    const std::size_t hashBytes = crypto::digestSize(p.hash);
    std::string input = unlock(p, hash, kVerifierInputKey, p.verifierInput, p.salt.size());
    const std::string expected = unlock(p, hash, kVerifierHashKey, p.verifierHash, hashBytes);
    std::optional<std::string> key;
    if (crypto::digest(p.hash, {input}) == expected)
        key = unlock(p, hash, kEncryptedKeyKey, p.encryptedKey, keyBytes);
    crypto::wipe(hash);
    crypto::wipe(input);
    return key;
}

} // namespace

std::optional<std::string> decryptAgilePackage(std::string_view xml, std::string_view package,
                                               std::uint64_t size, std::string_view password,
                                               std::uint32_t maxSpinCount) {
    InfoHandler info;
    XmlParser parser(kPart, info);
    parser.parse(xml);
    parser.finish();
    if (!info.keyData.seen || !info.password.seen)
        damaged();
    if (info.password.spinCount > maxSpinCount)
        throw FormatError(reason::kEncryptionUnsupported);
    std::optional<std::string> key = secretKey(info.password, password, info.keyData.keyBytes);
    if (!key)
        return std::nullopt;
    const std::uint64_t padded =
        (size + crypto::kAesBlock - 1) / crypto::kAesBlock * crypto::kAesBlock;
    if (padded > package.size())
        throw FormatError(reason::kEncryptedPackageCut);
    std::string plain;
    plain.reserve(static_cast<std::size_t>(padded));
    for (std::uint64_t at = 0, segment = 0; at < padded; at += kSegmentSize, ++segment) {
        const std::string iv = fitted(
            crypto::digest(info.keyData.hash,
                           {info.keyData.salt, crypto::le32(static_cast<std::uint32_t>(segment))}),
            crypto::kAesBlock);
        const std::size_t length =
            static_cast<std::size_t>(std::min<std::uint64_t>(kSegmentSize, padded - at));
        plain +=
            crypto::aesDecryptCbc(*key, iv, package.substr(static_cast<std::size_t>(at), length));
    }
    crypto::wipe(*key);
    plain.resize(static_cast<std::size_t>(size));
    return plain;
}

} // namespace wb::xls
