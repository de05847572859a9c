// SPDX-License-Identifier: GPL-3.0-or-later
#include "xls/biff/BiffReader.h"

#include "text/Encoding.h"
#include "xls/Bytes.h"
#include "xls/FormatError.h"
#include "xls/NumberFormat.h"
#include "xls/SharedStrings.h"
#include "xls/SheetBuilder.h"
#include "xls/biff/Records.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace wb::xls {

namespace {

using Kind = CellValue::Kind;

constexpr std::uint16_t kBiff5Version = 0x0500;
constexpr std::uint16_t kBiff8Version = 0x0600;
constexpr int kUtf16CodePage = 1200;
constexpr int kLatinCodePage = 1252;

// Sheet types of BOUNDSHEET.
constexpr std::uint8_t kChartSheet = 2;
constexpr std::uint8_t kModuleSheet = 6;

// Formula results that are not numbers are marked by 0xFFFF in the top two bytes.
constexpr std::uint8_t kResultString = 0;
constexpr std::uint8_t kResultBoolean = 1;
constexpr std::uint8_t kResultError = 2;
constexpr std::uint8_t kResultEmptyString = 3;

constexpr std::size_t kNoCell = std::numeric_limits<std::size_t>::max();

// Where the reader finds its fields: byte offsets into a record's data, and the size a
// record needs for the fields read from it.
namespace at {
// BOF: the BIFF version.
constexpr std::size_t kBofVersion = 0;
constexpr std::size_t kBofSize = 4;
// CODEPAGE and DATEMODE: one 16-bit value.
constexpr std::size_t kValue16 = 0;
constexpr std::size_t kValue16Size = 2;
// WINDOW1: the sheet shown when the workbook opens.
constexpr std::size_t kWindow1ActiveTab = 10;
constexpr std::size_t kWindow1Size = 12;
// XF: the number format.
constexpr std::size_t kXfFormat = 2;
constexpr std::size_t kXfSize = 4;
// BOUNDSHEET: where the sheet's BOF is, its type, then its name.
constexpr std::size_t kSheetOffset = 0;
constexpr std::size_t kSheetType = 5;
constexpr std::size_t kSheetName = 6;
// Every cell record starts with its row, its column and its XF.
constexpr std::size_t kRow = 0;
constexpr std::size_t kColumn = 2;
constexpr std::size_t kCellXf = 4;
constexpr std::size_t kCellHeaderSize = 6;
// NUMBER and RK: the value after the cell header.
constexpr std::size_t kCellValue = 6;
constexpr std::size_t kNumberSize = 14;
constexpr std::size_t kRkSize = 10;
// MULRK: row, first column, pairs of XF and RK value, last column.
constexpr std::size_t kMulRkFirstColumn = 2;
constexpr std::size_t kMulRkPairs = 4;
constexpr std::size_t kMulRkPairSize = 6;
constexpr std::size_t kMulRkFixedSize = 6;
// LABELSST: the index into the shared strings.
constexpr std::size_t kStringIndex = 6;
constexpr std::size_t kLabelSstSize = 10;
// BOOLERR: the value, then whether it is an error code.
constexpr std::size_t kBoolErrValue = 6;
constexpr std::size_t kBoolErrIsError = 7;
constexpr std::size_t kBoolErrSize = 8;
// FORMULA: the cached result, 8 bytes; a result that is no number has its type in the first
// byte, its boolean or error value in the third and 0xFFFF in the last two.
constexpr std::size_t kFormulaResultType = 6;
constexpr std::size_t kFormulaResultValue = 8;
constexpr std::size_t kFormulaResultMarker = 12;
constexpr std::size_t kFormulaSize = 14;
} // namespace at

constexpr std::uint16_t kNotANumberResult = 0xFFFF;
// RK values: bit 0 says divided by 100, bit 1 a 30-bit integer, else the top 30 bits of a
// double.
constexpr std::uint32_t kRkCents = 0x01;
constexpr std::uint32_t kRkInteger = 0x02;
constexpr std::uint32_t kRkDoubleBits = 0xFFFFFFFC;

// Reads the SST record's strings into the table.
void readSharedStrings(RecordData& data, std::size_t byteBound, SharedStrings<char16_t>& strings) {
    data.u32(); // references to strings; not needed
    const std::uint32_t unique = data.u32();
    // Every string takes at least 3 bytes: never reserve more than the data can hold.
    strings.reserve(std::min<std::size_t>(unique, byteBound / 3));
    for (std::uint32_t i = 0; i < unique && !data.atEnd(); ++i) {
        data.unicodeString(2, strings.characters());
        strings.endString();
    }
}

struct SheetEntry {
    std::uint32_t offset = 0;
    std::uint8_t type = 0;
    std::u16string wideName; // BIFF8
    std::string byteName;    // BIFF5, in the code page
};

struct Globals {
    int biff = 8;
    int codePage = kLatinCodePage;
    bool date1904 = false;
    std::size_t activeTab = 0;
    std::vector<std::uint32_t> xfFormats;
    std::map<std::uint32_t, bool> formatIsDate; // formats the workbook defines, by index
    std::vector<std::pair<std::uint16_t, std::string>> byteFormats; // BIFF5, in the code page
    std::vector<SheetEntry> sheets;
    SharedStrings<char16_t> strings;
};

int biffVersion(const Record& bof, bool namedBook) {
    if (bof.id == record::kBofBiff2 || bof.id == record::kBofBiff3 || bof.id == record::kBofBiff4)
        throw FormatError(reason::kOldVersion);
    if (bof.id != record::kBof)
        throw FormatError(reason::kNoBof);
    if (bof.data.size() < at::kBofSize)
        throw FormatError(reason::recordTooShort(recordName(bof.id)));
    const std::uint16_t version = u16At(bof.data, at::kBofVersion);
    if (version == kBiff5Version)
        return 5;
    if (version == kBiff8Version)
        return 8;
    return namedBook ? 5 : 8;
}

Globals readGlobals(std::string_view stream, bool namedBook, bool decrypted) {
    RecordStream records(stream, 0);
    Record r;
    if (!records.next(r))
        throw FormatError(reason::kNoBof);
    Globals g;
    g.biff = biffVersion(r, namedBook);
    g.codePage = g.biff == 8 ? kUtf16CodePage : kLatinCodePage;
    bool haveWindow = false;
    bool haveStrings = false;
    while (records.next(r) && r.id != record::kEof) {
        const std::string_view d = r.data;
        switch (r.id) {
        case record::kFilePass:
            if (!decrypted)
                throw FormatError(reason::kPasswordProtected);
            break;
        case record::kCodePage:
            if (d.size() >= at::kValue16Size)
                g.codePage = u16At(d, at::kValue16);
            break;
        case record::kDateMode:
            if (d.size() >= at::kValue16Size)
                g.date1904 = u16At(d, at::kValue16) != 0;
            break;
        case record::kWindow1:
            if (!haveWindow && d.size() >= at::kWindow1Size) {
                g.activeTab = u16At(d, at::kWindow1ActiveTab);
                haveWindow = true;
            }
            break;
        case record::kXf:
            g.xfFormats.push_back(d.size() >= at::kXfSize ? u16At(d, at::kXfFormat) : 0);
            break;
        case record::kFormat: {
            RecordData data(r.id, d);
            const std::uint16_t index = data.u16();
            if (g.biff == 8) {
                std::u16string text;
                data.unicodeString(2, text);
                g.formatIsDate[index] = isDateFormatText(text);
            } else {
                g.byteFormats.emplace_back(index, data.byteString(1, g.codePage));
            }
            break;
        }
        case record::kBoundSheet: {
            if (d.size() < at::kSheetName)
                throw FormatError(reason::recordTooShort(recordName(r.id)));
            SheetEntry sheet;
            sheet.offset = u32At(d, at::kSheetOffset);
            sheet.type = u8At(d, at::kSheetType);
            RecordData name(r.id, d.substr(at::kSheetName));
            if (g.biff == 8)
                name.unicodeString(1, sheet.wideName);
            else
                sheet.byteName = name.byteString(1, g.codePage);
            g.sheets.push_back(std::move(sheet));
            break;
        }
        case record::kSst:
            if (g.biff == 8 && !haveStrings) {
                RecordData data(r.id, d, records);
                readSharedStrings(data, stream.size(), g.strings);
                haveStrings = true;
            }
            break;
        default:
            break;
        }
    }
    // BIFF5 format texts are in the code page, which may only be known at the end.
    for (const auto& [index, bytes] : g.byteFormats)
        g.formatIsDate[index] = isDateFormatText(gbkToUtf8(codePageToGbk(bytes, g.codePage)));
    return g;
}

class SheetReader {
public:
    SheetReader(std::string_view stream, Globals& globals)
        : stream_(stream), g_(globals),
          xfIsDate_(dateCellFormats(globals.xfFormats, globals.formatIsDate)) {}

