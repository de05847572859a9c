#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the demo office's code file and staff workbook into the folder given."""

import datetime
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from staff_workbook import ALL_TITLES, write_code_file, write_staff_workbook  # noqa: E402

CODES = [
    ("1", "1"), ("2", "2"),
    ("汉族", "01"), ("回族", "03"), ("满族", "11"),
    ("在编", "1"), ("聘用", "2"), ("岗位绩效", "1"), ("基础绩效", "2"),
    ("研究生", "11"), ("本科", "21"), ("大专", "31"), ("中专", "41"),
    ("科长", "0901"), ("副科长", "1001"), ("科员", "1101"), ("办事员", "1201"),
    ("高级工", "3611"), ("中级工", "3701"),
    ("优秀", "1"), ("合格", "2"), ("基本合格", "3"), ("不合格", "4"),
]

D = datetime.date
PERSONS = [
    [1, "李明", 1, "汉族", "110101197203150017", D(1972, 3, 15), D(1994, 7, 1), "干部", 6,
     None, "在编", "岗位绩效", 4, "1994.07本科\n2003.06研究生",
     "1994.07 办事员\n1997.07 科员\n2004.01 副科长\n2008.03 科长\n2010.01 管理6级",
     "2006 优秀\n2007 合格\n2008 优秀\n2009 合格\n2010 优秀"],
    [2, "王芳", 2, "回族", "110101198011020028", D(1980, 11, 2), D(2002, 8, 1), "干部", None,
     None, "在编", "岗位绩效", 3, "2002.07本科", "2002.08 办事员\n2005.08 科员\n2009.01 管理8级",
     "2006 合格\n2007 合格\n2008 优秀\n2009 优秀"],
    [3, "张伟", 1, "汉族", "110101196505050031", D(1965, 5, 5), D(1983, 9, 1), "工人", -12, 1,
     "聘用", "基础绩效", None, "1983.07中专\n1992.07大专",
     "1983.09 中级工\n1995.01 高级工\n2007.01 技工2级", "2006 合格\n2007 基本合格\n2008 合格"],
    [4, "赵丽", 2, "满族", "110101199002140046", D(1990, 2, 14), D(2012, 7, 1), "干部", None,
     None, "聘用", "基础绩效", 2.06, "2012.06本科\n2016.06博士", "2012.07 科员\n2015.07 技术9级",
     "2012 优秀\n2013 合格\n2014 优秀"],
]


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "demo"
    os.makedirs(folder, exist_ok=True)
    write_code_file(os.path.join(folder, "dm.txt"), CODES)
    write_staff_workbook(os.path.join(folder, "staff.xls"), ALL_TITLES, PERSONS)


if __name__ == "__main__":
    main()
