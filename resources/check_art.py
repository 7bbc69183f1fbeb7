#!/usr/bin/env python3
"""Reads back the files make_art.py writes and checks their structure.

Usage:  python3 check_art.py [ART_DIR]

Without ART_DIR the art is generated into a temporary folder first. With it,
the files there are checked and must also equal, byte for byte, what a fresh
run of make_art.py produces (so stale or non-deterministic art is caught).

Before the real files are accepted the checks are run against deliberately
broken copies, each of which has to be rejected; a checker that passes
everything would be worse than none.

Prints "art ok" and exits 0 on success; prints the problem and exits 1
otherwise.
"""

import os
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
MAKE_ART = os.path.join(HERE, "make_art.py")
FILES = ("ocural.ico", "hand.cur", "ocural_preview.png", "hand_preview.png")

ICON_SIZES = (16, 32, 48, 64)
HOTSPOT = (12, 1)


class Bad(Exception):
    pass


def need(cond, msg):
    if not cond:
        raise Bad(msg)


def mask_stride(width):
    return ((width + 31) // 32) * 4


def mask_bit(mask, width, height, x, y):
    """AND-mask bit for pixel (x, y), y counted from the top."""
    row = height - 1 - y
    byte = mask[row * mask_stride(width) + (x >> 3)]
    return (byte >> (7 - (x & 7))) & 1


def read_dir(data, want_type, label):
    need(len(data) >= 6, "%s: shorter than its header" % label)
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    need(reserved == 0, "%s: reserved header word is %d" % (label, reserved))
    need(kind == want_type, "%s: type is %d, expected %d" % (label, kind, want_type))
    need(count > 0, "%s: no images" % label)
    need(len(data) >= 6 + 16 * count, "%s: directory runs past the end" % label)
    entries = []
    for i in range(count):
        entries.append(struct.unpack_from("<BBBBHHII", data, 6 + 16 * i))
    return entries


def read_bih(data, offset, label):
    need(offset + 40 <= len(data), "%s: bitmap header runs past the end" % label)
    fields = struct.unpack_from("<IiiHHIIiiII", data, offset)
    (size, w, h, planes, bpp, comp, _img, _xp, _yp, used, _imp) = fields
    need(size == 40, "%s: BITMAPINFOHEADER size %d" % (label, size))
    need(planes == 1, "%s: %d planes" % (label, planes))
    need(comp == 0, "%s: compression %d, expected BI_RGB" % (label, comp))
    return w, h, bpp, used


def check_ico(data):
    entries = read_dir(data, 1, "ocural.ico")
    sizes = sorted(e[0] for e in entries)
    need(sizes == list(ICON_SIZES), "ocural.ico: sizes %s, expected %s" % (sizes, list(ICON_SIZES)))
    end_of_dir = 6 + 16 * len(entries)
    spans = []
    for (w, h, colours, reserved, planes, bpp, nbytes, offset) in entries:
        label = "ocural.ico %dx%d" % (w, h)
        need(w == h, "%s: not square" % label)
        need(colours == 0 and reserved == 0, "%s: colour count/reserved not 0" % label)
        need(planes == 1 and bpp == 32, "%s: planes %d bpp %d in directory" % (label, planes, bpp))
        expect = 40 + w * h * 4 + h * mask_stride(w)
        need(nbytes == expect, "%s: %d bytes in directory, image needs %d" % (label, nbytes, expect))
        need(offset >= end_of_dir and offset + nbytes <= len(data),
             "%s: image lies outside the file" % label)
        spans.append((offset, offset + nbytes))
        bw, bh, bbpp, _ = read_bih(data, offset, label)
        need((bw, bh) == (w, 2 * h), "%s: bitmap is %dx%d, expected %dx%d" % (label, bw, bh, w, 2 * h))
        need(bbpp == 32, "%s: bitmap has %d bpp" % (label, bbpp))
        pixels = data[offset + 40: offset + 40 + w * h * 4]
        mask = data[offset + 40 + w * h * 4: offset + nbytes]

        def alpha(x, y):
            return pixels[((h - 1 - y) * w + x) * 4 + 3]

        opaque = 0
        for y in range(h):
            for x in range(w):
                a = alpha(x, y)
                m = mask_bit(mask, w, h, x, y)
                need(m == (1 if a == 0 else 0),
                     "%s: mask bit %d at (%d,%d) disagrees with alpha %d" % (label, m, x, y, a))
                opaque += a == 255
        for x, y in ((0, 0), (w - 1, 0), (0, h - 1)):
            need(alpha(x, y) == 0 and mask_bit(mask, w, h, x, y) == 1,
                 "%s: corner (%d,%d) is not transparent" % (label, x, y))
        # The lens centre sits at 40% across and down; it must be solid glass.
        c = int(0.40 * w)
        need(alpha(c, c) == 255 and mask_bit(mask, w, h, c, c) == 0,
             "%s: lens centre is not opaque" % label)
        need(0.25 * w * h <= opaque <= 0.75 * w * h,
             "%s: %d of %d pixels opaque, not a believable drawing" % (label, opaque, w * h))
    spans.sort()
    need(spans[0][0] == end_of_dir, "ocural.ico: gap after the directory")
    for (a0, a1), (b0, _b1) in zip(spans, spans[1:]):
        need(a1 == b0, "ocural.ico: images overlap or leave a gap")
    need(spans[-1][1] == len(data), "ocural.ico: trailing bytes after the last image")


def check_cur(data):
    entries = read_dir(data, 2, "hand.cur")
    need(len(entries) == 1, "hand.cur: %d images, expected 1" % len(entries))
    w, h, colours, reserved, hx, hy, nbytes, offset = entries[0]
    need((w, h) == (32, 32), "hand.cur: %dx%d, expected 32x32" % (w, h))
    need(colours == 16, "hand.cur: colour count %d, expected 16" % colours)
    need(reserved == 0, "hand.cur: reserved byte %d" % reserved)
    need((hx, hy) == HOTSPOT, "hand.cur: hot spot (%d,%d), expected %s" % (hx, hy, HOTSPOT))
    need(offset == 22, "hand.cur: image at offset %d, expected 22" % offset)
    xor_stride = ((w * 4 + 31) // 32) * 4
    expect = 40 + 16 * 4 + xor_stride * h + mask_stride(w) * h
    need(nbytes == expect, "hand.cur: %d bytes in directory, image needs %d" % (nbytes, expect))
    need(offset + nbytes == len(data), "hand.cur: file is %d bytes, directory says %d"
         % (len(data), offset + nbytes))
    bw, bh, bpp, used = read_bih(data, offset, "hand.cur")
    need((bw, bh) == (32, 64), "hand.cur: bitmap is %dx%d, expected 32x64" % (bw, bh))
    need(bpp == 4, "hand.cur: %d bpp, expected 4" % bpp)
    need(used in (0, 16), "hand.cur: %d palette entries, expected 16" % used)
    pal_at = offset + 40
    palette = [tuple(data[pal_at + 4 * i: pal_at + 4 * i + 4]) for i in range(16)]
    need(all(p[3] == 0 for p in palette), "hand.cur: palette reserved bytes not 0")
    xor = data[pal_at + 64: pal_at + 64 + xor_stride * h]
    mask = data[pal_at + 64 + xor_stride * h: offset + nbytes]

    def index(x, y):
        byte = xor[(h - 1 - y) * xor_stride + (x >> 1)]
        return byte & 15 if x & 1 else byte >> 4

    def colour(x, y):
        b, g, r, _ = palette[index(x, y)]
        return r, g, b

    black, white = (0, 0, 0), (255, 255, 255)
    need(mask_bit(mask, w, h, hx, hy) == 0, "hand.cur: hot spot pixel is transparent")
    need(colour(hx, hy) == black, "hand.cur: hot spot pixel is not black outline")
    for x, y in ((0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1)):
        need(mask_bit(mask, w, h, x, y) == 1, "hand.cur: corner (%d,%d) is not transparent" % (x, y))
    for y in range(hy):
        for x in range(w):
            need(mask_bit(mask, w, h, x, y) == 1,
                 "hand.cur: opaque pixel (%d,%d) above the fingertip" % (x, y))
    # The pixel just below the tip is inside the finger.
    need(mask_bit(mask, w, h, hx, hy + 1) == 0 and colour(hx, hy + 1) == white,
         "hand.cur: fingertip below the hot spot is not white fill")
    counts = {black: 0, white: 0}
    for y in range(h):
        for x in range(w):
            if mask_bit(mask, w, h, x, y):
                # Colour under a set mask bit is XORed onto the screen.
                need(colour(x, y) == black,
                     "hand.cur: transparent pixel (%d,%d) would invert the screen" % (x, y))
            else:
                col = colour(x, y)
                need(col[0] == col[1] == col[2],
                     "hand.cur: opaque pixel (%d,%d) is not black, white or grey" % (x, y))
                if col in counts:
                    counts[col] += 1
    need(counts[white] >= 150, "hand.cur: only %d white pixels" % counts[white])
    need(counts[black] >= 80, "hand.cur: only %d outline pixels" % counts[black])


def check_png(data, label):
    need(data[:8] == b"\x89PNG\r\n\x1a\n", "%s: not a PNG" % label)
    pos, kinds, idat = 8, [], b""
    while pos < len(data):
        need(pos + 8 <= len(data), "%s: truncated chunk" % label)
        n, kind = struct.unpack_from(">I4s", data, pos)
        body = data[pos + 8: pos + 8 + n]
        crc, = struct.unpack_from(">I", data, pos + 8 + n)
        need(zlib.crc32(kind + body) & 0xFFFFFFFF == crc, "%s: bad CRC in %r" % (label, kind))
        kinds.append(kind)
        if kind == b"IDAT":
            idat += body
        pos += 12 + n
    need(kinds[0] == b"IHDR" and kinds[-1] == b"IEND", "%s: chunk order %s" % (label, kinds))
    w, h, depth, ctype = struct.unpack_from(">IIBB", data, 16)
    need(depth == 8 and ctype == 2, "%s: not 8-bit RGB" % label)
    raw = zlib.decompress(idat)
    need(len(raw) == h * (1 + 3 * w), "%s: pixel data size wrong" % label)


def check_all(blobs):
    check_ico(blobs["ocural.ico"])
    check_cur(blobs["hand.cur"])
    check_png(blobs["ocural_preview.png"], "ocural_preview.png")
    check_png(blobs["hand_preview.png"], "hand_preview.png")


# ---------------------------------------------------------------------------
# Broken copies the checks must reject
# ---------------------------------------------------------------------------


def patched(data, offset, fmt, *values):
    b = bytearray(data)
    struct.pack_into(fmt, b, offset, *values)
    return bytes(b)


def cur_mask_offset(cur):
    return 22 + 40 + 64 + 16 * 32


def flip_cur_mask(cur, x, y):
    b = bytearray(cur)
    b[cur_mask_offset(cur) + (31 - y) * 4 + (x >> 3)] ^= 0x80 >> (x & 7)
    return bytes(b)


def ico_first_alpha(ico, x, y):
    """Offset of the alpha byte of pixel (x, y) in the first image."""
    w = ico[6]
    offset, = struct.unpack_from("<I", ico, 6 + 12)
    return offset + 40 + ((w - 1 - y) * w + x) * 4 + 3


def mutations(blobs):
    ico, cur = blobs["ocural.ico"], blobs["hand.cur"]
    out = [
        ("ico type", "ocural.ico", patched(ico, 2, "<H", 2)),
        ("ico bit count", "ocural.ico", patched(ico, 6 + 6, "<H", 24)),
        ("ico byte count", "ocural.ico", patched(ico, 6 + 8, "<I", struct.unpack_from("<I", ico, 14)[0] + 4)),
        ("ico truncated", "ocural.ico", ico[:-1]),
        ("ico height not doubled", "ocural.ico",
         patched(ico, struct.unpack_from("<I", ico, 18)[0] + 8, "<i", ico[6])),
        ("cur type", "hand.cur", patched(cur, 2, "<H", 1)),
        ("cur hot spot x", "hand.cur", patched(cur, 6 + 4, "<H", 11)),
        ("cur hot spot y", "hand.cur", patched(cur, 6 + 6, "<H", 0)),
        ("cur colour count", "hand.cur", patched(cur, 6 + 2, "<B", 2)),
        ("cur bpp", "hand.cur", patched(cur, 22 + 14, "<H", 8)),
        ("cur palette used", "hand.cur", patched(cur, 22 + 32, "<I", 2)),
        ("cur byte count", "hand.cur", patched(cur, 6 + 8, "<I", 700)),
        ("cur hot spot transparent", "hand.cur", flip_cur_mask(cur, 12, 1)),
        ("cur corner opaque", "hand.cur", flip_cur_mask(cur, 31, 31)),
        ("cur pixel above tip", "hand.cur", flip_cur_mask(cur, 12, 0)),
        ("png crc", "hand_preview.png", patched(blobs["hand_preview.png"], 29, "<B",
                                               blobs["hand_preview.png"][29] ^ 1)),
    ]
    # A visible pixel in the icon corner, mask left saying transparent.
    b = bytearray(ico)
    b[ico_first_alpha(ico, 0, 0)] = 255
    out.append(("ico corner alpha", "ocural.ico", bytes(b)))
    # Icon mask and alpha disagreeing in the middle of the lens.
    w = ico[6]
    off, = struct.unpack_from("<I", ico, 18)
    mask_at = off + 40 + w * w * 4
    c = int(0.40 * w)
    b = bytearray(ico)
    b[mask_at + (w - 1 - c) * mask_stride(w) + (c >> 3)] ^= 0x80 >> (c & 7)
    out.append(("ico mask vs alpha", "ocural.ico", bytes(b)))
    # Cursor image bytes shifted by a palette entry.
    out.append(("cur short palette", "hand.cur", cur[:22 + 40 + 60] + cur[22 + 40 + 64:]))
    return out


def self_test(blobs):
    for name, key, broken in mutations(blobs):
        trial = dict(blobs)
        trial[key] = broken
        try:
            check_all(trial)
        except (Bad, struct.error, IndexError, zlib.error):
            continue
        raise Bad("checker accepted a broken file (%s)" % name)


# ---------------------------------------------------------------------------


def generate(folder):
    subprocess.run([sys.executable, MAKE_ART, folder], check=True)
    return load(folder)


def load(folder):
    blobs = {}
    for name in FILES:
        path = os.path.join(folder, name)
        need(os.path.isfile(path), "%s is missing" % path)
        with open(path, "rb") as f:
            blobs[name] = f.read()
    return blobs


def main(argv):
    try:
        with tempfile.TemporaryDirectory() as tmp:
            fresh = generate(os.path.join(tmp, "a"))
            again = generate(os.path.join(tmp, "b"))
            for name in FILES:
                need(fresh[name] == again[name], "%s differs between two runs" % name)
            blobs = fresh
            if len(argv) > 1:
                blobs = load(argv[1])
                for name in FILES:
                    need(blobs[name] == fresh[name],
                         "%s in %s is not what make_art.py draws now" % (name, argv[1]))
            check_all(blobs)
            self_test(blobs)
    except Bad as e:
        print("art check failed: %s" % e, file=sys.stderr)
        return 1
    except subprocess.CalledProcessError as e:
        print("art check failed: make_art.py exited with %d" % e.returncode, file=sys.stderr)
        return 1
    print("art ok")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
