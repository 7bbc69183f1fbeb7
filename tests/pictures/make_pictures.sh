#!/usr/bin/env bash
# Writes the skin pictures the tests load, with ImageMagick, into the folder
# given (made afresh): every variant of the formats the program reads, each
# with ImageMagick's own decoding beside it (NAME.rgba: 8-bit RGBA, top row
# first), and damaged copies. `pictures.txt` lists them, one a line:
#   NAME KIND WIDTH HEIGHT
# KIND: opaque (every pixel is drawn with its colour), alpha (pixels of alpha
# 0 are cut away), near (opaque; JPEG with chroma at half resolution, whose
# decoders smooth the colour edges each their own way: within 48 levels), cut (cut short: refused before the decoder), bad (a wrong
# size in the header: refused or decoded, never a crash).
set -euo pipefail
out="$1"
rm -rf "$out"
mkdir -p "$out"
cd "$out"
list=pictures.txt
: >"$list"

# The source: odd width (padded BMP rows), a gradient (many colours), two
# shapes with soft edges, and a magenta top-left pixel, the outline's colour.
convert -size 41x29 gradient:'rgb(200,30,30)-rgb(20,60,220)' \
  -fill 'rgb(250,200,0)' -draw 'rectangle 6,5 20,14' \
  -fill 'rgb(0,160,70)' -draw 'circle 28,15 34,15' \
  -fill 'rgb(255,0,255)' -draw 'point 0,0' -depth 8 src.png
# The same with a transparent ring round it and a half-transparent band; the
# top-left pixel stays opaque, so its colour is not what cuts the ring.
convert src.png -alpha set \
  \( -size 41x29 xc:black -fill white -draw 'rectangle 3,2 37,26' -draw 'point 0,0' \
     -fill 'gray(50%)' -draw 'rectangle 3,20 37,22' -alpha off \) \
  -compose copy-opacity -composite srca.png
# No gamma or colour-space chunks: the pixels are the stored values.
nogamma=(-define png:exclude-chunks=gAMA,cHRM,sRGB,iCCP,bKGD,tIME,tEXt,zTXt -strip)

add() {  # name kind source [convert options...] output-file-and-format
  local name="$1" kind="$2" src="$3"; shift 3
  convert "$src" "$@"
  local frame="$name[0]"
  convert "$frame" -depth 8 "rgba:$name.rgba"
  echo "$name $kind $(identify -format '%w %h' "$frame")" >>"$list"
}

# BMP: the three header versions, every depth, RLE, bit fields, top-down.
add bmp3-24.bmp opaque src.png -type TrueColor BMP3:bmp3-24.bmp
add bmp2-24.bmp opaque src.png -type TrueColor BMP2:bmp2-24.bmp
add bmp5-24.bmp opaque src.png -type TrueColor BMP:bmp5-24.bmp
add bmp3-8.bmp opaque src.png -type Palette BMP3:bmp3-8.bmp
add bmp3-4.bmp opaque src.png -colors 16 -type Palette BMP3:bmp3-4.bmp
add bmp3-1.bmp opaque src.png -monochrome BMP3:bmp3-1.bmp
add bmp3-rle8.bmp opaque src.png -type Palette -compress RLE BMP3:bmp3-rle8.bmp
add bmp-565.bmp opaque src.png -define bmp:subtype=RGB565 BMP:bmp-565.bmp
add bmp-32a.bmp alpha srca.png -type TrueColorAlpha BMP:bmp-32a.bmp
# GIF: plain, interlaced, with a transparent colour.
add plain.gif opaque src.png gif:plain.gif
add interlaced.gif opaque src.png -interlace GIF gif:interlaced.gif
add transparent.gif alpha srca.png -channel A -threshold 50% +channel gif:transparent.gif
# JPEG: baseline 4:2:0 and 4:4:4, progressive, grey.
add base420.jpg near src.png -quality 90 -sampling-factor 2x2 jpg:base420.jpg
add base444.jpg opaque src.png -quality 95 -sampling-factor 1x1 jpg:base444.jpg
add progressive.jpg opaque src.png -quality 90 -interlace JPEG jpg:progressive.jpg
add grey.jpg opaque src.png -colorspace Gray -quality 90 jpg:grey.jpg
# PNG: every colour type and depth, interlaced, transparency.
add rgb8.png opaque src.png "${nogamma[@]}" PNG24:rgb8.png
# 16-bit samples made from 8-bit ones (v * 257), on which WIC (the high
# byte) and ImageMagick (rounding) agree.
add rgb16.png opaque src.png "${nogamma[@]}" -depth 16 PNG48:rgb16.png
add grey1.png opaque src.png "${nogamma[@]}" -colorspace Gray -threshold 45% -depth 1 -define png:color-type=0 \
  -define png:bit-depth=1 png:grey1.png
