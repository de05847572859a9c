// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// GBK text as a type of its own. Every text the import talks about (cells, codes, names,
// department codes, the statements it builds, the lines it shows) is a GBK byte string, while
// errors, file names, SQL for the engine and everything at the program's edges are UTF-8. A
// Gbk is made only from GBK bytes (fromBytes, or a conversion in Encoding.h), so that UTF-8
// passed where GBK is expected does not compile. Lengths, positions and cuts count bytes;
// comparison is byte-wise on unsigned bytes, the order of every code and date comparison.

#include <compare>
#include <cstddef>
#include <string>
#include <string_view>

namespace wb {

// ASCII text written in the source, which GBK shares with UTF-8: SQL words, ":", digits.
// Made only by the literal "..."_ascii, which refuses any other byte at compile time.
struct Ascii {
    std::string_view text;
};
consteval Ascii operator""_ascii(const char* text, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            throw "an _ascii literal holds only ASCII characters";
    return Ascii{std::string_view(text, size)};
}

class Gbk {
public:
    static constexpr std::size_t npos = std::string::npos;

    Gbk() = default;
    Gbk(Ascii text) : bytes_(text.text) {} // NOLINT: ASCII is GBK as it stands
    // Bytes known to be GBK: read from a GBK source (the code file, a cell in code page 936)
    // or cut from GBK text.
    static Gbk fromBytes(std::string bytes) { return Gbk(std::move(bytes)); }
    static Gbk fromBytes(std::string_view bytes) { return Gbk(std::string(bytes)); }
    static Gbk fromBytes(const char* bytes) { return Gbk(std::string(bytes)); }
    // Text of ASCII characters, which GBK shares with UTF-8 (digits, ":", SQL words).
    static Gbk ascii(std::string_view text) { return Gbk(std::string(text)); }

    const std::string& bytes() const noexcept { return bytes_; }
    std::string_view view() const noexcept { return bytes_; }
    bool empty() const noexcept { return bytes_.empty(); }
    std::size_t size() const noexcept { return bytes_.size(); }
    char operator[](std::size_t index) const { return bytes_[index]; }
    char front() const { return bytes_.front(); }

    Gbk substr(std::size_t position, std::size_t count = npos) const {
        return Gbk(bytes_.substr(position, count));
    }
    std::size_t find(char c, std::size_t from = 0) const noexcept { return bytes_.find(c, from); }
    std::size_t find_first_not_of(std::string_view ascii) const noexcept {
        return bytes_.find_first_not_of(ascii);
    }
    void clear() noexcept { bytes_.clear(); }

    Gbk& operator+=(const Gbk& other) {
        bytes_ += other.bytes_;
        return *this;
    }
    // An ASCII character (":", "-").
    Gbk& operator+=(char ascii) {
        bytes_ += ascii;
        return *this;
    }
    // The left operand is taken by value and moved out, so a chain of + appends to one
    // buffer instead of copying it at every step.
    friend Gbk operator+(Gbk a, const Gbk& b) {
        a += b;
        return a;
    }
    friend Gbk operator+(Gbk a, Ascii b) {
        a.bytes_ += b.text;
        return a;
    }
    friend Gbk operator+(Ascii a, const Gbk& b) {
        Gbk out(a);
        out += b;
        return out;
    }
    friend Gbk operator+(Gbk a, char ascii) {
        a += ascii;
        return a;
    }

    bool operator==(const Gbk&) const = default;
    std::strong_ordering operator<=>(const Gbk& other) const {
        return bytes_.compare(other.bytes_) <=> 0;
    }

private:
    explicit Gbk(std::string bytes) : bytes_(std::move(bytes)) {}
    std::string bytes_;
};

} // namespace wb

template <> struct std::hash<wb::Gbk> {
    std::size_t operator()(const wb::Gbk& text) const noexcept {
        return std::hash<std::string_view>()(text.view());
    }
};
