#!/usr/bin/env python3
"""Draws the skins bundled with Ocural and writes them as skin files.

Usage:  python3 make_skins.py OUTPUT_DIR [--preview PREVIEW_DIR]

Writes into OUTPUT_DIR (the program's folder; created when missing):
  round.vsk, plain.vsk          the skin files (INI, ASCII, CRLF)
  skins/round_base.bmp          body of the round loupe (24-bit)
  skins/round_lens.bmp          its lens: a dark disc on white
  skins/plain_base.bmp          body of the plain rectangular glass (24-bit)
  skins/plain_lens.bmp          its lens: a dark square inside a white border

With --preview, also writes PNG pictures of each skin as it appears on the
desktop (cut-out parts shown as a checkerboard) into PREVIEW_DIR.

The pictures and paths inside the skin files are relative to the program's
folder. Everything outside a body's outline is the key colour (magenta), which
is also the body picture's top-left pixel. Only the standard library is used
and the output is the same, byte for byte, on every run.
"""

import math
import os
import struct
import sys
import zlib

KEY = (255, 0, 255)
WHITE = (255, 255, 255)
LENS_INK = (0, 0, 0)
PICTURE_FOLDER = "skins"

# ---------------------------------------------------------------------------
# Little helpers
# ---------------------------------------------------------------------------


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    t = clamp(t)
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def scale(c, f):
    return tuple(c[i] * f for i in range(3))


def to_rgb(c):
    """Rounds a colour to bytes, keeping clear of the key colour."""
    rgb = tuple(int(clamp(round(v), 0, 255)) for v in c)
    return (254, 0, 255) if rgb == KEY else rgb


def noise(x, y, seed=0):
    """Deterministic value noise in [0, 1) from integer coordinates."""
    n = (x * 374761393 + y * 668265263 + seed * 982451653) & 0xFFFFFFFF
    n = ((n ^ (n >> 13)) * 1274126177) & 0xFFFFFFFF
    return ((n ^ (n >> 16)) & 0xFFFF) / 65536.0


def seg_dist(px, py, ax, ay, bx, by):
    """Distance from P to segment AB, and the position t along it."""
    dx, dy = bx - ax, by - ay
    t = clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy))
    return math.hypot(px - (ax + dx * t), py - (ay + dy * t)), t


def normalise(v):
    n = math.sqrt(sum(c * c for c in v))
    return tuple(c / n for c in v)


LIGHT = normalise((-0.45, -0.65, 0.62))  # from the top left, towards the viewer


def lit(base, normal, ambient=0.45, diffuse=0.65, shine=0.55, power=24):
    """Colour of a surface point: ambient + diffuse + a white highlight."""
    nl = sum(normal[i] * LIGHT[i] for i in range(3))
    d = ambient + diffuse * max(0.0, nl)
    # Reflection of the light about the normal, against the view (0, 0, 1).
    rz = 2 * nl * normal[2] - LIGHT[2]
    s = shine * (max(0.0, rz) ** power)
    return tuple(base[i] * d + 255 * s for i in range(3))


class Canvas:
    def __init__(self, w, h, fill):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def get(self, x, y):
        return self.px[y][x]

    def set(self, x, y, c):
        self.px[y][x] = c


def outline_edges(canvas, dark=0.42, soft=0.78):
    """Darkens body pixels next to the key colour: a crisp 2-pixel outline."""
    w, h = canvas.w, canvas.h
    inside = [[canvas.get(x, y) != KEY for x in range(w)] for y in range(h)]

    def near_key(x, y, r):
        for dy in range(-r, r + 1):
            for dx in range(-r, r + 1):
                if abs(dx) + abs(dy) > r:
                    continue
                xx, yy = x + dx, y + dy
                if not (0 <= xx < w and 0 <= yy < h) or not inside[yy][xx]:
                    return True
        return False

    for y in range(h):
        for x in range(w):
            if not inside[y][x]:
                continue
            if near_key(x, y, 1):
                canvas.set(x, y, to_rgb(scale(canvas.get(x, y), dark)))
            elif near_key(x, y, 2):
                canvas.set(x, y, to_rgb(scale(canvas.get(x, y), soft)))


# ---------------------------------------------------------------------------
# File formats
# ---------------------------------------------------------------------------


