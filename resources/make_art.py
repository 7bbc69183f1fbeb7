#!/usr/bin/env python3
"""Draws Ocural's artwork and writes it as Windows icon/cursor files.

Usage:  python3 make_art.py OUTPUT_DIR

Writes into OUTPUT_DIR (created when missing):
  ocural.ico          program icon, 16/32/48/64 px, 32-bit BGRA with alpha
  hand.cur            pointing-hand cursor, 32x32, 16 colours, hot spot (12,1)
  ocural_preview.png  the icon enlarged, for a person to look at
  hand_preview.png    the cursor enlarged, hot spot framed in red

Only the standard library is used and the output is the same, byte for byte,
on every run.
"""

import math
import os
import struct
import sys
import zlib

# ---------------------------------------------------------------------------
# Little helpers
# ---------------------------------------------------------------------------


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    """Linear blend of two RGB tuples, t in [0, 1]."""
    t = clamp(t)
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def seg_dist(px, py, ax, ay, bx, by):
    """Distance from P to segment AB."""
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = clamp(t)
    qx, qy = ax + dx * t, ay + dy * t
    return math.hypot(px - qx, py - qy)


# ---------------------------------------------------------------------------
# The program icon: a magnifying glass
# ---------------------------------------------------------------------------

OUTLINE = (26, 34, 46)
BRASS_LIGHT = (255, 222, 122)
BRASS_DARK = (184, 126, 30)
GLASS_LIGHT = (226, 243, 255)
GLASS_DARK = (104, 164, 226)
WOOD_LIGHT = (150, 72, 40)
WOOD_DARK = (74, 30, 16)

ICON_SIZES = (16, 32, 48, 64)


def icon_geometry(size):
    """Lens and handle measurements in pixels for one icon size.

    Line widths are kept at whole-pixel minimums so the 16 px image stays
    crisp instead of turning into a blur.
    """
    s = float(size)
    g = {}
    g["cx"] = g["cy"] = 0.40 * s
    g["r_out"] = 0.355 * s                      # outside of the dark edge
    g["edge"] = max(1.0, s / 24.0)              # dark outline width
    g["rim"] = max(1.25, 0.075 * s)             # brass ring width
    g["r_glass"] = g["r_out"] - g["edge"] - g["rim"]
    diag = 1.0 / math.sqrt(2.0)
    start = g["r_out"] - g["edge"]
    end = (0.855 * s - g["cx"]) / diag
    g["h_ax"] = g["cx"] + start * diag
    g["h_ay"] = g["cy"] + start * diag
    g["h_bx"] = g["cx"] + end * diag
    g["h_by"] = g["cy"] + end * diag
    g["h_half"] = max(1.5, 0.095 * s)           # grip half width
    # Brass collar where the handle meets the ring.
    collar_len = max(1.5, 0.11 * s)
    g["c_bx"] = g["cx"] + (g["r_out"] + collar_len) * diag
    g["c_by"] = g["cy"] + (g["r_out"] + collar_len) * diag
    g["c_half"] = max(1.25, 0.08 * s)
    return g


