// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Encoding.h"

#include <cerrno>
#include <iconv.h>
#include <map>
#include <memory>
#include <stdexcept>

namespace wb {

namespace {

// One converter per direction and thread: opening iconv descriptors is costly and the
// import converts every cell it reads.
class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {
        if (handle_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
    ~Converter() { iconv_close(handle_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts all of input; an input unit that cannot be converted is skipped and
    // `replacement` (already in the target encoding) is written in its place.
    std::string convert(std::string_view input, std::size_t unitSize,
                        std::string_view replacement) {
        std::string out;
        out.resize(input.size() * 2 + 16);
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        char* dst = out.data();
        std::size_t dstLeft = out.size();
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        while (inLeft > 0) {
            if (iconv(handle_, &in, &inLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1))
                break;
            if (errno == E2BIG) {
                const std::size_t used = out.size() - dstLeft;
                out.resize(out.size() * 2);
                dst = out.data() + used;
                dstLeft = out.size() - used;
                continue;
            }
            // EILSEQ or EINVAL: an invalid or incomplete unit; replace it and go on.
            const std::size_t skip = inLeft < unitSize ? inLeft : unitSize;
            in += skip;
            inLeft -= skip;
            if (dstLeft < replacement.size() + 8) {
                const std::size_t used = out.size() - dstLeft;
                out.resize(out.size() * 2 + replacement.size());
                dst = out.data() + used;
                dstLeft = out.size() - used;
            }
            for (char c : replacement)
                *dst++ = c, --dstLeft;
        }
        out.resize(out.size() - dstLeft);
        return out;
    }

    // Whether all of input converts, with no unit replaced.
    bool convertsWhole(std::string_view input) {
        char buffer[4096];
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        while (inLeft > 0) {
            char* dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            if (iconv(handle_, &in, &inLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1))
                return true;
            if (errno != E2BIG)
                return false; // EILSEQ or EINVAL: an invalid or incomplete unit
        }
        return true;
    }

private:
    iconv_t handle_;
};

Converter& converter(const char* to, const char* from) {
    thread_local std::map<std::pair<std::string, std::string>, std::unique_ptr<Converter>> cache;
    auto& slot = cache[{to, from}];
    if (!slot)
        slot = std::make_unique<Converter>(to, from);
    return *slot;
}

constexpr std::string_view kUtf8Replacement = "\xEF\xBF\xBD";
constexpr std::string_view kGbReplacement = "\x84\x31\xA4\x37"; // U+FFFD in GB18030

bool isAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

} // namespace

std::string gbkToUtf8(const Gbk& text) {
    const std::string_view gbk = text.view();
    if (isAscii(gbk))
        return std::string(gbk);
    return converter("UTF-8", "GB18030").convert(gbk, 1, kUtf8Replacement);
}

Gbk utf8ToGbk(std::string_view utf8) {
    if (isAscii(utf8))
        return Gbk::ascii(utf8);
    return Gbk::fromBytes(converter("GB18030", "UTF-8").convert(utf8, 1, kGbReplacement));
}

Gbk utf16ToGbk(std::u16string_view utf16) {
    bool ascii = true;
    for (char16_t unit : utf16)
        ascii = ascii && unit < 0x80;
    if (ascii)
        return Gbk::ascii(std::string(utf16.begin(), utf16.end()));
    const std::string_view bytes(reinterpret_cast<const char*>(utf16.data()), utf16.size() * 2);
    return Gbk::fromBytes(converter("GB18030", "UTF-16LE").convert(bytes, 2, kGbReplacement));
}

ForeignEncoding detectForeignEncoding(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return ForeignEncoding::Utf8;
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
        return ForeignEncoding::Utf16;
    // glibc's GBK, unlike GB18030, refuses code points GBK leaves unassigned, which UTF-8
    // read as GBK soon runs into.
    if (!isAscii(bytes) && converter("UTF-16LE", "UTF-8").convertsWhole(bytes) &&
        !converter("UTF-16LE", "GBK").convertsWhole(bytes))
        return ForeignEncoding::Utf8;
    return ForeignEncoding::None;
}

Gbk codePageToGbk(std::string_view bytes, int codePage) {
    if (codePage == 936 || codePage == 54936 || isAscii(bytes))
        return Gbk::fromBytes(bytes);
    const std::string name = "CP" + std::to_string(codePage);
    try {
        return Gbk::fromBytes(converter("GB18030", name.c_str()).convert(bytes, 1, kGbReplacement));
    } catch (const std::runtime_error&) {
        return Gbk::fromBytes(converter("GB18030", "CP1252").convert(bytes, 1, kGbReplacement));
    }
}

} // namespace wb
