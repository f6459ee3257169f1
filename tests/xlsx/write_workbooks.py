"""Writes the workbooks tst_modernworkbooks reads, into the folder given.

same: one table saved by openpyxl (.xlsx), odfpy (.ods) and xlwt (.xls).
damaged: packages broken in the ways a hostile or damaged file can be.
"""
import datetime
import io
import os
import random
import struct
import sys
import zipfile

HEADINGS = ["Name", "Count", "Amount", "Delta", "Day", "Moment", "Flag", ""]
ROWS = [
    ['Zoë "quoted" \'single\'', 1, 1.5, -2, datetime.date(2020, 1, 31),
     datetime.datetime(2021, 6, 1, 12, 30, 15), True, "x"],
    ["日本語 text", 42, 0.25, -0.125, datetime.date(1999, 12, 31),
     datetime.datetime(1900, 3, 1, 0, 0, 1), False, None],
    [None, -7, 12345678.5, 3, datetime.date(2024, 2, 29),
     datetime.datetime(2024, 2, 29, 23, 59, 59), True, "y"],
]


def write_xlsx(path):
    import openpyxl
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "Table"
    sheet.append([h or None for h in HEADINGS])
    for row in ROWS:
        sheet.append(row)
    for r in range(2, len(ROWS) + 2):
        sheet.cell(r, 5).number_format = "yyyy-mm-dd"
        sheet.cell(r, 6).number_format = "yyyy-mm-dd hh:mm:ss"
    book.save(path)


def write_ods(path):
    from odf.opendocument import OpenDocumentSpreadsheet
    from odf.table import Table, TableRow, TableCell
    from odf.text import P
    doc = OpenDocumentSpreadsheet()
    table = Table(name="Table")

    def cell(value):
        if value is None:
            return TableCell()
        if isinstance(value, bool):
            c = TableCell(valuetype="boolean", booleanvalue="true" if value else "false")
            c.addElement(P(text="TRUE" if value else "FALSE"))
        elif isinstance(value, (int, float)):
            c = TableCell(valuetype="float", value=repr(value))
            c.addElement(P(text=str(value)))
        elif isinstance(value, datetime.datetime):
            c = TableCell(valuetype="date", datevalue=value.isoformat())
            c.addElement(P(text=str(value)))
        elif isinstance(value, datetime.date):
            c = TableCell(valuetype="date", datevalue=value.isoformat())
            c.addElement(P(text=str(value)))
        else:
            c = TableCell(valuetype="string")
            c.addElement(P(text=value))
        return c

    for values in [[h or None for h in HEADINGS]] + ROWS:
        row = TableRow()
        for value in values:
            row.addElement(cell(value))
        table.addElement(row)
    doc.spreadsheet.addElement(table)
    doc.save(path)


def write_xls(path):
    import xlwt
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("Table")
    day = xlwt.easyxf(num_format_str="YYYY-MM-DD")
    moment = xlwt.easyxf(num_format_str="YYYY-MM-DD HH:MM:SS")
    for c, heading in enumerate(HEADINGS):
        if heading:
            sheet.write(0, c, heading)
    for r, row in enumerate(ROWS, 1):
        for c, value in enumerate(row):
            if value is None:
                continue
            if isinstance(value, datetime.datetime):
                sheet.write(r, c, value, moment)
            elif isinstance(value, datetime.date):
                sheet.write(r, c, value, day)
            else:
                sheet.write(r, c, value)
    book.save(path)


WORKBOOK = ('<?xml version="1.0"?><workbook xmlns="http://schemas.openxmlformats.org/'
            'spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/'
            'officeDocument/2006/relationships"><sheets><sheet name="S" sheetId="1" r:id="rId1"/>'
            '</sheets></workbook>')
RELS = ('<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/'
        '2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/'
        'officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>'
        '</Relationships>')
SHEET_HEAD = ('<?xml version="1.0"?><worksheet xmlns="http://schemas.openxmlformats.org/'
              'spreadsheetml/2006/main"><sheetData>')
