#!/usr/bin/env bash
# The whole test run: installs what is missing, builds, then runs the native
# unit tests, the Win32 tests under Wine and the end-to-end tests of the real
# program under Wine on a private Xvfb. Ends with "N passed, N failed".
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh" || exit 1
export OCURAL_SETUP_DONE=1
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

# The portable release as shipped (i686): its contents, then the hardening of
# the exe it holds and of the build that runs here. The package of the build
# that runs here is unpacked for the end-to-end suite (PackageE2E).
echo "== release package and hardening"
started=$SECONDS
pkg="$root/build/package"
pkg_rc=0
zip="$(bash "$root/scripts/package.sh" i686 | tail -n 1)" &&
  python3 "$root/scripts/check_package.py" "$zip" "$pkg/i686" || pkg_rc=1
run_pkg=("$pkg"/i686/*/)
if [ "$OCURAL_RUN_ARCH" = x86_64 ]; then
  zip="$(bash "$root/scripts/package.sh" x86_64 | tail -n 1)" &&
    python3 "$root/scripts/check_package.py" "$zip" "$pkg/run" || pkg_rc=1
  run_pkg=("$pkg"/run/*/)
fi
checks+=(--check package=$pkg_rc)
[ $pkg_rc = 0 ] || status=1
export OCURAL_PACKAGE_DIR="${run_pkg[0]%/}"
hardened=("$pkg"/i686/*/Ocural.exe)
[ "$OCURAL_RUN_ARCH" = x86_64 ] && hardened+=("$root/build/win64/Ocural.exe")
python3 "$root/scripts/check_hardening.py" "${hardened[@]}" && checks+=(--check hardening=0) ||
  { checks+=(--check hardening=1); status=1; }
echo "(packages and checks took $((SECONDS - started)) s)"

# Pictures written by ImageMagick, every variant of the formats the program
# reads and damaged copies: the native header checks and the end-to-end
# comparison (SkinE2E.ToolWritten*) both walk them. Made here, never kept.
echo "== test pictures"
export OCURAL_PICTURES="$root/build/pictures"
bash "$root/tests/pictures/make_pictures.sh" "$OCURAL_PICTURES" && checks+=(--check pictures=0) ||
  { checks+=(--check pictures=1); status=1; }

echo "== native unit tests"
(cd "$root/build/native" && ./native_tests --gtest_brief=1 --gtest_output="xml:$results/native_tests.xml") || status=1

# Every fuzz target for a few seconds (a few seconds more to build them); a
# target that finds a broken property counts as a failed check.
echo "== fuzz targets"
rm -f "$root/build/fuzz/results.txt"
bash "$root/scripts/fuzz.sh" 3 || status=1
if [ -s "$root/build/fuzz/results.txt" ]; then
  while IFS= read -r line; do checks+=(--check "fuzz:$line"); done <"$root/build/fuzz/results.txt"
else
  checks+=(--check fuzz=1)  # the targets did not build
fi

if [ "$OCURAL_RUN_ARCH" = x86_64 ]; then
  winbuild="$root/build/win64"
  echo "note: this kernel cannot run 32-bit Linux programs, so 32-bit Wine cannot run here;"
  echo "      the Windows tests run the 64-bit build of the same sources (build/win64)."
else
  winbuild="$root/build/win32"
fi

# Busy processes for the run under load: plain shell loops, each bounded by
# `timeout`, ended right after that run or, when the script stops early, by
# the EXIT trap.
spinners=()
start_spinners() {
  local _
  for _ in $(seq 1 "$1"); do
    timeout "$2" sh -c 'while :; do :; done' </dev/null >/dev/null 2>&1 &
    spinners+=($!)
  done
}
# Succeeds when every busy process was still spinning.
spinners_ran() {
  local p
  for p in "${spinners[@]}"; do kill -0 "$p" 2>/dev/null || return 1; done
}
stop_spinners() {
  local p
  for p in "${spinners[@]}"; do kill "$p" 2>/dev/null; done
  for p in "${spinners[@]}"; do wait "$p" 2>/dev/null; done
  spinners=()
}

ocural_start_xvfb 1024x768 || { echo "0 passed, 1 failed"; exit 1; }
trap 'stop_spinners; ocural_stop_wine; ocural_stop_xvfb; ocural_stop_two_monitors' EXIT
ocural_fresh_prefix "$root/build/wineprefix"
# One server for the whole run keeps every test process from starting its own.
"$WINESERVER" -p </dev/null >/dev/null 2>&1 || true

# Quick presses after snapshots run on the large screen below only.
large_e2e='SnapshotUnderLoadE2E.Presses*:SnapshotUnderLoadE2E.AWindowThatStops*'
for suite in win_tests e2e_tests; do
  echo "== $suite (Wine, $OCURAL_RUN_ARCH, DISPLAY=$DISPLAY)"
  filter='*'; [ "$suite" = e2e_tests ] && filter="-SnapshotUnderLoadE2E.Presses*"
  OCURAL_WINE_TIMEOUT=900 "$root/scripts/wine-run.sh" "$winbuild/$suite.exe" --gtest_brief=1 --gtest_filter="$filter" \
    --gtest_output="xml:$(winepath_out="$results/$suite.xml"; echo "Z:${winepath_out//\//\\}")" || status=1
done

# Snapshots on a 1920 x 1080 screen, where a slow snapshot shows most: quick
# presses after snapshots, and a program that stops answering.
echo "== e2e_tests on 1920x1080"
ocural_stop_wine; ocural_stop_xvfb
large_report="$results/e2e_tests-1920x1080.xml"
large_screen=0
if ocural_start_xvfb 1920x1080; then
  large_screen=1
  "$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
  OCURAL_WINE_TIMEOUT=600 "$root/scripts/wine-run.sh" "$winbuild/e2e_tests.exe" --gtest_brief=1 \
    --gtest_filter="$large_e2e" --gtest_output="xml:Z:${large_report//\//\\}" || status=1
else
  status=1
fi

# The quick presses and the sweep of broken input once more, on the large
# screen, while two busy processes keep the cores loaded: presses must not be
# lost and the sweep must not time out on a busy machine either. The check
# "load" fails when a busy process stopped before the run ended.
load_report="$results/e2e_tests-load.xml"
if [ $large_screen = 1 ]; then
  echo "== e2e_tests under load (two busy processes, 1920x1080)"
  started=$SECONDS
  load_timeout=900
  start_spinners 2 $((load_timeout + 60))
  OCURAL_WINE_TIMEOUT=$load_timeout "$root/scripts/wine-run.sh" "$winbuild/e2e_tests.exe" --gtest_brief=1 \
    --gtest_filter='SnapshotUnderLoadE2E.Presses*:MalformedSweep.*' \
    --gtest_output="xml:Z:${load_report//\//\\}" || status=1
  if spinners_ran; then checks+=(--check load=0); else checks+=(--check load=1); status=1; fi
  stop_spinners
  echo "(the run under load took $((SECONDS - started)) s)"
fi

# Two monitors, on Xorg's dummy driver (Wine sees one monitor on Xvfb): the
# primary, 1024 x 768, and a second one of 800 x 600 left of, above and right
# of it, each layout on a fresh X server with a fresh wineserver. An X server
# that does not start counts as a failure.
mm_reports=()
for layout in left above right; do
  where="$layout of"; [ "$layout" = above ] && where=above
  echo "== two monitors, the second one $where the primary"
  started=$SECONDS
  ocural_stop_wine; ocural_stop_xvfb; ocural_stop_two_monitors
  report="$results/e2e_tests-2mon-$layout.xml"
  mm_reports+=("$report")
  ocural_start_two_monitors "$layout" || { status=1; continue; }
  "$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
  OCURAL_TEST_LAYOUT=$layout OCURAL_WINE_TIMEOUT=300 "$root/scripts/wine-run.sh" "$winbuild/e2e_tests.exe" \
    --gtest_brief=1 --gtest_filter='TwoMonitorE2E.*' --gtest_output="xml:Z:${report//\//\\}" || status=1
  echo "(layout $layout took $((SECONDS - started)) s)"
done
ocural_stop_wine; ocural_stop_two_monitors

# The checks whose numbers depend on the display scale, again at other DPI
# settings (the runs above are at 96), and at 192 on a small and a large screen.
dpi_win='DialogLayoutWin.*:*ElementsCaptionsAndPlaces*:*ElementsTextsAndPlaces*'
dpi_e2e='LensE2E.StartsIn*:LensE2E.AtFactorOne*:SettingsE2E.FirstStart*:SettingsE2E.Reopens*'
dpi_e2e+=':SkinE2E.TopLeftColour*:SkinChooserE2E.EachDialogOpens*'
dpi_reports=()
for run in 120x1024x768 144x1024x768 192x1024x768 192x2048x1536; do
  dpi="${run%%x*}" size="${run#*x}"
  echo "== display scale $dpi DPI on $size"
  ocural_stop_wine; ocural_stop_xvfb
  ocural_start_xvfb "$size" || { status=1; continue; }
  ocural_set_dpi "$dpi"
  "$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
  for suite in win_tests e2e_tests; do
    filter="$dpi_win"; [ "$suite" = e2e_tests ] && filter="$dpi_e2e"
    report="$results/$suite-$run.xml"
    dpi_reports+=("$report")
    OCURAL_TEST_DPI="$dpi" OCURAL_WINE_TIMEOUT=600 "$root/scripts/wine-run.sh" "$winbuild/$suite.exe" \
      --gtest_brief=1 --gtest_filter="$filter" --gtest_output="xml:Z:${report//\//\\}" || status=1
  done
done

# Screenshots kept by the end-to-end tests (failures, and the README's).
for bmp in "$results"/*.bmp; do
  [ -e "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
python3 "$root/scripts/summarize.py" "${checks[@]}" "$results/native_tests.xml" "$results/win_tests.xml" \
  "$results/e2e_tests.xml" "$large_report" "$load_report" "${mm_reports[@]}" "${dpi_reports[@]}" || status=1
exit $status
