// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// BIFF records of a workbook stream, and the CONTINUE records that carry the rest of a
// record too long for one. Every length is checked against the stream; a record or string
// that runs past its data throws FormatError.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wb::xls {

namespace record {
inline constexpr std::uint16_t kFormula = 0x0006;
inline constexpr std::uint16_t kEof = 0x000A;
inline constexpr std::uint16_t kDateMode = 0x0022;
inline constexpr std::uint16_t kFilePass = 0x002F;
inline constexpr std::uint16_t kContinue = 0x003C;
inline constexpr std::uint16_t kWindow1 = 0x003D;
inline constexpr std::uint16_t kCodePage = 0x0042;
inline constexpr std::uint16_t kBoundSheet = 0x0085;
inline constexpr std::uint16_t kMulRk = 0x00BD;
inline constexpr std::uint16_t kMulBlank = 0x00BE;
inline constexpr std::uint16_t kRString = 0x00D6;
inline constexpr std::uint16_t kXf = 0x00E0;
inline constexpr std::uint16_t kSst = 0x00FC;
inline constexpr std::uint16_t kLabelSst = 0x00FD;
inline constexpr std::uint16_t kBlank = 0x0201;
inline constexpr std::uint16_t kNumber = 0x0203;
inline constexpr std::uint16_t kLabel = 0x0204;
inline constexpr std::uint16_t kBoolErr = 0x0205;
inline constexpr std::uint16_t kString = 0x0207;
inline constexpr std::uint16_t kArray = 0x0221;
inline constexpr std::uint16_t kTable = 0x0236;
inline constexpr std::uint16_t kRk = 0x027E;
inline constexpr std::uint16_t kFormat = 0x041E;
inline constexpr std::uint16_t kSharedFormula = 0x04BC;
inline constexpr std::uint16_t kBof = 0x0809;
// BOF records of the versions before BIFF5.
inline constexpr std::uint16_t kBofBiff2 = 0x0009;
inline constexpr std::uint16_t kBofBiff3 = 0x0209;
inline constexpr std::uint16_t kBofBiff4 = 0x0409;
} // namespace record

// How many bytes the first `characters` characters of `bytes` take in a double-byte code
// page (a lead byte takes its trail byte along), at most bytes.size(); `characters` bytes in
// other code pages.
std::size_t doubleByteSpan(std::string_view bytes, std::size_t characters, int codePage);

// The record's name as the format documents it ("SST", "LABELSST"), or its number in hex
// ("0x1234") for records the reader does not read.
std::string recordName(std::uint16_t id);

struct Record {
    std::uint16_t id = 0;
    std::string_view data;
};

class RecordStream {
public:
    // Reads records from byte `start` of the stream; from a start past the end there are
    // none (a caller checks an offset it took from the file, to name it in its message).
    RecordStream(std::string_view stream, std::size_t start);

    // The next record; false at the end of the stream. A record longer than the rest of
    // the stream throws.
    bool next(Record& record);

    // The bodies of the CONTINUE records that follow the record just read, which are
    // consumed.
    void takeContinues(std::vector<std::string_view>& parts);

    // Where the next record starts.
    std::size_t position() const { return position_; }
    // Whether a whole record header follows; next() throws on fewer bytes than one.
    bool headerFollows() const;

private:
    std::string_view stream_;
    std::size_t position_;
};

// A record's data followed by its CONTINUE records, read as one sequence of bytes, except
// that character data split across a boundary is preceded by a fresh option byte. Reading
// past the end throws FormatError naming the record `id`.
class RecordData {
public:
    // `first`: the record's data, or the part of it still to read; no CONTINUE records.
    RecordData(std::uint16_t id, std::string_view first) : id_(id) { parts_.push_back(first); }
    // The same followed by the CONTINUE records after it, which are consumed from records.
    RecordData(std::uint16_t id, std::string_view first, RecordStream& records);

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    // Skips count bytes; stops at the end of the data rather than failing.
    void skip(std::uint64_t count);
    bool atEnd();

    // A BIFF8 string: a character count of lengthBytes (1 or 2), an option byte, then the
    // characters (UTF-16, or 8-bit when compressed), whose rich-text runs and phonetic data
    // are skipped. The characters are appended to out.
    void unicodeString(unsigned lengthBytes, std::u16string& out);
    // A BIFF5 string: a count of lengthBytes, then that many bytes in the code page. In a
    // double-byte code page (932, 936, 949, 950) writers count characters or bytes: given
    // such a code page, the count is read as characters, a lead byte taking its trail byte
    // along, and the string ends early at the end of the data. Only for strings that end
    // their record, where both readings give the same text.
    std::string byteString(unsigned lengthBytes, int codePage = 0);

private:
    // Makes the current part hold at least one more byte; throws at the end of the data.
    void ensureByte();
    void characters(std::size_t count, bool wide, std::u16string& out);

    [[noreturn]] void tooShort() const;

    std::uint16_t id_;
    std::vector<std::string_view> parts_;
    std::size_t part_ = 0;
    std::size_t position_ = 0;
};

} // namespace wb::xls
