#!/usr/bin/env bash
# The packages of a build, in a fresh Wine prefix of its own (removed afterwards): the MSI is
# installed, run, uninstalled, installed again and upgraded by a package of a higher version made
# from the same files; the zip is unpacked into a folder with spaces and CJK characters and run
# from there. What the user made (the store, a category in it, the pronunciation cache, the
# settings) must survive all of it.
# Usage: round_trip.sh SOURCE BUILD INSTALL_CHECK_EXE
set -euo pipefail
export LC_ALL=C.UTF-8
root=$1 build=$2 check=$3
mkdir -p "$build/wine"
work=$(mktemp -d "$build/wine/packages.XXXXXX")
prefix=$work/prefix
cleanup() {
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  rm -rf "$work" "$prefix.lock"
}
trap cleanup EXIT

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
next=${version%.*}.$((${version##*.} + 1))
"$root/scripts/lib/make-packages.sh" "$build" "$work/this" >/dev/null
"$root/scripts/lib/make-packages.sh" "$build" "$work/next" "$next" >/dev/null
msi=("$work"/this/Lingotrove-"$version"-win*.msi)
next_msi=("$work"/next/Lingotrove-"$next"-win*.msi)
zip=("$work"/this/Lingotrove-"$version"-win*.zip)

"$root/scripts/wine-prefix" "$prefix" headless 2>/dev/null
export WINEPREFIX=$prefix WINEARCH=${LINGOTROVE_WINEARCH:-win32} WINEDEBUG=-all WINEDLLOVERRIDES=winedbg.exe=d

failed=0
fail() { echo "FAILED: $*" >&2; failed=1; }
windows() { local path=${1//\//\\}; echo "Z:$path"; }
step() { echo "== $*"; }
check() { wine "$check" "$@" || fail "install_check $*"; }
exists() { [ -e "$1" ] || fail "missing: $1"; }
absent() { [ ! -e "$1" ] || fail "still there: $1"; }
msiexec() { wine msiexec "$@" || fail "msiexec $*"; wineserver -w; }

# The user's folders: the only one under users/ besides Public.
user_dir=
for dir in "$prefix"/drive_c/users/*; do
  [ "$(basename "$dir")" = Public ] || user_dir=$dir
done
programs=$user_dir/AppData/Local/Programs/Lingotrove
program=$programs/Lingotrove.exe
shortcut=$user_dir/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Lingotrove.lnk
store=$(windows "$programs/Default.db")
category="旅行 round trip"

step "install $(basename "$msi")"
msiexec /i "$(windows "$msi")" /qn
exists "$program"
exists "$shortcut"
exists "$programs/Plugins/README.txt"
exists "$programs/Plugins/copy_pair.plugin"
absent "$programs/Lingotrove.exe.mui"   # the English interface is chosen, not given
check products "$version"

step "run the installed program, add a category, fill the pronunciation cache"
check run "$(windows "$program")"
exists "$programs/Default.db"
check add-category "$store" "$category"
mkdir -p "$programs/Cache" && echo sound >"$programs/Cache/en_hello.mp3"

step "uninstall"
msiexec /x "$(windows "$msi")" /qn
absent "$program"
absent "$shortcut"
absent "$programs/Plugins"
check products none
check has-category "$store" "$category"
exists "$programs/Cache/en_hello.mp3"
check settings-kept

step "install again, with the English interface"
msiexec /i "$(windows "$msi")" /qn ENGLISH=1
exists "$program"
exists "$programs/Lingotrove.exe.mui"
check products "$version"
check has-category "$store" "$category"

step "upgrade to $(basename "$next_msi")"
msiexec /i "$(windows "$next_msi")" /qn
exists "$program"
exists "$shortcut"
exists "$programs/Lingotrove.exe.mui"   # the choice of English carried over
check products "$next"
check has-category "$store" "$category"
check run "$(windows "$program")"
check has-category "$store" "$category"
exists "$programs/Cache/en_hello.mp3"

step "take the English interface away and add it again"
msiexec /i "$(windows "$next_msi")" /qn REMOVE=English
absent "$programs/Lingotrove.exe.mui"
exists "$program"
msiexec /i "$(windows "$next_msi")" /qn ADDLOCAL=English
exists "$programs/Lingotrove.exe.mui"
check products "$next"

step "uninstall the upgrade"
msiexec /x "$(windows "$next_msi")" /qn
absent "$program"
absent "$programs/Lingotrove.exe.mui"
check products none
check has-category "$store" "$category"

step "unpack $(basename "$zip") into a folder named with spaces and CJK characters"
folder=$work/"Mis frases 詞彙"
mkdir -p "$folder"
unzip -q "$zip" -d "$folder"
unpacked=$folder/Lingotrove-$version
exists "$unpacked/Plugins/README.txt"
exists "$unpacked/English/Lingotrove.exe.mui"
absent "$unpacked/Default.db"
check run "$(windows "$unpacked/Lingotrove.exe")"
exists "$unpacked/Default.db"
check add-category "$(windows "$unpacked/Default.db")" "$category"
check run "$(windows "$unpacked/Lingotrove.exe")"
check has-category "$(windows "$unpacked/Default.db")" "$category"

exit $failed
