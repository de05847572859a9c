#!/usr/bin/python3
"""Writes the reader benchmark's workbook: 20,000 rows of 20 columns with 100,000 distinct
strings (five columns of names, codes and notes that never repeat), plus numbers, dates,
repeated category texts and multi-line cells, as a staff list brings them.

usage: make_workbook.py OUT.xls"""

import datetime
import sys

import xlwt

ROWS, COLUMNS = 20000, 20


def main(out):
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("人员")
    date_style = xlwt.easyxf(num_format_str="yyyy-mm-dd")
    month_style = xlwt.easyxf(num_format_str="yyyy.mm")
    wrap = xlwt.easyxf("align: wrap on")
    categories = ["本科", "大专", "中专", "研究生", "高中"]
    posts = ["科员", "副主任科员", "主任科员", "馆员", "助理馆员"]
    start = datetime.date(1960, 1, 1)
    sheet.write(0, 0, "序号")
    for c in range(1, COLUMNS):
        sheet.write(0, c, "标题%d" % c)
    for r in range(1, ROWS):
        distinct = [
            "姓名%05d" % r,
            "11010119%08d" % (r * 7919 % 10 ** 8),
            "备注 %d: 第%d行的说明文字" % (r, r),
            "address-%06d street %d" % (r, r % 97),
            "编号%05d-%s" % (r, "甲乙丙丁戊"[r % 5]),
        ]
        values = [r] + distinct + [
            start + datetime.timedelta(days=r % 15000),
            start + datetime.timedelta(days=(r * 3) % 20000),
            categories[r % 5],
            posts[r % 5],
            "%d年%d月 %s\n%d年%d月 %s" % (1990 + r % 20, 1 + r % 12, categories[r % 5],
                                       2000 + r % 20, 1 + r % 12, posts[r % 5]),
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
        for c, value in enumerate(values):
            if isinstance(value, datetime.date):
                sheet.write(r, c, value, date_style if c == 6 else month_style)
            elif isinstance(value, str) and "\n" in value:
                sheet.write(r, c, value, wrap)
            elif value != "":
                sheet.write(r, c, value)
    book.save(out)


if __name__ == "__main__":
    main(sys.argv[1])
