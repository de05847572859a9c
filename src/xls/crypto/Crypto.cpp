// SPDX-License-Identifier: GPL-3.0-or-later
#include "xls/crypto/Crypto.h"

#include <nettle/aes.h>
#include <nettle/arcfour.h>
#include <nettle/base64.h>
#include <nettle/cbc.h>
#include <nettle/md5.h>
#include <nettle/sha1.h>
#include <nettle/sha2.h>

#include <stdexcept>
#include <vector>

namespace wb::xls::crypto {

namespace {

const std::uint8_t* bytesOf(std::string_view s) {
    return reinterpret_cast<const std::uint8_t*>(s.data());
}

template <typename Ctx, auto init, auto update, auto finish, std::size_t size>
std::string hashWith(std::initializer_list<std::string_view> pieces) {
    Ctx ctx;
    init(&ctx);
    for (std::string_view piece : pieces)
        update(&ctx, piece.size(), bytesOf(piece));
    std::string out(size, '\0');
    finish(&ctx, size, reinterpret_cast<std::uint8_t*>(out.data()));
    return out;
}

// The AES contexts of the three key sizes behind one interface.
class AesDecryptor {
public:
    explicit AesDecryptor(std::string_view key) {
        const auto* k = bytesOf(key);
        switch (key.size()) {
        case AES128_KEY_SIZE:
            aes128_set_decrypt_key(&ctx_.a128, k);
            decrypt_ = reinterpret_cast<nettle_cipher_func*>(&aes128_decrypt);
            break;
        case AES192_KEY_SIZE:
            aes192_set_decrypt_key(&ctx_.a192, k);
            decrypt_ = reinterpret_cast<nettle_cipher_func*>(&aes192_decrypt);
            break;
        case AES256_KEY_SIZE:
            aes256_set_decrypt_key(&ctx_.a256, k);
            decrypt_ = reinterpret_cast<nettle_cipher_func*>(&aes256_decrypt);
            break;
        default:
            throw std::logic_error("AES key size not checked");
        }
    }
    const void* ctx() const { return &ctx_; }
    nettle_cipher_func* decrypt() const { return decrypt_; }

private:
    union {
        aes128_ctx a128;
        aes192_ctx a192;
        aes256_ctx a256;
    } ctx_;
    nettle_cipher_func* decrypt_ = nullptr;
};

void checkBlocks(std::string_view data) {
    if (data.size() % kAesBlock != 0)
        throw std::logic_error("AES data not whole blocks");
}

} // namespace

std::size_t digestSize(Hash hash) {
    switch (hash) {
    case Hash::Md5:
        return MD5_DIGEST_SIZE;
    case Hash::Sha1:
        return SHA1_DIGEST_SIZE;
    case Hash::Sha256:
        return SHA256_DIGEST_SIZE;
    case Hash::Sha384:
        return SHA384_DIGEST_SIZE;
    case Hash::Sha512:
        break;
    }
    return SHA512_DIGEST_SIZE;
}

std::string digest(Hash hash, std::initializer_list<std::string_view> pieces) {
    switch (hash) {
    case Hash::Md5:
        return hashWith<md5_ctx, md5_init, md5_update, md5_digest, MD5_DIGEST_SIZE>(pieces);
    case Hash::Sha1:
        return hashWith<sha1_ctx, sha1_init, sha1_update, sha1_digest, SHA1_DIGEST_SIZE>(pieces);
    case Hash::Sha256:
        return hashWith<sha256_ctx, sha256_init, sha256_update, sha256_digest, SHA256_DIGEST_SIZE>(
            pieces);
    case Hash::Sha384:
        return hashWith<sha512_ctx, sha384_init, sha512_update, sha384_digest, SHA384_DIGEST_SIZE>(
            pieces);
    case Hash::Sha512:
        break;
    }
    return hashWith<sha512_ctx, sha512_init, sha512_update, sha512_digest, SHA512_DIGEST_SIZE>(
        pieces);
}

std::string le32(std::uint32_t value) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

std::u16string utf16Units(std::string_view utf8) {
    std::u16string out;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int extra = lead < 0x80    ? 0
                          : lead >= 0xF0 ? 3
                          : lead >= 0xE0 ? 2
                          : lead >= 0xC0 ? 1
                                         : -1;
        char32_t code = extra == 0   ? lead
                        : extra == 1 ? lead & 0x1F
                        : extra == 2 ? lead & 0x0F
                                     : lead & 0x07;
        bool valid = extra >= 0 && static_cast<std::size_t>(extra) < utf8.size() - i;
        for (int k = 1; valid && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        valid = valid && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
        if (!valid) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        i += static_cast<std::size_t>(extra) + 1;
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
    }
    return out;
}

std::string utf16lePassword(std::string_view utf8) {
    std::u16string units = utf16Units(utf8);
    std::string out;
    out.reserve(units.size() * 2);
    for (char16_t unit : units) {
        out.push_back(static_cast<char>(unit & 0xFF));
        out.push_back(static_cast<char>(unit >> 8));
    }
    std::fill(units.begin(), units.end(), u'\0');
    return out;
}

std::string passwordHash(Hash hash, std::string_view salt, std::string_view password,
                         std::uint32_t spinCount) {
    std::string utf16 = utf16lePassword(password);
    std::string result = digest(hash, {salt, utf16});
    wipe(utf16);
    for (std::uint32_t i = 0; i < spinCount; ++i)
        result = digest(hash, {le32(i), result});
    return result;
}

void wipe(std::string& bytes) {
    volatile char* p = bytes.data();
    for (std::size_t i = 0; i < bytes.size(); ++i)
        p[i] = 0;
    bytes.clear();
}

Rc4::Rc4(std::string_view key) : ctx_(new arcfour_ctx) {
    arcfour_set_key(ctx_, key.size(), bytesOf(key));
}

Rc4::~Rc4() {
    volatile char* p = reinterpret_cast<char*>(ctx_);
    for (std::size_t i = 0; i < sizeof(arcfour_ctx); ++i)
        p[i] = 0;
    delete ctx_;
}

void Rc4::apply(char* data, std::size_t length) {
    auto* bytes = reinterpret_cast<std::uint8_t*>(data);
    arcfour_crypt(ctx_, length, bytes, bytes);
}

void Rc4::skip(std::size_t length) {
    std::uint8_t scratch[256];
    while (length > 0) {
        const std::size_t n = std::min(length, sizeof scratch);
        arcfour_crypt(ctx_, n, scratch, scratch);
        length -= n;
    }
}

bool validAesKeySize(std::size_t size) {
    return size == AES128_KEY_SIZE || size == AES192_KEY_SIZE || size == AES256_KEY_SIZE;
}

std::string aesDecryptEcb(std::string_view key, std::string_view data) {
    checkBlocks(data);
    const AesDecryptor aes(key);
    std::string out(data.size(), '\0');
    aes.decrypt()(aes.ctx(), data.size(), reinterpret_cast<std::uint8_t*>(out.data()),
                  bytesOf(data));
    return out;
}

std::string aesDecryptCbc(std::string_view key, std::string_view iv, std::string_view data) {
    checkBlocks(data);
    if (iv.size() != kAesBlock)
        throw std::logic_error("AES IV size not checked");
    const AesDecryptor aes(key);
    std::uint8_t chain[kAesBlock];
    std::copy(bytesOf(iv), bytesOf(iv) + kAesBlock, chain);
    std::string out(data.size(), '\0');
    cbc_decrypt(aes.ctx(), aes.decrypt(), kAesBlock, chain, data.size(),
                reinterpret_cast<std::uint8_t*>(out.data()), bytesOf(data));
    return out;
}

std::optional<std::string> base64Decode(std::string_view text) {
    base64_decode_ctx ctx;
    base64_decode_init(&ctx);
    std::string out(BASE64_DECODE_LENGTH(text.size()), '\0');
    std::size_t length = out.size();
    if (!base64_decode_update(&ctx, &length, reinterpret_cast<std::uint8_t*>(out.data()),
                              text.size(), text.data()) ||
        !base64_decode_final(&ctx))
        return std::nullopt;
    out.resize(length);
    return out;
}

} // namespace wb::xls::crypto
