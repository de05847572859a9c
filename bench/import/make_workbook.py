#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes an N-person staff workbook with every understood column filled (2-3 education
lines, 2-4 posts, 5-10 assessment lines, every text in the code file), the code file, and
expected.tsv: the rows each table must hold after one import into an empty database, in the
order the import writes them (used for the count check and by the insert baseline).

usage: make_workbook.py N FOLDER"""

import datetime
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from staff_workbook import ALL_TITLES, write_code_file, write_staff_workbook  # noqa: E402

EDUCATION = [("中专", "41"), ("大专", "31"), ("本科", "21"), ("研究生", "11")]
POSTS = [("办事员", "1201"), ("科员", "1101"), ("副科长", "1001"), ("科长", "0901"),
         ("中级工", "3701"), ("高级工", "3611")]
GRADE_TO_WAGE = {"0301": "0101", "0401": "0102", "0501": "0103", "0601": "0104",
                 "0701": "0105", "0801": "0106", "0901": "0107", "1001": "0108",
                 "1101": "0109", "1201": "0110", "1301": "0110", "2101": "0204",
                 "2201": "0207", "2301": "0210", "2401": "0212", "2501": "0213",
                 "2601": "0213", "3601": "0301", "3611": "0302", "3701": "0303",
                 "3711": "0304", "3721": "0305", "3761": "0401"}
RESULTS = [("优秀", "1"), ("合格", "2"), ("基本合格", "3")]
SURNAMES = "王李张刘陈杨赵黄周吴徐孙胡朱高林何郭马罗"
GIVEN = "伟芳娜敏静丽强磊军洋勇艳杰娟涛明超秀霞平刚桂"
CODES = ([("1", "1"), ("2", "2"), ("汉族", "01"), ("在编", "1"), ("岗位绩效", "1")]
         + EDUCATION + POSTS + RESULTS)


def person(i, rng):
    name = SURNAMES[i % 20] + GIVEN[(i // 20) % 20] + GIVEN[(i // 400) % 20] + str(i)
    birth = datetime.date(1950 + rng.randrange(45), 1 + rng.randrange(12), 1 + rng.randrange(28))
    work_year = birth.year + 18 + rng.randrange(8)
    work = datetime.date(work_year, 7, 1)
    education, expected_edu = [], []
    for k in range(2 + rng.randrange(2)):
        text, code = EDUCATION[k % len(EDUCATION)]
        year = work_year - 4 + 3 * k
        education.append(f"{year}.07{text}")
        full_time = (year, 7) <= (work_year, 7)
        expected_edu.append(("全日制" if full_time else "在职", f"{year}-07-01", code))
    posts, expected_posts = [], []
    for k in range(2 + rng.randrange(3)):
        text, code = POSTS[k % len(POSTS)]
        year = min(work_year + 3 * k, 2020)
        posts.append(f"{year}.{1 + k:02d} {text}")
        grade = GRADE_TO_WAGE.get(code, "") if (year, 1 + k) >= (2006, 7) else ""
        expected_posts.append((f"{year}-{1 + k:02d}-01", code, grade))
    assessments, expected_assessments = [], []
    for k in range(5 + rng.randrange(6)):
        text, code = RESULTS[rng.randrange(len(RESULTS))]
        assessments.append(f"{2006 + k} {text}")
        expected_assessments.append((str(2006 + k), code))
    row = [i + 1, name, 1 + i % 2, "汉族", f"11010119{i:010d}", birth, work, "干部",
           rng.randrange(3), 0, "在编", "岗位绩效", 1.06, "\n".join(education),
           "\n".join(posts), "\n".join(assessments)]
    return row, expected_edu, expected_posts, expected_assessments


def main():
    n, folder = int(sys.argv[1]), sys.argv[2]
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(n)
    rows = []
    with open(os.path.join(folder, "expected.tsv"), "w", encoding="utf-8") as expected:
        for i in range(n):
            row, edu, posts, assessments = person(i, rng)
            rows.append(row)
            birth, work = row[5], row[6]
            adjust = -row[8] if row[8] else ""
            expected.write("P\t" + "\t".join([
                "01", str(row[0]), row[1], str(row[2]), "01", row[4], birth.isoformat(),
                work.isoformat(), "干部", "10", "12", str(adjust), "1", "1", "18"]) + "\n")
            for e in edu:
                expected.write("E\t" + "\t".join(e) + "\n")
            for p in posts:
                expected.write("R\t" + "\t".join(p) + "\n")
            for a in assessments:
                expected.write("K\t" + "\t".join(a) + "\n")
    write_code_file(os.path.join(folder, "dm.txt"), CODES)
    write_staff_workbook(os.path.join(folder, "staff.xls"), ALL_TITLES, rows)


if __name__ == "__main__":
    main()
