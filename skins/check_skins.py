#!/usr/bin/env python3
"""Checks the skins that make_skins.py wrote.

Usage:  python3 check_skins.py FOLDER

FOLDER is the program's folder holding the .vsk files. For every skin file
there: the INI text (section, keys, CRLF, ASCII or Shift-JIS), the pictures it
names (BMP headers, sizes), that the lens lies inside the body's outline, and
that the two zoom areas lie inside the body's outline, off the lens and off
each other. The bundled skins are also checked for what each is meant to
show: the round one has its zoom areas painted on the body (buttons hidden)
and a hole inside its outline, the plain one shows the real buttons.

Prints one line per problem and exits with 1 when there is any.
"""

import os
import struct
import sys

KEY = (255, 0, 255)
WHITE = (255, 255, 255)
SECTION = "OcuralSkin"
TEXT_KEYS = ["name", "author", "description", "base", "lens"]
NUMBER_KEYS = ["lensoffsetx", "lensoffsety", "inbuttonvisible", "inrectx1", "inrectx2",
               "inrecty1", "inrecty2", "outbuttonvisible", "outrectx1", "outrectx2",
               "outrecty1", "outrecty2"]
BUNDLED = {"round.vsk": {"visible": 0, "holes": True}, "plain.vsk": {"visible": 1, "holes": False}}


class Problems:
    def __init__(self):
        self.items = []
        self.checks = 0

    def check(self, ok, text):
        self.checks += 1
        if not ok:
            self.items.append(text)
        return ok


