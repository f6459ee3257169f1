"""Prints what openpyxl reads in a .xlsx workbook, as JSON, in read_xls.py's shape.

usage: read_xlsx.py FILE
Each cell is [kind, value]: kind "n" number, "s" text, "e" empty.
"""
import json
import sys

import openpyxl
from openpyxl.utils.escape import unescape


def kind(value):
    if value is None:
        return ["e", ""]
    if isinstance(value, (int, float)) and not isinstance(value, bool):
        return ["n", value]
    # Control characters travel as _xHHHH_ escapes, which Excel decodes and openpyxl's
    # read-only mode leaves as they are.
    return ["s", unescape(str(value))]


def main():
    book = openpyxl.load_workbook(sys.argv[1], read_only=True)
    sheet = book.worksheets[0]
    rows = [[kind(v) for v in row] for row in sheet.iter_rows(values_only=True)]
    # As xlrd shows a sheet: no empty rows at the end, every row as wide as the widest.
    while rows and all(cell[0] == "e" for cell in rows[-1]):
        rows.pop()
    ncols = max((len(r) for r in rows), default=0)
    rows = [r + [["e", ""]] * (ncols - len(r)) for r in rows]
    out = {"sheets": book.sheetnames, "nrows": len(rows), "ncols": ncols, "rows": rows}
    json.dump(out, sys.stdout, ensure_ascii=True)


main()
