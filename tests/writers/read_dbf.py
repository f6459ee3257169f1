"""Prints what dbfread reads in a dBase table, as JSON, for the writer tests.

usage: read_dbf.py FILE [ENCODING] [--summary]
Without ENCODING dbfread decodes with the code page the header's language-driver byte names, as
it does for any user who does not tell it one.
"""
import json
import sys

import dbfread


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    encoding = args[1] if len(args) > 1 else None
    table = dbfread.DBF(args[0], encoding=encoding, load=True)
    out = {
        "encoding": table.encoding,
        "language_driver": table.header.language_driver,
        "fields": [{"name": f.name, "type": f.type, "length": f.length,
                    "decimals": f.decimal_count} for f in table.fields],
    }
    records = [list(r.values()) for r in table.records]
    out["count"] = len(records)
    if "--summary" in sys.argv:
        records = records[:2] + records[-1:]
    out["records"] = records
    json.dump(out, sys.stdout, ensure_ascii=True, default=str)


main()
