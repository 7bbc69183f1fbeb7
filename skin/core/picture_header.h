// What can be told about a picture file from its bytes before a decoder sees
// it: the format, the pixel size, and whether the file holds all the parts its
// headers promise. Files that fail here are never handed to a decoder, so a
// hand-made, cut-off or absurd file cannot bring the program down.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace ocural {

enum class PictureFormat { Bmp, Gif, Jpeg, Png, Tiff, Ico };

// Pictures larger than this on either side are refused. At most 16 M pixels,
// 64 MiB at 32 bits a pixel, for each of the few copies a picture goes
// through (decoder, DIB section, the lens made square): well inside the
// address space of a 32-bit process, and far above any skin.
constexpr int32_t kMaxPictureSide = 4096;

struct PictureHeader {
  PictureFormat format = PictureFormat::Bmp;
  int32_t width = 0;
  int32_t height = 0;  // always positive, also for top-down BMPs
};

// The format and size of a BMP (uncompressed, bit fields or RLE; the Windows
// and OS/2 headers), GIF, JPEG, PNG, TIFF (its first directory) or icon file
// (its largest image) held in data[0..size). Nothing for
// - an unknown format, a side of 0 or above kMaxPictureSide;
// - a depth or compression the format does not have; for PNG a bit depth
//   that does not go with the colour type, a compression or filter method
//   other than 0, an interlace method other than none or Adam7; for JPEG a
//   frame header whose length is not 8 + 3 per component, with other than
//   1 to 4 components, sampling factors outside 1 to 4 or a precision other
//   than 8 or 12; for GIF a frame not lying wholly on the logical screen or
//   an LZW minimum code size above 8;
// - a file cut short: BMP pixel rows or colour table missing, GIF blocks,
//   JPEG segments or the end marker missing, PNG chunks or the closing IEND
//   chunk missing, a TIFF directory or any of its strips or tiles past the
//   end, an icon image past the end or not a PNG or DIB;
// - more pixels than the compressed data can hold: PNG image data give at
//   most 1032 bytes for one (the deflate limit), a Huffman-coded JPEG file
//   at most 2048 pixels a byte. Run-length BMP and GIF may leave pixels out
//   and arithmetic-coded JPEG has no such limit, so only the side limit
//   bounds those.
std::optional<PictureHeader> InspectPicture(const uint8_t* data, size_t size);

}  // namespace ocural
