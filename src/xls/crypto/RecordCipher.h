// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How an encrypted workbook stream's record data is turned back into plain bytes: each
// scheme (XOR obfuscation, RC4, RC4 CryptoAPI) implements it once its password is checked.

#include <cstddef>
#include <string>

namespace wb::xls {

class RecordCipher {
public:
    virtual ~RecordCipher() = default;
    // Decrypts stream[at, at + length): bytes of the data of a record whose data is
    // recordSize bytes long. Calls come in increasing order of `at`.
    virtual void decrypt(std::string& stream, std::size_t at, std::size_t length,
                         std::size_t recordSize) = 0;
};

} // namespace wb::xls