SHEET_TAIL = '</sheetData></worksheet>'
CONTENT_HEAD = ('<?xml version="1.0"?><office:document-content '
                'xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
                'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
                'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0">'
                '<office:body><office:spreadsheet><table:table table:name="T">')
CONTENT_TAIL = '</table:table></office:spreadsheet></office:body></office:document-content>'


def xlsx(path, sheet, workbook=WORKBOOK):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("xl/workbook.xml", workbook)
        z.writestr("xl/_rels/workbook.xml.rels", RELS)
        if isinstance(sheet, str):
            z.writestr("xl/worksheets/sheet1.xml", sheet)
        else:
            with z.open("xl/worksheets/sheet1.xml", "w", force_zip64=True) as out:
                for piece in sheet:
                    out.write(piece)


def ods(path, rows, manifest=None):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr(zipfile.ZipInfo("mimetype"), "application/vnd.oasis.opendocument.spreadsheet")
        z.writestr("content.xml", CONTENT_HEAD + rows + CONTENT_TAIL)
        if manifest:
            z.writestr("META-INF/manifest.xml", manifest)


def write_damaged(folder):
    join = lambda name: os.path.join(folder, name)
    cell = '<row r="1"><c r="A1" t="inlineStr"><is><t>kept</t></is></c></row>'
    # A gigabyte of comments: small when zipped, far past what its size allows when read.
    comments = b"<!-- -->" * (1 << 17)
    xlsx(join("inflate-bomb.xlsx"),
         [SHEET_HEAD.encode()] + [comments] * 1024 + [SHEET_TAIL.encode()])
    # One text node of 256 MiB of spaces.
    spaces = b" " * (1 << 20)
    xlsx(join("long-token.xlsx"), [SHEET_HEAD.encode()] + [spaces] * 256 + [SHEET_TAIL.encode()])
    # An entry whose headers claim 4 GiB less one byte.
    xlsx(join("claims-huge.xlsx"), SHEET_HEAD + cell + SHEET_TAIL)
    data = bytearray(open(join("claims-huge.xlsx"), "rb").read())
    name = b"xl/worksheets/sheet1.xml"
    at = 0
    while True:
        at = data.find(b"PK\x03\x04", at)
        if data[at + 30:at + 30 + len(name)] == name:
            struct.pack_into("<I", data, at + 22, 0xFFFFFFFF)
            break
        at += 4
    at = 0
    while True:
        at = data.find(b"PK\x01\x02", at)
        if data[at + 46:at + 46 + len(name)] == name:
            struct.pack_into("<I", data, at + 24, 0xFFFFFFFF)
            break
        at += 4
    open(join("claims-huge.xlsx"), "wb").write(bytes(data))
    laughs = ('<?xml version="1.0"?><!DOCTYPE worksheet [<!ENTITY a "aaaaaaaaaa">'
              + "".join('<!ENTITY %s "%s">' % (chr(98 + i), ("&%s;" % chr(97 + i)) * 10)
                        for i in range(9))
              + ']>')
    xlsx(join("entity-bomb.xlsx"),
         laughs + SHEET_HEAD[SHEET_HEAD.index("<worksheet"):]
         + '<row r="1"><c r="A1" t="inlineStr"><is><t>&j;</t></is></c></row>' + SHEET_TAIL)
    ods(join("row-repeat-bomb.ods"),
        '<table:table-row><table:table-cell office:value-type="string"><text:p>kept</text:p>'
        '</table:table-cell><table:table-cell table:number-columns-repeated="16383"/>'
        '</table:table-row><table:table-row table:number-rows-repeated="1048575">'
        '<table:table-cell table:number-columns-repeated="16384"/></table:table-row>')
    ods(join("value-repeat-bomb.ods"),
        '<table:table-row table:number-rows-repeated="1048576"><table:table-cell '
        'office:value-type="float" office:value="1" table:number-columns-repeated="16384"/>'
        '</table:table-row>')
    ods(join("narrow-repeat-bomb.ods"),
        '<table:table-row table:number-rows-repeated="1048576"><table:table-cell '
        'office:value-type="float" office:value="1" table:number-columns-repeated="255"/>'
        '</table:table-row>')
    xlsx(join("whole.xlsx"), SHEET_HEAD + cell + SHEET_TAIL)
    # Encrypted parts are noted in the manifest; content.xml is then no XML.
    ods(join("encrypted.ods"), "", manifest=(
        '<?xml version="1.0"?><manifest:manifest xmlns:manifest="urn:oasis:names:tc:'
        'opendocument:xmlns:manifest:1.0"><manifest:file-entry manifest:full-path="content.xml" '
        'manifest:media-type="text/xml"><manifest:encryption-data manifest:checksum-type="SHA1"'
        ' manifest:checksum="AAAA"/></manifest:file-entry></manifest:manifest>'))
    whole = open(join("whole.xlsx"), "rb").read()
    open(join("truncated.xlsx"), "wb").write(whole[:len(whole) // 2])
    random.seed(7)
    open(join("random.xlsx"), "wb").write(b"PK\x03\x04" + bytes(random.getrandbits(8)
                                                             for _ in range(4096)))


def write_large(folder, prefix, name=None, row_attribute=""):
    """A sheet of some 12 MB, so that it is read in pieces: each cell of column A holds its own
    row number; stretches of rows and cells go without their numbers, and the rows jump.
    `row_attribute` goes into one row in the middle."""
    p = prefix + ":" if prefix else ""
    ns = ' xmlns%s="http://schemas.openxmlformats.org/spreadsheetml/2006/main"' % (
        ":" + prefix if prefix else "")
    parts = ['<?xml version="1.0" encoding="UTF-8"?><%sworksheet%s><%ssheetData>' % (p, ns, p),
             '<%srow r="1"><%sc r="A1" t="inlineStr"><%sis><%st>n</%st></%sis></%sc>' % ((p,) * 7)
             + '<%sc t="inlineStr"><%sis><%st>half</%st></%sis></%sc></%srow>' % ((p,) * 7)]
    row = 1
    for i in range(200000):
        row += 1
        if i == 997 * 51:  # in a stretch with numbers
            row += 10000
        odd = row_attribute if i == 150000 else ""
        if (i // 997) % 2:
            parts.append('<%srow' % p + odd + ' r="%d"><%sc r="A%d"><%sv>%d</%sv></%sc><%sc r="B%d"><%sv>%s'
                         '</%sv></%sc></%srow>' % (row, p, row, p, row, p, p, p, row, p,
                                                   row / 2, p, p, p))
        else:
            parts.append('<%srow' % p + odd + '><%sc><%sv>%d</%sv></%sc><%sc><%sv>%s</%sv></%sc></%srow>'
                         % (p, p, row, p, p, p, p, row / 2, p, p, p))
    parts.append('</%ssheetData></%sworksheet>' % (p, p))
    workbook = WORKBOOK
    if prefix:
        workbook = workbook.replace("<workbook xmlns=", "<%s:workbook xmlns:%s=" % (prefix, prefix))
        workbook = workbook.replace("<sheets>", "<%s:sheets>" % prefix).replace(
            "<sheet ", "<%s:sheet " % prefix).replace("</sheets></workbook>",
                                                       "</%s:sheets></%s:workbook>" % (prefix, prefix))
    xlsx(os.path.join(folder, "large-%s.xlsx" % (name or prefix or "plain")), "".join(parts),
         workbook)


if __name__ == "__main__":
    mode, folder = sys.argv[1], sys.argv[2]
    if mode == "same":
        write_xlsx(os.path.join(folder, "same.xlsx"))
        write_ods(os.path.join(folder, "same.ods"))
        write_xls(os.path.join(folder, "same.xls"))
    elif mode == "large":
        write_large(folder, "")
        write_large(folder, "x")
        write_large(folder, "", "reference", ' ht="&#49;5"')
    else:
        write_damaged(folder)