    XlsSheet read(const SheetEntry& entry, Gbk name) {
        if (entry.offset >= stream_.size())
            throw FormatError(reason::kSheetOffsetOutside);
        RecordStream records(stream_, entry.offset);
        Record r;
        if (!records.next(r) || r.id != record::kBof)
            throw FormatError(reason::kSheetNotAtBof);
        // Embedded charts bring their own BOF ... EOF inside the sheet.
        int depth = 1;
        std::size_t pendingString = kNoCell;
        while (depth > 0 && records.next(r)) {
            if (r.id == record::kBof) {
                ++depth;
                continue;
            }
            if (r.id == record::kEof) {
                --depth;
                continue;
            }
            if (depth != 1)
                continue;
            if (pendingString != kNoCell && r.id != record::kString &&
                r.id != record::kSharedFormula && r.id != record::kArray && r.id != record::kTable)
                pendingString = kNoCell;
            cellRecord(r, records, pendingString);
        }
        return sheet_.finish(std::move(name));
    }

private:
    void number(std::uint16_t row, std::uint16_t column, std::uint16_t xf, double value) {
        const std::optional<double> day = xf < xfIsDate_.size() && xfIsDate_[xf]
                                              ? formattedDate(value, g_.date1904)
                                              : std::nullopt;
        if (day)
            sheet_.add(row, column, Kind::Date, *day);
        else
            sheet_.add(row, column, Kind::Number, value);
    }

