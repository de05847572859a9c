// SPDX-License-Identifier: GPL-3.0-or-later
#include "xls/crypto/Rc4Encryption.h"

#include "xls/crypto/Crypto.h"

#include <functional>
#include <optional>

namespace wb::xls {

namespace {

using crypto::Hash;

constexpr std::size_t kBlockSize = 1024;
constexpr std::size_t kOldKeyBytes = 5; // 40 bits
constexpr int kOldSaltRounds = 16;
constexpr std::size_t kRc4KeyBytes = 16;

// The key of each block from the password's hash.
class BlockKeys {
public:
    BlockKeys(Hash hash, std::string base, std::size_t keyBytes)
        : hash_(hash), base_(std::move(base)), keyBytes_(keyBytes) {}
    ~BlockKeys() { crypto::wipe(base_); }
    BlockKeys(BlockKeys&&) = default;

    std::string key(std::uint32_t block) const {
        std::string key = crypto::digest(hash_, {base_, crypto::le32(block)});
        key.resize(keyBytes_);
        // A 40-bit CryptoAPI key is used as 128 bits, the rest zero.
        if (hash_ == Hash::Sha1 && keyBytes_ == kOldKeyBytes)
            key.resize(kRc4KeyBytes, '\0');
        return key;
    }

private:
    Hash hash_;
    std::string base_;
    std::size_t keyBytes_;
};

class Rc4BlockCipher final : public RecordCipher {
public:
    explicit Rc4BlockCipher(BlockKeys keys) : keys_(std::move(keys)) {}

    void decrypt(std::string& stream, std::size_t at, std::size_t length, std::size_t) override {
        while (length > 0) {
            const std::size_t block = at / kBlockSize;
            const std::size_t offset = at % kBlockSize;
            if (!rc4_ || block != block_ || offset < offset_) {
                std::string key = keys_.key(static_cast<std::uint32_t>(block));
                rc4_.emplace(key);
                crypto::wipe(key);
                block_ = block;
                offset_ = 0;
            }
            rc4_->skip(offset - offset_);
            const std::size_t n = std::min(length, kBlockSize - offset);
            rc4_->apply(stream.data() + at, n);
            offset_ = offset + n;
            at += n;
            length -= n;
        }
    }

private:
    BlockKeys keys_;
    std::optional<crypto::Rc4> rc4_;
    std::size_t block_ = 0;
    std::size_t offset_ = 0;
};

// Checks the verifier with block 0's key: the verifier's hash must match the hash given.
std::unique_ptr<RecordCipher> checked(BlockKeys keys, const Rc4Verifier& v, Hash hash) {
    std::string key = keys.key(0);
    crypto::Rc4 rc4(key);
    crypto::wipe(key);
    std::string verifier(v.encryptedVerifier);
    std::string verifierHash(v.encryptedVerifierHash);
    rc4.apply(verifier.data(), verifier.size());
    rc4.apply(verifierHash.data(), verifierHash.size());
    const std::string expected = crypto::digest(hash, {verifier});
    const bool match = verifierHash.size() <= expected.size() &&
                       expected.compare(0, verifierHash.size(), verifierHash) == 0;
    if (!match)
        return nullptr;
    return std::make_unique<Rc4BlockCipher>(std::move(keys));
}

} // namespace

std::unique_ptr<RecordCipher> rc4Cipher(const Rc4Verifier& v, std::string_view password) {
    std::string utf16 = crypto::utf16lePassword(password);
    std::string h0 = crypto::digest(Hash::Md5, {utf16});
    crypto::wipe(utf16);
    h0.resize(kOldKeyBytes);
    std::string rounds;
    for (int i = 0; i < kOldSaltRounds; ++i)
        rounds.append(h0).append(v.salt);
    crypto::wipe(h0);
    std::string h1 = crypto::digest(Hash::Md5, {rounds});
    crypto::wipe(rounds);
    h1.resize(kOldKeyBytes);
    return checked(BlockKeys(Hash::Md5, std::move(h1), kRc4KeyBytes), v, Hash::Md5);
}

std::unique_ptr<RecordCipher> rc4CryptoApiCipher(const Rc4Verifier& v, unsigned keyBits,
                                                 std::string_view password) {
    std::string h0 = crypto::passwordHash(Hash::Sha1, v.salt, password, 0);
    return checked(BlockKeys(Hash::Sha1, std::move(h0), keyBits / 8), v, Hash::Sha1);
}

} // namespace wb::xls
