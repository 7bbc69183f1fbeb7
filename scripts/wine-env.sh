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
    # A server left behind, or the temporary lock of one that died making
    # its lock (a full disk leaves those): either keeps the number taken.
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.tX$n-lock" ] && continue
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

# Two monitors on Xorg's dummy driver (Xvfb has one RandR output, so Wine
# sees one monitor there): the primary DUMMY0, 1024 x 768, and DUMMY1,
# 800 x 600, left of, above or right of it ($1: left | above | right).
# Xorg's config and log go to a private folder. Exports DISPLAY and sets
# XORG_PID and XORG_DIR. Xorg needs root (it opens a virtual terminal).
ocural_start_two_monitors() {
  local layout="${1:-left}" n
  XORG_DIR="$(mktemp -d /tmp/ocural-xorg.XXXXXX)" || return 1
  mkdir -p "$XORG_DIR/conf.d"
  cat >"$XORG_DIR/xorg.conf" <<'CONF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
  Option "AutoAddGPU" "false"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 4096 4096
  EndSubSection
EndSection
CONF
  # Display numbers clear of the Xvfb ones (:91 to :140).
  for n in $(seq 160 199); do
    # A server left behind, or the temporary lock of one that died making
    # its lock (a full disk leaves those): either keeps the number taken.
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.tX$n-lock" ] && continue
    Xorg ":$n" -config "$XORG_DIR/xorg.conf" -configdir "$XORG_DIR/conf.d" -noreset -nolisten tcp \
      -novtswitch -sharevts -logfile "$XORG_DIR/Xorg.log" </dev/null >"$XORG_DIR/Xorg.out" 2>&1 &
    XORG_PID=$!
    for _ in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && DISPLAY=":$n" xrandr -q >/dev/null 2>&1 && break
      kill -0 "$XORG_PID" 2>/dev/null || break
      sleep 0.1
    done
    if DISPLAY=":$n" xrandr -q >/dev/null 2>&1; then
      export DISPLAY=":$n"
      # DUMMY1 lists no modes until given one.
      xrandr --newmode m1024 64.11 1024 1080 1184 1344 768 769 772 795 -hsync +vsync &&
        xrandr --newmode m800 38.22 800 832 912 1024 600 601 604 622 -hsync +vsync &&
        xrandr --addmode DUMMY0 m1024 && xrandr --addmode DUMMY1 m800 &&
        ocural_two_monitor_layout "$layout" && return 0
      echo "could not set up two monitors on Xorg :$n (log: $XORG_DIR/Xorg.log)" >&2
      ocural_stop_two_monitors
      return 1
    fi
    kill "$XORG_PID" 2>/dev/null; wait "$XORG_PID" 2>/dev/null
    XORG_PID=""
  done
  echo "could not start Xorg with the dummy driver (log: $XORG_DIR/Xorg.log)" >&2
  return 1
}

# Sets the monitors of the running Xorg: left | above | right places DUMMY1
# there beside the primary; "primary" turns DUMMY1 off, as when a monitor is
# unplugged. Waits until xrandr reports that many monitors.
ocural_two_monitor_layout() {
  local primary second want=2
  case "$1" in
    left) primary=800x0 second=0x0 ;;
    above) primary=0x600 second=0x0 ;;
    right) primary=0x0 second=1024x0 ;;
    primary) want=1 ;;
    *) echo "unknown layout $1" >&2; return 1 ;;
  esac
  if [ $want = 1 ]; then
    xrandr --output DUMMY1 --off --output DUMMY0 --mode m1024 --pos 0x0 --primary || return 1
  else
    xrandr --output DUMMY0 --mode m1024 --pos "$primary" --primary --output DUMMY1 --mode m800 --pos "$second" ||
      return 1
  fi
  for _ in $(seq 1 50); do
    [ "$(xrandr --listmonitors 2>/dev/null | head -n 1)" = "Monitors: $want" ] && return 0
    sleep 0.1
  done
  echo "xrandr does not show $want monitors" >&2
  return 1
}

ocural_stop_two_monitors() {
  if [ -n "${XORG_PID:-}" ]; then
    kill "$XORG_PID" 2>/dev/null
    local _
    for _ in $(seq 1 50); do kill -0 "$XORG_PID" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$XORG_PID" 2>/dev/null
    wait "$XORG_PID" 2>/dev/null
  fi
  [ -n "${XORG_DIR:-}" ] && rm -rf "$XORG_DIR"
  XORG_PID="" XORG_DIR=""
}