def bmp24(canvas):
    """A 24-bit bottom-up BMP, 96 dpi."""
    stride = (canvas.w * 3 + 3) & ~3
    rows = []
    for y in range(canvas.h - 1, -1, -1):
        row = bytearray()
        for x in range(canvas.w):
            r, g, b = canvas.get(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    data = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.w, canvas.h, 1, 24, 0, len(data), 3780, 3780, 0, 0)
    return header + info + data


def png(width, height, rgb_rows):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    raw = b"".join(b"\0" + bytes(v for px in row for v in px) for row in rgb_rows)
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def skin_file(values):
    """The .vsk text: one [OcuralSkin] section, ASCII, CRLF line ends."""
    order = ["name", "author", "description", "base", "lens", "lensoffsetx", "lensoffsety",
             "inbuttonvisible", "inrectx1", "inrectx2", "inrecty1", "inrecty2",
             "outbuttonvisible", "outrectx1", "outrectx2", "outrecty1", "outrecty2"]
    lines = ["[OcuralSkin]"] + ["%s=%s" % (k, values[k]) for k in order]
    text = "\r\n".join(lines) + "\r\n"
    return text.encode("ascii")


# ---------------------------------------------------------------------------
# Shared pieces of artwork
# ---------------------------------------------------------------------------

BRASS = (205, 160, 70)
STEEL = (150, 158, 170)
ENGRAVE = (40, 30, 24)


def knob(canvas, cx, cy, radius, glyph):
    """A round metal push knob with an engraved '+' or '-' (painted zoom area)."""
    for y in range(int(cy - radius - 1), int(cy + radius + 2)):
        for x in range(int(cx - radius - 1), int(cx + radius + 2)):
            dx, dy = x + 0.5 - cx, y + 0.5 - cy
            d = math.hypot(dx, dy)
            if d > radius:
                continue
            u = d / radius
            if u > 0.82:  # rim: a rounded bevel
                v = (u - 0.82) / 0.18
                nz = math.cos(v * math.pi / 2)
                nr = math.sin(v * math.pi / 2)
                normal = (nr * dx / d, nr * dy / d, nz)
                c = lit(STEEL, normal, shine=0.8)
            else:  # face: slightly domed
                normal = normalise((dx / radius * 0.35, dy / radius * 0.35, 1.0))
                c = lit(mix(STEEL, (210, 216, 226), 0.4), normal, shine=0.35, power=12)
            # The glyph, engraved: dark with a light lower-right lip.
            arm, half = radius * 0.55, 1.6
            in_h = abs(dy) <= half and abs(dx) <= arm
            in_v = glyph == "+" and abs(dx) <= half and abs(dy) <= arm
            lip_h = abs(dy - 1) <= half and abs(dx - 1) <= arm
            lip_v = glyph == "+" and abs(dx - 1) <= half and abs(dy - 1) <= arm
            if in_h or in_v:
                c = ENGRAVE
            elif lip_h or lip_v:
                c = mix(c, WHITE, 0.45)
            if d > radius - 1.0:
                c = scale(c, 0.55)
            canvas.set(x, y, to_rgb(c))


def screw(canvas, cx, cy, radius=4.5):
    for y in range(int(cy - radius - 1), int(cy + radius + 2)):
        for x in range(int(cx - radius - 1), int(cx + radius + 2)):
            dx, dy = x + 0.5 - cx, y + 0.5 - cy
            d = math.hypot(dx, dy)
            if d > radius:
                continue
            normal = normalise((dx / radius * 0.6, dy / radius * 0.6, 1.0))
            c = lit(STEEL, normal, shine=0.6)
            if abs(dx - dy) < 1.0 and d < radius - 1:  # slot at 45 degrees
                c = ENGRAVE
            if d > radius - 0.9:
                c = scale(c, 0.5)
            canvas.set(x, y, to_rgb(c))


def lens_disc(size):
    """A dark disc filling the square, on white."""
    c = Canvas(size, size, WHITE)
    r = size / 2.0
    for y in range(size):
        for x in range(size):
            if math.hypot(x + 0.5 - r, y + 0.5 - r) <= r:
                c.set(x, y, LENS_INK)
    return c


def lens_square(size):
    """A dark square inside a one-pixel white border."""
    c = Canvas(size, size, WHITE)
    for y in range(1, size - 1):
        for x in range(1, size - 1):
            c.set(x, y, LENS_INK)
    return c


