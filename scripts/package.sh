#!/usr/bin/env bash
# Builds the portable release of Ocural: dist/Ocural-<version>.zip holding
# Ocural.exe (optimised, stripped), the bundled skins, a first settings file
# naming one of them, the user guides in Japanese and English and the
# licence. The debugging information stays beside the zip
# (dist/Ocural-<version>.debug; the exe names it in its .gnu_debuglink).
#
#   bash scripts/package.sh [i686|x86_64]
#
# i686 (the default) is the program as shipped. x86_64 makes the same package
# from the 64-bit build (dist/Ocural-<version>-x86_64.zip), for machines where
# only 64-bit Wine runs and the tests must start the package's own program.
# The version is the one in CMakeLists.txt: project(Ocural VERSION x.y.z).
# Prints the path of the zip on its last line.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
arch="${1:-i686}"
case "$arch" in
  i686) build="$root/build/win32" suffix="" ;;
  x86_64) build="$root/build/win64" suffix="-x86_64" ;;
  *) echo "usage: $0 [i686|x86_64]" >&2; exit 2 ;;
esac
tools="$arch-w64-mingw32"

# scripts/test.sh has run it already.
[ -n "${OCURAL_SETUP_DONE:-}" ] || bash "$root/scripts/setup.sh" >&2

# The build that scripts/build.sh makes: optimised (-O2) with debugging
# information, which the build already moves into Ocural.exe.debug.
if [ ! -f "$build/CMakeCache.txt" ]; then
  mkdir -p "$root/build"
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" >"$build.configure.log" 2>&1 ||
    { cat "$build.configure.log" >&2; exit 1; }
fi
type="$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")"
if [ "$type" != RelWithDebInfo ]; then
  echo "package: $build is a $type build; the release is made from RelWithDebInfo (-O2 -g)" >&2
  exit 1
fi
cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)" --target Ocural >&2

version="$(sed -n 's/^#define OCURAL_PROJECT_VERSION "\(.*\)"$/\1/p' "$build/generated/version.h")"
[ -n "$version" ] || { echo "package: no version in $build/generated/version.h" >&2; exit 1; }
name="Ocural-$version$suffix"
stage="$root/build/release-stage-$arch/$name"
dist="$root/dist"
rm -rf "$root/build/release-stage-$arch"
mkdir -p "$stage" "$dist"

# Dates in the zip and in the stripped exe's header come from the last commit,
# so the same sources give the same package.
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)}"

# The exe without any symbols; its debugging information beside the zip,
# linked by name and checksum so that a debugger finds it there.
cp "$build/Ocural.exe.debug" "$dist/$name.debug"
"$tools-objcopy" --strip-all --remove-section=.gnu_debuglink "$build/Ocural.exe" "$stage/Ocural.exe"
(cd "$dist" && "$tools-objcopy" --add-gnu-debuglink="$name.debug" "$stage/Ocural.exe")

python3 "$root/skins/make_skins.py" "$stage" >&2
cmake -DINI="$stage/Ocural.ini" -P "$root/cmake/default_settings.cmake"
# Text files for Windows: CRLF line ends; the Japanese guide with a UTF-8
# byte order mark, so that every Notepad reads it as UTF-8.
python3 - "$root" "$stage" <<'EOF'
import sys
root, stage = sys.argv[1], sys.argv[2]
for src, dst, bom in (("docs/guide/README-ja.txt", "README-ja.txt", True),
                      ("docs/guide/README-en.txt", "README-en.txt", False),
                      ("LICENSE", "LICENSE.txt", False)):
    text = open(f"{root}/{src}", encoding="utf-8").read().replace("\r\n", "\n").replace("\n", "\r\n")
    with open(f"{stage}/{dst}", "wb") as f:
        f.write((b"\xef\xbb\xbf" if bom else b"") + text.encode("utf-8"))
EOF

# The zip: one folder named after the release, entries in a fixed order.
python3 - "$stage" "$dist/$name.zip" "$SOURCE_DATE_EPOCH" <<'EOF'
import os, sys, time, zipfile
stage, out, stamp = sys.argv[1], sys.argv[2], int(sys.argv[3])
when = time.gmtime(max(stamp, 315532800))[:6]
top = os.path.basename(stage)
files = []
for folder, dirs, names in os.walk(stage):
    dirs.sort()
    files += [os.path.join(folder, n) for n in sorted(names)]
with zipfile.ZipFile(out + ".part", "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    for path in files:
        rel = os.path.relpath(path, stage).replace(os.sep, "/")
        info = zipfile.ZipInfo(f"{top}/{rel}", when)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.external_attr = 0o644 << 16
        with open(path, "rb") as f:
            z.writestr(info, f.read())
os.replace(out + ".part", out)
EOF

exe_size=$(stat -c %s "$stage/Ocural.exe")
echo "package: $name.zip ($(stat -c %s "$dist/$name.zip") bytes), Ocural.exe $exe_size bytes" >&2
echo "$dist/$name.zip"
