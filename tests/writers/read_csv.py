"""Prints what Python's csv module reads in a CSV file, as JSON, for the writer tests.

usage: read_csv.py FILE
The file is read as UTF-8 with the module's default dialect (comma, double quotes), as any
program handed a plain .csv would.
"""
import csv
import json
import sys


def main():
    with open(sys.argv[1], newline="", encoding="utf-8") as f:
        rows = list(csv.reader(f, strict=True))
    json.dump({"rows": rows}, sys.stdout, ensure_ascii=True)


main()
