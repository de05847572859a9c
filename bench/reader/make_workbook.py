#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the reader benchmark's workbook: 20,000 rows of 20 columns with 100,000 distinct
strings (five columns of names, codes and notes that never repeat), plus numbers, dates,
repeated category texts and multi-line cells, as a staff list brings them.

OUT.xls is written with xlwt; OUT.xlsx with openpyxl in write-only mode, its texts then
moved into a shared string table as spreadsheet programs save them.

usage: make_workbook.py OUT.xls|OUT.xlsx"""

import datetime
import io
import re
import sys
import zipfile
from xml.sax.saxutils import escape

ROWS, COLUMNS = 20000, 20
CATEGORIES = ["本科", "大专", "中专", "研究生", "高中"]
POSTS = ["科员", "副主任科员", "主任科员", "馆员", "助理馆员"]
START = datetime.date(1960, 1, 1)
DATE_COLUMN = 6  # yyyy-mm-dd; the other date column shows yyyy.mm


def titles():
    return ["序号"] + ["标题%d" % c for c in range(1, COLUMNS)]


def row_values(r):
    distinct = [
        "姓名%05d" % r,
        "11010119%08d" % (r * 7919 % 10 ** 8),
        "备注 %d: 第%d行的说明文字" % (r, r),
        "address-%06d street %d" % (r, r % 97),
        "编号%05d-%s" % (r, "甲乙丙丁戊"[r % 5]),
    ]
    return [r] + distinct + [
        START + datetime.timedelta(days=r % 15000),
        START + datetime.timedelta(days=(r * 3) % 20000),
        CATEGORIES[r % 5],
        POSTS[r % 5],
        "%d年%d月 %s\n%d年%d月 %s" % (1990 + r % 20, 1 + r % 12, CATEGORIES[r % 5],
                                   2000 + r % 20, 1 + r % 12, POSTS[r % 5]),
        2000 + r % 500 + 0.5,
        r % 3 == 0,
        r * 1.25,
        "男" if r % 2 else "女",
        r % 40,
        "汉族",
        12345678901234567.0 + r,
        "",
        -r,
    ]


def write_xls(out):
    import xlwt

    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("人员")
    date_style = xlwt.easyxf(num_format_str="yyyy-mm-dd")
    month_style = xlwt.easyxf(num_format_str="yyyy.mm")
    wrap = xlwt.easyxf("align: wrap on")
    for c, title in enumerate(titles()):
        sheet.write(0, c, title)
    for r in range(1, ROWS):
        for c, value in enumerate(row_values(r)):
            if isinstance(value, datetime.date):
                sheet.write(r, c, value, date_style if c == DATE_COLUMN else month_style)
            elif isinstance(value, str) and "\n" in value:
                sheet.write(r, c, value, wrap)
            elif value != "":
                sheet.write(r, c, value)
    book.save(out)


INLINE = re.compile(r'<c r="([A-Z]+[0-9]+)"( s="[0-9]+")? t="inlineStr"><is><t>(.*?)</t></is></c>',
                    re.S)


def shared_strings(data):
    """The package with its inline strings moved into a shared string table."""
    source = zipfile.ZipFile(io.BytesIO(data))
    strings, index = [], {}

    def share(match):
        text = match.group(3)
        if text not in index:
            index[text] = len(strings)
            strings.append(text)
        return '<c r="%s"%s t="s"><v>%d</v></c>' % (match.group(1), match.group(2) or "",
                                                    index[text])

    sheet = INLINE.sub(share, source.read("xl/worksheets/sheet1.xml").decode("utf-8"))
    table = ('<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
             'count="%d" uniqueCount="%d">' % (len(strings), len(strings))
             + "".join('<si><t xml:space="preserve">%s</t></si>' % s for s in strings)
             + "</sst>")
    rels = source.read("xl/_rels/workbook.xml.rels").decode("utf-8").replace(
        "</Relationships>",
        '<Relationship Type="http://schemas.openxmlformats.org/officeDocument/2006/'
        'relationships/sharedStrings" Target="sharedStrings.xml" Id="rIdStrings"/>'
        "</Relationships>")
    types = source.read("[Content_Types].xml").decode("utf-8").replace(
        "</Types>",
        '<Override PartName="/xl/sharedStrings.xml" ContentType="application/'
        'vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/></Types>')
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        for info in source.infolist():
            body = {"xl/worksheets/sheet1.xml": sheet, "xl/_rels/workbook.xml.rels": rels,
                    "[Content_Types].xml": types}.get(info.filename)
            z.writestr(info.filename, body if body is not None else source.read(info.filename))
        z.writestr("xl/sharedStrings.xml", table)
    return out.getvalue(), len(strings)


def write_xlsx(out):
    import openpyxl
    from openpyxl.cell import WriteOnlyCell

    book = openpyxl.Workbook(write_only=True)
    sheet = book.create_sheet("人员")
    sheet.append(titles())
    for r in range(1, ROWS):
        cells = []
        for c, value in enumerate(row_values(r)):
            cell = WriteOnlyCell(sheet, value if value != "" else None)
            if isinstance(value, datetime.date):
                cell.number_format = "yyyy-mm-dd" if c == DATE_COLUMN else "yyyy.mm"
            cells.append(cell)
        sheet.append(cells)
    stream = io.BytesIO()
    book.save(stream)
    data, distinct = shared_strings(stream.getvalue())
    assert distinct >= 100000, distinct
    with open(out, "wb") as f:
        f.write(data)


def main(out):
    (write_xlsx if out.endswith(".xlsx") else write_xls)(out)


if __name__ == "__main__":
    main(sys.argv[1])
