// Picture files made byte by byte in the tests themselves: BMP of any depth
// the program reads, PNG with stored (uncompressed) deflate blocks, GIF with
// a plain code stream, the skeleton of a JPEG and one real JPEG. Shared by the
// native header checks, the Windows loader tests and the end-to-end sweep.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ocural_test {

using Bytes = std::vector<uint8_t>;

inline void PutLE16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void PutLE32(Bytes& b, uint32_t v) {
  PutLE16(b, v & 0xFFFF);
  PutLE16(b, v >> 16);
}
inline void PutBE32(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v >> 24));
  b.push_back(static_cast<uint8_t>(v >> 16));
  b.push_back(static_cast<uint8_t>(v >> 8));
  b.push_back(static_cast<uint8_t>(v));
}
inline void PutText(Bytes& b, const char* text) {
  for (; *text; ++text) b.push_back(static_cast<uint8_t>(*text));
}

// Colour of pixel (x, y) of the test pictures, 0x00RRGGBB: varied in every
// channel so a swapped channel, a flipped or shifted row shows.
inline uint32_t TestColour(int x, int y) {
  const uint32_t r = static_cast<uint32_t>(x * 37 + y * 11 + 5) & 0xFF;
  const uint32_t g = static_cast<uint32_t>(x * 13 + y * 71 + 90) & 0xFF;
  const uint32_t b = static_cast<uint32_t>(x * 5 + y * 29 + 200) & 0xFF;
  return (r << 16) | (g << 8) | b;
}

// An uncompressed 24- or 32-bit BMP of TestColour, bottom-up unless topDown.
inline Bytes MakeBmp(int w, int h, int bits, bool topDown = false) {
  const uint32_t stride = ((static_cast<uint32_t>(w) * bits + 31) / 32) * 4;
  const uint32_t imageSize = stride * static_cast<uint32_t>(h);
  Bytes b;
  PutText(b, "BM");
  PutLE32(b, 54 + imageSize);
  PutLE32(b, 0);
  PutLE32(b, 54);
  PutLE32(b, 40);
  PutLE32(b, static_cast<uint32_t>(w));
  PutLE32(b, static_cast<uint32_t>(topDown ? -h : h));
  PutLE16(b, 1);
  PutLE16(b, static_cast<uint32_t>(bits));
  PutLE32(b, 0);  // BI_RGB
  PutLE32(b, imageSize);
  PutLE32(b, 2835);
  PutLE32(b, 2835);
  PutLE32(b, 0);
  PutLE32(b, 0);
  for (int row = 0; row < h; ++row) {
    const int y = topDown ? row : h - 1 - row;
    const size_t start = b.size();
    for (int x = 0; x < w; ++x) {
      const uint32_t c = TestColour(x, y);
      b.push_back(static_cast<uint8_t>(c));
      b.push_back(static_cast<uint8_t>(c >> 8));
      b.push_back(static_cast<uint8_t>(c >> 16));
      if (bits == 32) b.push_back(0xFF);
    }
    while (b.size() - start < stride) b.push_back(0);
  }
  return b;
}

inline uint32_t Crc32(const uint8_t* p, size_t n) {
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
  }
  return c ^ 0xFFFFFFFFu;
}

inline void PutPngChunk(Bytes& b, const char* type, const Bytes& body) {
  PutBE32(b, static_cast<uint32_t>(body.size()));
  const size_t start = b.size();
  PutText(b, type);
  b.insert(b.end(), body.begin(), body.end());
  PutBE32(b, Crc32(b.data() + start, b.size() - start));
}

// The zlib stream of `raw` in stored (uncompressed) deflate blocks.
inline Bytes StoredZlib(const Bytes& raw) {
  Bytes z = {0x78, 0x01};
  size_t pos = 0;
  do {
    const size_t n = std::min<size_t>(raw.size() - pos, 65535);
    z.push_back(pos + n == raw.size() ? 1 : 0);
    PutLE16(z, static_cast<uint32_t>(n));
    PutLE16(z, static_cast<uint32_t>(~n & 0xFFFF));
    z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(pos),
             raw.begin() + static_cast<std::ptrdiff_t>(pos + n));
    pos += n;
  } while (pos < raw.size());
  uint32_t a = 1, s = 0;
  for (uint8_t v : raw) {
    a = (a + v) % 65521;
    s = (s + a) % 65521;
  }
  PutBE32(z, (s << 16) | a);
  return z;
}

// A PNG with this header whose image data is `raw` (filter bytes included),
// stored; `beforeData` chunks (a palette) come between IHDR and IDAT.
inline Bytes MakePngOf(uint32_t w, uint32_t h, uint8_t depth, uint8_t colourType, const Bytes& raw,
                       const Bytes& beforeData = {}, uint8_t interlace = 0) {
  Bytes b = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  Bytes ihdr;
  PutBE32(ihdr, w);
  PutBE32(ihdr, h);
  ihdr.insert(ihdr.end(), {depth, colourType, 0, 0, interlace});
  PutPngChunk(b, "IHDR", ihdr);
  b.insert(b.end(), beforeData.begin(), beforeData.end());
  PutPngChunk(b, "IDAT", StoredZlib(raw));
  PutPngChunk(b, "IEND", {});
  return b;
}