def icon_sample(g, x, y):
    """Colour (r, g, b, a) with a in 0..1 at point (x, y) in pixel units.

    Layers are painted back to front with exact coverage per sample; the
    anti-aliasing comes from averaging many samples per pixel.
    """
    r = g_ = b = 0.0
    a = 0.0

    def over(col, alpha):
        nonlocal r, g_, b, a
        # Straight colour over a premultiplied accumulator.
        k = alpha
        r = col[0] * k + r * (1.0 - k)
        g_ = col[1] * k + g_ * (1.0 - k)
        b = col[2] * k + b * (1.0 - k)
        a = k + a * (1.0 - k)

    edge = g["edge"]
    # Handle: dark wood grip, rounded at the end, outlined.
    d = seg_dist(x, y, g["h_ax"], g["h_ay"], g["h_bx"], g["h_by"])
    if d <= g["h_half"] + edge:
        over(OUTLINE, 1.0)
        if d <= g["h_half"]:
            # Lighter along the upper-right side so it looks round.
            side = ((x - g["h_ax"]) - (y - g["h_ay"])) / math.sqrt(2.0)
            shade = clamp(0.5 + side / (2.0 * g["h_half"]))
            over(mix(WOOD_DARK, WOOD_LIGHT, shade), 1.0)
    # Collar.
    d = seg_dist(x, y, g["h_ax"], g["h_ay"], g["c_bx"], g["c_by"])
    if d <= g["c_half"] + edge:
        over(OUTLINE, 1.0)
        if d <= g["c_half"]:
            side = ((x - g["h_ax"]) - (y - g["h_ay"])) / math.sqrt(2.0)
            over(mix(BRASS_DARK, BRASS_LIGHT, 0.5 + side / (2.0 * g["c_half"])), 1.0)
    # Lens.
    dx, dy = x - g["cx"], y - g["cy"]
    rr = math.hypot(dx, dy)
    if rr <= g["r_out"]:
        over(OUTLINE, 1.0)
        r_rim = g["r_out"] - edge
        if rr <= r_rim:
            # Brass ring lit from the top left.
            lit = clamp(0.5 - (dx + dy) / (2.0 * math.sqrt(2.0) * g["r_out"]))
            over(mix(BRASS_DARK, BRASS_LIGHT, 0.15 + 0.85 * lit), 1.0)
        if rr <= g["r_glass"] + edge * 0.6 and g["r_glass"] > 3.0:
            # Thin dark line between ring and glass on the larger sizes.
            over(mix(BRASS_DARK, OUTLINE, 0.5), 1.0)
        if rr <= g["r_glass"]:
            t = clamp(0.5 + (dx + dy) / (2.0 * math.sqrt(2.0) * g["r_glass"]))
            over(mix(GLASS_LIGHT, GLASS_DARK, t), 1.0)
            # Reflection: an oval streak across the upper left of the glass,
            # its long axis following the rim.
            rg = g["r_glass"]
            ox = dx + 0.42 * rg
            oy = dy + 0.42 * rg
            along = (ox - oy) / math.sqrt(2.0)
            across = (ox + oy) / math.sqrt(2.0)
            la = max(1.7, 0.42 * rg)
            lb = max(0.8, 0.15 * rg)
            if (along / la) ** 2 + (across / lb) ** 2 <= 1.0:
                over((255, 255, 255), 0.92)
    return r, g_, b, a


def render_icon(size, samples=8):
    """Returns rows (top first) of (r, g, b, a) byte tuples."""
    g = icon_geometry(size)
    n = float(samples * samples)
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            sr = sg = sb = sa = 0.0
            for j in range(samples):
                y = py + (j + 0.5) / samples
                for i in range(samples):
                    x = px + (i + 0.5) / samples
                    r, gg, b, a = icon_sample(g, x, y)
                    sr += r
                    sg += gg
                    sb += b
                    sa += a
            a = sa / n
            if a <= 0.0:
                row.append((0, 0, 0, 0))
                continue
            # Un-premultiply: icon files hold straight alpha.
            pix = (int(round(clamp(sr / n / a, 0, 255))),
                   int(round(clamp(sg / n / a, 0, 255))),
                   int(round(clamp(sb / n / a, 0, 255))),
                   int(round(a * 255)))
            if pix[3] == 0:
                pix = (0, 0, 0, 0)
            row.append(pix)
        rows.append(row)
    return rows


# ---------------------------------------------------------------------------
# The pointing-hand cursor, drawn pixel by pixel
# ---------------------------------------------------------------------------

HAND_HOTSPOT = (12, 1)

