#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the workbooks and code file of the command-line end-to-end tests into
tests/fixtures/import/."""

import datetime
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from staff_workbook import (ALL_TITLES, write_code_file, write_staff_workbook,  # noqa: E402
                            write_staff_workbook_xlsx)

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "fixtures", "import")
D = datetime.date

CODES = [("1", "1"), ("2", "2"), ("汉族", "01"), ("在编", "1"), ("岗位绩效", "1"),
         ("本科", "21"), ("大专", "31"), ("科员", "1101"), ("馆员", "3601"),
         ("优秀", "1"), ("合格", "2")]

FULL_ROWS = [
    [1, "甲", 1, "汉族", "110101197001010011", D(1970, 1, 1), D(1990, 7, 15), "干部", 6, 2,
     "在编", "岗位绩效", 2.06, "1988.07大专\r\n1990.07本科\r\n1999.07博士",
     "1990.07 科员\n2006.06 馆员\n2008.03 馆员\n2009.01 管理8级\n2010.01 处长",
     "2006 优秀\n2007合格\n2008 良好\n1899 优秀"],
    [2, "乙", 2, "回族", "110101198002020022", D(1980, 2, 2), None, "工人", None, None,
     "外聘", None, None, "2000.07本科", "2007.01 技术2级", "2007 合格\n2007 合格"],
    [3, "丙", None, None, None, None, None, None, None, None, None, None, None, None, None, None],
]

# The cells wagebook-cells lists, in both formats: texts with tab, backslash and line breaks,
# a date, numbers, a boolean, an empty row and empty cells between filled ones.
CELLS_TITLES = ["姓名", "出生年月", "备注", "编号"]
CELLS_ROWS = [
    ["张三", D(1970, 1, 1), "a\tb\\c\nd", 12.5],
    ["李四", None, "行1\r\n行2", None],
    [],
    [None, None, "C:\\dm.txt\\", 110101197001010011.0],
    [None, True],
]


def main():
    os.makedirs(OUT, exist_ok=True)
    write_code_file(os.path.join(OUT, "dm.txt"), CODES)
    write_staff_workbook(os.path.join(OUT, "full.xls"), ALL_TITLES, FULL_ROWS)
    # Row 4 is empty, row 5 filled: the import ends at row 4.
    write_staff_workbook(os.path.join(OUT, "gap.xls"), ALL_TITLES[:8],
                         [[1, "甲", 1, "汉族", "x", D(1970, 1, 1), D(1990, 7, 1), "干部"],
                          [2, "乙"], [None, None], [4, "丁"]])
    write_staff_workbook(os.path.join(OUT, "no_work_start.xls"),
                         ["姓名", "出生年月", "工作时间", "个人身份"], [["甲", None, None, None]])
    # Names holding control characters: a colour sequence and DEL, then a C1 control (NEL),
    # TAB and CR. The first row's education is no code, so its name reaches the error list.
    write_staff_workbook(os.path.join(OUT, "control_chars.xls"), ALL_TITLES[:8] + ["学历"],
                         [[1, "甲\x1b[31m乙\x7f", None, None, None, None, None, None,
                           "1990.07博士"],
                          [2, "丙\x85丁\t戊\r己"]])
    write_staff_workbook(os.path.join(OUT, "cells.xls"), CELLS_TITLES, CELLS_ROWS)
    write_staff_workbook_xlsx(os.path.join(OUT, "cells.xlsx"), CELLS_TITLES, CELLS_ROWS)


if __name__ == "__main__":
    main()
