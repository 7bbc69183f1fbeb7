#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets from the bundled skins.

Usage:  python3 make_seeds.py BUNDLED_DIR SEEDS_DIR

BUNDLED_DIR holds what skins/make_skins.py and cmake/default_settings.cmake
write (the .vsk files, skins/*.bmp, Ocural.ini). SEEDS_DIR gets one folder per
target, and SEEDS_DIR/<target>.dict where a dictionary helps. The skin
pictures are shrunk (small inputs keep the fuzzer fast) and, when ImageMagick
is there, also written as PNG, GIF and JPEG in the variants the program reads.
"""

import os
import shutil
import struct
import subprocess
import sys
import zlib


def read_bmp24(path):
    """(width, height, rows top-down of (r, g, b)) of a bottom-up 24-bit BMP."""
    data = open(path, "rb").read()
    off, = struct.unpack_from("<I", data, 10)
    w, h = struct.unpack_from("<ii", data, 18)
    stride = (w * 3 + 3) & ~3
    rows = []
    for y in range(h):
        at = off + (h - 1 - y) * stride
        rows.append([(data[at + 3 * x + 2], data[at + 3 * x + 1], data[at + 3 * x]) for x in range(w)])
    return w, h, rows


def shrink(picture, w, h):
    sw, sh, rows = picture
    return [[rows[y * sh // h][x * sw // w] for x in range(w)] for y in range(h)]


def bmp(rows, bits=24):
    h, w = len(rows), len(rows[0])
    stride = ((w * bits + 31) // 32) * 4
    body = b""
    for row in reversed(rows):
        line = b"".join(bytes((b, g, r)) + (b"\0" if bits == 32 else b"") for r, g, b in row)
        body += line + b"\0" * (stride - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(body), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, 0, len(body), 2835, 2835, 0, 0)
    return header + info + body


def png(rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    h, w = len(rows), len(rows[0])
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def write(folder, name, data):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def imagemagick_variants(source, folder):
    """Small pictures in the formats and variants the header checks know."""
    convert = shutil.which("convert")
    if not convert:
        return
    variants = {
        "pal8.bmp": ["-type", "palette", "BMP3:"],
        "rle8.bmp": ["-type", "palette", "-compress", "RLE", "BMP3:"],
        "gray4.bmp": ["-colors", "16", "-type", "palette", "BMP3:"],
        "mono.bmp": ["-monochrome", "BMP3:"],
        "os2.bmp": ["BMP2:"],
        "v5.bmp": ["BMP:"],
        "gray.png": ["-colorspace", "gray", "PNG8:"],
        "pal.png": ["-colors", "8", "PNG8:"],
        "rgba.png": ["-alpha", "on", "PNG32:"],
        "adam7.png": ["-interlace", "PNG", "PNG24:"],
        "grey16.png": ["-colorspace", "gray", "-depth", "16", "PNG:"],
        "pic.gif": ["GIF:"],
        "pic87.gif": ["GIF87:"],
        "base.jpg": ["-quality", "60", "JPEG:"],
        "prog.jpg": ["-interlace", "JPEG", "JPEG:"],
        "gray.jpg": ["-colorspace", "gray", "JPEG:"],
        "plain.tif": ["-compress", "None", "TIFF:"],
        "lzw.tif": ["-compress", "LZW", "TIFF:"],
        "icon.ico": ["ICO:"],
    }
    for name, args in variants.items():
        out = os.path.join(folder, name)
        *options, prefix = args
        subprocess.run([convert, source] + options + [prefix + out], check=False,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    bundled, seeds = argv[1], argv[2]
    skins = sorted(f for f in os.listdir(bundled) if f.endswith(".vsk"))
    pictures = sorted(os.listdir(os.path.join(bundled, "skins")))
    texts = {name: open(os.path.join(bundled, name), "rb").read() for name in skins}
    settings = open(os.path.join(bundled, "Ocural.ini"), "rb").read()
    full_settings = (b"[OcuralSetting]\r\nAlwaysTop=1\r\nColorPicker=0\r\nNoLoadSkin=0\r\n"
                     b"ShowTrayIcon=1\r\nColorPickMode=2\r\nLastSkin=round.vsk\r\nLastX=1440\r\n"
                     b"LastY=-120\r\nLastMagnification=4\r\n")

    for name, text in texts.items():
        write(os.path.join(seeds, "fuzz_skin_file"), name, text)
        write(os.path.join(seeds, "fuzz_skin_file"), "lf_" + name, text.replace(b"\r\n", b"\n"))
        write(os.path.join(seeds, "fuzz_ini"), name, text)
    for folder in ("fuzz_settings", "fuzz_ini"):
        write(os.path.join(seeds, folder), "default.ini", settings)
        write(os.path.join(seeds, folder), "full.ini", full_settings)

    # Numbers as the files hold them, and ones at the edges of the rules.
    numbers = set()
    for text in list(texts.values()) + [full_settings]:
        for line in text.splitlines():
            value = line.partition(b"=")[2]
            if value and value.lstrip(b"-").isdigit():
                numbers.add(value)
    numbers |= {b"0.5", b"-2.5", b"1,5", b" 1e3 ", b".5", b"5.", b"1e308", b"4.9e-324",
                b"2147483647.5", b"-0", b"1.5E-07", b"1E+15"}
    for i, value in enumerate(sorted(numbers)):
        write(os.path.join(seeds, "fuzz_numbers"), "n%02d" % i, value)

    # Pictures: shrunk bodies and lenses, as BMP (24 and 32 bits) and PNG.
    for name in pictures:
        stem = name.rsplit(".", 1)[0]
        picture = read_bmp24(os.path.join(bundled, "skins", name))
        small, tiny = shrink(picture, 24, 24), shrink(picture, 12, 10)
        write(os.path.join(seeds, "fuzz_outline"), stem + "_24.bmp", bmp(small))
        write(os.path.join(seeds, "fuzz_outline"), stem + "_12x10x32.bmp", bmp(tiny, 32))
        write(os.path.join(seeds, "fuzz_picture"), stem + ".bmp", bmp(tiny))
        write(os.path.join(seeds, "fuzz_picture"), stem + ".png", png(tiny))
    first = os.path.join(seeds, "fuzz_picture", pictures[0].rsplit(".", 1)[0] + ".bmp")
    imagemagick_variants(first, os.path.join(seeds, "fuzz_picture"))

    # Tray tips as UTF-16, short and cut.
    tips = ["ぴこら～", "ぴこら～ [x2] Round loupe", "ぴこら～ [x16] 拡大鏡スキン",
            "ぴこら～ [x4] " + "あ" * 40, "ぴこら～ [x4] a" + "漢字" * 20, "ぴこら～ [x3] Жé" + "🔍" * 40]
    for i, tip in enumerate(tips):
        write(os.path.join(seeds, "fuzz_tray_tip"), "tip%d" % i, tip.encode("utf-16-le"))

    dictionary = ['"[OcuralSkin]"', '"[OcuralSetting]"', '"\\x0d\\x0a"', '"\\x0d"', '"="', '"\\""',
                  '"\\xef\\xbb\\xbf"', '"lensoffsetx="', '"inbuttonvisible="', '"LastX="',
                  '"ColorPickMode="', '"LastMagnification="', '"e+"', '"1,5"', '" \\x09"']
    for target in ("fuzz_skin_file", "fuzz_ini", "fuzz_settings"):
        write(seeds, target + ".dict", ("\n".join(dictionary) + "\n").encode())
    write(os.path.join(seeds), "stamp", b"")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