# '.' transparent, '#' black outline, 'o' white, '+' light grey shading.
HAND_ART = [
    "................................",  # 0
    "...........###..................",  # 1
    "..........#ooo#.................",  # 2
    "..........#ooo#.................",  # 3
    "..........#ooo#.................",  # 4
    "..........#ooo#.................",  # 5
    "..........#ooo#.................",  # 6
    "..........#ooo#.................",  # 7
    "..........#ooo####..............",  # 8
    "..........#ooo#ooo####..........",  # 9
    "..........#ooo#ooo#ooo#.........",  # 10
    "..........#ooo#ooo#ooo###.......",  # 11
    "..........#ooo#ooo#ooo#oo#......",  # 12
    "..........#ooo#ooo#ooo#oo#......",  # 13
    "....####..#ooo#ooo#ooo#oo#......",  # 14
    "...#oooo##oooo#ooo#ooo#oo#......",  # 15
    "..#ooooooooooooooooooooooo#.....",  # 16
    "..#oooooooooooooooooooooooo#....",  # 17
    "...#ooooooooooooooooooooooo#....",  # 18
    "....##ooooooooooooooooooooo#....",  # 19
    "......##oooooooooooooooooo#.....",  # 20
    "........#ooooooooooooooooo#.....",  # 21
    "........#ooooooooooooooooo#.....",  # 22
    ".........#ooooooooooooooo#......",  # 23
    ".........#ooooooooooooooo#......",  # 24
    "..........#ooooooooooooo#.......",  # 25
    "..........###############.......",  # 26
    "..........#+++++++++++++#.......",  # 27
    "..........#+++++++++++++#.......",  # 28
    "..........###############.......",  # 29
    "................................",  # 30
    "................................",  # 31
]

# 16-colour palette (the classic VGA set), as RGB.
CURSOR_PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
HAND_INDEX = {".": 0, "#": 0, "o": 15, "+": 7}


def hand_pixels():
    """Returns (indices, transparent) rows, top first."""
    if len(HAND_ART) != 32 or any(len(r) != 32 for r in HAND_ART):
        raise ValueError("hand art must be 32x32")
    idx = [[HAND_INDEX[c] for c in row] for row in HAND_ART]
    clear = [[c == "." for c in row] for row in HAND_ART]
    hx, hy = HAND_HOTSPOT
    if clear[hy][hx] or any(not c for c in clear[hy - 1]) or \
            any(not clear[y][x] for y in range(hy) for x in range(32)):
        raise ValueError("hot spot must be the topmost opaque pixel")
    return idx, clear


# ---------------------------------------------------------------------------
# File formats
# ---------------------------------------------------------------------------


def and_mask(clear_rows):
    """1-bpp mask, bottom-up, rows padded to 4 bytes; 1 means transparent."""
    w = len(clear_rows[0])
    stride = ((w + 31) // 32) * 4
    out = bytearray()
    for row in reversed(clear_rows):
        line = bytearray(stride)
        for x, clear in enumerate(row):
            if clear:
                line[x >> 3] |= 0x80 >> (x & 7)
        out += line
    return bytes(out)


def bmp_header(w, h, bpp, image_bytes, colours):
    # Height is doubled: the XOR image and the AND mask are stacked.
    return struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, bpp, 0,
                       image_bytes, 0, 0, colours, 0)


def icon_image(rows):
    """BMP-in-ICO data for one 32-bit image."""
    size = len(rows)
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask = and_mask([[p[3] == 0 for p in row] for row in rows])
    return bmp_header(size, size, 32, len(xor) + len(mask), 0) + bytes(xor) + mask


def build_ico(images):
    """images: list of (size, bmp_bytes)."""
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    return bytes(out)


def build_cur(indices, clear, palette, hotspot):
    h = len(indices)
    w = len(indices[0])
    stride = ((w * 4 + 31) // 32) * 4
    xor = bytearray()
    for row in reversed(indices):
        line = bytearray(stride)
        for x, v in enumerate(row):
            line[x >> 1] |= (v & 15) << (0 if x & 1 else 4)
        xor += line
    mask = and_mask(clear)
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    data = bmp_header(w, h, 4, len(xor) + len(mask), len(palette)) + pal + bytes(xor) + mask
    head = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", w, h, len(palette), 0,
                        hotspot[0], hotspot[1], len(data), 6 + 16)
    return head + entry + data


def build_png(width, height, rgb_rows):
    """Minimal 8-bit RGB PNG; rgb_rows are lists of (r, g, b)."""
    raw = bytearray()
    for row in rgb_rows:
        raw.append(0)
        for p in row:
            raw += bytes(p)

    def chunk(kind, body):
        c = struct.pack(">I", len(body)) + kind + body
        return c + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    ihdr = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


# ---------------------------------------------------------------------------
# Previews
# ---------------------------------------------------------------------------


