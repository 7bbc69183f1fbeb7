#!/usr/bin/env bash
# Builds the fuzz targets (tests/fuzz, clang + libFuzzer, ASan + UBSan) into
# build/fuzz and runs each one for the given seconds (default 5), one after
# the other. Usage: scripts/fuzz.sh [seconds-per-target] [target...]
#
# Each target starts from its seeds (made from the bundled skins and settings)
# and its corpus in build/fuzz/corpus/<target>, which grows from run to run.
# An input that breaks a property is kept as build/fuzz/crashes/<target>-*;
# replay it with build/fuzz/<target> <file>. build/fuzz/results.txt gets one
# "<target>=<exit code>" line per target ("build=1" when the build failed).
# Exits non-zero when the build or any target failed. With FUZZ_RUNS=N each
# target runs N inputs instead (seconds then ignored), for long runs.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-5}"
shift || true
out="$root/build/fuzz"
mkdir -p "$out"
results="$out/results.txt"
: >"$results"

targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_numbers fuzz_picture fuzz_outline fuzz_skin_file fuzz_ini
                                     fuzz_settings fuzz_tray_tip)

if [ ! -f "$out/CMakeCache.txt" ]; then
  CC=clang-14 CXX=clang++-14 cmake -S "$root/tests/fuzz" -B "$out" >"$out.configure.log" 2>&1 ||
    { cat "$out.configure.log"; echo "build=1" >>"$results"; exit 1; }
fi
if ! cmake --build "$out" -j2 >"$out/build.log" 2>&1; then
  tail -n 40 "$out/build.log"
  echo "build=1" >>"$results"
  exit 1
fi

# Inputs larger than these are not made by mutation; the pictures need room
# for whole small files.
declare -A max_len=([fuzz_picture]=8192 [fuzz_outline]=8192)
# A smaller quarantine and no filling of new blocks: the targets that read
# files allocate a stream buffer for every read, and paging in fresh memory
# for each one was most of their time.
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=32:max_malloc_fill_size=0}"
status=0
mkdir -p "$out/crashes"
for t in "${targets[@]}"; do
  corpus="$out/corpus/$t"
  mkdir -p "$corpus"
  if [ -n "${FUZZ_RUNS:-}" ]; then limit=(-runs="$FUZZ_RUNS"); else limit=(-max_total_time="$seconds"); fi
  args=("${limit[@]}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
        -artifact_prefix="$out/crashes/$t-" -max_len="${max_len[$t]:-4096}")
  [ -f "$out/seeds/$t.dict" ] && args+=(-dict="$out/seeds/$t.dict")
  rc=0
  : >"$out/$t.log"
  # The full-size bundled skin pictures once through the outline target: too
  # large to be fuzzed, but the real outlines.
  if [ "$t" = fuzz_outline ]; then
    "$out/$t" "$out"/bundled/skins/*.bmp >>"$out/$t.log" 2>&1 || rc=$?
  fi
  if [ $rc -eq 0 ]; then
    "$out/$t" "${args[@]}" "$corpus" "$out/seeds/$t" >>"$out/$t.log" 2>&1 || rc=$?
  fi
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/$t.log" | tail -n 1)"
  if [ $rc -eq 0 ]; then
    echo "fuzz $t: ok, ${runs:-?} runs"
  else
    echo "fuzz $t: FAILED (exit $rc), log build/fuzz/$t.log:"
    grep -E 'property broken|ERROR: |runtime error|SUMMARY|Test unit written' "$out/$t.log" | head -n 8
    status=1
  fi
  echo "$t=$rc" >>"$results"
done
exit $status
