#include "skin/core/picture_header.h"

#include <cstring>

namespace ocural {

namespace {

uint16_t LE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t LE32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t BE16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
uint32_t BE32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

bool SideOk(int64_t side) { return side >= 1 && side <= kMaxPictureSide; }

uint64_t PixelCount(const PictureHeader& h) {
  return static_cast<uint64_t>(h.width) * static_cast<uint64_t>(h.height);
}

std::optional<PictureHeader> Sized(PictureFormat format, int64_t width, int64_t height) {
  if (!SideOk(width) || !SideOk(height)) return std::nullopt;
  return PictureHeader{format, static_cast<int32_t>(width), static_cast<int32_t>(height)};
}

// ---------------------------------------------------------------------------
// BMP

constexpr size_t kBmpFileHeader = 14;

std::optional<PictureHeader> InspectBmp(const uint8_t* d, size_t size) {
  if (size < kBmpFileHeader + 4) return std::nullopt;
  const uint64_t offBits = LE32(d + 10);
  const uint64_t infoSize = LE32(d + 14);
  int64_t width = 0;
  int64_t height = 0;
  bool topDown = false;
  uint32_t bitCount = 0;
  uint32_t compression = 0;
  uint64_t sizeImage = 0;
  uint64_t colours = 0;
  uint64_t paletteEntry = 4;
  uint64_t masks = 0;  // bit masks stored after a 40-byte header
  if (infoSize == 12) {
    if (size < kBmpFileHeader + 12) return std::nullopt;
    width = LE16(d + 18);
    height = LE16(d + 20);
    if (LE16(d + 22) != 1) return std::nullopt;
    bitCount = LE16(d + 24);
    paletteEntry = 3;
  } else if (infoSize >= 40 && infoSize <= 256) {
    if (size < kBmpFileHeader + infoSize) return std::nullopt;
    width = static_cast<int32_t>(LE32(d + 18));
    const int32_t h = static_cast<int32_t>(LE32(d + 22));
    topDown = h < 0;
    height = topDown ? -static_cast<int64_t>(h) : h;
    if (LE16(d + 26) != 1) return std::nullopt;
    bitCount = LE16(d + 28);
    compression = LE32(d + 30);
    sizeImage = LE32(d + 34);
    colours = LE32(d + 46);
    if (compression == 3 && infoSize == 40) masks = 12;
  } else {
    return std::nullopt;
  }

  switch (compression) {
    case 0:  // BI_RGB
      if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
          bitCount != 32) {
        return std::nullopt;
      }
      break;
    case 1:  // BI_RLE8
      if (bitCount != 8 || topDown) return std::nullopt;
      break;
    case 2:  // BI_RLE4
      if (bitCount != 4 || topDown) return std::nullopt;
      break;
    case 3:  // BI_BITFIELDS
      if (bitCount != 16 && bitCount != 32) return std::nullopt;
      break;
    default:
      return std::nullopt;
  }
  if (!SideOk(width) || !SideOk(height)) return std::nullopt;

  if (bitCount <= 8) {
    const uint64_t full = uint64_t{1} << bitCount;
    if (colours == 0) colours = full;
    if (colours > full) return std::nullopt;
  } else {
    colours = 0;  // an optional palette for high-colour pictures is not used
  }
  const uint64_t tablesEnd = kBmpFileHeader + infoSize + masks + colours * paletteEntry;
  if (tablesEnd > size || offBits < kBmpFileHeader + infoSize + masks) return std::nullopt;