# ---------------------------------------------------------------------------
# "round": a brass-rimmed loupe with a wooden handle
# ---------------------------------------------------------------------------

ROUND_SIZE = 300
ROUND_CENTRE = 112.0
ROUND_OUTER = 104.0
ROUND_INNER = 86.0
ROUND_LENS = 172  # the lens disc's diameter and picture size
ROUND_HANDLE_A = (178.0, 178.0)
ROUND_HANDLE_B = (276.0, 276.0)
ROUND_HANDLE_HALF = 19.0
ROUND_COLLAR_END = 0.17  # brass band along the first part of the handle
ROUND_SLOT = ((262.0, 262.0), (271.0, 271.0), 5.0)  # the hanging slot: a hole
ROUND_IN = (197, 221, 197, 221)  # x1, x2, y1, y2 of the painted "+"
ROUND_OUT = (225, 249, 225, 249)  # ... and of the painted "-"
WOOD_LIGHT = (170, 96, 52)
WOOD_DARK = (92, 44, 22)


def round_body():
    n = ROUND_SIZE
    c = Canvas(n, n, KEY)
    cx = cy = ROUND_CENTRE
    (s1x, s1y), (s2x, s2y), slot_r = ROUND_SLOT
    ax, ay = ROUND_HANDLE_A
    bx, by = ROUND_HANDLE_B
    axis = normalise((bx - ax, by - ay, 0.0))
    across = (-axis[1], axis[0])  # points down-left
    for y in range(n):
        for x in range(n):
            px, py = x + 0.5, y + 0.5
            dx, dy = px - cx, py - cy
            d = math.hypot(dx, dy)
            hd, t = seg_dist(px, py, ax, ay, bx, by)
            sd, _ = seg_dist(px, py, s1x, s1y, s2x, s2y)
            if d <= ROUND_OUTER:
                if d < ROUND_INNER:
                    # Under the lens: deep blue glass with a soft glint.
                    g = mix((22, 46, 84), (70, 120, 170), clamp(1 - d / ROUND_INNER))
                    glint = math.hypot(px - (cx - 38), py - (cy - 40))
                    g = mix(g, (200, 225, 245), clamp(1 - glint / 30) * 0.6)
                    c.set(x, y, to_rgb(g))
                    continue
                # The rim: a rounded brass bevel, lit from the top left.
                u = (d - ROUND_INNER) / (ROUND_OUTER - ROUND_INNER)
                nr = -math.cos(u * math.pi)
                nz = math.sin(u * math.pi)
                normal = normalise((nr * dx / d, nr * dy / d, max(nz, 0.05)))
                col = lit(BRASS, normal, ambient=0.42, diffuse=0.7, shine=0.7, power=18)
                # A fine groove two thirds across the rim.
                if abs(u - 0.66) < 0.045:
                    col = scale(col, 0.62)
                if d < ROUND_INNER + 1.2:
                    col = scale(col, 0.35)
                c.set(x, y, to_rgb(col))
            elif hd <= ROUND_HANDLE_HALF:
                if sd <= slot_r:
                    continue  # the hole stays the key colour
                s = ((px - ax) * across[0] + (py - ay) * across[1]) / ROUND_HANDLE_HALF
                s = clamp(s, -1.0, 1.0)
                normal = normalise((s * across[0], s * across[1], math.sqrt(max(0.0, 1 - s * s)) + 0.05))
                if t < ROUND_COLLAR_END:
                    # Brass collar with two raised rings.
                    ring = math.cos(t / ROUND_COLLAR_END * math.pi * 4)
                    col = lit(mix(BRASS, (150, 110, 40), 0.25 + 0.25 * ring), normal, shine=0.6)
                else:
                    along = t * 140.0
                    grain = 0.5 + 0.5 * math.sin(along * 0.22 + 5.0 * math.sin(s * 2.1 + along * 0.02))
                    grain = 0.7 * grain + 0.3 * noise(int(along * 3), int(s * 40), 7)
                    wood = mix(WOOD_DARK, WOOD_LIGHT, 0.35 + 0.5 * grain)
                    col = lit(wood, normal, ambient=0.5, diffuse=0.6, shine=0.25, power=10)
                # A darker rim round the slot, for depth.
                if sd <= slot_r + 2.0:
                    col = scale(col, 0.55 if sd <= slot_r + 1.0 else 0.8)
                c.set(x, y, to_rgb(col))
    outline_edges(c)
    knob(c, (ROUND_IN[0] + ROUND_IN[1]) / 2.0, (ROUND_IN[2] + ROUND_IN[3]) / 2.0, 11.5, "+")
    knob(c, (ROUND_OUT[0] + ROUND_OUT[1]) / 2.0, (ROUND_OUT[2] + ROUND_OUT[3]) / 2.0, 11.5, "-")
    return c


