# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes staff workbooks (.xls, and .xlsx through openpyxl) as an office keeps them: one sheet, titles in row 1, one
person per row, multi-line cells for education, posts and assessments. Shared by the demo,
the end-to-end fixtures and the benchmarks."""

import datetime

import xlwt

# Every title the import understands, in a typical order.
ALL_TITLES = [
    "序号", "姓名", "性别", "民族", "身份证号", "出生年月", "参加工作时间", "个人身份",
    "工龄调整(月)", "扣减从1993年到2006年除见习期外年度考订不计考核等不合格年限",
    "工资类别", "绩效工资类别", "不计算工龄的大专以上学龄（年）", "学历",
    "执行基本工资对应职务", "从2006年开始的考核情况",
]

DATE_STYLE = xlwt.easyxf(num_format_str="yyyy-mm-dd")
MONTH_STYLE = xlwt.easyxf(num_format_str="yyyy.mm")
WRAP_STYLE = xlwt.easyxf("align: wrap on")


def write_staff_workbook(path, titles, rows, sheet_name="人员"):
    """rows: lists of values in title order; a datetime.date becomes a date cell, a str with
    line breaks a wrapped text cell, None an empty cell."""
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet(sheet_name)
    for column, title in enumerate(titles):
        sheet.write(0, column, title)
    for r, row in enumerate(rows, start=1):
        for column, value in enumerate(row):
            if value is None:
                continue
            if isinstance(value, datetime.date):
                sheet.write(r, column, value, DATE_STYLE)
            elif isinstance(value, str) and "\n" in value:
                sheet.write(r, column, value, WRAP_STYLE)
            else:
                sheet.write(r, column, value)
    book.save(path)


def write_staff_workbook_xlsx(path, titles, rows, sheet_name="人员"):
    """The same workbook as write_staff_workbook writes, as .xlsx: the same cells, date
    formats and wrapped cells."""
    import openpyxl
    from openpyxl.styles import Alignment

    book = openpyxl.Workbook()
    book.properties.created = book.properties.modified = datetime.datetime(2020, 1, 1)
    sheet = book.active
    sheet.title = sheet_name
    sheet.append(titles)
    for r, row in enumerate(rows, start=2):
        for column, value in enumerate(row, start=1):
            if value is None:
                continue
            cell = sheet.cell(r, column, value)
            if isinstance(value, datetime.date):
                cell.number_format = "yyyy-mm-dd"
            elif isinstance(value, str) and "\n" in value:
                cell.alignment = Alignment(wrap_text=True)
    book.save(path)


def write_code_file(path, entries):
    """The code file dm.txt: key=value lines in GBK with CR LF breaks."""
    with open(path, "wb") as f:
        for key, value in entries:
            f.write(f"{key}={value}\r\n".encode("gbk"))