  uint64_t pixelBytes = 0;
  if (compression == 0 || compression == 3) {
    const uint64_t stride = ((static_cast<uint64_t>(width) * bitCount + 31) / 32) * 4;
    pixelBytes = stride * static_cast<uint64_t>(height);
  } else {
    pixelBytes = sizeImage != 0 ? sizeImage : 2;  // at least an end-of-picture code
  }
  if (offBits > size || pixelBytes > size - offBits) return std::nullopt;
  return Sized(PictureFormat::Bmp, width, height);
}

// ---------------------------------------------------------------------------
// PNG: the chunks are walked up to IEND.

// Bits a pixel for a colour type and bit depth, 0 for a pair PNG does not have.
uint32_t PngBitsPerPixel(uint8_t colourType, uint8_t depth) {
  const bool small = depth == 1 || depth == 2 || depth == 4;
  const bool wide = depth == 8 || depth == 16;
  switch (colourType) {
    case 0:  // grey
      return small || wide ? depth : 0;
    case 2:  // RGB
      return wide ? 3u * depth : 0;
    case 3:  // palette
      return small || depth == 8 ? depth : 0;
    case 4:  // grey and alpha
      return wide ? 2u * depth : 0;
    case 6:  // RGBA
      return wide ? 4u * depth : 0;
    default:
      return 0;
  }
}

// Deflate writes at least 2 bits for a run of 258 bytes, so no more than
// 1032 bytes come out of one byte of compressed data.
constexpr uint64_t kMaxDeflateRatio = 1032;

std::optional<PictureHeader> InspectPng(const uint8_t* d, size_t size) {
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (size < 8 || std::memcmp(d, kSignature, 8) != 0) return std::nullopt;
  size_t pos = 8;
  bool first = true;
  std::optional<PictureHeader> header;
  uint64_t bitsPerPixel = 0;
  bool sawData = false;
  uint64_t dataBytes = 0;
  while (true) {
    if (size - pos < 12) return std::nullopt;  // length, type and CRC at least
    const uint64_t length = BE32(d + pos);
    const uint8_t* type = d + pos + 4;
    if (length > 0x7FFFFFFF || length > size - pos - 12) return std::nullopt;
    const uint8_t* body = d + pos + 8;
    if (first) {
      if (std::memcmp(type, "IHDR", 4) != 0 || length != 13) return std::nullopt;
      header = Sized(PictureFormat::Png, BE32(body), BE32(body + 4));
      bitsPerPixel = PngBitsPerPixel(body[9], body[8]);
      // Compression and filter method 0, no interlace or Adam7.
      if (!header || bitsPerPixel == 0 || body[10] != 0 || body[11] != 0 || body[12] > 1) {
        return std::nullopt;
      }
      first = false;
    } else if (std::memcmp(type, "IDAT", 4) == 0) {
      sawData = true;
      dataBytes += length;
    } else if (std::memcmp(type, "IEND", 4) == 0) {
      // The filtered rows take at least the bits of the pixels themselves.
      const uint64_t pixels = PixelCount(*header);
      const uint64_t pixelBytes = (pixels * bitsPerPixel + 7) / 8;
      if (!sawData || pixelBytes > dataBytes * kMaxDeflateRatio) return std::nullopt;
      return header;
    }
    pos += static_cast<size_t>(length) + 12;
  }
}

// ---------------------------------------------------------------------------
// GIF: the blocks are walked up to the trailer or the end of the file.

// Skips data sub-blocks starting at pos; false when they run past the end.
bool SkipSubBlocks(const uint8_t* d, size_t size, size_t& pos) {
  while (true) {
    if (pos >= size) return false;
    const size_t n = d[pos];
    ++pos;
    if (n == 0) return true;
    if (n > size - pos) return false;
    pos += n;
  }
}

std::optional<PictureHeader> InspectGif(const uint8_t* d, size_t size) {
  if (size < 13) return std::nullopt;
  if (std::memcmp(d, "GIF87a", 6) != 0 && std::memcmp(d, "GIF89a", 6) != 0) return std::nullopt;
  const std::optional<PictureHeader> header = Sized(PictureFormat::Gif, LE16(d + 6), LE16(d + 8));
  if (!header) return std::nullopt;
  size_t pos = 13;
  const uint8_t flags = d[10];
  if (flags & 0x80) {
    const size_t table = size_t{3} << ((flags & 7) + 1);
    if (table > size - pos) return std::nullopt;
    pos += table;
  }
  bool sawImage = false;
  while (pos < size) {
    const uint8_t block = d[pos++];
    if (block == 0x3B) break;  // trailer
    if (block == 0x21) {       // extension: label, then sub-blocks
      if (pos >= size) return std::nullopt;
      ++pos;
      if (!SkipSubBlocks(d, size, pos)) return std::nullopt;
    } else if (block == 0x2C) {  // image descriptor
      if (size - pos < 9) return std::nullopt;
      // The frame lies on the logical screen.
      const int32_t left = LE16(d + pos);
      const int32_t top = LE16(d + pos + 2);
      if (left + LE16(d + pos + 4) > header->width || top + LE16(d + pos + 6) > header->height) {
        return std::nullopt;
      }
      const uint8_t imageFlags = d[pos + 8];
      pos += 9;
      if (imageFlags & 0x80) {
        const size_t table = size_t{3} << ((imageFlags & 7) + 1);
        if (table > size - pos) return std::nullopt;
        pos += table;
      }
      if (pos >= size) return std::nullopt;
      const uint8_t minCodeSize = d[pos++];
      // Above 8 the first codes would stand for colours no table holds. GIF
      // writers use 2 to 8; 0 and 1 are left to the decoder.
      if (minCodeSize > 8) return std::nullopt;
      if (!SkipSubBlocks(d, size, pos)) return std::nullopt;
      sawImage = true;
    } else {
      return std::nullopt;
    }
  }
  return sawImage ? header : std::nullopt;
}

// ---------------------------------------------------------------------------
// JPEG: the segments are walked up to the first scan, whose data must be
// followed by the end-of-image marker.

bool IsStartOfFrame(uint8_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}
bool IsArithmeticCoded(uint8_t marker) { return marker >= 0xC9; }

// A frame header (after its length) that adds up: precision 8 or 12, 1 to 4
// components, each with sampling factors 1 to 4, and nothing else.
bool FrameHeaderOk(const uint8_t* f, size_t length) {
  if (length < 8) return false;
  const size_t components = f[5];
  if ((f[0] != 8 && f[0] != 12) || components < 1 || components > 4 ||
      length != 8 + 3 * components) {
    return false;
  }
  for (size_t i = 0; i < components; ++i) {
    const uint8_t sampling = f[6 + 3 * i + 1];
    const int h = sampling >> 4;
    const int v = sampling & 0x0F;
    if (h < 1 || h > 4 || v < 1 || v > 4) return false;
  }
  return true;
}

// Huffman coding spends at least one bit on every 8x8 block of a component,
// and the component sampled most finely across has at least one block for
// every 4 x 64 pixels (its rows are sampled at no less than a quarter), so
// the file has at least a byte for every 2048 pixels.
constexpr uint64_t kMaxHuffmanPixelsPerByte = 2048;

std::optional<PictureHeader> InspectJpeg(const uint8_t* d, size_t size) {
  if (size < 4 || d[0] != 0xFF || d[1] != 0xD8) return std::nullopt;
  size_t pos = 2;
  std::optional<PictureHeader> header;
  bool arithmetic = false;
  while (true) {
    const size_t start = pos;
    while (pos < size && d[pos] == 0xFF) ++pos;  // one or more 0xFF before a marker
    if (pos == start || pos >= size) return std::nullopt;
    const uint8_t marker = d[pos++];
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length
    if (marker == 0xD9 || marker == 0xD8) return std::nullopt;  // ended before any scan
    if (size - pos < 2) return std::nullopt;
    const size_t length = BE16(d + pos);
    if (length < 2 || length > size - pos) return std::nullopt;
    if (IsStartOfFrame(marker)) {
      if (!FrameHeaderOk(d + pos + 2, length)) return std::nullopt;
      header = Sized(PictureFormat::Jpeg, BE16(d + pos + 5), BE16(d + pos + 3));
      if (!header) return std::nullopt;
      arithmetic = IsArithmeticCoded(marker);
    }
    pos += length;
    if (marker == 0xDA) break;  // start of scan: entropy-coded data follows
  }
  if (!header) return std::nullopt;
  if (!arithmetic && PixelCount(*header) > kMaxHuffmanPixelsPerByte * size) return std::nullopt;
  // Inside scan data 0xFF is always followed by 0x00 or a restart marker, so
  // FF D9 appears only as the end of the picture.
  for (size_t i = pos; i + 1 < size; ++i) {
    if (d[i] == 0xFF && d[i + 1] == 0xD9) return header;
  }
  return std::nullopt;
}

// ---------------------------------------------------------------------------
// TIFF: the first directory, its size and where its strips or tiles lie.

struct TiffReader {
  const uint8_t* d;
  size_t size;
  bool little;
  uint32_t U16(size_t at) const { return little ? LE16(d + at) : BE16(d + at); }
  uint32_t U32(size_t at) const { return little ? LE32(d + at) : BE32(d + at); }
};

// One directory entry of SHORT or LONG values, checked to lie in the file.
struct TiffValues {
  size_t at = 0;
  uint32_t count = 0;
  uint32_t width = 0;  // bytes a value
};

std::optional<TiffValues> TiffEntryValues(const TiffReader& r, size_t entry) {
  const uint32_t type = r.U16(entry + 2);
  if (type != 3 && type != 4) return std::nullopt;  // SHORT, LONG
  TiffValues v;
  v.width = type == 3 ? 2 : 4;
  v.count = r.U32(entry + 4);
  const uint64_t bytes = uint64_t{v.count} * v.width;
  v.at = bytes <= 4 ? entry + 8 : r.U32(entry + 8);
  if (v.count == 0 || v.at > r.size || bytes > r.size - v.at) return std::nullopt;
  return v;
}

uint32_t TiffValue(const TiffReader& r, const TiffValues& v, uint32_t i) {
  return v.width == 2 ? r.U16(v.at + size_t{i} * 2) : r.U32(v.at + size_t{i} * 4);
}

std::optional<PictureHeader> InspectTiff(const uint8_t* d, size_t size) {
  if (size < 8) return std::nullopt;
  const TiffReader r{d, size, d[0] == 'I'};
  if (r.U16(2) != 42) return std::nullopt;
  const uint64_t ifd = r.U32(4);
  if (ifd < 8 || ifd > size || size - ifd < 2) return std::nullopt;
  const uint64_t entries = r.U16(static_cast<size_t>(ifd));
  if ((size - ifd - 2) / 12 < entries) return std::nullopt;
  uint32_t width = 0, height = 0;
  std::optional<TiffValues> offsets, counts;
  for (uint64_t i = 0; i < entries; ++i) {
    const size_t entry = static_cast<size_t>(ifd + 2 + 12 * i);
    const uint32_t tag = r.U16(entry);
    if (tag != 256 && tag != 257 && tag != 273 && tag != 279 && tag != 324 && tag != 325) continue;
    const std::optional<TiffValues> v = TiffEntryValues(r, entry);
    if (!v) return std::nullopt;
    if (tag == 256) width = TiffValue(r, *v, 0);
    if (tag == 257) height = TiffValue(r, *v, 0);
    if (tag == 273 || tag == 324) offsets = v;
    if (tag == 279 || tag == 325) counts = v;
  }
  // Every strip or tile lies wholly in the file.
  if (!offsets || !counts || offsets->count != counts->count) return std::nullopt;
  for (uint32_t i = 0; i < offsets->count; ++i) {
    const uint64_t at = TiffValue(r, *offsets, i);
    const uint64_t bytes = TiffValue(r, *counts, i);
    if (at > size || bytes > size - at) return std::nullopt;
  }
  return Sized(PictureFormat::Tiff, width, height);
}

// ---------------------------------------------------------------------------
// Icons: the directory, each image in the file; the largest one counts.

std::optional<PictureHeader> InspectIco(const uint8_t* d, size_t size) {
  if (size < 6 || LE16(d) != 0 || LE16(d + 2) != 1) return std::nullopt;
  const uint64_t count = LE16(d + 4);
  const uint64_t tableEnd = 6 + 16 * count;
  if (count == 0 || tableEnd > size) return std::nullopt;
  std::optional<PictureHeader> largest;
  for (uint64_t i = 0; i < count; ++i) {
    const uint8_t* e = d + 6 + 16 * i;
    const uint64_t bytes = LE32(e + 8);
    const uint64_t at = LE32(e + 12);
    if (at < tableEnd || at > size || bytes > size - at || bytes < 8) return std::nullopt;
    std::optional<PictureHeader> image;
    if (d[at] == 0x89 && d[at + 1] == 'P') {
      image = InspectPng(d + at, static_cast<size_t>(bytes));
    } else {
      // A DIB without its file header, of twice its height (colours, then the mask).
      const uint64_t info = LE32(d + at);
      if (info < 40 || info > bytes) return std::nullopt;
      const int32_t h = static_cast<int32_t>(LE32(d + at + 8));
      image = Sized(PictureFormat::Ico, static_cast<int32_t>(LE32(d + at + 4)), h / 2);
    }
    if (!image) return std::nullopt;
    if (!largest || PixelCount(*image) > PixelCount(*largest)) largest = image;
  }
  largest->format = PictureFormat::Ico;
  return largest;
}

}  // namespace

std::optional<PictureHeader> InspectPicture(const uint8_t* data, size_t size) {
  if (!data || size < 4) return std::nullopt;
  if (data[0] == 'B' && data[1] == 'M') return InspectBmp(data, size);
  if (data[0] == 0x89 && data[1] == 'P') return InspectPng(data, size);
  if (data[0] == 'G' && data[1] == 'I') return InspectGif(data, size);
  if (data[0] == 0xFF && data[1] == 0xD8) return InspectJpeg(data, size);
  if ((data[0] == 'I' && data[1] == 'I') || (data[0] == 'M' && data[1] == 'M')) return InspectTiff(data, size);
  if (data[0] == 0 && data[1] == 0) return InspectIco(data, size);
  return std::nullopt;
}

}  // namespace ocural
