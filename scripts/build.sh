#!/usr/bin/env bash
# Builds everything into build/: the native core and its tests (build/native),
# the 32-bit program (build/win32) and, where 32-bit Wine cannot run, the
# 64-bit build used to run the program and its tests (build/win64).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/scripts/wine-env.sh"
jobs="$(nproc 2>/dev/null || echo 2)"

what="${1:-all}"   # all | program

configure() {  # dir [cmake args...]
  local dir="$1"; shift
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=${OCURAL_BUILD_TYPE:-RelWithDebInfo} "$@" >"$dir.configure.log" 2>&1 ||
      { cat "$dir.configure.log"; return 1; }
  fi
}

mkdir -p "$root/build"
if [ "$what" = all ]; then
  OCURAL_BUILD_TYPE=Debug configure "$root/build/native"
  cmake --build "$root/build/native" -j"$jobs"
fi

configure "$root/build/win32" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"
if [ "$what" = all ]; then
  cmake --build "$root/build/win32" -j"$jobs"
else
  cmake --build "$root/build/win32" -j"$jobs" --target Ocural
fi

if [ "$OCURAL_RUN_ARCH" = x86_64 ]; then
  configure "$root/build/win64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake"
  if [ "$what" = all ]; then
    cmake --build "$root/build/win64" -j"$jobs"
  else
    cmake --build "$root/build/win64" -j"$jobs" --target Ocural
  fi
fi