def read_bmp(path):
    """(width, height, rows of (r, g, b) top row first) of a 24/32-bit BMP."""
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 54 or data[:2] != b"BM":
        raise ValueError("not a BMP file")
    file_size, off_bits = struct.unpack_from("<I4xI", data, 2)
    (info_size, width, height, planes, bits, compression) = struct.unpack_from("<IiiHHI", data, 14)
    if file_size != len(data):
        raise ValueError("file size %d in the header, %d on disk" % (file_size, len(data)))
    if info_size != 40 or planes != 1 or bits not in (24, 32) or compression != 0:
        raise ValueError("not an uncompressed 24/32-bit BMP with a 40-byte header")
    if width <= 0 or height == 0:
        raise ValueError("size %dx%d" % (width, height))
    top_down = height < 0
    height = abs(height)
    stride = (width * bits // 8 + 3) & ~3
    if off_bits + stride * height > len(data):
        raise ValueError("pixel rows cut short")
    step = bits // 8
    rows = []
    for r in range(height):
        start = off_bits + stride * (r if top_down else height - 1 - r)
        row = data[start:start + width * step]
        rows.append([(row[i + 2], row[i + 1], row[i]) for i in range(0, width * step, step)])
    return width, height, rows


def read_vsk(path, problems, label):
    with open(path, "rb") as f:
        raw = f.read()
    problems.check(b"\n" not in raw.replace(b"\r\n", b""), label + ": line ends are not all CRLF")
    try:
        text = raw.decode("ascii")
    except UnicodeDecodeError:
        try:
            text = raw.decode("shift_jis")
        except UnicodeDecodeError:
            problems.check(False, label + ": text is neither ASCII nor Shift-JIS")
            return None
    section = None
    values = {}
    for line in text.splitlines():
        line = line.strip()
        if not line or line.startswith(";"):
            continue
        if line.startswith("[") and line.endswith("]"):
            section = line[1:-1]
            continue
        if "=" in line and section == SECTION:
            k, v = line.split("=", 1)
            values[k.strip().lower()] = v.strip()
    if not problems.check(section is not None and values, label + ": no [%s] section" % SECTION):
        return None
    for k in TEXT_KEYS + NUMBER_KEYS:
        problems.check(k in values, label + ": key %s missing" % k)
    for k in NUMBER_KEYS:
        if k in values:
            try:
                values[k] = int(values[k])
            except ValueError:
                problems.check(False, label + ": %s=%s is not a whole number" % (k, values[k]))
                values[k] = 0
    problems.check(values.get("author") == "Ocural project", label + ": author is not Ocural project")
    return values


def outside_holes(width, height, rows):
    """Number of key-colour areas that do not touch the picture's border."""
    seen = [[False] * width for _ in range(height)]
    holes = 0
    for y0 in range(height):
        for x0 in range(width):
            if seen[y0][x0] or rows[y0][x0] != KEY:
                continue
            touches = False
            stack = [(x0, y0)]
            seen[y0][x0] = True
            while stack:
                x, y = stack.pop()
                if x in (0, width - 1) or y in (0, height - 1):
                    touches = True
                for nx, ny in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
                    if 0 <= nx < width and 0 <= ny < height and not seen[ny][nx] and rows[ny][nx] == KEY:
                        seen[ny][nx] = True
                        stack.append((nx, ny))
            if not touches:
                holes += 1
    return holes


def picture_path(folder, relative):
    return os.path.join(folder, *relative.replace("\\", "/").split("/"))


def check_skin(folder, name, problems):
    label = name
    values = read_vsk(os.path.join(folder, name), problems, label)
    if values is None:
        return
    pictures = {}
    for key in ("base", "lens"):
        rel = values.get(key, "")
        if not problems.check(rel and not os.path.isabs(rel) and ":" not in rel and not rel.startswith("\\"),
                              label + ": %s path %r is not relative" % (key, rel)):
            continue
        try:
            pictures[key] = read_bmp(picture_path(folder, rel))
        except (OSError, ValueError) as e:
            problems.check(False, label + ": %s %s: %s" % (key, rel, e))
    if len(pictures) != 2:
        return
    bw, bh, body = pictures["base"]
    lw, lh, lens = pictures["lens"]
    problems.check(200 <= bw <= 300 and 200 <= bh <= 300, label + ": body is %dx%d" % (bw, bh))
    problems.check(lw >= 150 and lh >= 150, label + ": lens is %dx%d" % (lw, lh))
    problems.check(body[0][0] == KEY, label + ": top-left body pixel is %r, not the key colour" % (body[0][0],))
    problems.check(lens[0][0] == WHITE, label + ": top-left lens pixel is not white")

    # The lens inside the body, and its glass (not white) over body pixels.
    ox, oy = values["lensoffsetx"], values["lensoffsety"]
    if problems.check(ox >= 0 and oy >= 0 and ox + lw <= bw and oy + lh <= bh,
                      label + ": lens at %d,%d (%dx%d) leaves the body" % (ox, oy, lw, lh)):
        glass = [(x, y) for y in range(lh) for x in range(lw) if lens[y][x] != WHITE]
        problems.check(len(glass) > lw * lh // 2, label + ": lens picture has little glass")
        off = [(x, y) for x, y in glass if body[oy + y][ox + x] == KEY]
        problems.check(not off, label + ": %d lens pixels lie outside the body's outline" % len(off))

    # The zoom areas.
    rects = {}
    for key in ("in", "out"):
        x1, x2 = values[key + "rectx1"], values[key + "rectx2"]
        y1, y2 = values[key + "recty1"], values[key + "recty2"]
        if not problems.check(0 <= x1 < x2 <= bw and 0 <= y1 < y2 <= bh,
                              label + ": %s area %r leaves the body" % (key, (x1, x2, y1, y2))):
            continue
        problems.check(x2 - x1 >= 16 and y2 - y1 >= 16, label + ": %s area is too small to hit" % key)
        rects[key] = (x1, x2, y1, y2)
        off = sum(1 for y in range(y1, y2) for x in range(x1, x2) if body[y][x] == KEY)
        problems.check(off == 0, label + ": %d pixels of the %s area lie outside the outline" % (off, key))
        over_lens = sum(1 for y in range(y1, y2) for x in range(x1, x2)
                        if 0 <= x - ox < lw and 0 <= y - oy < lh and lens[y - oy][x - ox] != WHITE)
        problems.check(over_lens == 0, label + ": the %s area covers the lens" % key)
    if len(rects) == 2:
        a, b = rects["in"], rects["out"]
        overlap = a[0] < b[1] and b[0] < a[1] and a[2] < b[3] and b[2] < a[3]
        problems.check(not overlap, label + ": the zoom areas overlap")

    expected = BUNDLED.get(name)
    if expected:
        for key in ("inbuttonvisible", "outbuttonvisible"):
            problems.check(values[key] == expected["visible"],
                           label + ": %s=%d, expected %d" % (key, values[key], expected["visible"]))
        holes = outside_holes(bw, bh, body)
        if expected["holes"]:
            problems.check(holes >= 1, label + ": no hole inside the outline")
        else:
            problems.check(holes == 0, label + ": %d holes inside the outline" % holes)
        if expected["visible"] == 0:
            # Painted zoom areas show something: not a flat colour.
            for key, r in rects.items():
                colours = {body[y][x] for y in range(r[2], r[3]) for x in range(r[0], r[1])}
                problems.check(len(colours) > 4, label + ": nothing painted in the %s area" % key)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    folder = argv[1]
    problems = Problems()
    names = sorted(n for n in os.listdir(folder) if n.lower().endswith(".vsk"))
    for bundled in BUNDLED:
        problems.check(bundled in names, "%s is missing" % bundled)
    for name in names:
        check_skin(folder, name, problems)
    for item in problems.items:
        print("FAIL " + item)
    failed = len(problems.items)
    print("check_skins: %d skins, %d passed, %d failed" % (len(names), problems.checks - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
