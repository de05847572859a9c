// SPDX-License-Identifier: GPL-3.0-or-later
#include "xls/xlsx/XlsxReader.h"

#include "text/DateText.h"
#include "text/Encoding.h"
#include "xls/FormatError.h"
#include "xls/NumberFormat.h"
#include "xls/SharedStrings.h"
#include "xls/SheetBuilder.h"
#include "xls/xlsx/XlsxPackage.h"
#include "xls/xlsx/XlsxText.h"
#include "xls/xlsx/XmlParser.h"

#include <charconv>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace wb::xls {

namespace {

using Kind = CellValue::Kind;

// The size of a worksheet.
constexpr std::uint32_t kMaxRows = 1048576;
constexpr std::uint32_t kMaxColumns = 16384;
constexpr std::size_t kMaxColumnLetters = 3;

constexpr std::string_view kOpenDocumentSpreadsheet =
    "application/vnd.oasis.opendocument.spreadsheet";

// --- workbook, styles, shared strings -------------------------------------------------------

struct SheetEntry {
    std::string name; // UTF-8
    std::string relationship;
};

class WorkbookHandler final : public XmlHandler {
public:
    void startElement(const XmlName& name, const XmlAttributes& attributes) override {
        if (!sawRoot_) {
            sawRoot_ = true;
            if (!name.is(Namespace::Spreadsheet, "workbook"))
                throw FormatError(reason::kNoWorkbookElement);
            return;
        }
        if (name.ns != Namespace::Spreadsheet)
            return;
        if (name.local == "workbookPr") {
            date1904 = isTrue(attributes.get("date1904"));
        } else if (name.local == "workbookView" && !haveView_) {
            haveView_ = true;
            const char* tab = attributes.get("activeTab");
            activeTab = tab ? unsignedNumber<std::uint32_t>(tab).value_or(0) : 0;
        } else if (name.local == "sheet") {
            const char* sheetName = attributes.get("name");
            const char* id = attributes.get("id", Namespace::OfficeRelationships);
            sheets.push_back({sheetName ? sheetName : "", id ? id : ""});
        }
    }
    void endElement(const XmlName&) override {}
    void characters(std::string_view) override {}

    bool date1904 = false;
    std::uint32_t activeTab = 0;
    std::vector<SheetEntry> sheets;

private:
    bool sawRoot_ = false;
    bool haveView_ = false;
};

// The number formats of the cell formats (cellXfs), and the formats the workbook defines.
class StylesHandler final : public XmlHandler {
public:
    void startElement(const XmlName& name, const XmlAttributes& attributes) override {
        if (name.ns != Namespace::Spreadsheet)
            return;
        if (name.local == "cellXfs") {
            inCellFormats_ = true;
        } else if (name.local == "xf" && inCellFormats_) {
            const char* format = attributes.get("numFmtId");
            cellFormats.push_back(format ? unsignedNumber<std::uint32_t>(format).value_or(0) : 0);
        } else if (name.local == "numFmt") {
            const char* id = attributes.get("numFmtId");
            const char* code = attributes.get("formatCode");
            if (const auto index = id ? unsignedNumber<std::uint32_t>(id) : std::nullopt)
                formatIsDate[*index] = code && isDateFormatText(std::string_view(code));
        }
    }
    void endElement(const XmlName& name) override {
        if (name.is(Namespace::Spreadsheet, "cellXfs"))
            inCellFormats_ = false;
    }
    void characters(std::string_view) override {}

    std::vector<std::uint32_t> cellFormats;
    std::map<std::uint32_t, bool> formatIsDate;

private:
    bool inCellFormats_ = false;
};

class SharedStringsHandler final : public XmlHandler {
public:
    explicit SharedStringsHandler(SharedStrings<char>& strings) : strings_(strings) {}

