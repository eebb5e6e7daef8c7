#!/usr/bin/env bash
# Runs the smoke test in a Wine prefix of its own, made fresh for this run and removed after it.
# Usage: smoke.sh SCRIPTS_FOLDER SMOKE_TEST_EXE WINE_FOLDER
set -euo pipefail
scripts=$1 smoke=$2 wine_folder=$3
mkdir -p "$wine_folder"
prefix=$(mktemp -d "$wine_folder/smoke.XXXXXX")
rmdir "$prefix"
cleanup() {
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  rm -rf "$prefix" "$prefix.lock"
}
trap cleanup EXIT
"$scripts/wine-prefix" "$prefix" headless 2>/dev/null
WINEPREFIX=$prefix WINEARCH=${LINGOTROVE_WINEARCH:-win32} WINEDEBUG=-all wine "$smoke"
