// SPDX-License-Identifier: GPL-3.0-or-later
// The .xlsx reader on packages put together in memory: cell references and the cells that
// have none, every cell type, the namespaces and relationships real writers use, and XML
// that must be refused. Each broken case maps to its exact reason.

#include "xls/xlsx/XlsxReader.h"
#include "support/FileLines.h"
#include "support/XlsxPackage.h"
#include "text/Encoding.h"
#include "xls/FormatError.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>

namespace wb {
void PrintTo(const CellValue& value, std::ostream* out);
} // namespace wb

using namespace wb;
using namespace wb::xls;
using wb::test::Parts;
using wb::test::workbookParts;
using wb::test::zipBytes;

namespace {

XlsSheet read(const Parts& parts) {
    return readXlsxActiveSheet(zipBytes(parts));
}

XlsSheet readRows(const std::string& rows) {
    return read(workbookParts(rows));
}

std::string failure(const Parts& parts) {
    try {
        read(parts);
    } catch (const FormatError& e) {
        return e.what();
    }
    return "(read)";
}

std::string rowsFailure(const std::string& rows) {
    return failure(workbookParts(rows));
}

struct Cell {
    int row;
    int column;
    CellValue value;
};

void expectCells(const XlsSheet& sheet, const std::vector<Cell>& cells, const char* name) {
    int lastRow = 0, lastColumn = 0;
    for (const Cell& cell : cells) {
        EXPECT_EQ(sheet.cell(cell.row, cell.column), cell.value)
            << name << " at " << cell.row << "," << cell.column;
        lastRow = std::max(lastRow, cell.row);
        lastColumn = std::max(lastColumn, cell.column);
    }
    EXPECT_EQ(sheet.lastRow(), lastRow) << name;
    EXPECT_EQ(sheet.lastColumn(), lastColumn) << name;
}

CellValue text(const char* utf8) {
    return CellValue::ofText(utf8ToGbk(utf8));
}

TEST(XlsxCells, ReferencesPlaceCellsAndCellsWithoutOneFollowTheCellBefore) {
    const auto number = CellValue::ofNumber;
    const struct {
        const char* name;
        std::string rows;
        std::vector<Cell> cells;
    } cases[] = {
        {"two letters", R"(<row r="12"><c r="AB12"><v>1</v></c></row>)", {{12, 28, number(1)}}},
        {"lower case", R"(<row r="2"><c r="b2"><v>1</v></c></row>)", {{2, 2, number(1)}}},
        {"the far corner",
         R"(<row r="1048576"><c r="XFD1048576"><v>7</v></c></row>)",
         {{1048576, 16384, number(7)}}},
        {"cells without references",
         R"(<row r="3"><c><v>1</v></c><c><v>2</v></c><c r="E3"><v>5</v></c><c><v>6</v></c></row>)",
         {{3, 1, number(1)}, {3, 2, number(2)}, {3, 5, number(5)}, {3, 6, number(6)}}},
        {"rows without numbers",
         R"(<row><c><v>1</v></c></row><row r="4"/><row><c><v>5</v></c></row>)",
         {{1, 1, number(1)}, {5, 1, number(5)}}},
        {"a cell given twice keeps its last value",
         R"(<row r="1"><c r="A1"><v>1</v></c><c r="A1"><v>2</v></c></row>)",
         {{1, 1, number(2)}}},
        {"rows out of order",
         R"(<row r="9"><c r="A9"><v>9</v></c></row><row r="2"><c r="A2"><v>2</v></c></row>)",
         {{2, 1, number(2)}, {9, 1, number(9)}}},
        {"cells without a value are empty",
         R"(<row r="1"><c r="A1" s="1"/><c r="B1"><f>1+1</f></c></row>)",
         {}},
    };
    for (const auto& c : cases)
        expectCells(readRows(c.rows), c.cells, c.name);
}

TEST(XlsxCells, ReferencesOutsideTheSheetAreRefused) {
    const struct {
        const char* rows;
        std::string reason;
    } cases[] = {
        {R"(<row><c r="XFE1"/></row>)", reason::badCellReference("XFE1")},
        {R"(<row><c r="A1048577"/></row>)", reason::badCellReference("A1048577")},
        {R"(<row><c r="A0"/></row>)", reason::badCellReference("A0")},
        {R"(<row><c r="AAAA1"/></row>)", reason::badCellReference("AAAA1")},
        {R"(<row><c r="1A"/></row>)", reason::badCellReference("1A")},
        {R"(<row><c r="A1x"/></row>)", reason::badCellReference("A1x")},
        {R"(<row><c r="A-1"/></row>)", reason::badCellReference("A-1")},
        {R"(<row><c r="A99999999999999999999"/></row>)",
         reason::badCellReference("A99999999999999999999")},
        {R"(<row><c r=""/></row>)", reason::badCellReference("")},
        {R"(<row r="0"/>)", reason::badRowNumber("0")},
        {R"(<row r="1048577"/>)", reason::badRowNumber("1048577")},
        {R"(<row r="x"/>)", reason::badRowNumber("x")},
        {R"(<row r="1048576"/><row/>)", reason::badRowNumber("1048577")},
        {R"(<row><c r="XFD1"/><c/></row>)", reason::badCellReference("XFE1")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rowsFailure(c.rows), c.reason) << c.rows;

    // A reference as long as a part can hold is quoted cut short.
    const std::string longReference(5000, 'A');
    EXPECT_EQ(rowsFailure("<row><c r=\"" + longReference + "\"/></row>"),
              reason::badCellReference(std::string(40, 'A') + "…"));
}

TEST(XlsxCells, EachTypeGivesTheKindTheXlsReaderGives) {
    const struct {
        const char* cell; // in A1
        CellValue value;
    } cases[] = {
        {R"(<c r="A1"><v>12</v></c>)", CellValue::ofNumber(12)},
        {R"(<c r="A1" t="n"><v>-1.5E-3</v></c>)", CellValue::ofNumber(-0.0015)},
        {R"(<c r="A1"><v> +5 </v></c>)", CellValue::ofNumber(5)},
        {R"(<c r="A1" s="1"><v>33055.5</v></c>)", CellValue::ofDate(33055.5)},
        {R"(<c r="A1" s="2"><v>33055</v></c>)", CellValue::ofDate(33055)},
        {R"(<c r="A1" s="3"><v>33055</v></c>)", CellValue::ofNumber(33055)},
        {R"(<c r="A1" s="1"><v>-1</v></c>)", CellValue::ofNumber(-1)},
        {R"(<c r="A1" s="1"><v>2958466</v></c>)", CellValue::ofNumber(2958466)},
        {R"(<c r="A1" s="99"><v>33055</v></c>)", CellValue::ofNumber(33055)},
        {R"(<c r="A1" s="x"><v>33055</v></c>)", CellValue::ofNumber(33055)},
        {R"(<c r="A1" t="s"><v>1</v></c>)", text("b")},
        {R"(<c r="A1" t="str"><f>A2</f><v>结果</v></c>)", text("结果")},
        {R"(<c r="A1" t="str"><f>""</f><v></v></c>)", CellValue{}},
        {R"(<c r="A1" t="inlineStr"><is><t>内联</t></is></c>)", text("内联")},
        {R"(<c r="A1" t="inlineStr"><is><r><t>富</t></r><r><t xml:space="preserve"> 文本</t></r><rPh><t>fu</t></rPh></is></c>)",
         text("富 文本")},
        {R"(<c r="A1" t="inlineStr"><is><t>多行&#10;文字&#13;&#10;</t></is></c>)",
         text("多行\n文字\r\n")},
        {R"(<c r="A1" t="b"><v>1</v></c>)", CellValue::ofBoolean(true)},
        {R"(<c r="A1" t="b"><v>0</v></c>)", CellValue::ofBoolean(false)},
        {R"(<c r="A1" t="b"><v>true</v></c>)", CellValue::ofBoolean(true)},
        {R"(<c r="A1" t="e"><v>#NULL!</v></c>)", CellValue::ofError(0x00)},
        {R"(<c r="A1" t="e"><v>#DIV/0!</v></c>)", CellValue::ofError(0x07)},
        {R"(<c r="A1" t="e"><v>#VALUE!</v></c>)", CellValue::ofError(0x0F)},
        {R"(<c r="A1" t="e"><v>#REF!</v></c>)", CellValue::ofError(0x17)},
        {R"(<c r="A1" t="e"><v>#NAME?</v></c>)", CellValue::ofError(0x1D)},
        {R"(<c r="A1" t="e"><v>#NUM!</v></c>)", CellValue::ofError(0x24)},
        {R"(<c r="A1" t="e"><v>#N/A</v></c>)", CellValue::ofError(0x2A)},
        {R"(<c r="A1" t="e"><v>#SPILL!</v></c>)", CellValue::ofError(0x2A)},
        {R"(<c r="A1" t="d"><v>1990-07-01</v></c>)", CellValue::ofDate(33055)},
        {R"(<c r="A1" t="d"><v>1990-07-01T18:00:00Z</v></c>)", CellValue::ofDate(33055.75)},
        {R"(<c r="A1" t="d"><v>1990-02-30</v></c>)", text("1990-02-30")},
        {R"(<c r="A1" t="d"><v>1990-07-01T24:00:00</v></c>)", text("1990-07-01T24:00:00")},
        {R"(<c r="A1" t="d"><v>1990-07-01T12:00:inf</v></c>)", text("1990-07-01T12:00:inf")},
        {R"(<c r="A1" t="x"><v>4</v></c>)", CellValue::ofNumber(4)},
        {R"(<c r="A1"><is><t>no type</t></is></c>)", CellValue{}},
    };
    for (const auto& c : cases) {
        const XlsSheet sheet = readRows(std::string("<row r=\"1\">") + c.cell + "</row>");
        EXPECT_EQ(sheet.cell(1, 1), c.value) << c.cell;
    }
}

TEST(XlsxCells, ValuesThatAreNoneAreRefused) {
    const struct {
        const char* cell;
        std::string reason;
    } cases[] = {
        {R"(<c r="B2" t="s"><v>3</v></c>)", reason::sharedStringOutside("B2", "3", 3)},
        {R"(<c r="B2" t="s"><v>-1</v></c>)", reason::sharedStringOutside("B2", "-1", 3)},
        {R"(<c r="B2" t="s"><v>x</v></c>)", reason::sharedStringOutside("B2", "x", 3)},
        {R"(<c r="B2"><v>12,5</v></c>)", reason::badNumber("B2", "12,5")},
        {R"(<c r="B2"><v>1e</v></c>)", reason::badNumber("B2", "1e")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rowsFailure(std::string("<row r=\"2\">") + c.cell + "</row>"), c.reason)
            << c.cell;
}

TEST(XlsxWorkbook, RelationshipsAndNamespacesAsWritersUseThem) {
    const std::string cell = R"(<row r="1"><c r="A1" s="1"><v>1462</v></c></row>)";
    const auto with = [&](std::map<std::string, std::string> changes) {
        Parts parts = workbookParts(cell);
        for (auto& [name, content] : changes)
            parts[name] = content;
        return parts;
    };
    const std::string ns = wb::test::kMainNs;
    const std::string rels = wb::test::kRelationshipsNs;
    const auto workbook = [&](const std::string& inside) {
        return "<workbook xmlns=\"" + ns + "\" xmlns:r=\"" + rels + "\">" + inside + "</workbook>";
    };
    const std::string twoSheets =
        R"(<sheets><sheet name="first" r:id="rId1"/><sheet name="second" r:id="rId9"/></sheets>)";
    const std::string secondPart = wb::test::relationship("rId9", "worksheet", "/xl/other.xml");
    Parts moved = workbookParts(cell);
    moved["_rels/.rels"] =
        wb::test::relationships(wb::test::relationship("rId1", "officeDocument", "/book/main.xml"));
    moved["book/main.xml"] = moved["xl/workbook.xml"];
    moved["book/_rels/main.xml.rels"] = wb::test::relationships(
        wb::test::relationship("rId1", "worksheet", "../xl/./worksheets/sheet1.xml"));
    moved["xl/workbook.xml"] = std::nullopt;
    moved["xl/_rels/workbook.xml.rels"] = std::nullopt;

    const struct {
        const char* name;
        Parts parts;
        std::string sheet;
        CellValue a1;
    } cases[] = {
        {"as written", with({}), "S", CellValue::ofDate(1462)},
        {"1904 dates",
         with(
             {{"xl/workbook.xml",
               workbook(
                   R"(<workbookPr date1904="true"/><sheets><sheet name="S" r:id="rId1"/></sheets>)")}}),
         "S", CellValue::ofDate(2924)},
        {"the second sheet active",
         with(
             {{"xl/workbook.xml",
               workbook(
                   R"(<bookViews><workbookView activeTab="1"/><workbookView activeTab="0"/></bookViews>)" +
                   twoSheets)},
              {"xl/_rels/workbook.xml.rels",
               wb::test::relationships(
                   wb::test::relationship("rId1", "worksheet", "worksheets/sheet1.xml") +
                   secondPart)},
              {"xl/other.xml",
               wb::test::sheetXml(R"(<row><c t="inlineStr"><is><t>二</t></is></c></row>)")}}),
         "second", text("二")},
        {"an active tab past the sheets means the first",
         with({{"xl/workbook.xml",
                workbook(R"(<bookViews><workbookView activeTab="7"/></bookViews>)" + twoSheets)}}),
         "first", CellValue::ofDate(1462)},
        {"the workbook elsewhere, targets with . and ..", moved, "S", CellValue::ofNumber(1462)},
        {"prefixed names, and a default namespace that ends",
         with({{"xl/worksheets/sheet1.xml",
                "<x:worksheet xmlns:x=\"" + ns +
                    "\"><x:sheetData><x:row><c xmlns=\"urn:other\"><v>9</v></c>"
                    "<x:c s=\"1\"><x:v>1462</x:v></x:c></x:row></x:sheetData></x:worksheet>"}}),
         "S", CellValue::ofDate(1462)},
        {"no styles part: no dates",
         with({{"xl/_rels/workbook.xml.rels", wb::test::relationships(wb::test::relationship(
                                                  "rId1", "worksheet", "worksheets/sheet1.xml"))}}),
         "S", CellValue::ofNumber(1462)},
    };
    for (const auto& c : cases) {
        const XlsSheet sheet = read(c.parts);
        EXPECT_EQ(sheet.name(), utf8ToGbk(c.sheet)) << c.name;
        EXPECT_EQ(sheet.cell(1, 1), c.a1) << c.name;
    }
}

TEST(XlsxWorkbook, PackagesThatHoldNoReadableSheetAreRefused) {
    const auto without = [](const std::string& part) {
        Parts parts = workbookParts("");
        parts[part] = std::nullopt;
        return parts;
    };
    const auto replaced = [](const std::string& part, const std::string& content) {
        Parts parts = workbookParts("");
        parts[part] = content;
        return parts;
    };
    const std::string ns = wb::test::kMainNs;
    const struct {
        const char* name;
        Parts parts;
        std::string reason;
    } cases[] = {
        {"no package relationships", without("_rels/.rels"), reason::kNoWorkbookPart},
        {"no workbook part", without("xl/workbook.xml"), reason::partMissing("xl/workbook.xml")},
        {"no sheet part", without("xl/worksheets/sheet1.xml"),
         reason::partMissing("xl/worksheets/sheet1.xml")},
        {"no relationships of the workbook", without("xl/_rels/workbook.xml.rels"),
         reason::kNoSheetPart},
        {"no shared strings part", without("xl/sharedStrings.xml"),
         reason::partMissing("xl/sharedStrings.xml")},
        {"a document that is no workbook",
         replaced("xl/workbook.xml", "<document xmlns=\"" + ns + "\"/>"),
         reason::kNoWorkbookElement},
        {"no sheets", replaced("xl/workbook.xml", "<workbook xmlns=\"" + ns + "\"/>"),
         reason::kNoSheet},
        {"an active chart",
         replaced("xl/_rels/workbook.xml.rels", wb::test::relationships(wb::test::relationship(
                                                    "rId1", "chartsheet", "charts/c.xml"))),
         reason::activeSheetHasNoCells("S")},
        {"a document type declaration",
         replaced("xl/worksheets/sheet1.xml",
                  "<!DOCTYPE w [<!ENTITY e \"x\">]><worksheet xmlns=\"" + ns +
                      "\"><sheetData><row><c t=\"inlineStr\"><is><t>&e;</t></is></c></row>"
                      "</sheetData></worksheet>"),
         reason::xmlDoctype("xl/worksheets/sheet1.xml")},
        {"an external document type",
         replaced("xl/sharedStrings.xml", "<!DOCTYPE sst SYSTEM \"file:///etc/passwd\"><sst/>"),
         reason::xmlDoctype("xl/sharedStrings.xml")},
        {"too many namespaces at once",
         replaced("xl/worksheets/sheet1.xml",
                  [] {
                      std::string root = "<worksheet";
                      for (int i = 0; i < 257; ++i)
                          root +=
                              " xmlns:p" + std::to_string(i) + "=\"urn:" + std::to_string(i) + "\"";
                      return root + "/>";
                  }()),
         reason::xmlTooManyNamespaces("xl/worksheets/sheet1.xml")},
        {"an entity never declared",
         replaced("xl/worksheets/sheet1.xml", "<worksheet>&e;</worksheet>"),
         reason::badXml("xl/worksheets/sheet1.xml", 1, 12, "undefined entity")},
        {"XML cut short", replaced("xl/styles.xml", "<styleSheet><cellXfs>"),
         reason::badXml("xl/styles.xml", 1, 22, "no element found")},
        {"not XML at all", replaced("_rels/.rels", "PK\x03\x04"),
         reason::badXml("_rels/.rels", 1, 3, "not well-formed (invalid token)")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(failure(c.parts), c.reason) << c.name;
}

TEST(XlsxText, EscapesAreDecoded) {
    // escapes.xlsx holds these texts as the shared strings A1..A6, then an inline string
    // and a formula's text in row 7 (tools/make_xlsx_fixtures.py).
    const std::string bytes =
        wb::test::fileBytes(std::filesystem::path(WB_FIXTURES) / "xlsx" / "escapes.xlsx");
    const XlsSheet sheet = readXlsxActiveSheet(bytes);
    const char* const decoded[] = {
        "a\rb", "中文", "\U0001F600", "_x0041_", "_x41_ _xZZZZ_ x0041_ _x0041", "行1\n行2",
    };
    for (int row = 1; row <= 6; ++row)
        EXPECT_EQ(sheet.cell(row, 1), text(decoded[row - 1])) << row;
    EXPECT_EQ(sheet.cell(7, 1), text("1+2"));
    EXPECT_EQ(sheet.cell(7, 2), text("_x005F_")); // an escaped underscore ends no escape
    EXPECT_EQ(sheet.lastRow(), 7);
    // A surrogate without its pair is no character.
    EXPECT_EQ(readRows(R"(<row><c t="inlineStr"><is><t>_xD83D_x</t></is></c></row>)").cell(1, 1),
              text("\uFFFDx"));
}

} // namespace
