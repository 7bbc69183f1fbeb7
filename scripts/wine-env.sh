# Sourced by the run and test scripts: picks the Wine and the Windows build
# that can run on this machine, and sets up a private Wine environment.
#
# Ocural.exe is a 32-bit program and is always built as one. Running it needs
# 32-bit Wine, which needs a kernel that runs 32-bit Linux programs; some
# sandboxed kernels do not. There the same sources are also built for 64-bit
# Windows and that build is what runs under Wine.

ocural_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  OCURAL_RUN_ARCH=i686
  WINE=/usr/lib/wine/wine
  WINESERVER=/usr/lib/wine/wineserver32
  export WINEARCH=win32
else
  OCURAL_RUN_ARCH=x86_64
  WINE=/usr/lib/wine/wine64
  WINESERVER=/usr/lib/wine/wineserver64
  export WINEARCH=win64
fi
export WINELOADER="$WINE" WINESERVER
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

# Starts a private Xvfb and exports DISPLAY. Sets XVFB_PID.
ocural_start_xvfb() {
  local size="${1:-1024x768}" n
  for n in $(seq 91 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp -dpi 96 >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
    if [ -e "/tmp/.X11-unix/X$n" ]; then
      export DISPLAY=":$n"
      return 0
    fi
    kill "$XVFB_PID" 2>/dev/null || true
  done
  echo "could not start Xvfb" >&2
  return 1
}

ocural_stop_xvfb() {
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
  XVFB_PID=""
}

# Makes a fresh Wine prefix in $1 (about 4 to 8 s), with the settings the
# program and its tests need on a bare X server.
ocural_fresh_prefix() {
  export WINEPREFIX="$1"
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  timeout 120 "$WINE" wineboot -i </dev/null >"$WINEPREFIX.boot.log" 2>&1 || true
  # Without a window manager, "managed" windows make every move wait for one.
  timeout 60 "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
    </dev/null >>"$WINEPREFIX.boot.log" 2>&1 || true
  # Wine's own Marlett draws the caption buttons' symbols. This Wine looks
  # for it only in the prefix's font folder, where the prefix set-up does
  # not put it.
  local marlett=/usr/share/wine/fonts/marlett.ttf
  [ -f "$marlett" ] && cp "$marlett" "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
  timeout 60 "$WINESERVER" -w </dev/null >/dev/null 2>&1 || true
}

# Sets the display scale of the prefix in $WINEPREFIX to $1 DPI (96 = 100 %).
# Wine 8 reads the system DPI from HKCU\Control Panel\Desktop, LogPixels
# (REG_DWORD), and only without it from HKEY_CURRENT_CONFIG\Software\Fonts;
# HKCU\Software\Wine\Fonts is not read. Each process reads it once at its
# start, so the wineserver is stopped: later processes all see the new value.
ocural_set_dpi() {
  timeout 60 "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    </dev/null >>"$WINEPREFIX.boot.log" 2>&1 || return 1
  timeout 60 "$WINESERVER" -w </dev/null >/dev/null 2>&1 || true
}

ocural_stop_wine() {
  [ -n "${WINEPREFIX:-}" ] && timeout 20 "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
}