def round_skin():
    offset = int(ROUND_CENTRE - ROUND_LENS / 2)
    values = {
        "name": "Round loupe",
        "author": "Ocural project",
        "description": "Brass loupe, zoom keys on its handle",
        "base": PICTURE_FOLDER + "\\round_base.bmp",
        "lens": PICTURE_FOLDER + "\\round_lens.bmp",
        "lensoffsetx": offset,
        "lensoffsety": offset,
        "inbuttonvisible": 0,
        "inrectx1": ROUND_IN[0], "inrectx2": ROUND_IN[1],
        "inrecty1": ROUND_IN[2], "inrecty2": ROUND_IN[3],
        "outbuttonvisible": 0,
        "outrectx1": ROUND_OUT[0], "outrectx2": ROUND_OUT[1],
        "outrecty1": ROUND_OUT[2], "outrecty2": ROUND_OUT[3],
    }
    return values, round_body(), lens_disc(ROUND_LENS)


# ---------------------------------------------------------------------------
# "plain": a rectangular brushed-metal glass with real buttons
# ---------------------------------------------------------------------------

PLAIN_W, PLAIN_H = 252, 212
PLAIN_CORNER = 18
PLAIN_LENS = 172
PLAIN_LENS_AT = (16, 20)
PLAIN_IN = (200, 238, 24, 60)
PLAIN_OUT = (200, 238, 70, 106)
PLAIN_METAL = (176, 184, 194)


def in_rounded_rect(px, py, w, h, r):
    qx = min(px, w - px)
    qy = min(py, h - py)
    if qx >= r or qy >= r:
        return qx >= 0 and qy >= 0
    return math.hypot(r - qx, r - qy) <= r