    void startElement(const XmlName& name, const XmlAttributes&) override {
        if (name.ns != Namespace::Spreadsheet)
            return;
        if (inItem_)
            text_.start(name.local);
        else
            inItem_ = name.local == "si";
    }
    void endElement(const XmlName& name) override {
        if (name.ns != Namespace::Spreadsheet || !inItem_)
            return;
        if (name.local == "si") {
            strings_.endString();
            inItem_ = false;
        } else {
            text_.end(name.local, strings_.characters());
        }
    }
    void characters(std::string_view text) override {
        if (inItem_)
            text_.characters(text);
    }

private:
    SharedStrings<char>& strings_;
    bool inItem_ = false;
    StringItemText text_;
};

// --- the sheet ------------------------------------------------------------------------------

struct CellPosition {
    std::uint32_t row = 0; // 0-based
    std::uint32_t column = 0;
};

// "AB12" as a 0-based position; nullopt for anything else or a cell outside the sheet.
std::optional<CellPosition> parseCellReference(std::string_view reference) {
    std::uint32_t column = 0;
    std::size_t letters = 0;
    while (letters < reference.size() && letters < kMaxColumnLetters) {
        char c = reference[letters];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c < 'A' || c > 'Z')
            break;
        column = column * 26 + static_cast<std::uint32_t>(c - 'A' + 1);
        ++letters;
    }
    const std::string_view digits = reference.substr(letters);
    if (letters == 0 || column > kMaxColumns || digits.empty() || digits[0] < '0' ||
        digits[0] > '9')
        return std::nullopt;
    const std::optional<std::uint32_t> row = unsignedNumber<std::uint32_t>(digits);
    if (!row || *row == 0 || *row > kMaxRows)
        return std::nullopt;
    return CellPosition{*row - 1, column - 1};
}