    static double rkValue(std::uint32_t rk) {
        double value;
        if (rk & kRkInteger) {
            value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
        } else {
            const std::uint64_t bits = static_cast<std::uint64_t>(rk & kRkDoubleBits) << 32;
            std::memcpy(&value, &bits, sizeof value);
        }
        return (rk & kRkCents) ? value / 100 : value;
    }

    // A BIFF5 RSTRING whose length counts characters of a double-byte code page: the
    // string is followed by a count of formatting runs and 2 bytes for each, which tells
    // which reading of the length fits. Adds the cell and gives true when it is one.
    bool biff5CharacterCount(std::string_view d) {
        const std::string_view body = d.substr(at::kCellHeaderSize);
        if (body.size() < 2)
            return false;
        const std::string_view text = body.substr(2);
        const std::size_t count = u16At(body, 0);
        const auto fits = [&](std::size_t length) {
            return length < text.size() && text.size() - length - 1 == 2u * u8At(text, length);
        };
        const std::size_t span = doubleByteSpan(text, count, g_.codePage);
        if (span == count || fits(count) || !fits(span))
            return false;
        sheet_.addText(u16At(d, at::kRow), u16At(d, at::kColumn),
                       sheet_.appendText(codePageToGbk(text.substr(0, span), g_.codePage)));
        return true;
    }

    // endsRecord: nothing follows the string in its record (LABEL, STRING; not RSTRING,
    // whose formatting runs follow), so that a BIFF5 count of characters can be told.
    std::uint32_t stringText(RecordData& data, bool endsRecord) {
        if (g_.biff == 8) {
            std::u16string text;
            data.unicodeString(2, text);
            return sheet_.appendText(utf16ToGbk(text));
        }
        return sheet_.appendText(
            codePageToGbk(data.byteString(2, endsRecord ? g_.codePage : 0), g_.codePage));
    }

    static void need(const Record& r, std::size_t size) {
        if (r.data.size() < size)
            throw FormatError(reason::recordTooShort(recordName(r.id)));
    }