def plain_body():
    w, h = PLAIN_W, PLAIN_H
    c = Canvas(w, h, KEY)
    lx, ly = PLAIN_LENS_AT
    frame = 6  # recessed frame round the lens
    panel = (PLAIN_IN[0] - 6, PLAIN_OUT[1] + 6, PLAIN_IN[2] - 6, PLAIN_OUT[3] + 6)
    grip = (panel[0], panel[1], 122, 182)
    for y in range(h):
        for x in range(w):
            px, py = x + 0.5, y + 0.5
            if not in_rounded_rect(px, py, w, h, PLAIN_CORNER):
                continue
            # Brushed metal: vertical light fall-off and horizontal streaks.
            streak = noise(0, y, 3) * 0.6 + noise(x // 9, y, 4) * 0.4
            col = mix(PLAIN_METAL, (120, 128, 140), py / h * 0.8)
            col = scale(col, 0.93 + 0.12 * streak)
            # Raised edge: light on the top and left, shade on the bottom and right.
            e = min(px, py, w - px, h - py)
            if e < 5:
                if px < w - 5 and py < h - 5 and (px < 5 or py < 5) and px + py < w:
                    col = mix(col, WHITE, (5 - e) / 5 * 0.35)
                else:
                    col = scale(col, 1 - (5 - e) / 5 * 0.35)
            # Recess round the lens: a dark bevel, shadowed at the top left.
            fx0, fy0 = lx - frame, ly - frame
            fx1, fy1 = lx + PLAIN_LENS + frame, ly + PLAIN_LENS + frame
            if fx0 <= px < fx1 and fy0 <= py < fy1:
                inner = min(px - fx0, py - fy0, fx1 - px, fy1 - py)
                top_left = min(px - fx0, py - fy0) <= min(fx1 - px, fy1 - py)
                depth = 0.45 if top_left else 0.75
                col = mix(scale(col, depth), (30, 34, 40), clamp(inner / frame) * 0.7)
            # Panel behind the buttons.
            if panel[0] <= px < panel[1] and panel[2] <= py < panel[3]:
                edge = min(px - panel[0], py - panel[2], panel[1] - px, panel[3] - py)
                col = (70, 76, 86) if edge > 2 else scale(col, 0.6)
            # Grip grooves below the buttons.
            if grip[0] <= px < grip[1] and grip[2] <= py < grip[3]:
                phase = (py - grip[2]) % 8
                if phase < 2:
                    col = scale(col, 0.55)
                elif phase < 3:
                    col = mix(col, WHITE, 0.35)
            c.set(x, y, to_rgb(col))
    outline_edges(c, dark=0.38, soft=0.8)
    for sx in (grip[0] + 10, grip[1] - 10):
        screw(c, sx, 195, 5.5)
    return c


def plain_skin():
    values = {
        "name": "Plain glass",
        "author": "Ocural project",
        "description": "Square glass in a metal case",
        "base": PICTURE_FOLDER + "\\plain_base.bmp",
        "lens": PICTURE_FOLDER + "\\plain_lens.bmp",
        "lensoffsetx": PLAIN_LENS_AT[0],
        "lensoffsety": PLAIN_LENS_AT[1],
        "inbuttonvisible": 1,
        "inrectx1": PLAIN_IN[0], "inrectx2": PLAIN_IN[1],
        "inrecty1": PLAIN_IN[2], "inrecty2": PLAIN_IN[3],
        "outbuttonvisible": 1,
        "outrectx1": PLAIN_OUT[0], "outrectx2": PLAIN_OUT[1],
        "outrecty1": PLAIN_OUT[2], "outrecty2": PLAIN_OUT[3],
    }
    return values, plain_body(), lens_square(PLAIN_LENS)


# ---------------------------------------------------------------------------
# Previews: the skin as a person sees it on the desktop
# ---------------------------------------------------------------------------


def preview(values, body, lens):
    w, h = body.w, body.h
    ox, oy = int(values["lensoffsetx"]), int(values["lensoffsety"])
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            c = body.get(x, y)
            if c == KEY:
                c = (200, 200, 200) if (x // 8 + y // 8) % 2 else (240, 240, 240)
            lxp, lyp = x - ox, y - oy
            if 0 <= lxp < lens.w and 0 <= lyp < lens.h and lens.get(lxp, lyp) != WHITE:
                # Something to look at through the glass: a test card.
                band = (lxp * 6 // lens.w + lyp * 4 // lens.h) % 3
                c = ((236, 226, 200), (120, 170, 220), (245, 245, 245))[band]
            row.append(c)
        rows.append(row)
    for key, visible in (("in", values["inbuttonvisible"]), ("out", values["outbuttonvisible"])):
        if not visible:
            continue
        x1, x2 = int(values[key + "rectx1"]), int(values[key + "rectx2"])
        y1, y2 = int(values[key + "recty1"]), int(values[key + "recty2"])
        for y in range(y1, y2):
            for x in range(x1, x2):
                edge = x in (x1, x2 - 1) or y in (y1, y2 - 1)
                face = (236, 233, 216) if not edge else (64, 64, 64)
                mx, my = x - (x1 + x2) / 2.0, y - (y1 + y2) / 2.0
                if abs(my) < 1.5 and abs(mx) < 6 or (key == "in" and abs(mx) < 1.5 and abs(my) < 6):
                    face = (0, 0, 0)
                rows[y][x] = face
    return png(w, h, rows)


def main(argv):
    if len(argv) not in (2, 4) or (len(argv) == 4 and argv[2] != "--preview"):
        sys.stderr.write(__doc__)
        return 2
    out = argv[1]
    preview_dir = argv[3] if len(argv) == 4 else None
    os.makedirs(os.path.join(out, PICTURE_FOLDER), exist_ok=True)
    for name, make in (("round", round_skin), ("plain", plain_skin)):
        values, body, lens = make()
        with open(os.path.join(out, PICTURE_FOLDER, name + "_base.bmp"), "wb") as f:
            f.write(bmp24(body))
        with open(os.path.join(out, PICTURE_FOLDER, name + "_lens.bmp"), "wb") as f:
            f.write(bmp24(lens))
        with open(os.path.join(out, name + ".vsk"), "wb") as f:
            f.write(skin_file(values))
        if preview_dir:
            os.makedirs(preview_dir, exist_ok=True)
            with open(os.path.join(preview_dir, name + "_preview.png"), "wb") as f:
                f.write(preview(values, body, lens))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
