// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The zip container of an .xlsx workbook, read from bytes in memory with libzip. Parts are
// inflated in chunks and never beyond a bound: a part that declares or inflates to more than
// the part bound, or parts that together inflate to more than the total bound, are refused.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct zip;

namespace wb::xls {

// How much a package may inflate to, in bytes.
struct InflateBounds {
    std::uint64_t part = std::uint64_t{256} << 20;
    std::uint64_t total = std::uint64_t{1} << 30;
};

class ZipPackage {
public:
    // Opens the container; `bytes` must outlive the package. Throws FormatError for a zip
    // cut short or with a damaged directory.
    explicit ZipPackage(std::string_view bytes, InflateBounds bounds = {});
    ~ZipPackage();
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;

    // Whether the package has the part (names compare without regard to ASCII case, as
    // part names do).
    bool contains(const std::string& part) const;

    // Inflates the part and hands its bytes to sink in order, in chunks of at most 64 KB.
    // Throws FormatError for a missing, encrypted or damaged part and when a bound is
    // passed; whatever sink throws passes through.
    void read(const std::string& part, const std::function<void(std::string_view)>& sink);

private:
    zip* zip_ = nullptr;
    InflateBounds bounds_;
    std::uint64_t inflated_ = 0;
    std::vector<char> buffer_;
};

} // namespace wb::xls