// An 8-bit RGB PNG of TestColour, its data in stored deflate blocks.
inline Bytes MakePng(int w, int h) {
  Bytes raw;
  for (int y = 0; y < h; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < w; ++x) {
      const uint32_t c = TestColour(x, y);
      raw.push_back(static_cast<uint8_t>(c >> 16));
      raw.push_back(static_cast<uint8_t>(c >> 8));
      raw.push_back(static_cast<uint8_t>(c));
    }
  }
  return MakePngOf(static_cast<uint32_t>(w), static_cast<uint32_t>(h), 8, 2, raw);
}

// The four colours of the test GIF, 0x00RRGGBB, and the index of each pixel.
constexpr uint32_t kGifPalette[4] = {0x00FF0000, 0x0000C000, 0x000000FF, 0x00F0E0D0};
inline int GifIndex(int x, int y) { return (x + 2 * y) % 4; }

// A 4-colour GIF89a of GifIndex. Its code stream holds literal codes only,
// with a clear code every second pixel so the code width stays at 3 bits.
inline Bytes MakeGif(int w, int h) {
  Bytes b;
  PutText(b, "GIF89a");
  PutLE16(b, static_cast<uint32_t>(w));
  PutLE16(b, static_cast<uint32_t>(h));
  b.insert(b.end(), {0x81, 0, 0});  // global table of 4 colours
  for (uint32_t c : kGifPalette) {
    b.push_back(static_cast<uint8_t>(c >> 16));
    b.push_back(static_cast<uint8_t>(c >> 8));
    b.push_back(static_cast<uint8_t>(c));
  }
  b.push_back(0x2C);
  PutLE16(b, 0);
  PutLE16(b, 0);
  PutLE16(b, static_cast<uint32_t>(w));
  PutLE16(b, static_cast<uint32_t>(h));
  b.push_back(0);  // no local table, not interlaced
  b.push_back(2);  // minimum code size

  Bytes codes;
  uint32_t acc = 0;
  int nbits = 0;
  auto emit = [&](uint32_t code) {
    acc |= code << nbits;
    nbits += 3;
    while (nbits >= 8) {
      codes.push_back(static_cast<uint8_t>(acc));
      acc >>= 8;
      nbits -= 8;
    }
  };
  int n = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (n % 2 == 0) emit(4);  // clear
      emit(static_cast<uint32_t>(GifIndex(x, y)));
      ++n;
    }
  }
  emit(5);  // end of information
  if (nbits > 0) codes.push_back(static_cast<uint8_t>(acc));
  for (size_t pos = 0; pos < codes.size(); pos += 255) {
    const size_t len = std::min<size_t>(255, codes.size() - pos);
    b.push_back(static_cast<uint8_t>(len));
    b.insert(b.end(), codes.begin() + static_cast<std::ptrdiff_t>(pos),
             codes.begin() + static_cast<std::ptrdiff_t>(pos + len));
  }
  b.push_back(0);
  b.push_back(0x3B);
  return b;
}

// The markers and segments of a JPEG (SOI, APP0, SOF0 with the size, SOS,
// some scan bytes with a stuffed 0xFF, EOI) without real picture data.
inline Bytes MakeJpegSkeleton(int w, int h) {
  Bytes b = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16};
  PutText(b, "JFIF");
  b.insert(b.end(), {0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
  b.insert(b.end(), {0xFF, 0xC0, 0, 11, 8, static_cast<uint8_t>(h >> 8), static_cast<uint8_t>(h),
                     static_cast<uint8_t>(w >> 8), static_cast<uint8_t>(w), 1, 1, 0x11, 0});
  b.insert(b.end(), {0xFF, 0xDA, 0, 8, 1, 1, 0, 0, 63, 0});
  b.insert(b.end(), {0x12, 0xFF, 0x00, 0x34, 0xFF, 0xD0, 0x56});
  b.insert(b.end(), {0xFF, 0xD9});
  return b;
}

// An 8x8 JPEG of #3366CC, made with ImageMagick:
//   convert -size 8x8 xc:'#3366CC' -quality 100 -sampling-factor 1x1 -strip
inline const uint8_t kJpeg3366CC[] = {
    0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0x4A, 0x46, 0x49, 0x46, 0x00, 0x01, 0x01, 0x00, 0x00, 0x01,
    0x00, 0x01, 0x00, 0x00, 0xFF, 0xDB, 0x00, 0x43, 0x00, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01,
    0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01,
    0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01,
    0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01,
    0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0xFF, 0xDB, 0x00, 0x43, 0x01, 0x01, 0x01,
    0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01,
    0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01,
    0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01,
    0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0xFF, 0xC0,
    0x00, 0x11, 0x08, 0x00, 0x08, 0x00, 0x08, 0x03, 0x01, 0x11, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11,
    0x01, 0xFF, 0xC4, 0x00, 0x14, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0xFF, 0xC4, 0x00, 0x14, 0x10, 0x01, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xC4, 0x00,
    0x14, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x09, 0xFF, 0xC4, 0x00, 0x14, 0x11, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xDA, 0x00, 0x0C, 0x03, 0x01, 0x00,
    0x02, 0x11, 0x03, 0x11, 0x00, 0x3F, 0x00, 0x07, 0x9E, 0x01, 0xDE, 0xFF, 0xD9,
};

}  // namespace ocural_test