for d in 2 4 8 16; do
  add "grey$d.png" opaque src.png "${nogamma[@]}" -colorspace Gray -depth 8 -depth "$d" -define png:color-type=0 \
    -define png:bit-depth="$d" "png:grey$d.png"
done
for c in 2 4 16 256; do
  add "palette$c.png" opaque src.png "${nogamma[@]}" -colors "$c" -define png:color-type=3 "png:palette$c.png"
done
add adam7.png opaque src.png "${nogamma[@]}" -interlace PNG PNG24:adam7.png
add greya.png alpha srca.png "${nogamma[@]}" -colorspace Gray -depth 8 -define png:color-type=4 png:greya.png
add rgba8.png alpha srca.png "${nogamma[@]}" PNG32:rgba8.png
add rgba16.png alpha srca.png "${nogamma[@]}" -depth 8 -depth 16 PNG64:rgba16.png
add trns.png alpha srca.png "${nogamma[@]}" -channel A -threshold 50% +channel PNG8:trns.png
# Every pixel of alpha 0: taken as opaque.
add clear.png opaque src.png "${nogamma[@]}" -alpha set -channel A -evaluate set 0 +channel PNG32:clear.png
# TIFF: uncompressed, LZW, deflate; an icon.
add plain.tif opaque src.png -compress None -alpha off -type TrueColor tif:plain.tif
add lzw.tif opaque src.png -compress LZW -alpha off -type TrueColor tif:lzw.tif
add palette.tif opaque src.png -compress Zip -alpha off -type Palette tif:palette.tif
add icon.ico opaque src.png ico:icon.ico

python3 - "$list" <<'PY'
import struct, sys
lines = [l.split() for l in open(sys.argv[1])]
def put(name, kind, data):
    open(name, "wb").write(data)
    with open(sys.argv[1], "a") as f:
        f.write(f"{name} {kind} 0 0\n")
def read(name): return bytearray(open(name, "rb").read())
# Top-down: the 24-bit rows turned over and the height negated.
b = read("bmp3-24.bmp")
off, w, h = struct.unpack_from("<I", b, 10)[0], *struct.unpack_from("<ii", b, 18)
stride = (w * 3 + 3) & ~3
rows = [b[off + i * stride: off + (i + 1) * stride] for i in range(h)]
b[off:off + stride * h] = b"".join(reversed(rows))
struct.pack_into("<i", b, 22, -h)
open("topdown.bmp", "wb").write(b)
with open(sys.argv[1], "a") as f:
    f.write(f"topdown.bmp opaque {w} {h}\n")
import shutil; shutil.copy("bmp3-24.bmp.rgba", "topdown.bmp.rgba")
# Cut short: half of each kind.
for name in ["bmp3-24.bmp", "bmp3-rle8.bmp", "rgb8.png", "plain.gif", "base420.jpg", "progressive.jpg",
             "plain.tif", "icon.ico"]:
    data = read(name)
    put("cut-" + name, "cut", data[: len(data) // 2])
# A wrong size in the header: twice the width, or one pixel less.
b = read("bmp3-24.bmp"); struct.pack_into("<i", b, 18, 2 * w); put("wide-bmp3-24.bmp", "bad", b)
b = read("bmp3-24.bmp"); struct.pack_into("<i", b, 18, w - 1); put("narrow-bmp3-24.bmp", "bad", b)
b = read("rgb8.png"); struct.pack_into(">I", b, 16, 2 * w); put("wide-rgb8.png", "bad", b)
b = read("plain.gif"); struct.pack_into("<H", b, 6, 2 * w); put("wide-plain.gif", "bad", b)
j = read("base420.jpg"); i = j.find(b"\xff\xc0"); struct.pack_into(">H", j, i + 5, 3 * h); put("tall-base420.jpg", "bad", j)
PY
rm -f src.png srca.png
echo "$(wc -l <"$list") pictures in $out"
