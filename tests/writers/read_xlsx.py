"""Prints what openpyxl reads in a .xlsx workbook, as JSON, in read_xls.py's shape.

usage: read_xlsx.py FILE
Each cell is [kind, value]: kind "n" number, "s" text, "e" empty.
"""
import json
import sys

import openpyxl


def kind(value):
    if value is None:
        return ["e", ""]
    if isinstance(value, (int, float)) and not isinstance(value, bool):
        return ["n", value]
    return ["s", str(value)]


def main():
    book = openpyxl.load_workbook(sys.argv[1], read_only=True)
    sheet = book.worksheets[0]
    rows = [[kind(v) for v in row] for row in sheet.iter_rows(values_only=True)]
    out = {"sheets": book.sheetnames, "nrows": len(rows),
           "ncols": max((len(r) for r in rows), default=0), "rows": rows}
    json.dump(out, sys.stdout, ensure_ascii=True)


main()
