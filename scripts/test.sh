#!/usr/bin/env bash
# The whole test run: installs what is missing, builds, then runs the native
# unit tests, the Win32 tests under Wine and the end-to-end tests of the real
# program under Wine on a private Xvfb. Ends with "N passed, N failed".
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh" || exit 1
bash "$root/scripts/build.sh" all || { echo "build failed"; echo "0 passed, 1 failed"; exit 1; }
. "$root/scripts/wine-env.sh"

results="$root/build/test-results"
rm -rf "$results"
mkdir -p "$results"
export OCURAL_TEST_ARTIFACTS="$results"
status=0

# The drawn artwork and the bundled skins, checked as files.
echo "== artwork and skin checks"
checks=()
python3 "$root/resources/check_art.py" "$root/build/win32/art" && checks+=(--check art=0) ||
  { checks+=(--check art=1); status=1; }
python3 "$root/skins/check_skins.py" "$root/build/win32" && checks+=(--check skins=0) ||
  { checks+=(--check skins=1); status=1; }

echo "== native unit tests"
(cd "$root/build/native" && ./native_tests --gtest_brief=1 --gtest_output="xml:$results/native_tests.xml") || status=1

# Every fuzz target for a few seconds (a few seconds more to build them); a
# target that finds a broken property counts as a failed check.
echo "== fuzz targets"
bash "$root/scripts/fuzz.sh" 3 || status=1
while IFS= read -r line; do checks+=(--check "fuzz:$line"); done <"$root/build/fuzz/results.txt"

if [ "$OCURAL_RUN_ARCH" = x86_64 ]; then
  winbuild="$root/build/win64"
  echo "note: this kernel cannot run 32-bit Linux programs, so 32-bit Wine cannot run here;"
  echo "      the Windows tests run the 64-bit build of the same sources (build/win64)."
else
  winbuild="$root/build/win32"
fi

ocural_start_xvfb 1024x768 || { echo "0 passed, 1 failed"; exit 1; }
trap 'ocural_stop_wine; ocural_stop_xvfb' EXIT
ocural_fresh_prefix "$root/build/wineprefix"
# One server for the whole run keeps every test process from starting its own.
"$WINESERVER" -p </dev/null >/dev/null 2>&1 || true

for suite in win_tests e2e_tests; do
  echo "== $suite (Wine, $OCURAL_RUN_ARCH, DISPLAY=$DISPLAY)"
  OCURAL_WINE_TIMEOUT=900 "$root/scripts/wine-run.sh" "$winbuild/$suite.exe" --gtest_brief=1 \
    --gtest_output="xml:$(winepath_out="$results/$suite.xml"; echo "Z:${winepath_out//\//\\}")" || status=1
done

# Screenshots kept by the end-to-end tests (failures, and the README's).
for bmp in "$results"/*.bmp; do
  [ -e "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
python3 "$root/scripts/summarize.py" "${checks[@]}" "$results/native_tests.xml" "$results/win_tests.xml" \
  "$results/e2e_tests.xml" || status=1
exit $status
