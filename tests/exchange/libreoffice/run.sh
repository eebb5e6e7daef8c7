#!/usr/bin/env bash
# Converts a workbook with LibreOffice's own "MS Excel 2003 XML" filter, then imports it with the
# program's import under Wine. Usage: run.sh TEST_EXE WORK_FOLDER
set -euo pipefail
test_exe=$1 work=$2
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work"
mkdir -p "$work/home"
# Every column is read as text (format 2), from UTF-8 (76), comma-separated with double quotes.
HOME=$work/home soffice --headless -env:UserInstallation="file://$work/profile" \
  --infilter='CSV:44,34,76,1,1/2/2/2/3/2/4/2/5/2' --convert-to 'xml:MS Excel 2003 XML' \
  --outdir "$work" "$here/book.csv" >"$work/soffice.log" 2>&1 || { cat "$work/soffice.log"; exit 1; }
[ -s "$work/book.xml" ] || { echo "LibreOffice wrote no workbook"; cat "$work/soffice.log"; exit 1; }
LIBREOFFICE_BOOK=$(winepath -w "$work/book.xml") wine "$test_exe"