// A 0-based position as a reference, for messages ("XFE3").
std::string cellName(std::uint64_t row, std::uint64_t column) {
    std::string letters;
    for (std::uint64_t n = column + 1; n > 0; n = (n - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
    return letters + std::to_string(row + 1);
}

// An ISO 8601 date "yyyy-mm-dd" with an optional time "Thh:mm[:ss[.fff]]", as a day number.
std::optional<double> isoDate(std::string_view text) {
    const auto field = [&](std::size_t at, std::size_t size) -> std::optional<int> {
        if (text.size() < at + size)
            return std::nullopt;
        int value = 0;
        const auto [end, error] = std::from_chars(text.data() + at, text.data() + at + size, value);
        if (error != std::errc() || end != text.data() + at + size)
            return std::nullopt;
        return value;
    };
    const auto year = field(0, 4), month = field(5, 2), day = field(8, 2);
    if (!year || !month || !day || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    std::optional<double> date = dayNumber(*year, *month, *day);
    if (!date || text.size() == 10)
        return date;
    const auto hour = field(11, 2), minute = field(14, 2);
    if (text[10] != 'T' || !hour || !minute || text[13] != ':')
        return std::nullopt;
    double seconds = 0;
    if (text.size() > 16 && text[16] == ':') {
        const char* first = text.data() + 17;
        const char* last = text.data() + text.size();
        if (text.back() == 'Z')
            --last;
        const auto [end, error] = std::from_chars(first, last, seconds);
        if (error != std::errc() || end != last)
            return std::nullopt;
    }
    if (*hour > 23 || *minute > 59 || !(seconds >= 0 && seconds < 60))
        return std::nullopt;
    return *date + (*hour * 3600.0 + *minute * 60.0 + seconds) / 86400.0;
}

class SheetHandler final : public XmlHandler {
public:
    SheetHandler(SharedStrings<char>& strings, std::vector<bool> dateFormats, bool date1904)
        : strings_(strings), dateFormats_(std::move(dateFormats)), date1904_(date1904) {}

    void startElement(const XmlName& name, const XmlAttributes& attributes) override {
        if (name.ns != Namespace::Spreadsheet)
            return;
        const std::string_view local = name.local;
        if (!inSheetData_) {
            inSheetData_ = local == "sheetData";
        } else if (inInline_) {
            inlineText_.start(local);
        } else if (inCell_) {
            if (local == "v") {
                inValue_ = hasValue_ = true;
                value_.clear();
            } else if (local == "is") {
                inInline_ = hasInline_ = true;
                inline_.clear();
            }
        } else if (local == "row") {
            startRow(attributes);
        } else if (local == "c") {
            startCell(attributes);
        }
    }

    void endElement(const XmlName& name) override {
        if (name.ns != Namespace::Spreadsheet)
            return;
        const std::string_view local = name.local;
        if (inInline_) {
            if (local == "is")
                inInline_ = false;
            else
                inlineText_.end(local, inline_);
        } else if (inValue_) {
            inValue_ = local != "v";
        } else if (inCell_) {
            if (local == "c") {
                inCell_ = false;
                endCell();
            }
        } else if (local == "sheetData") {
            inSheetData_ = false;
        }
    }

    void characters(std::string_view text) override {
        if (inValue_)
            value_.append(text);
        else if (inInline_)
            inlineText_.characters(text);
    }

    XlsSheet finish(Gbk name) { return sheet_.finish(std::move(name)); }

private:
    enum class Type { Number, SharedString, FormulaString, InlineString, Boolean, Error, Date };

    static Type typeOf(const char* type) {
        if (!type)
            return Type::Number;
        const std::string_view t = type;
        return t == "s"           ? Type::SharedString
               : t == "str"       ? Type::FormulaString
               : t == "inlineStr" ? Type::InlineString
               : t == "b"         ? Type::Boolean
               : t == "e"         ? Type::Error
               : t == "d"         ? Type::Date
                                  : Type::Number;
    }

    // Rows without a number follow the one before; cells without a reference follow the
    // cell before in their row.
    void startRow(const XmlAttributes& attributes) {
        if (const char* r = attributes.get("r")) {
            const std::optional<std::uint32_t> number = unsignedNumber<std::uint32_t>(r);
            if (!number || *number == 0 || *number > kMaxRows)
                throw FormatError(reason::badRowNumber(quoted(r)));
            row_ = *number - 1;
        } else {
            ++row_;
            if (row_ >= kMaxRows)
                throw FormatError(reason::badRowNumber(std::to_string(row_ + 1)));
        }
        column_ = -1;
    }

    void startCell(const XmlAttributes& attributes) {
        inCell_ = true;
        hasValue_ = hasInline_ = false;
        // Every cell of the sheet comes here: its attributes are taken in one pass.
        const char* r = nullptr;
        const char* type = nullptr;
        const char* style = nullptr;
        attributes.forEach([&](const char* name, const char* value) {
            if (name[0] == '\0' || name[1] != '\0')
                return;
            switch (name[0]) {
            case 'r':
                r = value;
                break;
            case 't':
                type = value;
                break;
            case 's':
                style = value;
                break;
            default:
                break;
            }
        });
        if (r) {
            const std::optional<CellPosition> position = parseCellReference(r);
            if (!position)
                throw FormatError(reason::badCellReference(quoted(r)));
            cellRow_ = position->row;
            column_ = position->column;
        } else {
            cellRow_ = row_ < 0 ? 0 : static_cast<std::uint32_t>(row_);
            ++column_;
            if (column_ >= kMaxColumns)
                throw FormatError(reason::badCellReference(cellName(cellRow_, column_)));
        }
        type_ = typeOf(type);
        style_ = style ? unsignedNumber<std::uint32_t>(style).value_or(0) : 0;
    }

    std::uint16_t column() const { return static_cast<std::uint16_t>(column_); }

    void addText(std::string_view utf8) {
        sheet_.addText(cellRow_, column(), sheet_.appendText(utf8ToGbk(utf8)));
    }

    void endCell() {
        if (type_ == Type::InlineString && hasInline_) {
            addText(inline_);
            return;
        }
        // A value that is empty, a formula's empty text too, leaves the cell empty.
        if (!hasValue_ || value_.empty())
            return;
        const std::string_view value = trimmed(value_);
        switch (type_) {
        case Type::SharedString: {
            const std::optional<std::uint32_t> index = unsignedNumber<std::uint32_t>(value);
            if (!index || *index >= strings_.size())
                throw FormatError(reason::sharedStringOutside(cellName(cellRow_, column()),
                                                              quoted(value), strings_.size()));
            sheet_.addText(cellRow_, column(), strings_.text(*index, sheet_));
            break;
        }
        case Type::FormulaString:
        case Type::InlineString: {
            std::string text;
            appendUnescaped(value_, text);
            addText(text);
            break;
        }
        case Type::Boolean:
            sheet_.add(cellRow_, column(), Kind::Boolean, value == "1" || value == "true" ? 1 : 0);
            break;
        case Type::Error:
            sheet_.add(cellRow_, column(), Kind::Error, errorCode(value));
            break;
        case Type::Date:
            if (const std::optional<double> day = isoDate(value))
                sheet_.add(cellRow_, column(), Kind::Date, *day);
            else
                addText(value_);
            break;
        case Type::Number:
            number(value);
            break;
        }
    }

    void number(std::string_view text) {
        if (text.empty())
            return;
        if (text.front() == '+')
            text.remove_prefix(1);
        double value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size())
            throw FormatError(reason::badNumber(cellName(cellRow_, column()), quoted(text)));
        const std::optional<double> day = style_ < dateFormats_.size() && dateFormats_[style_]
                                              ? formattedDate(value, date1904_)
                                              : std::nullopt;
        if (day)
            sheet_.add(cellRow_, column(), Kind::Date, *day);
        else
            sheet_.add(cellRow_, column(), Kind::Number, value);
    }

    SharedStrings<char>& strings_;
    const std::vector<bool> dateFormats_;
    const bool date1904_;
    SheetBuilder sheet_;

    bool inSheetData_ = false;
    bool inCell_ = false;
    bool inValue_ = false;
    bool inInline_ = false;
    std::int64_t row_ = -1;    // 0-based; -1 before the first row
    std::int64_t column_ = -1; // 0-based; -1 before the row's first cell
    std::uint32_t cellRow_ = 0;
    Type type_ = Type::Number;
    std::uint32_t style_ = 0;
    bool hasValue_ = false;
    bool hasInline_ = false;
    std::string value_;
    std::string inline_;
    StringItemText inlineText_;
};

bool isOpenDocumentSpreadsheet(ZipPackage& package) {
    if (!package.contains("mimetype"))
        return false;
    std::string mimetype;
    package.read("mimetype", [&](std::string_view piece) {
        mimetype.append(piece.substr(0, kOpenDocumentSpreadsheet.size() + 1 - mimetype.size()));
    });
    return trimmed(mimetype) == kOpenDocumentSpreadsheet;
}

} // namespace

XlsSheet readXlsxActiveSheet(std::string_view bytes, InflateBounds bounds) {
    ZipPackage package(bytes, bounds);
    const Relationship* office = nullptr;
    const std::vector<Relationship> packageRelationships = readRelationships(package, "");
    office = byKind(packageRelationships, "officeDocument");
    if (!office) {
        if (isOpenDocumentSpreadsheet(package))
            throw FormatError(reason::kOpenDocument);
        throw FormatError(reason::kNoWorkbookPart);
    }
    const std::string workbookPart = office->target;
    WorkbookHandler workbook;
    parsePart(package, workbookPart, workbook);
    if (workbook.sheets.empty())
        throw FormatError(reason::kNoSheet);
    const SheetEntry& entry =
        workbook.sheets[workbook.activeTab < workbook.sheets.size() ? workbook.activeTab : 0];

    const std::vector<Relationship> relationships = readRelationships(package, workbookPart);
    const Relationship* sheetPart = byId(relationships, entry.relationship);
    if (!sheetPart)
        throw FormatError(reason::kNoSheetPart);
    if (sheetPart->kind != "worksheet")
        throw FormatError(reason::activeSheetHasNoCells(entry.name));

    StylesHandler styles;
    if (const Relationship* part = byKind(relationships, "styles"))
        parsePart(package, part->target, styles);
    SharedStrings<char> strings;
    if (const Relationship* part = byKind(relationships, "sharedStrings")) {
        SharedStringsHandler handler(strings);
        parsePart(package, part->target, handler);
    }
    SheetHandler sheet(strings, dateCellFormats(styles.cellFormats, styles.formatIsDate),
                       workbook.date1904);
    parsePart(package, sheetPart->target, sheet);
    return sheet.finish(utf8ToGbk(entry.name));
}

} // namespace wb::xls
