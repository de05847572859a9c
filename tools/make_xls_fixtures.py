#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the workbooks of the .xls reader tests into tests/fixtures/xls/.

Workbooks that must open get NAME.expected beside them: the values of the active sheet as
xlrd, an independent reader, reads them. Workbooks xlwt cannot write (formula results,
BIFF5, the mini stream, split shared strings, damaged containers) are put together byte by
byte with tools/xls_craft.py; xlrd reads those too, except where it cannot (said below).
Broken workbooks get no expectations: the reader tests name the reason each must give.

Format of NAME.expected, one item per line, fields separated by tabs:
    sheet  NAME                     the active sheet's name
    last   ROW  COLUMN              the last row and column holding a value (1-based)
    ROW  COLUMN  KIND  VALUE        one cell with a value; every other cell is empty
KIND is number, date (VALUE the day number from 1899-12-30), text, boolean (0/1) or error
(the error code). Numbers are Python's shortest round-trip text; texts are UTF-8 with
backslash escapes for backslash, tab, CR and LF.
"""

import datetime
import io
import os
import struct
import sys
import zipfile

import xlrd
import xlwt

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xls_craft as x  # noqa: E402

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
OUT = os.path.join(ROOT, "tests", "fixtures", "xls")
SEEDS = os.path.join(ROOT, "fuzz", "corpus")
D = datetime.date
DT = datetime.datetime
QUIET = open(os.devnull, "w")  # xlrd's warnings about the broken files


def path(name):
    return os.path.join(OUT, name)


def save(name, data):
    with open(path(name), "wb") as f:
        f.write(data)


def escape(text):
    return (text.replace("\\", "\\\\").replace("\t", "\\t").replace("\r", "\\r")
            .replace("\n", "\\n"))


def active_sheet(book):
    """The sheet shown when the workbook opens. xlrd leaves WINDOW1 alone, but knows each
    sheet's WINDOW2 'shown' flag, which every writer here sets on the active sheet only."""
    shown = [i for i in range(book.nsheets) if book.sheet_by_index(i).sheet_visible]
    return book.sheet_by_index(shown[0] if len(shown) == 1 else 0)


def xlrd_values(data):
    """(sheet name, [(row, column, kind, value)]) of the active sheet, 1-based."""
    book = xlrd.open_workbook(file_contents=data, logfile=QUIET)
    sheet = active_sheet(book)
    # Days from 1899-12-30 to the workbook's day 0, by the calendar.
    epoch = (D(1904, 1, 1) - D(1899, 12, 30)).days if book.datemode else 0
    cells = []
    for r in range(sheet.nrows):
        for c in range(sheet.ncols):
            cell = sheet.cell(r, c)
            if cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                continue
            if cell.ctype == xlrd.XL_CELL_TEXT:
                value = ("text", cell.value)
            elif cell.ctype == xlrd.XL_CELL_NUMBER:
                value = ("number", float(cell.value))
            elif cell.ctype == xlrd.XL_CELL_DATE:
                value = ("date", float(cell.value) + epoch)
            elif cell.ctype == xlrd.XL_CELL_BOOLEAN:
                value = ("boolean", int(cell.value))
            else:
                value = ("error", int(cell.value))
            cells.append((r + 1, c + 1) + value)
    return sheet.name, cells


