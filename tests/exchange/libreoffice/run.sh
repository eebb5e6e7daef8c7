#!/usr/bin/env bash
# Converts a workbook with LibreOffice's own "MS Excel 2003 XML" filter, then imports it with the
# program's import under Wine. Usage: run.sh WORK_FOLDER COMMAND... (the test program, and the
# Wine launcher before it).
set -euo pipefail
work=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work"
mkdir -p "$work/home"
# Every column is read as text (format 2), from UTF-8 (76), comma-separated with double quotes.
HOME=$work/home soffice --headless -env:UserInstallation="file://$work/profile" \
  --infilter='CSV:44,34,76,1,1/2/2/2/3/2/4/2/5/2' --convert-to 'xml:MS Excel 2003 XML' \
  --outdir "$work" "$here/book.csv" >"$work/soffice.log" 2>&1 || { cat "$work/soffice.log"; exit 1; }
[ -s "$work/book.xml" ] || { echo "LibreOffice wrote no workbook"; cat "$work/soffice.log"; exit 1; }
# Wine's drive Z: is the root of the Unix file system.
book="Z:$work/book.xml"
LIBREOFFICE_BOOK=${book//\//\\} "$@"
