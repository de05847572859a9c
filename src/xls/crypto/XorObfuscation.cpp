// SPDX-License-Identifier: GPL-3.0-or-later
#include "xls/crypto/XorObfuscation.h"

#include "xls/crypto/Crypto.h"

namespace wb::xls {

namespace {

constexpr std::size_t kMaxPasswordLength = 15;

constexpr std::uint16_t kInitialCode[kMaxPasswordLength] = {0xE1F0, 0x1D0F, 0xCC9C, 0x84C0, 0x110C,
                                                            0x0E10, 0xF1CE, 0x313E, 0x1872, 0xE139,
                                                            0xD40F, 0x84F9, 0x280C, 0xA96A, 0x4EC3};

constexpr std::uint16_t kXorMatrix[105] = {
    0xAEFC, 0x4DD9, 0x9BB2, 0x2745, 0x4E8A, 0x9D14, 0x2A09, 0x7B61, 0xF6C2, 0xFDA5, 0xEB6B, 0xC6F7,
    0x9DCF, 0x2BBF, 0x4563, 0x8AC6, 0x05AD, 0x0B5A, 0x16B4, 0x2D68, 0x5AD0, 0x0375, 0x06EA, 0x0DD4,
    0x1BA8, 0x3750, 0x6EA0, 0xDD40, 0xD849, 0xA0B3, 0x5147, 0xA28E, 0x553D, 0xAA7A, 0x44D5, 0x6F45,
    0xDE8A, 0xAD35, 0x4A4B, 0x9496, 0x390D, 0x721A, 0xEB23, 0xC667, 0x9CEF, 0x29FF, 0x53FE, 0xA7FC,
    0x5FD9, 0x47D3, 0x8FA6, 0x0F6D, 0x1EDA, 0x3DB4, 0x7B68, 0xF6D0, 0xB861, 0x60E3, 0xC1C6, 0x93AD,
    0x377B, 0x6EF6, 0xDDEC, 0x45A0, 0x8B40, 0x06A1, 0x0D42, 0x1A84, 0x3508, 0x6A10, 0xAA51, 0x4483,
    0x8906, 0x022D, 0x045A, 0x08B4, 0x1168, 0x76B4, 0xED68, 0xCAF1, 0x85C3, 0x1BA7, 0x374E, 0x6E9C,
    0x3730, 0x6E60, 0xDCC0, 0xA9A1, 0x4363, 0x86C6, 0x1DAD, 0x3331, 0x6662, 0xCCC4, 0x89A9, 0x0373,
    0x06E6, 0x0DCC, 0x1021, 0x2042, 0x4084, 0x8108, 0x1231, 0x2462, 0x48C4};

// Fills the array after the password's bytes.
constexpr std::uint8_t kPad[kMaxPasswordLength] = {0xBB, 0xFF, 0xFF, 0xBA, 0xFF, 0xFF, 0xB9, 0x80,
                                                   0x00, 0xBE, 0x0F, 0x00, 0xBF, 0x0F, 0x00};

std::uint8_t rotateRight(std::uint8_t value, unsigned bits) {
    return static_cast<std::uint8_t>((value >> bits) | (value << (8 - bits)));
}

std::uint8_t xorRor(std::uint8_t a, std::uint8_t b) {
    return rotateRight(static_cast<std::uint8_t>(a ^ b), 1);
}

class XorCipher final : public RecordCipher {
public:
    explicit XorCipher(std::array<std::uint8_t, 16> array) : array_(array) {}
    ~XorCipher() override { array_.fill(0); }

    // Each record's data starts at the array position its end in the stream gives.
    void decrypt(std::string& stream, std::size_t at, std::size_t length,
                 std::size_t recordSize) override {
        for (std::size_t i = 0; i < length; ++i) {
            const std::size_t p = at + i;
            const auto value = static_cast<std::uint8_t>(stream[p]) ^ array_[(p + recordSize) % 16];
            stream[p] = static_cast<char>(rotateRight(static_cast<std::uint8_t>(value), 5));
        }
    }

private:
    std::array<std::uint8_t, 16> array_;
};

} // namespace

namespace xorobf {

std::string passwordBytes(std::string_view utf8) {
    std::u16string units = crypto::utf16Units(utf8);
    std::string bytes;
    for (std::size_t i = 0; i < units.size() && i < kMaxPasswordLength; ++i) {
        const char16_t unit = units[i];
        bytes.push_back(static_cast<char>((unit & 0xFF) != 0 ? unit & 0xFF : unit >> 8));
    }
    std::fill(units.begin(), units.end(), u'\0');
    return bytes;
}

std::uint16_t key(std::string_view password) {
    if (password.empty())
        return 0;
    std::uint16_t result = kInitialCode[password.size() - 1];
    std::size_t element = sizeof kXorMatrix / sizeof kXorMatrix[0];
    for (std::size_t i = password.size(); i-- > 0;) {
        auto c = static_cast<std::uint8_t>(password[i]);
        for (int bit = 0; bit < 7; ++bit) {
            --element;
            if (c & 0x40)
                result ^= kXorMatrix[element];
            c = static_cast<std::uint8_t>(c << 1);
        }
    }
    return result;
}

std::uint16_t verifier(std::string_view password) {
    std::uint16_t result = 0;
    const auto step = [&](std::uint8_t byte) {
        const std::uint16_t high = (result & 0x4000) ? 1 : 0;
        result = static_cast<std::uint16_t>((((result << 1) & 0x7FFF) | high) ^ byte);
    };
    for (std::size_t i = password.size(); i-- > 0;)
        step(static_cast<std::uint8_t>(password[i]));
    step(static_cast<std::uint8_t>(password.size()));
    return static_cast<std::uint16_t>(result ^ 0xCE4B);
}

std::array<std::uint8_t, 16> array(std::string_view password) {
    std::array<std::uint8_t, 16> out{};
    const std::uint16_t k = key(password);
    const auto high = static_cast<std::uint8_t>(k >> 8);
    const auto low = static_cast<std::uint8_t>(k & 0xFF);
    const auto at = [&](std::size_t i) {
        return static_cast<std::uint8_t>(password[i]);
    };
    std::size_t index = password.size();
    if (index % 2 == 1) {
        out[index] = xorRor(kPad[0], high);
        --index;
        out[index] = xorRor(at(password.size() - 1), low);
    }
    while (index > 0) {
        --index;
        out[index] = xorRor(at(index), high);
        --index;
        out[index] = xorRor(at(index), low);
    }
    // The rest of the array, from its end, takes the pad bytes backwards.
    const std::size_t start = password.size() + password.size() % 2;
    std::size_t pad = kMaxPasswordLength - password.size();
    for (std::size_t i = out.size(); i-- > start; --pad)
        out[i] = xorRor(kPad[pad], (out.size() - 1 - i) % 2 == 0 ? high : low);
    return out;
}

} // namespace xorobf

std::unique_ptr<RecordCipher> xorObfuscationCipher(std::uint16_t key, std::uint16_t verifier,
                                                   std::string_view password) {
    std::string bytes = xorobf::passwordBytes(password);
    std::unique_ptr<RecordCipher> cipher;
    if (!bytes.empty() && xorobf::key(bytes) == key && xorobf::verifier(bytes) == verifier)
        cipher = std::make_unique<XorCipher>(xorobf::array(bytes));
    crypto::wipe(bytes);
    return cipher;
}

} // namespace wb::xls
