#!/usr/bin/env bash
# Runs the benchmarks and prints their figures: for 1024x768 and 1920x1080,
# each on a private Xvfb, the snapshot path (bench/lens_bench), the memory
# (bench/memory_bench); then the outline cut (bench/outline_bench). Installs
# and builds what is missing first, like the test command. Benchmarks never
# fail on a number.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" >/dev/null
. "$root/scripts/wine-env.sh"

if [ "$OCURAL_RUN_ARCH" = x86_64 ]; then
  build="$root/build/win64"
  echo "note: 32-bit Wine cannot run on this kernel; these are figures of the 64-bit build of the same sources."
else
  build="$root/build/win32"
fi
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), $("$WINE" --version 2>/dev/null), $(basename "$build")"

ocural_fresh_prefix "$root/build/wineprefix-bench"
trap 'ocural_stop_wine; ocural_stop_xvfb' EXIT
for size in 1024x768 1920x1080; do
  dir="$root/build/bench/$size"
  rm -rf "$dir"
  mkdir -p "$dir"
  cp "$build"/{Ocural,lens_bench,memory_bench,empty_window}.exe "$build"/*.vsk "$build/Ocural.ini" "$dir/"
  cp -r "$build/skins" "$dir/"
  ocural_start_xvfb "$size"
  (cd "$dir" && timeout 300 "$WINE" ./lens_bench.exe </dev/null 2>/dev/null | tr -d '\r')
  (cd "$dir" && timeout 300 "$WINE" ./memory_bench.exe </dev/null 2>/dev/null | tr -d '\r') || true
  ocural_stop_wine
  ocural_stop_xvfb
done
ocural_start_xvfb 1024x768
(cd "$build" && timeout 300 "$WINE" ./outline_bench.exe </dev/null 2>/dev/null | tr -d '\r')