class Canvas:
    def __init__(self, w, h, colour):
        self.w, self.h = w, h
        self.px = [[colour] * w for _ in range(h)]

    def checker(self, x0, y0, w, h, cell=8):
        for y in range(y0, y0 + h):
            for x in range(x0, x0 + w):
                light = ((x - x0) // cell + (y - y0) // cell) % 2 == 0
                self.px[y][x] = (204, 204, 204) if light else (160, 160, 160)

    def fill(self, x0, y0, w, h, colour):
        for y in range(y0, y0 + h):
            for x in range(x0, x0 + w):
                self.px[y][x] = colour

    def blend(self, x, y, rgba):
        r, g, b, a = rgba
        if a == 0:
            return
        k = a / 255.0
        d = self.px[y][x]
        self.px[y][x] = tuple(int(round(d[i] + ((r, g, b)[i] - d[i]) * k)) for i in range(3))

    def image(self, x0, y0, rows, scale):
        for y, row in enumerate(rows):
            for x, p in enumerate(row):
                for yy in range(scale):
                    for xx in range(scale):
                        self.blend(x0 + x * scale + xx, y0 + y * scale + yy, p)

    def frame(self, x0, y0, w, h, colour):
        for x in range(x0, x0 + w):
            self.px[y0][x] = colour
            self.px[y0 + h - 1][x] = colour
        for y in range(y0, y0 + h):
            self.px[y][x0] = colour
            self.px[y][x0 + w - 1] = colour

    def png(self):
        return build_png(self.w, self.h, self.px)


BACKDROPS = ((255, 255, 255), (40, 44, 52), (0, 90, 160))


def icon_preview(renders):
    """Each size enlarged 6x on a checkerboard, then at real size on light,
    dark and coloured backgrounds."""
    scale, pad = 6, 12
    big = [s * scale for s, _ in renders]
    width = sum(big) + pad * (len(big) + 1)
    strip = 64
    height = pad + max(big) + pad + strip * len(BACKDROPS)
    c = Canvas(width, height, (255, 255, 255))
    x = pad
    for (size, rows), b in zip(renders, big):
        c.checker(x, pad, b, b)
        c.image(x, pad, rows, scale)
        x += b + pad
    y = pad + max(big) + pad
    for bg in BACKDROPS:
        c.fill(0, y, width, strip, bg)
        x = pad
        for size, rows in renders:
            c.image(x, y + (strip - size) // 2, rows, 1)
            x += size + pad
        # And 2x, which is how high-DPI screens show the 16 px image.
        for size, rows in renders[:2]:
            c.image(x, y + (strip - 2 * size) // 2, rows, 2)
            x += 2 * size + pad
        y += strip
    return c.png()


def hand_preview(indices, clear):
    rgba = [[(0, 0, 0, 0) if clear[y][x] else CURSOR_PALETTE[indices[y][x]] + (255,)
             for x in range(32)] for y in range(32)]
    scale, pad, strip = 8, 12, 48
    big = 32 * scale
    width = big + 2 * pad
    height = pad + big + pad + strip * len(BACKDROPS)
    c = Canvas(width, height, (255, 255, 255))
    c.checker(pad, pad, big, big, cell=scale)
    c.image(pad, pad, rgba, scale)
    hx, hy = HAND_HOTSPOT
    c.frame(pad + hx * scale - 1, pad + hy * scale - 1, scale + 2, scale + 2, (230, 0, 0))
    y = pad + big + pad
    for bg in BACKDROPS:
        c.fill(0, y, width, strip, bg)
        c.image(pad, y + (strip - 32) // 2, rgba, 1)
        c.image(pad + 48, y + (strip - 32) // 2, rgba, 1)
        y += strip
    return c.png()


# ---------------------------------------------------------------------------


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_art.py OUTPUT_DIR\n")
        return 2
    out = argv[1]
    os.makedirs(out, exist_ok=True)

    renders = [(s, render_icon(s)) for s in ICON_SIZES]
    write(os.path.join(out, "ocural.ico"),
          build_ico([(s, icon_image(rows)) for s, rows in renders]))
    write(os.path.join(out, "ocural_preview.png"), icon_preview(renders))

    indices, clear = hand_pixels()
    write(os.path.join(out, "hand.cur"),
          build_cur(indices, clear, CURSOR_PALETTE, HAND_HOTSPOT))
    write(os.path.join(out, "hand_preview.png"), hand_preview(indices, clear))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
