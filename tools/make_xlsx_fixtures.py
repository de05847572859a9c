#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the workbooks of the .xlsx reader tests into tests/fixtures/xlsx/, the .xlsx twins
of the end-to-end staff workbook into tests/fixtures/import/, and the xlsx fuzz target's
seeds into fuzz/corpus-xlsx/.

Two real writers make them: openpyxl (inline strings, its own styles) and LibreOffice
(`soffice --headless --convert-to xlsx`: shared strings, cached formula results). A few are
rewritten afterwards, part by part, for what neither writes: rich text with phonetic runs,
_xHHHH_ escapes, the strict namespaces, and the broken files.

Workbooks that must open get NAME.expected beside them, in the format of the .xls fixtures
(see tools/make_xls_fixtures.py): the active sheet as openpyxl reads it (data_only, so
formulas give their cached values). Two exceptions say so in their first line: strict.xlsx,
which openpyxl cannot read (its values are those of the transitional file it was made from),
and escapes.xlsx, whose texts openpyxl leaves undecoded (the test states them itself).
"""

import datetime
import io
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile

import openpyxl
from openpyxl.chart import BarChart, Reference
from openpyxl.utils.datetime import CALENDAR_MAC_1904

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from staff_workbook import ALL_TITLES  # noqa: E402
from make_import_fixtures import FULL_ROWS  # noqa: E402
from make_xls_fixtures import escape  # noqa: E402

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
OUT = os.path.join(ROOT, "tests", "fixtures", "xlsx")
IMPORT = os.path.join(ROOT, "tests", "fixtures", "import")
SEEDS = os.path.join(ROOT, "fuzz", "corpus-xlsx")
D = datetime.date
DT = datetime.datetime
FIXED_TIME = (2020, 1, 1, 0, 0, 0)
BASE_DAY = DT(1899, 12, 30)

MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
STRICT_MAIN = "http://purl.oclc.org/ooxml/spreadsheetml/main"
RELS = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
STRICT_RELS = "http://purl.oclc.org/ooxml/officeDocument/relationships"


def path(name):
    return os.path.join(OUT, name)


# --- packages ------------------------------------------------------------------------------

def parts(data):
    with zipfile.ZipFile(io.BytesIO(data)) as z:
        return [(info.filename, z.read(info.filename)) for info in z.infolist()]


def package(entries):
    """A zip of (name, bytes) entries, deflated, with fixed times so that the files do not
    change from one run to the next."""
    stream = io.BytesIO()
    with zipfile.ZipFile(stream, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in entries:
            z.writestr(zipfile.ZipInfo(name, date_time=FIXED_TIME), data,
                       compress_type=zipfile.ZIP_DEFLATED)
    return stream.getvalue()


def rewrite(data, changes=None, drop=()):
    """The package with some parts changed (name -> function of the part's text) or
    left out."""
    changes = changes or {}
    out = []
    for name, body in parts(data):
        if name in drop:
            continue
        if name in changes:
            body = changes[name](body.decode("utf-8")).encode("utf-8")
        out.append((name, body))
    return package(out)


def saved(book):
    book.properties.created = book.properties.modified = DT(2020, 1, 1)
    stream = io.BytesIO()
    book.save(stream)
    return rewrite(stream.getvalue())


def libreoffice(data, suffix=".xlsx"):
    """What LibreOffice writes when it opens the workbook and saves it as .xlsx (or as the
    format of `suffix`)."""
    target = suffix.lstrip(".")
    with tempfile.TemporaryDirectory() as tmp:
        source = os.path.join(tmp, "in" + (".xls" if data[:4] != b"PK\x03\x04" else ".xlsx"))
        with open(source, "wb") as f:
            f.write(data)
        outdir = os.path.join(tmp, "out")
        # A profile of its own, so that a LibreOffice already running does not take the job.
        profile = "file://" + os.path.join(tmp, "profile")
        subprocess.run(["soffice", "-env:UserInstallation=" + profile, "--headless",
                        "--convert-to", target, "--outdir", outdir, source],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with open(os.path.join(outdir, "in." + target), "rb") as f:
            converted = f.read()
    return rewrite(converted) if target == "xlsx" else converted


# --- what openpyxl reads -------------------------------------------------------------------

def day_number(value):
    if isinstance(value, datetime.datetime):
        return (value - BASE_DAY).total_seconds() / 86400
    if isinstance(value, datetime.date):
        return float((value - BASE_DAY.date()).days)
    if isinstance(value, datetime.time):
        return (value.hour * 3600 + value.minute * 60 + value.second) / 86400
    raise TypeError(value)


def openpyxl_values(data):
    """(sheet name, [(row, column, kind, value)]) of the active sheet, 1-based."""
    book = openpyxl.load_workbook(io.BytesIO(data), data_only=True)
    sheet = book.active
    cells = []
    for row in sheet.iter_rows():
        for cell in row:
            value = cell.value
            if value is None:
                continue
            if isinstance(value, bool):
                kind = ("boolean", int(value))
            elif isinstance(value, (datetime.date, datetime.time)):
                kind = ("date", day_number(value))
            elif isinstance(value, (int, float)):
                kind = ("number", float(value))
            elif cell.data_type == "e":
                kind = ("error", {"#NULL!": 0x00, "#DIV/0!": 0x07, "#VALUE!": 0x0F,
                                  "#REF!": 0x17, "#NAME?": 0x1D, "#NUM!": 0x24,
                                  "#N/A": 0x2A}[value])
            else:
                kind = ("text", value)
            cells.append((cell.row, cell.column) + kind)
    return sheet.title, cells


def write_expected(name, data, note=""):
    sheet_name, cells = openpyxl_values(data)
    lines = ["# The active sheet of %s as openpyxl %s reads it%s; written by "
             "tools/make_xlsx_fixtures.py." % (name, openpyxl.__version__, note)]
    lines.append("sheet\t" + escape(sheet_name))
    lines.append("last\t%d\t%d" % (max((c[0] for c in cells), default=0),
                                   max((c[1] for c in cells), default=0)))
    for row, col, kind, value in cells:
        text = escape(value) if kind == "text" else repr(value) if kind in (
            "number", "date") else str(value)
        lines.append("%d\t%d\t%s\t%s" % (row, col, kind, text))
    with open(path(name.rsplit(".", 1)[0] + ".expected"), "w", encoding="utf-8",
              newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    return cells


# --- workbooks openpyxl writes -------------------------------------------------------------

def values_book():
    """Every kind of value a staff list brings, with the formats that make dates."""
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "人员名单"
    titles = ["姓名", "出生年月", "参加工作时间", "学历", "身份证号", "编号", "工资", "备注",
              "在编", "核对"]
    sheet.append(titles)
    rows = [
        ["张三", (D(1970, 1, 1), "yyyy-mm-dd"), (D(1990, 7, 15), "mm-dd-yy"),
         "1990年7月 大学 本科\n2000年1月 研究生 硕士", "110101197001010011",
         110101197001010011, 2345.5, "备注\r\n第二行", True, "#N/A"],
        ["李四", (D(1982, 3, 1), "yyyy.mm"), (D(2004, 8, 1), 'yyyy"年"m"月"'), "中专",
         "11010119820301002X", 7, (1234.5678, "#,##0.00"), " 前后有空格 ", False, "#DIV/0!"],
        ["王五", (DT(1975, 5, 6, 22, 30), "yyyy-mm-dd hh:mm:ss"),
         (D(1988, 1, 1), '[$-804]yyyy"年"m"月"d"日"'), None, "1990-7-1", -3,
         (0.125, "0.00%"), "1990年7月", None, "#VALUE!"],
        ["赵六", (DT(1990, 7, 1, 6, 0), "m/d/yy h:mm"), (D(1999, 12, 31), "d-mmm-yy"),
         "大专", "1990.07", 1990.1, (12, '0"天"'), (33055, "@"), None, "#REF!"],
        ["钱七", 33055, (33055, "0.00"), None, "000123", 1e-5, 1e20, -123456, None,
         "#NAME?"],
        ["孙八", None, None, None, None, 0.025, 123456789012, 12345678901234567890, None,
         "#NUM!"],
        ["周九", None, None, None, None, -0.1, 1e-300, 2 ** 53 + 1, None, "#NULL!"],
    ]
    for r, row in enumerate(rows, start=2):
        for c, value in enumerate(row, start=1):
            if value is None:
                continue
            if isinstance(value, tuple):
                cell = sheet.cell(r, c, value[0])
                cell.number_format = value[1]
            else:
                sheet.cell(r, c, value)
    # A time of day alone, in a built-in time format.
    sheet.cell(9, 2, datetime.time(18, 0)).number_format = "h:mm"
    sheet.cell(40, 26, "最后一格")
    return saved(book)


def second_sheet_active():
    book = openpyxl.Workbook()
    cover = book.active
    cover.title = "封面"
    cover["A1"] = "人员情况表"
    cover["A2"] = "不是这一页"
    staff = book.create_sheet("人员")
    staff.append(["姓名", "性别"])
    staff.append(["张三", "男"])
    book.active = 1
    cover.sheet_view.tabSelected = False
    staff.sheet_view.tabSelected = True
    return saved(book)


def dates_1904():
    book = openpyxl.Workbook()
    book.epoch = CALENDAR_MAC_1904
    sheet = book.active
    sheet.title = "人员"
    sheet["A1"] = "出生年月"
    sheet["A2"] = D(1970, 1, 1)
    sheet["A2"].number_format = "yyyy-mm-dd"
    sheet["A3"] = DT(1904, 1, 2, 6, 0)
    sheet["A3"].number_format = "yyyy-mm-dd hh:mm"
    sheet["A4"] = 1462  # a plain number stays as written
    return saved(book)


def chart_active():
    book = openpyxl.Workbook()
    data = book.active
    data.title = "数据"
    for row in ([1, 2], [3, 4]):
        data.append(row)
    chart_sheet = book.create_chartsheet("图表")
    chart = BarChart()
    chart.add_data(Reference(data, min_col=1, min_row=1, max_row=2))
    chart_sheet.add_chart(chart)
    book.active = 1
    return saved(book)


def formulas_source():
    """Formulas without results: LibreOffice computes them when it saves the copy."""
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "公式"
    sheet.append(["数值", "文字", "真假", "错误", "日期", "空文字", "多行"])
    sheet.append([1.5, "张三", None, None, None, None, None])
    sheet.append(["=A2*2", '=B2&"丰"', "=A2>1", "=1/0", "=DATE(1990,7,1)", '=""',
                  '="第一行"&CHAR(10)&"第二行"'])
    sheet.append(["=SUM(A2:A3)", "=UPPER(\"abc\")", "=A2<1", "=NA()", None, None,
                  "=A2/3"])
    sheet["E3"].number_format = "yyyy-mm-dd"
    return saved(book)


# --- rewritten parts -----------------------------------------------------------------------

def shared_strings_text(xml, old, new_item):
    """Replaces the shared string item whose text is `old` by `new_item`."""
    for form in ('<si><t xml:space="preserve">%s</t></si>', "<si><t>%s</t></si>"):
        if form % old in xml:
            return xml.replace(form % old, new_item)
    raise ValueError("no shared string " + old)


def rich_text(lo_values):
    """Shared strings as rich-text runs with phonetic runs, and an inline rich string."""
    def strings(xml):
        xml = shared_strings_text(
            xml, "张三",
            '<si><r><rPr><b val="true"/><sz val="11"/></rPr><t>张</t></r>'
            '<r><rPr><i val="true"/></rPr><t xml:space="preserve">三 </t></r>'
            '<rPh sb="0" eb="1"><t>zhang</t></rPh><rPh sb="1" eb="2"><t>san</t></rPh>'
            '<phoneticPr fontId="0" type="noConversion"/></si>')
        return shared_strings_text(
            xml, "中专", '<si><t>中</t><rPh sb="0" eb="1"><t>zhong</t></rPh>'
                       '<phoneticPr fontId="0"/></si>')

    def sheet(xml):
        cell = xml.index('<c r="H3"')
        end = xml.index("</c>", cell) + len("</c>")
        return (xml[:cell] + '<c r="H3" t="inlineStr"><is><r><t>内联</t></r><r><rPr><b/></rPr>'
                '<t xml:space="preserve">富文本</t></r><rPh sb="0" eb="2"><t>neilian</t></rPh>'
                '</is></c>' + xml[end:])
    return rewrite(lo_values, {"xl/sharedStrings.xml": strings,
                               "xl/worksheets/sheet1.xml": sheet})


# The texts of escapes.xlsx as the file holds them, and as they read: a control character,
# a Chinese character, a character outside the BMP as a surrogate pair, an escaped
# underscore, and things that look like escapes but are none.
ESCAPES = [
    ("a_x000D_b", "a\rb"),
    ("_x4E2D_文", "中文"),
    ("_xD83D__xDE00_", "\U0001F600"),
    ("_x005F_x0041_", "_x0041_"),
    ("_x41_ _xZZZZ_ x0041_ _x0041", "_x41_ _xZZZZ_ x0041_ _x0041"),
    ("行1_x000A_行2", "行1\n行2"),
]


def escapes_book(lo_book):
    """Shared strings, an inline string and a formula's text result holding escapes."""
    def strings(xml):
        start = xml.index("<si>")
        items = "".join("<si><t>%s</t></si>" % raw for raw, _ in ESCAPES)
        count = len(ESCAPES)
        head = xml[:start].replace('count="1"', 'count="%d"' % count).replace(
            'uniqueCount="1"', 'uniqueCount="%d"' % count)
        return head + items + "</sst>"

    def sheet(xml):
        start = xml.index("<sheetData>") + len("<sheetData>")
        end = xml.index("</sheetData>")
        rows = "".join('<row r="%d"><c r="A%d" t="s"><v>%d</v></c></row>' % (i + 1, i + 1, i)
                       for i in range(len(ESCAPES)))
        rows += ('<row r="%d"><c r="A%d" t="inlineStr"><is><t>_x0031_+_x0032_</t></is></c>'
                 '<c r="B%d" t="str"><f>"x"</f><v>_x005F_x005F_</v></c></row>'
                 % ((len(ESCAPES) + 1,) * 3))
        return xml[:start] + rows + xml[end:]
    return rewrite(lo_book, {"xl/sharedStrings.xml": strings,
                             "xl/worksheets/sheet1.xml": sheet})


def strict(data):
    """The same workbook in the strict namespaces."""
    def namespaces(xml):
        return xml.replace(MAIN, STRICT_MAIN).replace(RELS, STRICT_RELS)
    return rewrite(data, dict((name, namespaces) for name, _ in parts(data)
                              if name.endswith(".xml") or name.endswith(".rels")))


def one_line_sheet(data, cells):
    """The package with its first sheet replaced by one row of the given cell XML."""
    def sheet(xml):
        return ('<worksheet xmlns="%s"><sheetData><row r="1">%s</row></sheetData></worksheet>'
                % (MAIN, cells))
    return rewrite(data, {"xl/worksheets/sheet1.xml": sheet})


def declared_size(data, part, size):
    """The package with the part's uncompressed size, in its local header and the central
    directory, replaced: the data stay as they are."""
    data = bytearray(data)
    name = part.encode()
    at = 0
    while True:
        at = data.find(name, at + 1)
        if at < 0:
            return bytes(data)
        if data[at - 30:at - 26] == b"PK\x03\x04":
            struct.pack_into("<I", data, at - 30 + 22, size)
        elif data[at - 46:at - 42] == b"PK\x01\x02":
            struct.pack_into("<I", data, at - 46 + 24, size)


def whitespace_bomb(data, megabytes):
    """The first sheet padded with `megabytes` MB of blanks between its elements: a few KB
    of compressed data that inflate far beyond that."""
    def sheet(xml):
        at = xml.index("<sheetData>")
        return xml[:at] + " " * (megabytes << 20) + xml[at:]
    return rewrite(data, {"xl/worksheets/sheet1.xml": sheet})


BILLION_LAUGHS = ('<?xml version="1.0"?><!DOCTYPE lolz [<!ENTITY lol "lol">'
                  '<!ENTITY lol2 "&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;">'
                  '<!ENTITY lol3 "&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;">]>')


def main():
    os.makedirs(OUT, exist_ok=True)
    values = values_book()
    lo_values = libreoffice(values)
    good = {
        "values.xlsx": values,
        "values_lo.xlsx": lo_values,
        "formulas_lo.xlsx": libreoffice(formulas_source()),
        "rich_text.xlsx": rich_text(lo_values),
        "second_sheet_active.xlsx": second_sheet_active(),
        "dates_1904.xlsx": dates_1904(),
    }
    for name, data in good.items():
        with open(path(name), "wb") as f:
            f.write(data)
        write_expected(name, data)
    # openpyxl reads no strict files: the values are those of the file rewritten.
    with open(path("strict.xlsx"), "wb") as f:
        f.write(strict(lo_values))
    write_expected("strict.xlsx", lo_values, " from the transitional file it was rewritten "
                   "from (values_lo.xlsx)")
    escapes = escapes_book(libreoffice(saved(one_cell_book("x"))))
    with open(path("escapes.xlsx"), "wb") as f:
        f.write(escapes)

    # The rich text holds what it was made to hold.
    rich = dict(((r, c), v) for r, c, _, v in openpyxl_values(good["rich_text.xlsx"])[1])
    assert rich[(2, 1)] == "张三 " and rich[(3, 4)] == "中" and rich[(3, 8)] == "内联富文本"

    broken = {
        "truncated.xlsx": lo_values[:len(lo_values) * 3 // 5],
        "no_workbook_part.xlsx": package([("[Content_Types].xml", b'<?xml version="1.0"?><Types/>'),
                                          ("xl/workbook.xml", b"<workbook/>")]),
        "missing_workbook.xlsx": rewrite(lo_values, drop=("xl/workbook.xml",)),
        "missing_sheet.xlsx": rewrite(lo_values, drop=("xl/worksheets/sheet1.xml",)),
        "bad_xml.xlsx": one_line_sheet(lo_values, '<c r="A1"><v>1</v></row>'),
        "doctype.xlsx": rewrite(lo_values, {"xl/workbook.xml": lambda xml: BILLION_LAUGHS
                                            + xml[xml.index("<workbook"):]}),
        "bomb_declared.xlsx": declared_size(lo_values, "xl/worksheets/sheet1.xml", 0xFFFFFFF0),
        "bomb_whitespace.xlsx": whitespace_bomb(lo_values, 3),
        "absurd_reference.xlsx": one_line_sheet(lo_values, '<c r="XFE1"><v>1</v></c>'),
        "shared_string_outside.xlsx": one_line_sheet(lo_values,
                                                     '<c r="B1" t="s"><v>4000</v></c>'),
        "bad_number.xlsx": one_line_sheet(lo_values, '<c r="C1"><v>12,5</v></c>'),
        "chart_active.xlsx": chart_active(),
        "staff.ods": libreoffice(values, ".ods"),
        "staff.csv": "姓名,性别\r\n张三,男\r\n".encode("gbk"),
    }
    for name, data in broken.items():
        with open(path(name), "wb") as f:
            f.write(data)

    # The staff workbook of the end-to-end tests, as both writers save it.
    from staff_workbook import write_staff_workbook_xlsx
    write_staff_workbook_xlsx(os.path.join(IMPORT, "full.xlsx"), ALL_TITLES, FULL_ROWS)
    with open(os.path.join(IMPORT, "full.xls"), "rb") as f:
        lo_full = libreoffice(f.read())
    with open(os.path.join(IMPORT, "full_lo.xlsx"), "wb") as f:
        f.write(lo_full)

    # The fuzz target's seeds: small workbooks of both writers and a strict one, and the
    # XML parts of two, joined by NUL bytes as the target takes them apart.
    shutil.rmtree(SEEDS, ignore_errors=True)
    os.makedirs(SEEDS)
    seeds = {"second_sheet_active.xlsx": good["second_sheet_active.xlsx"],
             "escapes.xlsx": escapes, "rich_text.xlsx": good["rich_text.xlsx"],
             "dates_1904.xlsx": good["dates_1904.xlsx"], "strict.xlsx": strict(lo_values),
             "rich_text.parts": xml_parts(good["rich_text.xlsx"]),
             "escapes.parts": xml_parts(escapes)}
    for name, data in seeds.items():
        with open(os.path.join(SEEDS, name), "wb") as f:
            f.write(data)


def xml_parts(data):
    """The sheet, shared strings, styles and workbook parts, joined by NUL bytes."""
    named = dict(parts(data))
    return b"\0".join(named[name] for name in ("xl/worksheets/sheet1.xml",
                                               "xl/sharedStrings.xml", "xl/styles.xml",
                                               "xl/workbook.xml"))


def one_cell_book(text):
    book = openpyxl.Workbook()
    book.active["A1"] = text
    book.active.title = "转义"
    return book


if __name__ == "__main__":
    main()