    void cellRecord(const Record& r, RecordStream& records, std::size_t& pendingString) {
        const std::string_view d = r.data;
        switch (r.id) {
        case record::kNumber:
            need(r, at::kNumberSize);
            number(u16At(d, at::kRow), u16At(d, at::kColumn), u16At(d, at::kCellXf),
                   f64At(d, at::kCellValue));
            break;
        case record::kRk:
            need(r, at::kRkSize);
            number(u16At(d, at::kRow), u16At(d, at::kColumn), u16At(d, at::kCellXf),
                   rkValue(u32At(d, at::kCellValue)));
            break;
        case record::kMulRk: {
            need(r, at::kMulRkFixedSize);
            const std::uint16_t row = u16At(d, at::kRow);
            const std::size_t first = u16At(d, at::kMulRkFirstColumn);
            const std::size_t count = std::min<std::size_t>(
                (d.size() - at::kMulRkFixedSize) / at::kMulRkPairSize, 0x10000 - first);
            for (std::size_t i = 0; i < count; ++i) {
                const std::size_t pair = at::kMulRkPairs + at::kMulRkPairSize * i;
                number(row, static_cast<std::uint16_t>(first + i), u16At(d, pair),
                       rkValue(u32At(d, pair + 2)));
            }
            break;
        }
        case record::kLabelSst: {
            need(r, at::kLabelSstSize);
            const std::uint32_t index = u32At(d, at::kStringIndex);
            if (index >= g_.strings.size())
                throw FormatError(reason::kStringIndexOutside);
            sheet_.addText(u16At(d, at::kRow), u16At(d, at::kColumn),
                           g_.strings.text(index, sheet_));
            break;
        }
        case record::kLabel:
        case record::kRString: {
            need(r, at::kCellHeaderSize);
            if (r.id == record::kRString && g_.biff == 5 && biff5CharacterCount(d))
                break;
            RecordData data(r.id, d.substr(at::kCellHeaderSize), records);
            sheet_.addText(u16At(d, at::kRow), u16At(d, at::kColumn),
                           stringText(data, r.id == record::kLabel));
            break;
        }
        case record::kBoolErr:
            need(r, at::kBoolErrSize);
            if (u8At(d, at::kBoolErrIsError) != 0)
                sheet_.add(u16At(d, at::kRow), u16At(d, at::kColumn), Kind::Error,
                           u8At(d, at::kBoolErrValue));
            else
                sheet_.add(u16At(d, at::kRow), u16At(d, at::kColumn), Kind::Boolean,
                           u8At(d, at::kBoolErrValue) != 0 ? 1 : 0);
            break;
        case record::kFormula:
            need(r, at::kFormulaSize);
            formula(d, pendingString);
            break;
        case record::kString:
            if (pendingString != kNoCell) {
                RecordData data(r.id, d, records);
                sheet_.setText(pendingString, stringText(data, true));
                pendingString = kNoCell;
            }
            break;
        default:
            break;
        }
    }

    // A formula cell delivers its cached result; a text result follows in a STRING record.
    void formula(std::string_view d, std::size_t& pendingString) {
        const std::uint16_t row = u16At(d, at::kRow);
        const std::uint16_t column = u16At(d, at::kColumn);
        if (u16At(d, at::kFormulaResultMarker) != kNotANumberResult) {
            number(row, column, u16At(d, at::kCellXf), f64At(d, at::kCellValue));
            return;
        }
        switch (u8At(d, at::kFormulaResultType)) {
        case kResultString:
            pendingString = sheet_.addText(row, column, 0);
            break;
        case kResultBoolean:
            sheet_.add(row, column, Kind::Boolean, u8At(d, at::kFormulaResultValue) != 0 ? 1 : 0);
            break;
        case kResultError:
            sheet_.add(row, column, Kind::Error, u8At(d, at::kFormulaResultValue));
            break;
        case kResultEmptyString:
            sheet_.addText(row, column, 0);
            break;
        default:
            break;
        }
    }

    std::string_view stream_;
    Globals& g_;
    std::vector<bool> xfIsDate_;
    SheetBuilder sheet_;
};

} // namespace

XlsSheet readActiveSheet(std::string_view stream, bool namedBook, bool decrypted) {
    Globals globals = readGlobals(stream, namedBook, decrypted);
    if (globals.sheets.empty())
        throw FormatError(reason::kNoSheet);
    const SheetEntry& entry =
        globals.sheets[globals.activeTab < globals.sheets.size() ? globals.activeTab : 0];
    Gbk name = globals.biff == 8 ? utf16ToGbk(entry.wideName)
                                 : codePageToGbk(entry.byteName, globals.codePage);
    if (entry.type == kChartSheet || entry.type == kModuleSheet)
        throw FormatError(reason::activeSheetHasNoCells(gbkToUtf8(name)));
    return SheetReader(stream, globals).read(entry, std::move(name));
}

} // namespace wb::xls
