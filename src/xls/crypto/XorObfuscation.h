// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// XOR obfuscation of .xls workbooks (the oldest method): a 16-bit key and verifier derived
// from the password, and a 16-byte array XORed into the record data.

#include "xls/crypto/RecordCipher.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

namespace wb::xls {

// The cipher for the FILEPASS record's key and verifier, or nullptr when the password
// (UTF-8) does not match them.
std::unique_ptr<RecordCipher> xorObfuscationCipher(std::uint16_t key, std::uint16_t verifier,
                                                   std::string_view password);

namespace xorobf {
// The password as the method hashes it: one byte per UTF-16 unit (its low byte, or its high
// byte when the low one is zero), at most 15.
std::string passwordBytes(std::string_view utf8);
std::uint16_t key(std::string_view passwordBytes);
std::uint16_t verifier(std::string_view passwordBytes);
std::array<std::uint8_t, 16> array(std::string_view passwordBytes);
} // namespace xorobf

} // namespace wb::xls
