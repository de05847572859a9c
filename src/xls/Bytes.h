// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Little-endian reads from file bytes. These do not check bounds: every caller checks the
// length it reads against the buffer first.

#include <cstdint>
#include <cstring>
#include <string_view>

namespace wb::xls {

inline std::uint8_t u8At(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint8_t>(bytes[at]);
}

inline std::uint16_t u16At(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(u8At(bytes, at) | u8At(bytes, at + 1) << 8);
}

inline std::uint32_t u32At(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint32_t>(u16At(bytes, at)) |
           static_cast<std::uint32_t>(u16At(bytes, at + 2)) << 16;
}

inline std::uint64_t u64At(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint64_t>(u32At(bytes, at)) |
           static_cast<std::uint64_t>(u32At(bytes, at + 4)) << 32;
}

inline double f64At(std::string_view bytes, std::size_t at) {
    const std::uint64_t bits = u64At(bytes, at);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace wb::xls