def write_expected(name, data, reader_note=None):
    sheet_name, cells = xlrd_values(data)
    lines = ["# The active sheet of %s as xlrd %s reads it%s; written by "
             "tools/make_xls_fixtures.py." % (name, xlrd.__VERSION__, reader_note or "")]
    lines.append("sheet\t" + escape(sheet_name))
    last_row = max((c[0] for c in cells), default=0)
    last_col = max((c[1] for c in cells), default=0)
    lines.append("last\t%d\t%d" % (last_row, last_col))
    for row, col, kind, value in cells:
        if kind == "text":
            text = escape(value)
        elif kind in ("number", "date"):
            text = repr(value)
        else:
            text = str(value)
        lines.append("%d\t%d\t%s\t%s" % (row, col, kind, text))
    expected = name.rsplit(".", 1)[0] + ".expected"
    with open(path(expected), "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    return dict(((r, c), (k, v)) for r, c, k, v in cells)


def saved(book):
    stream = io.BytesIO()
    book.save(stream)
    return stream.getvalue()


# --- workbooks xlwt writes ----------------------------------------------------------------

def staff_values():
    """Titles in Chinese and one row per kind of value the import meets."""
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("人员名单")
    titles = ["姓名", "出生年月", "参加工作时间", "学历", "执行基本工资对应职务", "从2006年开始的考核情况",
              "身份证号", "编号", "工资", "备注"]
    for c, title in enumerate(titles):
        sheet.write(0, c, title)
    wrap = xlwt.easyxf("align: wrap on")
    fmt = lambda f: xlwt.easyxf(num_format_str=f)  # noqa: E731
    rows = [
        ["张三", (D(1970, 1, 1), "yyyy-mm-dd"), (D(1990, 7, 15), "yyyy/m/d"),
         "1990年7月 大学 本科\n2000年1月 研究生 硕士", "2006年7月 科员\r\n2010年1月 主任科员",
         "2006年 优秀\n2007年 合格\n", "110101197001010011", 110101197001010011.0, 2345.5, None],
        ["李四", (D(1982, 3, 1), "yyyy.mm"), (D(2004, 8, 1), "yyyy年m月"), "中专", None,
         "", "11010119820301002X", 7, (1234.5678, "#,##0.00"), "备注\r\n第二行"],
        ["王五", (D(1965, 12, 31), "M/D/YY"), (D(1988, 1, 1), '[$-804]yyyy"年"m"月"d"日"'),
         None, "科员", None, "1990-7-1", -3, (0.125, "0.00%"), "1990年7月"],
        ["赵六", (DT(1975, 5, 6, 14, 30), "yyyy-mm-dd hh:mm:ss"), (0.75, "h:mm"), "大专",
         None, None, "1990.07", 1990.1, (12, '0"天"'), (36526, "@")],
        ["钱七", (D(1999, 12, 31), "d-mmm-yy"), (45.5, "[h]:mm:ss"), None, None, None,
         "000123", 1e-5, (1e20, "0.00E+00"), (5, "[Red]0.0")],
    ]
    for r, row in enumerate(rows, start=1):
        for c, value in enumerate(row):
            if value is None:
                continue
            if isinstance(value, tuple):
                sheet.write(r, c, value[0], fmt(value[1]))
            elif isinstance(value, str) and ("\n" in value or "\r" in value):
                sheet.write(r, c, value, wrap)
            else:
                sheet.write(r, c, value)
    # Booleans, error values, rich text and a far cell.
    sheet.write(6, 0, True)
    sheet.write(6, 1, False)
    # By code: xlwt's table of error texts has #VALUE! wrong.
    for c, error in enumerate([0x00, 0x07, 0x0F, 0x17, 0x1D, 0x24, 0x2A], start=2):
        sheet.row(6).set_cell_error(c, error)
    sheet.write_rich_text(7, 0, [("粗体", xlwt.Font()), " 和普通"])
    sheet.write(7, 1, "张三")  # the same string again: one shared entry
    sheet.write(7, 2, "")
    sheet.write(40, 25, "最后一格")
    return saved(book)


def second_sheet_active():
    book = xlwt.Workbook(encoding="utf-8")
    cover = book.add_sheet("封面")
    cover.write(0, 0, "人员情况表")
    cover.write(1, 0, "不是这一页")
    staff = book.add_sheet("人员")
    staff.write(0, 0, "姓名")
    staff.write(0, 1, "性别")
    staff.write(1, 0, "张三")
    staff.write(1, 1, "男")
    book.set_active_sheet(1)
    cover.selected = False
    staff.selected = True
    staff.sheet_visible = True
    return saved(book)


def dates_1904():
    book = xlwt.Workbook(encoding="utf-8")
    book.dates_1904 = True
    sheet = book.add_sheet("人员")
    sheet.write(0, 0, "出生年月")
    sheet.write(1, 0, D(1970, 1, 1), xlwt.easyxf(num_format_str="yyyy-mm-dd"))
    sheet.write(2, 0, DT(1904, 1, 2, 6, 0), xlwt.easyxf(num_format_str="yyyy-mm-dd hh:mm"))
    sheet.write(3, 0, 1462)  # a plain number stays as written
    return saved(book)


def many_strings():
    """More distinct strings than one SST record holds, so xlwt splits them, some inside
    their characters, over CONTINUE records; ASCII and Chinese alternate."""
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("名单")
    for i in range(1500):
        text = ("name-%04d-%s" % (i, "x" * (i % 17))) if i % 2 else ("人员%04d号" % i) * (1 + i % 5)
        sheet.write(i, 0, text)
        sheet.write(i, 1, i)
    return saved(book)


# --- workbooks put together byte by byte --------------------------------------------------

GENERAL, DATE_XF, STYLE_COUNT = 15, 16, 15


def globals8(active=0, is1904=False, formats=(), xf_formats=(0x0E,)):
    """BIFF8 globals: 15 style XFs, then cell XF 15 (General) and cell XFs 16.. with the
    given format numbers."""
    records = [x.bof(0x0600, 0x0005), x.codepage(1200), x.window1(active), x.datemode(is1904),
               x.font8(), x.font8(), x.font8(), x.font8(), x.font8()]
    records += [x.format8(index, text) for index, text in formats]
    records += [x.xf8(0, style=True) for _ in range(STYLE_COUNT)]
    records += [x.xf8(0)] + [x.xf8(f) for f in xf_formats]
    return records


def sheet8(records, active=True):
    return x.bof(0x0600, 0x0010) + b"".join(records) + x.window2(active) + x.eof()


def formulas_stream():
    strings = ["姓名", "合计"]
    long_text = "长" * 5000  # 10000 bytes: the STRING record goes on in a CONTINUE
    long_string = (x.rec(0x0207, struct.pack("<HB", len(long_text), 1)
                         + long_text[:4000].encode("utf-16-le"))
                   + x.rec(0x003C, b"\x01" + long_text[4000:].encode("utf-16-le")))
    cells = [
        x.labelsst(0, 0, GENERAL, 0),
        x.formula(1, 0, GENERAL, 42.5),
        x.formula(1, 1, DATE_XF, 33055.0),
        x.formula(1, 2, GENERAL, ("text",)), x.string8("合计"),
        x.formula(1, 3, GENERAL, ("text",)), x.shrfmla(1, 3), x.string8("共享公式"),
        x.formula(1, 4, GENERAL, ("bool", 1)),
        x.formula(1, 5, GENERAL, ("bool", 0)),
        x.formula(1, 6, GENERAL, ("error", 0x07)),
        x.formula(1, 7, GENERAL, ("error", 0x2A)),
        x.formula(1, 8, GENERAL, ("empty",)),
        x.formula(2, 0, GENERAL, ("text",)), long_string,
        x.formula(2, 1, GENERAL, ("text",)), x.string8("第一行\n第二行"),
        x.formula(2, 2, GENERAL, -0.1),
    ]
    return x.workbook_stream(globals8(), [("公式", 0, sheet8(cells))], x.boundsheet8,
                             after=[x.sst(strings)])


def records_stream():
    """Every cell record of BIFF8, the date formats and the odd orders a file may bring."""
    formats = [(164, "yyyy.mm"), (165, "yyyy年m月"), (166, '0.00" 元"'), (167, "[Red]#,##0"),
               (168, '"日期"yyyy-mm-dd'), (15, "0.00")]  # 15 redefined: no longer a date
    xf_formats = [14, 164, 165, 166, 167, 168, 15, 22, 31, 45]
    xf = {f: DATE_XF + i for i, f in enumerate(xf_formats)}
    strings = ["编号", "值", "多行\r\n文字"]
    cells = [
        x.labelsst(0, 0, GENERAL, 0), x.labelsst(0, 1, GENERAL, 1),
        x.number(1, 0, GENERAL, 1.0), x.number(1, 1, GENERAL, 110101197001010011.0),
        x.rk(2, 0, GENERAL, x.rk_int(2)), x.rk(2, 1, GENERAL, x.rk_int(-123456)),
        x.rk(3, 0, GENERAL, x.rk_int(3)), x.rk(3, 1, GENERAL, x.rk_int(199010, cents=True)),
        x.rk(4, 0, GENERAL, x.rk_int(4)), x.rk(4, 1, GENERAL, x.rk_float(0.5)),
        x.rk(5, 0, GENERAL, x.rk_int(5)), x.rk(5, 1, GENERAL, x.rk_float(2.5, cents=True)),
        x.mulrk(6, 0, [(GENERAL, x.rk_int(6)), (xf[164], x.rk_int(33055)),
                       (xf[165], x.rk_int(33055)), (xf[166], x.rk_int(12)),
                       (xf[167], x.rk_int(-5)), (xf[168], x.rk_int(33055)),
                       (xf[15], x.rk_int(33055)), (xf[22], x.rk_float(33055.5)),
                       (xf[31], x.rk_int(33055)), (xf[45], x.rk_float(0.25))]),
        x.label8(7, 0, GENERAL, "标签记录"), x.label8(7, 1, GENERAL, "plain label"),
        x.rstring8(8, 0, GENERAL, "带格式的文字", [(0, 1), (2, 0)]),
        x.boolerr(8, 1, GENERAL, 1, False), x.boolerr(8, 2, GENERAL, 0x17, True),
        x.blank(9, 0, GENERAL), x.mulblank(9, 1, [GENERAL, GENERAL, GENERAL]),
        x.labelsst(9, 4, GENERAL, 2),
        # An embedded chart is a BOF ... EOF inside the sheet; the cells after it count.
        x.bof(0x0600, 0x0020), x.number(0, 0, GENERAL, 999.0), x.eof(),
        x.number(10, 0, GENERAL, 10.0),
        # Rows out of order, and a cell given twice: the later record wins.
        x.number(12, 0, GENERAL, 12.0), x.number(11, 0, GENERAL, 11.0),
        x.number(11, 1, GENERAL, 1.0), x.labelsst(11, 1, GENERAL, 1),
    ]
    # Enough rows that the stream leaves the mini stream for sectors of its own.
    cells += [x.number(20 + i, 2, GENERAL, i * 1.5) for i in range(300)]
    return x.workbook_stream(globals8(formats=formats, xf_formats=xf_formats),
                             [("记录", 0, sheet8(cells))], x.boundsheet8, after=[x.sst(strings)])


def small_stream():
    cells = [x.label8(0, 0, GENERAL, "姓名"), x.label8(1, 0, GENERAL, "张三"),
             x.rk(1, 1, DATE_XF, x.rk_int(33055))]
    return x.workbook_stream(globals8(), [("小", 0, sheet8(cells))], x.boundsheet8)


def split_sst_stream():
    """Strings split over CONTINUE records in every way the format allows."""
    u16 = lambda s: s.encode("utf-16-le")  # noqa: E731
    body = struct.pack("<II", 6, 6)
    body += struct.pack("<HB", 5, 0) + b"abc"          # 1: 8-bit, goes on as UTF-16
    part1 = b"\x01" + u16("张三")
    part1 += struct.pack("<HBH", 4, 0x08, 2) + b"wxyz" + struct.pack("<HH", 0, 1)  # 2: rich
    part2 = struct.pack("<HH", 2, 0)                    # its second run, no option byte
    part2 += struct.pack("<HBI", 2, 0x05, 10) + u16("李四") + b"\x00" * 4  # 3: phonetic
    part3 = b"\x00" * 6                                 # rest of the phonetic data
    part3 += struct.pack("<HB", 3, 0x01)                # 4: header only; chars follow
    part4 = b"\x00" + b"xyz"                            # ... as 8-bit
    part4 += struct.pack("<HB", 4, 0x01) + u16("王五")  # 5: UTF-16, goes on 8-bit
    part5 = b"\x00" + b"ab"
    part5 += struct.pack("<HB", 2, 0x00) + b"ok"        # 6: whole
    table = x.continued(0x00FC, body, [part1, part2, part3, part4, part5])
    cells = [x.labelsst(i, 0, GENERAL, i) for i in range(6)]
    return x.workbook_stream(globals8(), [("拆分", 0, sheet8(cells))], x.boundsheet8,
                             after=[table])


def biff5_stream():
    """A BIFF5 workbook: 8-bit strings in code page 936."""
    cp = "gbk"
    records = [x.bof(0x0500, 0x0005), x.codepage(936), x.window1(0), x.datemode(False)]
    records += [x.font5() for _ in range(5)]
    records += [x.format5(164, "yyyy年m月", cp), x.format5(165, '0"元"', cp)]
    records += [x.xf5(0, style=True) for _ in range(STYLE_COUNT)]
    records += [x.xf5(0), x.xf5(164), x.xf5(165), x.xf5(0x0E)]
    cells = [
        x.label5(0, 0, GENERAL, "姓名", cp), x.label5(0, 1, GENERAL, "出生年月", cp),
        x.label5(0, 2, GENERAL, "学历", cp),
        x.label5(1, 0, GENERAL, "张三", cp), x.rk(1, 1, DATE_XF, x.rk_int(33055)),
        x.label5(1, 2, GENERAL, "1990年7月 大学\r\n2000年1月 研究生", cp),
        x.rstring5(2, 0, GENERAL, "李四", cp, [(0, 1)]), x.number(2, 1, DATE_XF + 2, 30000.0),
        x.number(2, 2, DATE_XF + 1, 12.0),
        # ASCII: xlrd counts a BIFF5 STRING's length in characters, not bytes.
        x.formula(3, 0, GENERAL, ("text",)), x.string5("sum 12", cp),
        x.boolerr(3, 1, GENERAL, 1, False), x.boolerr(3, 2, GENERAL, 0x2A, True),
    ]
    body = x.bof(0x0500, 0x0010) + b"".join(cells) + x.window2(True, biff=5) + x.eof()
    boundsheet = lambda offset, name, kind: x.boundsheet5(offset, name, cp, kind)  # noqa: E731
    return x.workbook_stream(records, [("人员", 0, body)], boundsheet)


def password_stream():
    records = [x.bof(0x0600, 0x0005), x.filepass()] + globals8()[1:]
    return x.workbook_stream(records, [("加密", 0, sheet8([x.label8(0, 0, GENERAL, "x")]))],
                             x.boundsheet8)


def active_chart_stream():
    chart = x.bof(0x0600, 0x0020) + x.eof()
    return x.workbook_stream(globals8(active=1),
                             [("数据", 0, sheet8([x.label8(0, 0, GENERAL, "x")], False)),
                              ("图表", 2, chart)], x.boundsheet8)


# --- broken files -------------------------------------------------------------------------

def xlsx_bytes():
    stream = io.BytesIO()
    with zipfile.ZipFile(stream, "w") as z:
        for name, text in (("[Content_Types].xml", '<?xml version="1.0"?><Types/>'),
                           ("xl/workbook.xml", '<?xml version="1.0"?><workbook/>')):
            z.writestr(zipfile.ZipInfo(name, date_time=(2020, 1, 1, 0, 0, 0)), text)
    return stream.getvalue()


def loop_back(fat, chains):
    chain = chains["Workbook"]
    fat[chain[2]] = chain[0]


def point_outside(fat, chains):
    fat[chains["Workbook"][1]] = 0x00FFFF00


def refuses(data):
    try:
        xlrd.open_workbook(file_contents=data, logfile=QUIET)
    except Exception:  # noqa: BLE001 - any refusal will do
        return True
    return False


def main():
    os.makedirs(OUT, exist_ok=True)
    good = {}

    good["staff_values.xls"] = staff_values()
    good["second_sheet_active.xls"] = second_sheet_active()
    good["dates_1904.xls"] = dates_1904()
    good["sst_continue.xls"] = many_strings()
    good["formulas.xls"] = x.compound_file([("Workbook", formulas_stream())])
    records = records_stream()
    good["records.xls"] = x.compound_file([("Workbook", records)])
    good["scattered_sectors.xls"] = x.compound_file([("Workbook", records)], scatter=True)
    good["difat.xls"] = x.compound_file([("Workbook", records)], fat_sectors=110)
    small = small_stream()
    assert len(small) < 4096
    good["mini_stream.xls"] = x.compound_file([("Workbook", small)])
    good["sst_split.xls"] = x.compound_file([("Workbook", split_sst_stream())])
    good["biff5_cp936.xls"] = x.compound_file([("Book", biff5_stream())])

    for name, data in good.items():
        save(name, data)
        write_expected(name, data)

    # A container with 4096-byte sectors. xlrd places such sectors wrongly, so the values
    # are those it reads from the same stream in the usual container.
    save("sector_4096.xls", x.compound_file([("Workbook", records)], sector_shift=12))

    # The BIFF5 workbook with its string lengths counted in characters. xlrd counts bytes,
    # so the values are those it reads from the workbook counted in bytes.
    x.COUNT_CHARACTERS = True
    save("biff5_cp936_chars.xls", x.compound_file([("Book", biff5_stream())]))
    x.COUNT_CHARACTERS = False
    write_expected("biff5_cp936_chars.xls", good["biff5_cp936.xls"],
                   " from the same workbook with lengths in bytes (biff5_cp936.xls)")
    write_expected("sector_4096.xls", good["records.xls"],
                   " from the same workbook stream in 512-byte sectors (records.xls)")

    # The crafted workbooks hold what they were made to hold.
    split = xlrd_values(good["sst_split.xls"])[1]
    assert [c[3] for c in split] == ["abc张三", "wxyz", "李四", "xyz", "王五ab", "ok"], split
    formulas = dict(((r, c), v) for r, c, _, v in xlrd_values(good["formulas.xls"])[1])
    assert formulas[(3, 1)] == "长" * 5000 and formulas[(2, 4)] == "共享公式"
    assert xlrd.open_workbook(file_contents=good["biff5_cp936.xls"]).biff_version in (50, 70)

    broken = {
        "empty.xls": b"",
        "text.xls": "姓名,性别\r\n张三,男\r\n".encode("gbk"),
        "renamed_xlsx.xls": xlsx_bytes(),
        "truncated.xls": good["staff_values.xls"][:len(good["staff_values.xls"]) * 3 // 5],
        "header_only.xls": good["records.xls"][:300],
        "chain_loop.xls": x.compound_file([("Workbook", records)], damage=loop_back),
        "sector_outside.xls": x.compound_file([("Workbook", records)], damage=point_outside),
        "no_workbook_stream.xls": x.compound_file([("WordDocument", records)]),
        "password.xls": x.compound_file([("Workbook", password_stream())]),
        "active_chart.xls": x.compound_file([("Workbook", active_chart_stream())]),
    }
    for name, data in broken.items():
        save(name, data)
    # The fuzz target's seeds: small whole files, and bare workbook streams (the target also
    # reads its input as a stream).
    os.makedirs(SEEDS, exist_ok=True)
    seeds = {name: good[name] for name in ("mini_stream.xls", "sst_split.xls", "biff5_cp936.xls")}
    seeds.update({name: broken[name] for name in ("password.xls", "active_chart.xls")})
    seeds.update({"records.stream": records, "small.stream": small,
                  "split_sst.stream": split_sst_stream(), "biff5.stream": biff5_stream()})
    for name, data in seeds.items():
        with open(os.path.join(SEEDS, name), "wb") as f:
            f.write(data)

    for name in ("empty.xls", "text.xls", "truncated.xls", "chain_loop.xls",
                 "sector_outside.xls", "no_workbook_stream.xls", "password.xls"):
        assert refuses(broken[name]), name


if __name__ == "__main__":
    main()
