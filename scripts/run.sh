#!/usr/bin/env bash
# Starts the magnifier. Installs what is missing and builds first. On a
# display it runs there until you end it; without one it starts a private
# Xvfb, lets the program run a few seconds, saves a screenshot, prints its
# path and closes the program the way the system does (a close request).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" program
. "$root/scripts/wine-env.sh"

if [ "$OCURAL_RUN_ARCH" = x86_64 ]; then
  exe="$root/build/win64/Ocural.exe"
  echo "note: 32-bit Wine cannot run on this kernel; running the 64-bit build of the same sources."
else
  exe="$root/build/win32/Ocural.exe"
fi
# The program keeps its settings beside the executable: run it from a folder of its own.
appdir="$root/build/app"
mkdir -p "$appdir"
cp "$exe" "$appdir/Ocural.exe"
# The bundled skins, and the first settings file only where none is yet.
cp -r "$(dirname "$exe")"/*.vsk "$(dirname "$exe")/skins" "$appdir/"
[ -f "$appdir/Ocural.ini" ] || cp "$(dirname "$exe")/Ocural.ini" "$appdir/Ocural.ini"

export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix-run}"
if [ ! -d "$WINEPREFIX" ]; then ocural_fresh_prefix "$WINEPREFIX"; fi

if [ -n "${DISPLAY:-}" ]; then
  exec "$WINE" "$appdir/Ocural.exe"
fi

ocural_start_xvfb 1024x768
trap 'ocural_stop_wine; ocural_stop_xvfb' EXIT
# Something to magnify: a test card on the root window.
if command -v convert >/dev/null && command -v display >/dev/null; then
  convert -size 1024x768 xc:'#1e3c64' -fill '#f0c040' -draw 'rectangle 100,100 400,300' \
    -fill '#e04040' -draw 'circle 700,400 780,480' -fill white -pointsize 48 \
    -draw "text 380,600 'Ocural'" "$root/build/backdrop.png" >/dev/null 2>&1 || true
  [ -f "$root/build/backdrop.png" ] && { display -window root "$root/build/backdrop.png" >/dev/null 2>&1 & }
  sleep 1
fi
log="$root/build/run.log"
timeout 60 "$WINE" "$appdir/Ocural.exe" </dev/null >"$log" 2>&1 &
pid=$!
sleep "${OCURAL_RUN_SECONDS:-5}"
shot="$root/build/screenshot.png"
import -window root "$shot"
echo "screenshot: $shot"
# A close request, as the system sends one (taskkill without /f posts WM_CLOSE).
timeout 30 "$WINE" taskkill /im Ocural.exe </dev/null >>"$log" 2>&1 || true
if wait "$pid"; then
  echo "Ocural ended cleanly."
else
  echo "Ocural ended with code $?; see $log"
fi
