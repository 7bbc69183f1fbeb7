#!/usr/bin/env bash
# Installs everything the build and the tests need on Debian 12. Does nothing
# when it is all there already.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

pkgs=(ca-certificates cmake make g++ git python3 googletest
      g++-mingw-w64-i686 binutils-mingw-w64-i686
      wine wine32:i386 wine64 g++-mingw-w64-x86-64 xvfb xdotool xclip x11-utils imagemagick
      fonts-ipafont-gothic fonts-wine locales xauth procps
      # Two monitors for the tests; 32-bit Wine sees them only with the
      # 32-bit RandR library (without it, one monitor as large as all).
      xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils libxrandr2:i386
      clang-14 libclang-rt-14-dev)  # libFuzzer and the sanitizers for the fuzz targets
for p in "${pkgs[@]}"; do have_pkg "$p" || need+=("$p"); done

if [ ${#need[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  echo "setup: installing ${need[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# A Japanese locale, like the program's users.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
