// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The cryptographic primitives the decryptors of protected workbooks use, taken from
// nettle: hashes, RC4, AES in ECB and CBC mode, base64. The file formats' own logic lives
// in the decryptors; nothing here knows a workbook.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

struct arcfour_ctx;

namespace wb::xls::crypto {

enum class Hash { Md5, Sha1, Sha256, Sha384, Sha512 };

// The digest size of the hash, in bytes.
std::size_t digestSize(Hash hash);

// The digest of the pieces, hashed one after the other.
std::string digest(Hash hash, std::initializer_list<std::string_view> pieces);

// A 32-bit number as the formats put it into hashes: 4 bytes, least significant first.
std::string le32(std::uint32_t value);

// The password as the formats hash it: UTF-16LE code units of the UTF-8 text (invalid
// sequences become U+FFFD).
std::string utf16lePassword(std::string_view utf8);

// The hash the formats derive a password's keys from: the hash of the salt and the password
// (UTF-8, hashed as UTF-16LE), then `spinCount` times the hash of the round's number and the
// hash before.
std::string passwordHash(Hash hash, std::string_view salt, std::string_view password,
                         std::uint32_t spinCount);

// The code units of a UTF-8 password.
std::u16string utf16Units(std::string_view utf8);

// Overwrites a buffer that held key material or a password before it is freed.
void wipe(std::string& bytes);

// An RC4 key stream.
class Rc4 {
public:
    explicit Rc4(std::string_view key);
    ~Rc4();
    Rc4(const Rc4&) = delete;
    Rc4& operator=(const Rc4&) = delete;

    // XORs the next bytes of the key stream into data.
    void apply(char* data, std::size_t length);
    // Drops the next bytes of the key stream.
    void skip(std::size_t length);

private:
    arcfour_ctx* ctx_;
};

// AES decryption with a 16, 24 or 32-byte key; data must be whole 16-byte blocks (callers
// check). ECB decrypts each block alone; CBC chains from the 16-byte iv.
constexpr std::size_t kAesBlock = 16;
bool validAesKeySize(std::size_t size);
std::string aesDecryptEcb(std::string_view key, std::string_view data);
std::string aesDecryptCbc(std::string_view key, std::string_view iv, std::string_view data);

// The bytes of base64 text; nullopt when it is not base64.
std::optional<std::string> base64Decode(std::string_view text);

} // namespace wb::xls::crypto
