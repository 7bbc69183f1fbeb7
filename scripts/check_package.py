#!/usr/bin/env python3
"""Checks a release zip made by scripts/package.sh and unpacks it.

Usage:  check_package.py ZIP UNPACK_DIR

The zip must be named after the version in CMakeLists.txt and hold one
folder of that name with exactly: Ocural.exe (at most 1 MiB for the 32-bit
program), Ocural.ini naming a bundled skin, the bundled skins with every
picture they name, README-ja.txt, README-en.txt and LICENSE.txt, and nothing
else (no DLL, no debugging information). The debugging information must lie
beside the zip and be the one the exe's debug link names, checksum included.
UNPACK_DIR is emptied and the zip unpacked into it."""
import configparser
import os
import re
import shutil
import sys
import zipfile
import zlib

MAX_EXE = 1024 * 1024
GUIDES = ("README-ja.txt", "README-en.txt", "LICENSE.txt")


def project_version(root):
    text = open(os.path.join(root, "CMakeLists.txt"), encoding="utf-8").read()
    m = re.search(r"project\(\s*Ocural\s+VERSION\s+(\d+\.\d+\.\d+)", text)
    return m.group(1) if m else None


def ini(data):
    p = configparser.ConfigParser(interpolation=None)
    p.optionxform = str.lower
    p.read_string(data.decode("cp932", errors="replace"))
    return p


def check(zip_path, root):
    problems = []
    version = project_version(root)
    if not version:
        return ["no project(Ocural VERSION x.y.z) in CMakeLists.txt"]
    base = os.path.basename(zip_path)
    m = re.fullmatch(r"(Ocural-" + re.escape(version) + r"(-x86_64)?)\.zip", base)
    if not m:
        return [f"{base} is not named Ocural-{version}[-x86_64].zip"]
    top, is64 = m.group(1), m.group(2) is not None
    with zipfile.ZipFile(zip_path) as z:
        if z.testzip() is not None:
            return ["the zip is damaged"]
        names = [n for n in z.namelist() if not n.endswith("/")]
        files = {}
        for n in names:
            if not n.startswith(top + "/"):
                problems.append(f"{n} lies outside the folder {top}/")
                continue
            files[n[len(top) + 1:]] = z.read(n)
    lower = {k.lower(): k for k in files}

    for need in ("Ocural.exe", "Ocural.ini") + GUIDES:
        if need not in files:
            problems.append(f"{need} is missing")
    exe = files.get("Ocural.exe", b"")
    if not is64 and len(exe) > MAX_EXE:
        problems.append(f"Ocural.exe has {len(exe)} bytes, more than {MAX_EXE}")

    skins = sorted(k for k in files if "/" not in k and k.lower().endswith(".vsk"))
    if not skins:
        problems.append("no bundled skin")
    pictures = set()
    for skin in skins:
        s = ini(files[skin])
        for key in ("base", "lens"):
            rel = s.get("OcuralSkin", key, fallback="").replace("\\", "/")
            if not rel or rel.lower() not in lower:
                problems.append(f"{skin}: {key} names {rel or 'nothing'}, which is not in the package")
            else:
                pictures.add(lower[rel.lower()])
    settings = ini(files.get("Ocural.ini", b""))
    last = settings.get("OcuralSetting", "LastSkin", fallback="")
    if last not in skins:
        problems.append(f"Ocural.ini names the skin '{last}', which is not bundled")

    expected = {"Ocural.exe", "Ocural.ini", *GUIDES, *skins, *pictures}
    for extra in sorted(set(files) - expected):
        problems.append(f"unexpected file in the package: {extra}")
    for name, data in files.items():
        if name in GUIDES and (b"\r\n" not in data or b"\n" in data.replace(b"\r\n", b"")):
            problems.append(f"{name} does not have Windows line ends")
    if not files.get("README-ja.txt", b"").startswith(b"\xef\xbb\xbf"):
        problems.append("README-ja.txt has no UTF-8 byte order mark")

    # The debug link: the file name, NUL, padding to 4 bytes, the CRC-32.
    debug_name = top + ".debug"
    debug_path = os.path.join(os.path.dirname(os.path.abspath(zip_path)), debug_name)
    at = exe.find(debug_name.encode() + b"\0")
    if at < 0:
        problems.append(f"Ocural.exe has no debug link to {debug_name}")
    elif not os.path.isfile(debug_path):
        problems.append(f"{debug_name} is not beside the zip")
    else:
        crc_at = (at + len(debug_name) + 1 + 3) & ~3
        linked = int.from_bytes(exe[crc_at:crc_at + 4], "little")
        with open(debug_path, "rb") as f:
            actual = zlib.crc32(f.read()) & 0xFFFFFFFF
        if linked != actual:
            problems.append(f"{debug_name} is not the debugging information of this Ocural.exe")

    print(f"{base}: {os.path.getsize(zip_path)} bytes, {len(files)} files, Ocural.exe {len(exe)} bytes, "
          f"skins {', '.join(skins)}, first skin {last}")
    return problems


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    zip_path, unpack = argv
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    try:
        problems = check(zip_path, root)
    except (OSError, zipfile.BadZipFile, configparser.Error) as e:
        problems = [str(e)]
    for p in problems:
        print(f"  FAIL {p}")
    shutil.rmtree(unpack, ignore_errors=True)
    os.makedirs(unpack)
    if os.path.isfile(zip_path):
        with zipfile.ZipFile(zip_path) as z:
            z.extractall(unpack)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
