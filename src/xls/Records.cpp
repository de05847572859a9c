#include "xls/Records.h"

#include "xls/Bytes.h"
#include "xls/FormatError.h"

#include <algorithm>

namespace wb::xls {

RecordStream::RecordStream(std::string_view stream, std::size_t start)
    : stream_(stream), position_(start) {
    if (start > stream.size())
        throw FormatError(reason::kBadRecord);
}

bool RecordStream::next(Record& record) {
    if (position_ == stream_.size())
        return false;
    if (stream_.size() - position_ < 4)
        throw FormatError(reason::kBadRecord);
    const std::uint16_t id = u16At(stream_, position_);
    const std::size_t length = u16At(stream_, position_ + 2);
    if (stream_.size() - position_ - 4 < length)
        throw FormatError(reason::kBadRecord);
    record.id = id;
    record.data = stream_.substr(position_ + 4, length);
    position_ += 4 + length;
    return true;
}

void RecordStream::takeContinues(std::vector<std::string_view>& parts) {
    Record record;
    while (stream_.size() - position_ >= 4 && u16At(stream_, position_) == record::kContinue) {
        next(record);
        parts.push_back(record.data);
    }
}

RecordData::RecordData(RecordStream& records, std::string_view first) {
    parts_.push_back(first);
    records.takeContinues(parts_);
}

void RecordData::ensureByte() {
    while (position_ == parts_[part_].size()) {
        if (part_ + 1 == parts_.size())
            throw FormatError(reason::kBadRecord);
        ++part_;
        position_ = 0;
    }
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
                throw FormatError(reason::kBadRecord);
            ++part_;
            position_ = 0;
            wide = (u8() & 0x01) != 0;
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
    const std::uint16_t runs = (options & 0x08) ? u16() : 0;
    const std::uint32_t phonetic = (options & 0x04) ? u32() : 0;
    characters(count, (options & 0x01) != 0, out);
    skip(4ull * runs + phonetic);
}

std::string RecordData::byteString(unsigned lengthBytes) {
    std::size_t count = lengthBytes == 1 ? u8() : u16();
    std::string bytes;
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
