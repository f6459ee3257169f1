#!/usr/bin/env bash
# Exports workbooks of this folder to delimited text with LibreOffice (headless) and Gnumeric,
# as users receive them from those programs, and writes beside each export a NAME.truth.json of
# what Python's csv module reads from it (make_csv.py's truth()).
#
# Needs Debian's libreoffice-calc-nogui and gnumeric. Run once by hand from this folder
# (bash make_office_csv.sh); the exports are checked in, so the build and CI need neither.
#
# LibreOffice's filter options: delimiter, quote character, character set as codes
# (44 ',', 59 ';', 9 TAB, 34 '"'; 76 UTF-8, 1 Windows-1252, 65535 UTF-16).
set -euo pipefail
cd "$(dirname "$0")"

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
profile="-env:UserInstallation=file://$out/profile"

# soffice names its export after the workbook; each call goes to its own folder.
libreoffice() {  # libreoffice WORKBOOK OPTIONS NAME
  mkdir -p "$out/$3"
  soffice "$profile" --headless --convert-to "csv:Text - txt - csv (StarCalc):$2" \
    --outdir "$out/$3" "$1" >/dev/null
  mv "$out/$3/${1%.*}.csv" "$3"
}

libreoffice iris-excel-xls.xls 44,34,76 iris-libreoffice-comma.csv
libreoffice iris-excel-xls.xls 59,34,76 iris-libreoffice-semicolon.csv
libreoffice iris-excel-xls.xls 9,34,76 iris-libreoffice-tab.tsv
libreoffice iris-excel-xls.xls 44,34,1 iris-libreoffice-cp1252.csv
libreoffice iris-excel-xls.xls 44,34,65535 iris-libreoffice-utf16.csv
# The first sheet only, numbers and dates as shown (in the locale soffice runs in); Formate's
# texts hold umlauts and a euro sign.
libreoffice Formate.xls 59,34,1 formate-libreoffice-cp1252.csv
libreoffice chinese-provinces.xls 9,34,65535 chinese-provinces-libreoffice-utf16.txt

# Gnumeric writes numbers with all their digits (5.0999999999999996447 for 5.1).
ssconvert iris-excel-xls.xls iris-gnumeric.csv 2>/dev/null
ssconvert -T Gnumeric_stf:stf_assistant -O 'separator=;' iris-excel-xls.xls \
  iris-gnumeric-semicolon.csv 2>/dev/null

PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 - <<'EOF'
from make_csv import truth

truth("iris-libreoffice-comma.csv", "utf-8", ",")
truth("iris-libreoffice-semicolon.csv", "utf-8", ";")
truth("iris-libreoffice-tab.tsv", "utf-8", "\t")
truth("iris-libreoffice-cp1252.csv", "cp1252", ",")
truth("iris-libreoffice-utf16.csv", "utf-16", ",")
truth("formate-libreoffice-cp1252.csv", "cp1252", ";")
truth("chinese-provinces-libreoffice-utf16.txt", "utf-16", "\t")
truth("iris-gnumeric.csv", "utf-8", ",")
truth("iris-gnumeric-semicolon.csv", "utf-8", ";")
EOF
