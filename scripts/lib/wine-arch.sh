# Which Wine the scripts run Lingotrove under. Lingotrove is a 32-bit program, built and tested as
# one under 32-bit Wine. A Linux kernel started with its 32-bit emulation off (ia32_emulation=off,
# "32-bit emulation disabled" in its log) runs no 32-bit program, Wine's loader included: there the
# same sources are built for 64-bit Windows and run under 64-bit Wine instead, and the scripts say
# so. Sourced after scripts/setup, with root set; sets LINGOTROVE_WINEARCH (win32 or win64),
# wine_build (the default build folder: build, or build-win64) and wine_configure (the CMake options
# of that build), and for win64 puts a wine that starts 64-bit Wine first on PATH.

# A 32-bit program handed to an emulator (qemu-user through binfmt_misc) starts, but Wine does not
# get far in one: that counts as no.
runs_32bit_programs() {
  ! grep -qsx enabled /proc/sys/fs/binfmt_misc/qemu-i386 && /usr/lib/wine/wine --version >/dev/null 2>&1
}

if runs_32bit_programs; then
  export LINGOTROVE_WINEARCH=win32
  wine_toolchain=
  wine_build=$root/build
  wine_configure=()
else
  export LINGOTROVE_WINEARCH=win64
  wine_toolchain=$root/cmake/toolchain-x86_64-mingw.cmake
  wine_build=$root/build-win64
  wine_configure=(-DCMAKE_TOOLCHAIN_FILE="$wine_toolchain")
  echo "wine-arch: this machine runs no 32-bit programs; building for 64-bit Windows and running under 64-bit Wine" >&2
  # Debian's wine command starts the 32-bit loader whenever it is installed. The commands that
  # start 64-bit Wine instead live in the build tree, made once and used by every later run.
  shim=$wine_build/wine-shim
  mkdir -p "$shim"
  for name in wine wine-stable; do
    printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$shim/$name"
    chmod +x "$shim/$name"
  done
  export PATH=$shim:$PATH
fi
