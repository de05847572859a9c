#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the workbook the window tests import into tests/fixtures/window/."""

import datetime
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from staff_workbook import write_staff_workbook  # noqa: E402

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "fixtures", "window")
D = datetime.date

TITLES = ["序号", "姓名", "身份证号", "性别", "民族", "出生年月", "参加工作时间", "个人身份"]
# Six persons, so that a run stopped after its first row is told apart from a whole one.
PERSONS = [
    [1, "张伟", "110101198001010011", 1, "汉族", D(1980, 1, 1), D(2001, 7, 1), "干部"],
    [2, "王芳", "110101198202020022", 2, "汉族", D(1982, 2, 2), D(2003, 8, 1), "工人"],
    [3, "李娜", "110101198503030033", 2, "回族", D(1985, 3, 3), D(2006, 9, 1), "干部"],
    [4, "刘洋", "110101198704040044", 1, "汉族", D(1987, 4, 4), D(2008, 7, 1), "工人"],
    [5, "陈静", "110101199005050055", 2, "满族", D(1990, 5, 5), D(2012, 7, 1), "干部"],
    [6, "杨帆", "110101199206060066", 1, "汉族", D(1992, 6, 6), D(2014, 8, 1), "工人"],
]


def main():
    os.makedirs(OUT, exist_ok=True)
    write_staff_workbook(os.path.join(OUT, "staff.xls"), TITLES, PERSONS)


if __name__ == "__main__":
    main()
