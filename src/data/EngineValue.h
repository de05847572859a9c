// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace wb {

// A value as the engine stores it.
struct EngineValue {
    enum class Kind : std::uint8_t { Null, Integer, Real, Text };
    Kind kind = Kind::Null;
    std::int64_t integer = 0;
    double real = 0;
    std::string text; // UTF-8

    static EngineValue ofInteger(std::int64_t value) { return {Kind::Integer, value, 0, {}}; }
    static EngineValue ofReal(double value) { return {Kind::Real, 0, value, {}}; }
    static EngineValue ofText(std::string utf8) { return {Kind::Text, 0, 0, std::move(utf8)}; }
};

} // namespace wb
