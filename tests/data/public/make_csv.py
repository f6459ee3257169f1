#!/usr/bin/python3
"""Writes the delimited text tables of this folder with Python's csv module and pandas, in the
dialects and encodings other programs export, and beside each NAME a NAME.truth.json of what
Python's csv module reads back from it (delimiter, encoding, rows as texts).

The iris tables hold the same table as iris-excel-xls.xls (its texts in tests/data/golden, as
the program shows them in the en_US locale); the accents tables hold texts beyond ASCII, quotes,
delimiters and line breaks inside fields, and ISO dates.

Run from this folder: /usr/bin/python3 make_csv.py
"""
import csv
import hashlib
import io
import json
import os

import pandas as pd

HERE = os.path.dirname(os.path.abspath(__file__))
GOLDEN = os.path.join(HERE, "..", "golden", "iris-excel-xls.xls.en_US.txt")


def iris():
    with open(GOLDEN, encoding="utf-8") as f:
        lines = f.read().splitlines()
    headings = lines[1].split("\t")
    rows = [line.split("\t") for line in lines[4:] if line]
    frame = pd.DataFrame(rows, columns=headings)
    for column in headings[:4]:
        frame[column] = frame[column].astype(float)
    return frame


ACCENTS_HEADINGS = ["Name", "Stadt", "Betrag", "Datum", "Notiz"]
ACCENTS_ROWS = [
    ["Müller", "São Paulo", "1.5", "2024-03-10", 'Façade, "quoted"'],
    ["Zoë", "Köln", "-20", "2023-12-31", "two\nlines"],
    ["Ørsted", "Malmö", "3.25", "2000-02-29", "a;b|c\td"],
    ["Ñandú", "", "", "", "€ 5"],
]


def truth(name, encoding, delimiter):
    path = os.path.join(HERE, name)
    with open(path, "rb") as f:
        data = f.read()
    with open(path, newline="", encoding=encoding) as f:
        rows = [row for row in csv.reader(f, delimiter=delimiter) if row]
    record = {
        "file": name,
        "size": len(data),
        "sha256": hashlib.sha256(data).hexdigest(),
        "format": "csv",
        "reader": "Python csv module",
        "encoding": encoding,
        "delimiter": delimiter,
        "rows": rows,
    }
    with open(path + ".truth.json", "w", encoding="utf-8") as f:
        json.dump(record, f, ensure_ascii=False, indent=1)
        f.write("\n")


def with_python_csv(name, encoding, delimiter, lineterminator, quoting=csv.QUOTE_MINIMAL,
                    decimal="."):
    rows = [ACCENTS_HEADINGS] + [
        [cell.replace(".", decimal) if i == 2 else cell for i, cell in enumerate(row)]
        for row in ACCENTS_ROWS
    ]
    with open(os.path.join(HERE, name), "w", newline="", encoding=encoding) as f:
        csv.writer(f, delimiter=delimiter, lineterminator=lineterminator,
                   quoting=quoting).writerows(rows)
    truth(name, encoding, delimiter)


def main():
    frame = iris()
    # pandas, as most programs export: comma and LF, UTF-8 without BOM.
    frame.to_csv(os.path.join(HERE, "iris-comma.csv"), index=False)
    truth("iris-comma.csv", "utf-8", ",")
    # A German spreadsheet's export: semicolon, decimal comma, CRLF, UTF-8 with BOM.
    frame.to_csv(os.path.join(HERE, "iris-semicolon.csv"), index=False, sep=";", decimal=",",
                 lineterminator="\r\n", encoding="utf-8-sig")
    truth("iris-semicolon.csv", "utf-8-sig", ";")
    # TAB-separated, CR line ends (an old Mac export).
    frame.to_csv(os.path.join(HERE, "iris-tab.tsv"), index=False, sep="\t", lineterminator="\r")
    truth("iris-tab.tsv", "utf-8", "\t")
    # Pipe-separated with every text quoted, UTF-16 LE with BOM.
    frame.to_csv(os.path.join(HERE, "iris-pipe.txt"), index=False, sep="|",
                 quoting=csv.QUOTE_NONNUMERIC, encoding="utf-16")
    truth("iris-pipe.txt", "utf-16", "|")

    with_python_csv("accents-utf8.csv", "utf-8", ",", "\r\n")
    with_python_csv("accents-bom.csv", "utf-8-sig", ";", "\n", decimal=",")
    with_python_csv("accents-cp1252.csv", "cp1252", ",", "\r\n", quoting=csv.QUOTE_ALL)
    with_python_csv("accents-utf16.tsv", "utf-16", "\t", "\r\n")


if __name__ == "__main__":
    main()
