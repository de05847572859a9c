#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What the tests need of an .xlsx that our own reader does not read, through openpyxl.

    xlsx_probe.py dump FILE              JSON on stdout: sheets (name, state), the active
                                         sheet, and per sheet its cells, bold cells, column
                                         number formats, frozen pane, data validations,
                                         notes, filled cells and links
    xlsx_probe.py fill FILE OUT ROWS     writes OUT: FILE with the rows of the JSON file ROWS
                                         (a list of objects, title -> value) below the titles
                                         of its active sheet;
                                         a value {"date": "Y-M-D"} is written as openpyxl
                                         writes a date, {"typed": "Y-M-D"} as a spreadsheet
                                         program stores a date typed into the column: the day
                                         number with the column's own number format
    xlsx_probe.py activate FILE N OUT    writes OUT: FILE with sheet N (0-based) active,
                                         every other part byte for byte as it was
"""

import datetime
import json
import re
import sys
import zipfile

import openpyxl


def text(value):
    if isinstance(value, datetime.datetime):
        return value.strftime("%Y-%m-%d %H:%M:%S")
    return value


def dump(path):
    book = openpyxl.load_workbook(path)
    result = {"sheets": [{"name": s.title, "state": s.sheet_state} for s in book.worksheets],
              "active": book.active.title, "sheet": {}}
    for sheet in book.worksheets:
        cells, bold, notes, fills, links = {}, [], {}, {}, {}
        for row in sheet.iter_rows():
            for cell in row:
                if cell.value is not None:
                    cells[cell.coordinate] = text(cell.value)
                if cell.font is not None and cell.font.b:
                    bold.append(cell.coordinate)
                if cell.comment is not None:
                    notes[cell.coordinate] = cell.comment.text
                if cell.fill is not None and cell.fill.fill_type == "solid":
                    fills[cell.coordinate] = cell.fill.fgColor.rgb
                if cell.hyperlink is not None:
                    links[cell.coordinate] = cell.hyperlink.location
        result["sheet"][sheet.title] = {
            "cells": cells, "bold": bold, "notes": notes, "fills": fills, "links": links,
            "freeze": sheet.freeze_panes,
            "formats": {k: d.number_format for k, d in sheet.column_dimensions.items()},
            "validations": [{"sqref": str(v.sqref), "type": v.type, "formula1": v.formula1,
                             "errorStyle": v.errorStyle}
                            for v in sheet.data_validations.dataValidation],
        }
    json.dump(result, sys.stdout, ensure_ascii=False)


def fill(path, out, rows_file):
    book = openpyxl.load_workbook(path)
    sheet = book.active
    columns = {cell.value: cell.column for cell in sheet[1] if cell.value is not None}
    with open(rows_file, encoding="utf-8") as f:
        rows = json.load(f)
    for r, values in enumerate(rows, start=2):
        for title, value in values.items():
            cell = sheet.cell(r, columns[title])
            if isinstance(value, dict) and "date" in value:
                cell.value = datetime.datetime.strptime(value["date"], "%Y-%m-%d")
            elif isinstance(value, dict) and "typed" in value:
                day = datetime.datetime.strptime(value["typed"], "%Y-%m-%d")
                cell.value = (day - datetime.datetime(1899, 12, 30)).days
                cell.number_format = sheet.column_dimensions[cell.column_letter].number_format
            else:
                cell.value = value
    book.save(out)


def activate(path, index, out):
    with zipfile.ZipFile(path) as source, zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as target:
        for item in source.infolist():
            data = source.read(item.filename)
            if item.filename == "xl/workbook.xml":
                xml = re.sub(r' activeTab="\d+"', "", data.decode("utf-8"))
                xml = xml.replace("<workbookView ", '<workbookView activeTab="%d" ' % index, 1)
                data = xml.encode("utf-8")
            target.writestr(item, data)


if __name__ == "__main__":
    command, arguments = sys.argv[1], sys.argv[2:]
    if command == "dump":
        dump(*arguments)
    elif command == "fill":
        fill(*arguments)
    elif command == "activate":
        activate(arguments[0], int(arguments[1]), arguments[2])
    else:
        sys.exit("unknown command " + command)
