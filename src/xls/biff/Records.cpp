// SPDX-License-Identifier: GPL-3.0-or-later
#include "xls/biff/Records.h"

#include "xls/Bytes.h"
#include "xls/FormatError.h"

#include <algorithm>
#include <string>

namespace wb::xls {

namespace {

// Every record starts with its identifier and the length of its data.
constexpr std::size_t kHeaderId = 0;
constexpr std::size_t kHeaderLength = 2;
constexpr std::size_t kHeaderSize = 4;

// Option bits of a BIFF8 string.
constexpr std::uint8_t kWideCharacters = 0x01;
constexpr std::uint8_t kHasPhonetic = 0x04;
constexpr std::uint8_t kHasRichText = 0x08;
// Each rich-text run: the first character it formats and its font.
constexpr std::uint64_t kRichTextRunSize = 4;

} // namespace

std::string recordName(std::uint16_t id) {
    switch (id) {
    case record::kFormula:
        return "FORMULA";
    case record::kEof:
        return "EOF";
    case record::kDateMode:
        return "DATEMODE";
    case record::kFilePass:
        return "FILEPASS";
    case record::kContinue:
        return "CONTINUE";
    case record::kWindow1:
        return "WINDOW1";
    case record::kCodePage:
        return "CODEPAGE";
    case record::kBoundSheet:
        return "BOUNDSHEET";
    case record::kMulRk:
        return "MULRK";
    case record::kMulBlank:
        return "MULBLANK";
    case record::kRString:
        return "RSTRING";
    case record::kXf:
        return "XF";
    case record::kSst:
        return "SST";
    case record::kLabelSst:
        return "LABELSST";
    case record::kBlank:
        return "BLANK";
    case record::kNumber:
        return "NUMBER";
    case record::kLabel:
        return "LABEL";
    case record::kBoolErr:
        return "BOOLERR";
    case record::kString:
        return "STRING";
    case record::kArray:
        return "ARRAY";
    case record::kTable:
        return "TABLE";
    case record::kRk:
        return "RK";
    case record::kFormat:
        return "FORMAT";
    case record::kSharedFormula:
        return "SHRFMLA";
    case record::kBof:
    case record::kBofBiff2:
    case record::kBofBiff3:
    case record::kBofBiff4:
        return "BOF";
    default:
        break;
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    return {'0', 'x', kHex[id >> 12], kHex[(id >> 8) & 0xF], kHex[(id >> 4) & 0xF], kHex[id & 0xF]};
}

RecordStream::RecordStream(std::string_view stream, std::size_t start)
    : stream_(stream), position_(std::min(start, stream.size())) {}

bool RecordStream::next(Record& record) {
    if (position_ == stream_.size())
        return false;
    if (stream_.size() - position_ < kHeaderSize)
        throw FormatError(reason::kRecordHeaderCut);
    const std::uint16_t id = u16At(stream_, position_ + kHeaderId);
    const std::size_t length = u16At(stream_, position_ + kHeaderLength);
    if (stream_.size() - position_ - kHeaderSize < length)
        throw FormatError(reason::recordPastEnd(recordName(id)));
    record.id = id;
    record.data = stream_.substr(position_ + kHeaderSize, length);
    position_ += kHeaderSize + length;
    return true;
}

bool RecordStream::headerFollows() const {
    return stream_.size() - position_ >= kHeaderSize;
}

void RecordStream::takeContinues(std::vector<std::string_view>& parts) {
    Record record;
    while (headerFollows() && u16At(stream_, position_ + kHeaderId) == record::kContinue) {
        next(record);
        parts.push_back(record.data);
    }
}

RecordData::RecordData(std::uint16_t id, std::string_view first, RecordStream& records) : id_(id) {
    parts_.push_back(first);
    records.takeContinues(parts_);
}

void RecordData::tooShort() const {
    throw FormatError(reason::recordTooShort(recordName(id_)));
}

void RecordData::ensureByte() {
    if (atEnd())
        tooShort();
}

bool RecordData::atEnd() {
    while (position_ == parts_[part_].size()) {
        if (part_ + 1 == parts_.size())
            return true;
        ++part_;
        position_ = 0;
    }
    return false;
}

std::uint8_t RecordData::u8() {
    ensureByte();
    return u8At(parts_[part_], position_++);
}

std::uint16_t RecordData::u16() {
    const std::string_view part = parts_[part_];
    if (part.size() - position_ >= 2) {
        position_ += 2;
        return u16At(part, position_ - 2);
    }
    const std::uint16_t low = u8();
    return static_cast<std::uint16_t>(low | u8() << 8);
}

std::uint32_t RecordData::u32() {
    const std::uint32_t low = u16();
    return low | static_cast<std::uint32_t>(u16()) << 16;
}

void RecordData::skip(std::uint64_t count) {
    while (count > 0 && !atEnd()) {
        const std::uint64_t step = std::min<std::uint64_t>(count, parts_[part_].size() - position_);
        position_ += static_cast<std::size_t>(step);
        count -= step;
    }
}

void RecordData::characters(std::size_t count, bool wide, std::u16string& out) {
    while (count > 0) {
        if (position_ == parts_[part_].size()) {
            // Characters go on in the next CONTINUE, which says again how they are stored.
            if (part_ + 1 == parts_.size())
                tooShort();
            ++part_;
            position_ = 0;
            wide = (u8() & kWideCharacters) != 0;
            continue;
        }
        const std::string_view part = parts_[part_];
        const std::size_t available = (part.size() - position_) / (wide ? 2 : 1);
        const std::size_t n = std::min(count, available);
        const std::size_t start = out.size();
        out.resize(start + n);
        if (wide) {
            for (std::size_t i = 0; i < n; ++i)
                out[start + i] = static_cast<char16_t>(u16At(part, position_ + 2 * i));
            position_ += 2 * n;
        } else {
            for (std::size_t i = 0; i < n; ++i)
                out[start + i] = u8At(part, position_ + i);
            position_ += n;
        }
        count -= n;
        // A lone byte cannot hold a UTF-16 unit: it is dropped and the next part follows.
        if (n == 0)
            position_ = part.size();
    }
}

void RecordData::unicodeString(unsigned lengthBytes, std::u16string& out) {
    const std::size_t count = lengthBytes == 1 ? u8() : u16();
    const std::uint8_t options = u8();
    const std::uint16_t runs = (options & kHasRichText) ? u16() : 0;
    const std::uint32_t phonetic = (options & kHasPhonetic) ? u32() : 0;
    characters(count, (options & kWideCharacters) != 0, out);
    skip(kRichTextRunSize * runs + phonetic);
}

namespace {

// Whether a byte starts a two-byte character in the double-byte code page; false for any
// byte in other code pages.
bool isLeadByte(std::uint8_t byte, int codePage) {
    switch (codePage) {
    case 932:
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950:
        return byte >= 0x81 && byte <= 0xFE;
    default:
        return false;
    }
}

bool isDoubleByte(int codePage) {
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
}

} // namespace

std::size_t doubleByteSpan(std::string_view bytes, std::size_t characters, int codePage) {
    if (!isDoubleByte(codePage))
        return std::min(characters, bytes.size());
    std::size_t at = 0;
    for (; characters > 0 && at < bytes.size(); --characters)
        at += isLeadByte(static_cast<std::uint8_t>(bytes[at]), codePage) && at + 1 < bytes.size()
                  ? 2
                  : 1;
    return at;
}

std::string RecordData::byteString(unsigned lengthBytes, int codePage) {
    std::size_t count = lengthBytes == 1 ? u8() : u16();
    std::string bytes;
    if (isDoubleByte(codePage)) {
        for (; count > 0 && !atEnd(); --count) {
            const std::uint8_t byte = u8();
            bytes.push_back(static_cast<char>(byte));
            if (isLeadByte(byte, codePage) && !atEnd())
                bytes.push_back(static_cast<char>(u8()));
        }
        return bytes;
    }
    bytes.reserve(count);
    while (count > 0) {
        ensureByte();
        const std::string_view part = parts_[part_];
        const std::size_t n = std::min(count, part.size() - position_);
        bytes.append(part.substr(position_, n));
        position_ += n;
        count -= n;
    }
    return bytes;
}

} // namespace wb::xls
