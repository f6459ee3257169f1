"""Prints what xlrd reads in a workbook, as JSON, for the writer tests.

usage: read_xls.py FILE [--summary]
Each cell is [kind, value]: kind "n" number, "s" text, "e" empty (xlrd's own cell types).
--summary prints only the shape and the first and last rows, for large tables.
"""
import json
import sys

import xlrd

KINDS = {xlrd.XL_CELL_NUMBER: "n", xlrd.XL_CELL_TEXT: "s", xlrd.XL_CELL_EMPTY: "e",
         xlrd.XL_CELL_BLANK: "e"}


def cells(sheet, row):
    return [[KINDS.get(c.ctype, "other"), c.value] for c in sheet.row(row)]


def main():
    book = xlrd.open_workbook(sys.argv[1])
    out = {"sheets": book.sheet_names(), "biff": book.biff_version}
    sheet = book.sheet_by_index(0)
    out["nrows"] = sheet.nrows
    out["ncols"] = sheet.ncols
    if "--summary" in sys.argv:
        out["rows"] = [cells(sheet, r) for r in range(min(2, sheet.nrows))]
        if sheet.nrows > 2:
            out["last"] = cells(sheet, sheet.nrows - 1)
    else:
        out["rows"] = [cells(sheet, r) for r in range(sheet.nrows)]
    json.dump(out, sys.stdout, ensure_ascii=True)


main()
