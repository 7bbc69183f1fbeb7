#!/usr/bin/env python3
"""Adds up GoogleTest XML reports and prints the closing 'N passed, N failed' line.

"--check NAME=RC" counts one more test: a check script that ended with RC."""
import sys
import xml.etree.ElementTree as ET

passed = failed = skipped = 0
missing = []
args = sys.argv[1:]
paths = []
while args:
    arg = args.pop(0)
    if arg == "--check" and args:
        name, _, rc = args.pop(0).partition("=")
        if rc == "0":
            passed += 1
        else:
            failed += 1
            print(f"check {name} failed")
    else:
        paths.append(arg)
for path in paths:
    try:
        root = ET.parse(path).getroot()
    except (OSError, ET.ParseError):
        missing.append(path)
        continue
    for case in root.iter("testcase"):
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
        elif case.get("result") == "skipped" or case.find("skipped") is not None:
            skipped += 1
        else:
            passed += 1
for path in missing:
    print(f"no report from {path} (the suite crashed or did not run)")
    failed += 1
print(f"{passed} passed, {failed} failed" + (f", {skipped} skipped" if skipped else ""))
sys.exit(1 if failed else 0)
