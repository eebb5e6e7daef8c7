#!/usr/bin/env bash
# Makes the MSI and the zip of a built tree: Lingotrove-VERSION-win32 (or -win64, for a build for
# 64-bit Windows) .msi and .zip in OUT. VERSION is the project's unless given (the round trip
# test makes a higher one from the same files to prove an upgrade).
# Usage: make-packages.sh BUILD OUT [VERSION]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)

cached() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
version=${3:-$(cached CMAKE_PROJECT_VERSION)}
# The packages are for the machine the program was built for, as its PE header says.
machine() {
  local header
  header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  od -An -tx2 -j$((header + 4)) -N2 "$1" | tr -d ' '
}
[ -f "$build/bin/Lingotrove.exe" ] || { echo "make-packages: build $build first" >&2; exit 1; }
case $(machine "$build/bin/Lingotrove.exe") in
  8664) platform=x64 bits=win64 ;;
  014c) platform=x86 bits=win32 ;;
  *) echo "make-packages: Lingotrove.exe is for no machine packaged here" >&2; exit 1 ;;
esac
name=Lingotrove-$version-$bits
files=(
  "$build/bin/Lingotrove.exe"
  "$build/english/Lingotrove.exe.mui"
  "$build/plugins/copy_pair.plugin"
  "$build/plugins/speak_pair.plugin"
  "$root/plugins/README.txt"
)
for file in "${files[@]}"; do
  [ -f "$file" ] || { echo "make-packages: $file is missing; build first" >&2; exit 1; }
done

rm -f "$out/$name.msi" "$out/$name.zip"
# Both packages are made from one folder laid out as the zip holds it; the English module waits
# in a folder of its own there, since beside the program it would switch the program to English.
stage=$(mktemp -d "${TMPDIR:-/tmp}/lingotrove-package.XXXXXX")
trap 'rm -rf "$stage"' EXIT
top=Lingotrove-$version
mkdir -p "$stage/$top/English" "$stage/$top/Plugins"
cp "$build/bin/Lingotrove.exe" "$stage/$top/"
cp "$build/english/Lingotrove.exe.mui" "$stage/$top/English/"
cp "$build/plugins/copy_pair.plugin" "$build/plugins/speak_pair.plugin" "$root/plugins/README.txt" "$stage/$top/Plugins/"
cp "$root/resources/lingotrove.ico" "$stage/"

# wixl finds the files only by paths relative to where it runs.
(cd "$stage" && wixl -a "$platform" -o "$out/$name.msi" -D Version="$version" -D Platform="$platform" \
   -D Files="$top" -D Icon=lingotrove.ico "$root/packaging/lingotrove.wxs")
(cd "$stage" && zip -qrX "$out/$name.zip" "$top")
echo "$out/$name.msi"
echo "$out/$name.zip"
