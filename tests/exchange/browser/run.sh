#!/usr/bin/env bash
# Writes the exam pages with the program's own export under Wine, then opens them in headless
# Chromium. Usage: run.sh FIXTURE_EXE NODE_MODULES WORK_FOLDER
set -euo pipefail
fixture=$1 modules=$2 work=$3
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work"
mkdir -p "$work"
wine "$fixture" "$(winepath -w "$work")"
EXAM_PAGES=$work NODE_MODULES=$modules node --test "$here/exam_page.test.mjs"
