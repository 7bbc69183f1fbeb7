// The checks a picture file passes before a decoder sees it. Any bytes may
// come in; what is accepted must have the size its own header states, the
// parts the format needs, and keep its answer when bytes are added after it.
// A copy cut before a part the format cannot do without must be refused.
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "skin/core/picture_header.h"
#include "tests/fuzz/fuzz_support.h"

using namespace ocural;

namespace {

uint32_t LE16(const uint8_t* p) { return p[0] | (p[1] << 8); }
uint32_t LE32(const uint8_t* p) { return LE16(p) | (LE16(p + 2) << 16); }
uint32_t BE16(const uint8_t* p) { return (p[0] << 8) | p[1]; }
uint32_t BE32(const uint8_t* p) { return (BE16(p) << 16) | BE16(p + 2); }

bool Same(const std::optional<PictureHeader>& a, const PictureHeader& b) {
  return a && a->format == b.format && a->width == b.width && a->height == b.height;
}

// The first place `pattern` starts at or after `from`, or size.
size_t Find(const uint8_t* d, size_t size, size_t from, const char* pattern, size_t n) {
  for (size_t i = from; i + n <= size; ++i) {
    if (std::memcmp(d + i, pattern, n) == 0) return i;
  }
  return size;
}

std::optional<PictureHeader> Inspect(const std::vector<uint8_t>& bytes) {
  return InspectPicture(bytes.data(), bytes.size());
}

// A copy cut to `length` bytes, in its own buffer so reads past it are caught.
std::optional<PictureHeader> InspectCut(const uint8_t* d, size_t length) {
  return Inspect(std::vector<uint8_t>(d, d + length));
}

void CheckBmp(const uint8_t* d, size_t size, const PictureHeader& h) {
  const uint32_t infoSize = LE32(d + 14);
  uint64_t bits = 0;
  uint32_t compression = 0;
  if (infoSize == 12) {
    FUZZ_CHECK(h.width == int32_t(LE16(d + 18)) && h.height == int32_t(LE16(d + 20)));
    bits = LE16(d + 24);
  } else {
    FUZZ_CHECK(infoSize >= 40 && size >= 14 + infoSize);
    const int32_t height = static_cast<int32_t>(LE32(d + 22));
    FUZZ_CHECK(h.width == static_cast<int32_t>(LE32(d + 18)));
    FUZZ_CHECK(int64_t{h.height} == (height < 0 ? -int64_t{height} : int64_t{height}));
    bits = LE16(d + 28);
    compression = LE32(d + 30);
  }
  // One plane; a depth that goes with the compression (RLE8 with 8 bits,
  // RLE4 with 4, bit fields with 16 or 32).
  FUZZ_CHECK(LE16(d + (infoSize == 12 ? 22 : 26)) == 1);
  FUZZ_CHECK(compression == 0   ? (bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32)
             : compression == 1 ? bits == 8
             : compression == 2 ? bits == 4
             : compression == 3 && (bits == 16 || bits == 32));
  if (compression == 0 || compression == 3) {
    // Every pixel row is in the file; without the last byte of them it is refused.
    const uint64_t stride = (uint64_t(h.width) * bits + 31) / 32 * 4;
    const uint64_t end = uint64_t{LE32(d + 10)} + stride * uint64_t(h.height);
    FUZZ_CHECK(end <= size);
    FUZZ_CHECK(!InspectCut(d, static_cast<size_t>(end - 1)));
  }
}

void CheckPng(const uint8_t* d, size_t size, const PictureHeader& h) {
  FUZZ_CHECK(size >= 33 && std::memcmp(d + 12, "IHDR", 4) == 0);
  FUZZ_CHECK(uint32_t(h.width) == BE32(d + 16) && uint32_t(h.height) == BE32(d + 20));
  // The bit depths PNG allows for each colour type, then
  // compression and filter method 0, interlace none or Adam7.
  const uint8_t depth = d[24], type = d[25];
  const bool ok = type == 0 ? (depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16)
                  : type == 3 ? (depth == 1 || depth == 2 || depth == 4 || depth == 8)
                  : (type == 2 || type == 4 || type == 6) && (depth == 8 || depth == 16);
  FUZZ_CHECK(ok && d[26] == 0 && d[27] == 0 && d[28] <= 1);
  FUZZ_CHECK(Find(d, size, 37, "IDAT", 4) < size);
  // At one bit a pixel at least, and no more than 1032 bytes from each one.
  FUZZ_CHECK((uint64_t(h.width) * uint64_t(h.height) + 7) / 8 <= 1032 * uint64_t(size));
  const size_t end = Find(d, size, 37, "IEND", 4);
  FUZZ_CHECK(end < size);
  FUZZ_CHECK(!InspectCut(d, end + 3));
}

void CheckGif(const uint8_t* d, size_t size, const PictureHeader& h) {
  FUZZ_CHECK(uint32_t(h.width) == LE16(d + 6) && uint32_t(h.height) == LE16(d + 8));
  const size_t image = Find(d, size, 13, "\x2C", 1);
  FUZZ_CHECK(image < size);
  FUZZ_CHECK(!InspectCut(d, image));
}

bool IsFrame(uint8_t m) { return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC; }

void CheckJpeg(const uint8_t* d, size_t size, const PictureHeader& h) {
  // Some frame header states the size; a Huffman-coded one has at least a
  // byte of the file for every 2048 pixels.
  bool stated = false;
  for (size_t i = 2; i + 9 <= size && !stated; ++i) {
    if (d[i] == 0xFF && IsFrame(d[i + 1]) && BE16(d + i + 5) == uint32_t(h.height) &&
        BE16(d + i + 7) == uint32_t(h.width)) {
      stated = d[i + 1] >= 0xC9 || uint64_t(h.width) * uint64_t(h.height) <= 2048 * uint64_t(size);
    }
  }
  FUZZ_CHECK(stated);
  const size_t end = Find(d, size, 2, "\xFF\xD9", 2);
  FUZZ_CHECK(end < size);
  FUZZ_CHECK(!InspectCut(d, end + 1));
}

// The first directory lies in the file, and a copy cut before its end is refused.
void CheckTiff(const uint8_t* d, size_t size) {
  const bool little = d[0] == 'I';
  FUZZ_CHECK(little ? (d[1] == 'I' && LE16(d + 2) == 42) : (d[1] == 'M' && BE16(d + 2) == 42));
  const uint64_t ifd = little ? LE32(d + 4) : BE32(d + 4);
  const uint64_t entries = little ? LE16(d + ifd) : BE16(d + ifd);
  FUZZ_CHECK(ifd >= 8 && ifd + 2 + 12 * entries <= size);
  FUZZ_CHECK(!InspectCut(d, static_cast<size_t>(ifd + 1)));
}

// The directory and every image it lists lie in the file.
void CheckIco(const uint8_t* d, size_t size, const PictureHeader& h) {
  const uint64_t count = LE16(d + 4);
  FUZZ_CHECK(LE16(d) == 0 && LE16(d + 2) == 1 && count >= 1 && 6 + 16 * count <= size);
  bool stated = false;
  for (uint64_t i = 0; i < count; ++i) {
    const uint8_t* e = d + 6 + 16 * i;
    FUZZ_CHECK(uint64_t{LE32(e + 12)} + LE32(e + 8) <= size);
    const uint8_t* image = d + LE32(e + 12);
    const bool png = image[0] == 0x89 && image[1] == 'P';
    stated = stated || (png ? BE32(image + 16) == uint32_t(h.width) : LE32(image + 4) == uint32_t(h.width));
  }
  FUZZ_CHECK(stated);
  FUZZ_CHECK(!InspectCut(d, static_cast<size_t>(6 + 16 * count - 1)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::optional<PictureHeader> header = InspectPicture(data, size);
  FUZZ_CHECK(!InspectPicture(nullptr, size));
  if (!header) return 0;
  const PictureHeader h = *header;
  FUZZ_CHECK(size >= 4);
  FUZZ_CHECK(h.width >= 1 && h.width <= kMaxPictureSide);
  FUZZ_CHECK(h.height >= 1 && h.height <= kMaxPictureSide);

  static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  switch (h.format) {
    case PictureFormat::Bmp:
      FUZZ_CHECK(data[0] == 'B' && data[1] == 'M');
      CheckBmp(data, size, h);
      break;
    case PictureFormat::Png:
      FUZZ_CHECK(size >= 8 && std::memcmp(data, kPng, 8) == 0);
      CheckPng(data, size, h);
      break;
    case PictureFormat::Gif:
      FUZZ_CHECK(size >= 6 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0));
      CheckGif(data, size, h);
      break;
    case PictureFormat::Jpeg:
      FUZZ_CHECK(data[0] == 0xFF && data[1] == 0xD8);
      CheckJpeg(data, size, h);
      break;
    case PictureFormat::Tiff:
      CheckTiff(data, size);
      break;
    case PictureFormat::Ico:
      CheckIco(data, size, h);
      break;
    default:
      FUZZ_CHECK(false);
  }

  // Bytes after the picture (a GIF trailer first) change nothing.
  std::vector<uint8_t> longer(data, data + size);
  longer.push_back(0x3B);
  for (size_t i = 0; i < size && i < 32; ++i) longer.push_back(data[size - 1 - i]);
  FUZZ_CHECK(Same(Inspect(longer), h));

  // A shorter copy that is still accepted states the same size.
  for (size_t cut : {size - 1, size / 2, size - 1 - data[size - 1] % size}) {
    const std::optional<PictureHeader> shorter = InspectCut(data, cut);
    FUZZ_CHECK(!shorter || Same(shorter, h));
  }
  return 0;
}
