// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// RC4 encryption of .xls workbooks, in its two forms: the Office 97/2000 method (keys from
// MD5, 40 bits) and the CryptoAPI method (keys from SHA-1, 40 to 128 bits). Both key the
// stream afresh for each 1024-byte block.

#include "xls/crypto/RecordCipher.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace wb::xls {

// The verifier fields of FILEPASS: the salt, then the verifier and its hash as encrypted.
struct Rc4Verifier {
    std::string_view salt;
    std::string_view encryptedVerifier;     // 16 bytes
    std::string_view encryptedVerifierHash; // 16 (MD5) or 20 (SHA-1) bytes
};

// The cipher when the password (UTF-8) opens the verifier, else nullptr. The caller has
// checked the fields' sizes.
std::unique_ptr<RecordCipher> rc4Cipher(const Rc4Verifier& verifier, std::string_view password);

// The same for CryptoAPI; keyBits is 40 to 128 in steps of 8.
std::unique_ptr<RecordCipher> rc4CryptoApiCipher(const Rc4Verifier& verifier, unsigned keyBits,
                                                 std::string_view password);

} // namespace wb::xls
