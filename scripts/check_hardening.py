#!/usr/bin/env python3
"""Checks the hardening of built Windows programs with MinGW's objdump.

Usage:  check_hardening.py EXE...

For each exe: ASLR (DYNAMIC_BASE, with the relocations kept so the loader can
really move it), DEP (NX_COMPAT), TERMINAL_SERVICE_AWARE, HIGH_ENTROPY_VA on
64 bits and LARGE_ADDRESS_AWARE on 32 bits, no section both writable and
executable, on 32 bits NO_SEH (no exception handler may be called inside the
image: the stand-in for a SafeSEH table, which GNU ld does not write), imports
only from the system DLLs on the list below, and no DLL
in the exe's folder (a DLL there is one a user would have to trust too).
Prints one line per finding and ends with 0 only when every exe passes."""
import os
import re
import shutil
import subprocess
import sys

# All of them are KnownDLLs (mapped from System32 whatever lies beside the
# exe) except COMCTL32, which the manifest redirects to the side-by-side
# version 6. VERSION.dll and other non-KnownDLLs are left out on purpose: a
# file of that name planted beside the exe would be loaded instead.
ALLOWED_IMPORTS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "shlwapi.dll",
    "ole32.dll", "oleaut32.dll", "comdlg32.dll", "comctl32.dll", "msvcrt.dll",
}


def pe_machine(path):
    """The Machine field of a PE image's file header, or None."""
    with open(path, "rb") as f:
        head = f.read(4096)
    if head[:2] != b"MZ" or len(head) < 64:
        return None
    at = int.from_bytes(head[60:64], "little")
    if head[at:at + 4] != b"PE\0\0":
        return None
    return int.from_bytes(head[at + 4:at + 6], "little")


def run(tool, *args):
    # objdump translates its words ("large address aware") under other locales.
    env = dict(os.environ, LC_ALL="C", LANGUAGE="C")
    return subprocess.run([tool, *args], check=True, capture_output=True, text=True, env=env).stdout


def check(exe):
    """Returns the list of problems of one exe."""
    if not os.path.isfile(exe):
        return ["no such file"]
    machine = pe_machine(exe)
    if machine not in (0x14C, 0x8664):
        return ["not an i386 or x86-64 PE image"]
    is64 = machine == 0x8664
    tool = shutil.which(("x86_64" if is64 else "i686") + "-w64-mingw32-objdump")
    if not tool:
        return ["no MinGW objdump for this architecture"]
    private = run(tool, "-p", exe)
    headers = run(tool, "-h", exe)
    problems = []

    def dll_char(name):
        block = re.search(r"DllCharacteristics\s+([0-9a-fA-F]+)\n((?:\t\t+\S.*\n)*)", private)
        return block is not None and re.search(rf"^\s*{name}\s*$", block.group(2), re.M) is not None

    # 32 bits: NO_SEH stands in for a SafeSEH table, which GNU ld cannot write.
    wanted = ["DYNAMIC_BASE", "NX_COMPAT", "TERMINAL_SERVICE_AWARE"] + (["HIGH_ENTROPY_VA"] if is64 else ["NO_SEH"])
    for flag in wanted:
        if not dll_char(flag):
            problems.append(f"DllCharacteristics lacks {flag}")
    characteristics = re.search(r"Characteristics 0x[0-9a-fA-F]+\n((?:\t.*\n)*)", private)
    char_text = characteristics.group(1) if characteristics else ""
    if not is64 and "large address aware" not in char_text:
        problems.append("not LARGE_ADDRESS_AWARE")
    if "relocations stripped" in char_text:
        problems.append("relocations stripped: the loader cannot move the image (ASLR has no effect)")
    reloc_dir = re.search(r"^Entry 5 [0-9a-fA-F]+ ([0-9a-fA-F]+) Base Relocation Directory", private, re.M)
    if not reloc_dir or int(reloc_dir.group(1), 16) == 0:
        problems.append("no base relocation directory")

    # objdump -h: every section is two lines; CODE without READONLY is a
    # section that is both executable and writable.
    lines = headers.splitlines()
    sections = 0
    for i, line in enumerate(lines):
        m = re.match(r"\s*\d+\s+(\S+)\s+[0-9a-fA-F]+\s", line)
        if not m or i + 1 >= len(lines):
            continue
        sections += 1
        flags = {f.strip() for f in lines[i + 1].split(",")}
        if "CODE" in flags and "READONLY" not in flags:
            problems.append(f"section {m.group(1)} is both writable and executable")
    if sections == 0:
        problems.append("no sections found in objdump -h")
    if ".reloc" not in headers:
        problems.append("no .reloc section")

    imports = re.findall(r"DLL Name: (\S+)", private)
    if not imports:
        problems.append("no imports found (objdump output not understood)")
    for dll in imports:
        if dll.lower() not in ALLOWED_IMPORTS:
            problems.append(f"imports {dll}, which is not on the list of system DLLs")

    folder = os.path.dirname(os.path.abspath(exe))
    for name in sorted(os.listdir(folder)):
        if name.lower().endswith(".dll"):
            problems.append(f"a DLL lies beside the exe: {name}")

    arch = "x86_64" if is64 else "i686"
    print(f"{exe}: {arch}, {os.path.getsize(exe)} bytes, imports {', '.join(imports)}")
    return problems


def main(argv):
    if not argv:
        sys.stderr.write(__doc__)
        return 2
    failed = False
    for exe in argv:
        try:
            problems = check(exe)
        except (OSError, subprocess.CalledProcessError) as e:
            problems = [f"objdump failed: {e}"]
        for p in problems:
            print(f"  FAIL {exe}: {p}")
        if problems:
            failed = True
        else:
            print("  ok: dynamic base with relocations, NX, terminal-server aware, high-entropy VA (64-bit)"
                  " or large address aware and no SEH (32-bit), no writable code, system imports only,"
                  " no DLL beside it")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
