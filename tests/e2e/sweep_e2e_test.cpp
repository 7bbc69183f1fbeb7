// A sweep of broken files through the real program. Hundreds of damaged
// pictures and skin files lie in one application folder and are picked one
// after the other in the skin chooser, as a user would; damaged settings files
// meet the program at start and at exit. Every case must end in the loaded
// skin or the skin's own message, with the program running and answering,
// and the settings file either untouched or whole.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/e2e/skin_files.h"
#include "tests/native/skin_picture_bytes.h"

namespace ocural::e2e {
namespace {

using Bytes = std::string;

Bytes Str(const ocural_test::Bytes& b) { return Bytes(b.begin(), b.end()); }
void Le16(Bytes& s, uint32_t v) {
  s.push_back(static_cast<char>(v));
  s.push_back(static_cast<char>(v >> 8));
}
void Le32(Bytes& s, uint32_t v) {
  Le16(s, v & 0xFFFF);
  Le16(s, v >> 16);
}
void SetLe16(Bytes& s, size_t at, uint32_t v) {
  s[at] = static_cast<char>(v);
  s[at + 1] = static_cast<char>(v >> 8);
}
void SetBe16(Bytes& s, size_t at, uint32_t v) {
  s[at] = static_cast<char>(v >> 8);
  s[at + 1] = static_cast<char>(v);
}
void SetBe32(Bytes& s, size_t at, uint32_t v) {
  SetBe16(s, at, v >> 16);
  SetBe16(s, at + 2, v & 0xFFFF);
}
Bytes Cut(const Bytes& s, size_t n) { return s.substr(0, n); }
// A literal with the NUL bytes inside it.
template <size_t N>
Bytes Lit(const char (&text)[N]) {
  return Bytes(text, N - 1);
}
// Reproducible junk.
Bytes Junk(size_t n, uint32_t seed) {
  Bytes s;
  for (size_t i = 0; i < n; ++i) {
    seed = seed * 1103515245u + 12345u;
    s.push_back(static_cast<char>(seed >> 16));
  }
  return s;
}

// ---------------------------------------------------------------- BMP

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3;

// A BMP file as its fields say, right or wrong.
struct BmpSpec {
  int32_t w = 12, h = 9;  // as written; a negative height is top-down
  uint16_t bits = 24, planes = 1;
  uint32_t compression = kRgb;
  uint32_t infoSize = 40;  // 12 OS/2, 40, 108 V4, 124 V5
  int palette = -1;        // entries stored; -1: the whole table for 8 bits and less
  uint32_t clrUsed = 0;    // as written
  Bytes masks;             // bit fields; after a 40-byte header, inside a larger one
  Bytes pixels;            // empty: rows or runs of the pattern
  int64_t offBits = -1;    // -1: right after the tables
  int64_t sizeImage = -1;  // -1: the size of `pixels`
  int64_t fileSize = -1;   // -1: the true size
};

// Rows of the pattern, padded to whole 32-bit words. Indexed pixels use every
// index of the full table.
Bytes PatternRows(int w, int h, int bits) {
  const size_t stride = (static_cast<size_t>(w) * bits + 31) / 32 * 4;
  Bytes out;
  for (int y = 0; y < h; ++y) {
    Bytes row(stride, '\0');
    for (int x = 0; x < w; ++x) {
      const uint32_t c = ocural_test::TestColour(x, y);
      if (bits <= 8) {
        const uint32_t index = static_cast<uint32_t>(x * 3 + y * 5) % (1u << bits);
        const size_t bit = static_cast<size_t>(x) * bits;
        row[bit / 8] = static_cast<char>(row[bit / 8] | (index << (8 - bits - bit % 8)));
      } else if (bits == 16) {
        const uint32_t v = ((c >> 19 & 31) << 10) | ((c >> 11 & 31) << 5) | (c >> 3 & 31);
        row[2 * x] = static_cast<char>(v);
        row[2 * x + 1] = static_cast<char>(v >> 8);
      } else {
        const size_t at = static_cast<size_t>(x) * (bits / 8);
        row[at] = static_cast<char>(c);
        row[at + 1] = static_cast<char>(c >> 8);
        row[at + 2] = static_cast<char>(c >> 16);
      }
    }
    out += row;
  }
  return out;
}

// A run-length stream of the pattern: runs of up to four pixels, an end of
// line after each row and an end of picture.
Bytes PatternRuns(int w, int h, bool rle4) {
  Bytes s;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; x += 4) {
      const int n = std::min(4, w - x);
      const int i = (x + y) % (rle4 ? 16 : 256);
      s.push_back(static_cast<char>(n));
      s.push_back(static_cast<char>(rle4 ? (i << 4) | ((i + 1) % 16) : i));
    }
    s += Bytes("\0\0", 2);
  }
  return s + Bytes("\0\1", 2);
}

Bytes Bmp(BmpSpec s) {
  const bool core = s.infoSize == 12;
  const int entries = s.palette >= 0 ? s.palette : (s.bits <= 8 ? 1 << s.bits : 0);
  if (s.pixels.empty()) {
    const int rows = s.h < 0 ? -s.h : s.h;
    s.pixels = s.compression == kRle8 || s.compression == kRle4 ? PatternRuns(s.w, rows, s.compression == kRle4)
                                                                : PatternRows(s.w, rows, s.bits);
  }
  Bytes info;
  if (core) {
    Le32(info, 12);
    Le16(info, static_cast<uint32_t>(s.w));
    Le16(info, static_cast<uint32_t>(s.h));
    Le16(info, s.planes);
    Le16(info, s.bits);
  } else {
    Le32(info, s.infoSize);
    Le32(info, static_cast<uint32_t>(s.w));
    Le32(info, static_cast<uint32_t>(s.h));
    Le16(info, s.planes);
    Le16(info, s.bits);
    Le32(info, s.compression);
    Le32(info, static_cast<uint32_t>(s.sizeImage >= 0 ? s.sizeImage : static_cast<int64_t>(s.pixels.size())));
    Le32(info, 2835);
    Le32(info, 2835);
    Le32(info, s.clrUsed);
    Le32(info, 0);
    if (s.infoSize > 40) {
      info += s.masks;
      if (s.infoSize >= 108 && s.masks.empty()) info += Bytes(16, '\0');
      if (s.infoSize >= 108) info.replace(56, 4, "BGRs");  // LCS_sRGB
    }
    // Padded to the size it gives, as far as a header can go.
    if (s.infoSize > info.size() && s.infoSize <= 256) info.resize(s.infoSize, '\0');
  }
  Bytes tables = s.infoSize == 40 ? s.masks : Bytes();
  for (int i = 0; i < entries; ++i) {
    tables.push_back(static_cast<char>(i * 7));
    tables.push_back(static_cast<char>(i * 13 + 40));
    tables.push_back(static_cast<char>(i * 29 + 90));
    if (!core) tables.push_back(0);
  }
  const uint32_t off =
      static_cast<uint32_t>(s.offBits >= 0 ? s.offBits : static_cast<int64_t>(14 + info.size() + tables.size()));
  const uint32_t total = static_cast<uint32_t>(14 + info.size() + tables.size() + s.pixels.size());
  Bytes b = "BM";
  Le32(b, static_cast<uint32_t>(s.fileSize >= 0 ? s.fileSize : total));
  Le32(b, 0);
  Le32(b, off);
  return b + info + tables + s.pixels;
}

Bytes Masks(uint32_t r, uint32_t g, uint32_t b) {
  Bytes m;
  Le32(m, r);
  Le32(m, g);
  Le32(m, b);
  return m;
}

BmpSpec Depth(int bits, uint32_t compression = kRgb) {
  BmpSpec s;
  s.bits = static_cast<uint16_t>(bits);
  s.compression = compression;
  if (compression == kBitfields) s.masks = bits == 16 ? Masks(0xF800, 0x07E0, 0x001F) : Masks(0xFF0000, 0xFF00, 0xFF);
  return s;
}

// ---------------------------------------------------------------- GIF, PNG, JPEG

// The test GIF: logical screen at 6, flags 10, global table 13..24, image
// descriptor at 25 (frame left 26, top 28, width 30, height 32, flags 34),
// minimum code size at 35, code stream from 36.
Bytes Gif(int w = 20, int h = 10) { return Str(ocural_test::MakeGif(w, h)); }

Bytes Png(uint32_t w, uint32_t h, uint8_t depth, uint8_t colourType, int rowBytes, const Bytes& beforeData = {},
          uint8_t interlace = 0) {
  ocural_test::Bytes raw;
  for (uint32_t y = 0; y < h && y < 64; ++y) {
    raw.push_back(0);
    for (int i = 0; i < rowBytes; ++i) raw.push_back(static_cast<uint8_t>(i * 31 + y * 7));
  }
  return Str(ocural_test::MakePngOf(w, h, depth, colourType, raw,
                                    ocural_test::Bytes(beforeData.begin(), beforeData.end()), interlace));
}
Bytes PngChunk(const char* type, const Bytes& body) {
  ocural_test::Bytes b;
  ocural_test::PutPngChunk(b, type, ocural_test::Bytes(body.begin(), body.end()));
  return Str(b);
}
Bytes Rgb8Png() { return Png(16, 12, 8, 2, 48); }
// IHDR's body starts at 16, its CRC at 29, IDAT's length at 33.
void FixIhdrCrc(Bytes& png) {
  const auto* p = reinterpret_cast<const uint8_t*>(png.data());
  SetBe32(png, 29, ocural_test::Crc32(p + 12, 17));
}

Bytes Jpeg() { return Bytes(std::begin(ocural_test::kJpeg3366CC), std::end(ocural_test::kJpeg3366CC)); }
// Where the marker FF `code` starts.
size_t Marker(const Bytes& j, uint8_t code) {
  for (size_t i = 0; i + 1 < j.size(); ++i) {
    if (static_cast<uint8_t>(j[i]) == 0xFF && static_cast<uint8_t>(j[i + 1]) == code) return i;
  }
  return Bytes::npos;
}

// ---------------------------------------------------------------- skin cases

// What a case may end in: the skin loaded, or one of the skin's messages.
enum Outcome : unsigned {
  kLoaded = 1,
  kBaseNotSet = 2,
  kBaseMissing = 4,
  kLensNotSet = 8,
  kLensMissing = 16,
  kBaseUnreadable = 32,  // there, but not a picture the program can read; the message names it
  kLensUnreadable = 64,
};
// A picture the system decoder decides on: it may decode it or refuse it.
// (A picture case's file is always there, so "missing" stands for
// "unreadable" in the tables; SkinCases turns one into the other.)
constexpr unsigned kBaseEither = kLoaded | kBaseMissing;
constexpr unsigned kLensEither = kLoaded | kLensMissing;
constexpr wchar_t kBaseUnreadableText[] = L"ベースファイルを画像として読み込めません\r\n";
constexpr wchar_t kLensUnreadableText[] = L"レンズファイルを画像として読み込めません\r\n";

const std::pair<Outcome, const wchar_t*> kMessages[] = {
    {kBaseNotSet, L"ベースファイルが設定されていません。"},
    {kBaseMissing, L"ベースファイルがみつかりません"},
    {kLensNotSet, L"レンズファイルが設定されていません。"},
    {kLensMissing, L"レンズファイルがみつかりません"},
};

// The outcome a message stands for; for an unreadable picture also the path it names.
std::optional<Outcome> MessageOutcome(const std::wstring& text, std::wstring* path = nullptr) {
  for (const auto& m : kMessages) {
    if (text == m.second) return m.first;
  }
  for (const auto& m : {std::make_pair(kBaseUnreadable, kBaseUnreadableText),
                        std::make_pair(kLensUnreadable, kLensUnreadableText)}) {
    const std::wstring prefix = m.second;
    if (text.compare(0, prefix.size(), prefix) != 0) continue;
    if (path) *path = text.substr(prefix.size());
    return m.first;
  }
  return std::nullopt;
}

// A picture case's file is there: where it cannot be read, that is what the message says.
unsigned ThereButUnreadable(unsigned outcomes) {
  unsigned out = outcomes & ~(kBaseMissing | kLensMissing);
  if (outcomes & kBaseMissing) out |= kBaseUnreadable;
  if (outcomes & kLensMissing) out |= kLensUnreadable;
  return out;
}

// The good pictures beside the broken ones.
constexpr int kBaseW = 60, kBaseH = 50;
Bytes GoodBase() {
  Picture base(kBaseW, kBaseH, RGB(40, 90, 160));
  base.Fill(0, 0, 5, 5, RGB(255, 0, 255));
  return Bmp24(base);
}
Bytes GoodLens() {
  Picture lens(30, 30, RGB(0, 0, 128));
  lens.Fill(0, 0, 3, 3, RGB(255, 255, 255));
  return Bmp24(lens);
}

struct SkinCase {
  std::string kind;
  std::string what;
  std::wstring file;  // the skin file, in the application folder
  Bytes vsk;
  std::vector<std::pair<std::wstring, Bytes>> files;  // what it names
  unsigned outcomes;
  int w, h;  // the window's size once loaded
};

std::string Narrow(const std::wstring& w) {
  std::string s;
  for (wchar_t c : w) s.push_back(c < 128 ? static_cast<char>(c) : '?');
  return s;
}

std::wstring Numbered(const wchar_t* prefix, size_t n, const std::string& ext) {
  wchar_t buf[32];
  swprintf(buf, 32, L"%ls%03u.", prefix, static_cast<unsigned>(n));
  return buf + std::wstring(ext.begin(), ext.end());
}

Bytes VskOf(const std::string& name, const std::string& base, const std::string& lens) {
  return SkinText({{"name", name}, {"base", base}, {"lens", lens}, {"lensoffsetx", "5"}, {"lensoffsety", "5"}});
}

class SkinCases {
 public:
  // A skin whose body is this picture.
  void Base(const std::string& kind, const std::string& what, const Bytes& picture, unsigned outcomes, int w = 0,
            int h = 0) {
    const std::wstring pic = Numbered(L"p", all.size(), kind);
    Add(kind, what, VskOf(what, Narrow(pic), "lens.bmp"), {{pic, picture}}, ThereButUnreadable(outcomes), w, h);
  }
  // A skin whose lens is this picture, on the good body.
  void Lens(const std::string& what, const Bytes& picture, unsigned outcomes) {
    const std::wstring pic = Numbered(L"p", all.size(), "pic");
    Add("lens", what, VskOf(what, "base.bmp", Narrow(pic)), {{pic, picture}}, ThereButUnreadable(outcomes), kBaseW,
        kBaseH);
  }
  void Vsk(const std::string& what, const Bytes& vsk, unsigned outcomes,
           std::vector<std::pair<std::wstring, Bytes>> files = {}) {
    Add("vsk", what, vsk, std::move(files), outcomes, kBaseW, kBaseH);
  }
  std::vector<SkinCase> all;

 private:
  void Add(const std::string& kind, const std::string& what, const Bytes& vsk,
           std::vector<std::pair<std::wstring, Bytes>> files, unsigned outcomes, int w, int h) {
    all.push_back({kind, what, Numbered(L"s", all.size(), "vsk"), vsk, std::move(files), outcomes, w, h});
  }
};

void AddBmpCases(SkinCases& c) {
  // Every depth and compression, both row orders, and the other headers.
  struct Good {
    const char* what;
    int bits;
    uint32_t compression, infoSize;
    bool topDown;
  };
  const Good good[] = {{"1-bit", 1, kRgb, 40, false},
                       {"4-bit", 4, kRgb, 40, false},
                       {"8-bit", 8, kRgb, 40, false},
                       {"16-bit", 16, kRgb, 40, false},
                       {"24-bit", 24, kRgb, 40, false},
                       {"32-bit", 32, kRgb, 40, false},
                       {"8-bit top-down", 8, kRgb, 40, true},
                       {"24-bit top-down", 24, kRgb, 40, true},
                       {"bit fields 16", 16, kBitfields, 40, false},
                       {"bit fields 32 top-down", 32, kBitfields, 40, true},
                       {"RLE8", 8, kRle8, 40, false},
                       {"RLE4", 4, kRle4, 40, false},
                       {"OS/2 header 24-bit", 24, kRgb, 12, false},
                       {"V4 header", 24, kRgb, 108, false},
                       {"V5 header 32-bit", 32, kRgb, 124, false}};
  for (const Good& g : good) {
    BmpSpec s = Depth(g.bits, g.compression);
    s.infoSize = g.infoSize;
    if (g.topDown) s.h = -s.h;
    c.Base("bmp", g.what, Bmp(s), kLoaded, 12, 9);
  }

  // Sizes; the pixels are those of 12 x 9 unless `fill` makes them fit.
  struct Size {
    const char* what;
    int32_t w, h;
    bool fill;
    unsigned outcomes;
  };
  const Size sizes[] = {
      {"width 0", 0, 9, false, kBaseMissing},
      {"height 0", 12, 0, false, kBaseMissing},
      {"width 65535", 65535, 9, false, kBaseMissing},
      {"width -12", -12, 9, false, kBaseMissing},
      {"top-down height -65535", 12, -65535, false, kBaseMissing},
      {"height -2^31", 12, INT32_MIN, false, kBaseMissing},
      {"width 4097, rows whole", 4097, 1, true, kBaseMissing},
      {"width 4096, the widest taken", 4096, 1, true, kLoaded},
      {"1 x 1", 1, 1, true, kLoaded},
  };
  for (const Size& z : sizes) {
    BmpSpec s = Depth(24);
    if (!z.fill) s.pixels = PatternRows(12, 9, 24);
    s.w = z.w;
    s.h = z.h;
    c.Base("bmp", z.what, Bmp(s), z.outcomes, z.outcomes == kLoaded ? z.w : 0, z.outcomes == kLoaded ? z.h : 0);
  }

  // Header fields, palettes and offsets: a change to a good 24-bit (or
  // other) picture and what it must end in.
  struct Change {
    const char* what;
    std::function<void(BmpSpec&)> change;
    unsigned outcomes;
  };
  const Change changes[] = {
      {"0 bits", [](BmpSpec& s) { s.bits = 0; }, kBaseMissing},
      {"64 bits", [](BmpSpec& s) { s.bits = 64; }, kBaseMissing},
      {"JPEG compression", [](BmpSpec& s) { s.compression = 4; }, kBaseMissing},
      {"RLE8 with 4 bits", [](BmpSpec& s) { s = Depth(4, kRle8); }, kBaseMissing},
      {"RLE4 with 8 bits", [](BmpSpec& s) { s = Depth(8, kRle4); }, kBaseMissing},
      {"RLE8 top-down", [](BmpSpec& s) { s = Depth(8, kRle8), s.h = -9; }, kBaseMissing},
      {"bit fields with 24 bits",
       [](BmpSpec& s) { s.compression = kBitfields, s.masks = Masks(0xFF0000, 0xFF00, 0xFF); }, kBaseMissing},
      {"0 planes", [](BmpSpec& s) { s.planes = 0; }, kBaseMissing},
      {"header size 257", [](BmpSpec& s) { s.infoSize = 257; }, kBaseMissing},
      {"header size 0xFFFFFFFF", [](BmpSpec& s) { s.infoSize = 0xFFFFFFFF; }, kBaseMissing},
      {"header size 64", [](BmpSpec& s) { s.infoSize = 64; }, kBaseEither},
      // Palettes too short (indices beyond them), too long, or not there.
      {"8-bit, 2 colours for indices up to 255", [](BmpSpec& s) { s = Depth(8), s.palette = 2, s.clrUsed = 2; },
       kLoaded},
      {"1-bit, 1 colour", [](BmpSpec& s) { s = Depth(1), s.palette = 1, s.clrUsed = 1; }, kLoaded},
      {"8-bit, 257 colours", [](BmpSpec& s) { s = Depth(8), s.palette = 257, s.clrUsed = 257; }, kBaseMissing},
      {"1-bit, 3 colours", [](BmpSpec& s) { s = Depth(1), s.palette = 3, s.clrUsed = 3; }, kBaseMissing},
      {"8-bit, 0xFFFFFFFF colours", [](BmpSpec& s) { s = Depth(8), s.clrUsed = 0xFFFFFFFF; }, kBaseMissing},
      {"8-bit, 256 colours said, 100 stored", [](BmpSpec& s) { s = Depth(8), s.palette = 100, s.clrUsed = 256; },
       kBaseEither},
      {"24-bit with a table of 256", [](BmpSpec& s) { s.palette = 256, s.clrUsed = 256; }, kBaseEither},
      // Where the pixels are said to start, and sizes the header gives.
      {"pixels at 0", [](BmpSpec& s) { s.offBits = 0; }, kBaseMissing},
      {"pixels at 53, in the header", [](BmpSpec& s) { s.offBits = 53; }, kBaseMissing},
      {"pixels at the end of the file", [](BmpSpec& s) { s.offBits = 54 + 36 * 9; }, kBaseMissing},
      {"pixels one byte short", [](BmpSpec& s) { s.offBits = 55; }, kBaseMissing},
      {"pixels inside the palette", [](BmpSpec& s) { s = Depth(8), s.offBits = 54 + 8; }, kBaseEither},
      {"image size 0xFFFFFFFF", [](BmpSpec& s) { s.sizeImage = 0xFFFFFFFF; }, kBaseEither},
      {"RLE8, image size beyond the file", [](BmpSpec& s) { s = Depth(8, kRle8), s.sizeImage = 100000; }, kBaseMissing},
      // Bit fields that make no colours.
      {"bit fields all ones", [](BmpSpec& s) { s = Depth(32, kBitfields), s.masks = Masks(~0u, ~0u, ~0u); },
       kBaseEither},
      {"bit fields not contiguous",
       [](BmpSpec& s) { s = Depth(32, kBitfields), s.masks = Masks(0x0F0F, 0xF0F0, 0x1001); }, kBaseEither},
      {"bit fields beyond 16 bits",
       [](BmpSpec& s) { s = Depth(16, kBitfields), s.masks = Masks(0xFFFF0000, 0xFF000000, 1); }, kBaseEither},
  };
  for (const Change& ch : changes) {
    BmpSpec s = Depth(24);
    ch.change(s);
    c.Base("bmp", ch.what, Bmp(s), ch.outcomes, 12, 9);
  }

  // Cut short: in the header, in the tables, in the pixels, one byte short.
  c.Base("bmp", "empty file", "", kBaseMissing);
  c.Base("bmp", "cut to 'BM'", "BM", kBaseMissing);
  const std::pair<const char*, BmpSpec> sources[] = {{"1-bit", Depth(1)},
                                                     {"8-bit", Depth(8)},
                                                     {"24-bit", Depth(24)},
                                                     {"RLE8", Depth(8, kRle8)},
                                                     {"RLE4", Depth(4, kRle4)}};
  for (const auto& src : sources) {
    const Bytes whole = Bmp(src.second);
    const size_t pixelsAt = static_cast<uint8_t>(whole[10]) | static_cast<uint8_t>(whole[11]) << 8;
    const std::string name = std::string(src.first) + " cut ";
    if (pixelsAt > 54) {
      c.Base("bmp", name + "in the tables", Cut(whole, (54 + pixelsAt) / 2), kBaseMissing);
    } else {
      c.Base("bmp", name + "in the header", Cut(whole, 30), kBaseMissing);
    }
    c.Base("bmp", name + "in the pixels", Cut(whole, (pixelsAt + whole.size()) / 2), kBaseMissing);
    c.Base("bmp", name + "one byte short", Cut(whole, whole.size() - 1), kBaseMissing);
  }

  // Run-length streams that do not fit the picture: the decoder decides,
  // the program must not fall over.
  const Bytes eol("\0\0", 2), eop("\0\1", 2);
  auto rows = [&](int n, const Bytes& row) {
    Bytes s;
    for (int i = 0; i < n; ++i) s += row + eol;
    return s;
  };
  const std::pair<const char*, Bytes> rle8[] = {
      {"a run longer than the row", Bytes("\xC8\x05", 2) + eol + eop},
      {"more rows than the picture", rows(40, Bytes("\x0C\x07", 2)) + eop},
      {"a delta past the top", Bytes("\0\2\0\xFF\x04\x01", 6) + eop},
      {"deltas far beyond, then runs", Bytes("\0\2\xC8\xC8\0\2\xC8\xC8\x04\x01", 10) + eop},
      {"a literal run past the end of the data", Bytes("\0\xFF", 2) + Bytes(10, '\x03')},
      {"a literal run of odd length, unpadded", Bytes("\0\x03\x01\x02\x03\x04\x01", 7) + eop},
      {"no end of picture", rows(9, Bytes("\x0C\x07", 2))},
      {"no end of line anywhere", Bytes(400, '\x06') + eop},
      {"ends after an escape byte", Bytes("\x04\x01\0", 3)},
  };
  for (const auto& r : rle8) {
    BmpSpec s = Depth(8, kRle8);
    s.pixels = r.second;
    c.Base("bmp", std::string("RLE8: ") + r.first, Bmp(s), kBaseEither, 12, 9);
  }
  const std::pair<const char*, Bytes> rle4[] = {
      {"a run longer than the row", Bytes("\xC8\x35", 2) + eol + eop},
      {"a delta past the top", Bytes("\0\2\0\xFF\x04\x11", 6) + eop},
      {"a literal run past the end of the data", Bytes("\0\xFF", 2) + Bytes(10, '\x34')},
      {"no end of line anywhere", Bytes(400, '\x06') + eop},
      {"a delta cut short", Bytes("\x04\x11\0\2\x05", 5)},
  };
  for (const auto& r : rle4) {
    BmpSpec s = Depth(4, kRle4);
    s.pixels = r.second;
    c.Base("bmp", std::string("RLE4: ") + r.first, Bmp(s), kBaseEither, 12, 9);
  }
}

// A change to a good picture's bytes and what it must end in.
struct Patch {
  const char* what;
  std::function<void(Bytes&)> change;
  unsigned outcomes;
};

void AddGifCases(SkinCases& c) {
  const Bytes g = Gif();
  const Patch patches[] = {
      {"GIF89a", [](Bytes&) {}, kLoaded},
      {"GIF87a", [](Bytes& b) { b[4] = '7'; }, kLoaded},
      {"interlaced", [](Bytes& b) { b[34] = 0x40; }, kLoaded},
      {"a local colour table",
       [](Bytes& b) {
         const Bytes table = b.substr(13, 12);
         b[10] = 0;
         b.erase(13, 12);
         b[22] = static_cast<char>(0x81);
         b.insert(23, table);
       },
       kLoaded},
      {"two frames", [](Bytes& b) { b.insert(b.size() - 1, b.substr(25, b.size() - 26)); }, kLoaded},
      {"a transparent colour", [](Bytes& b) { b.insert(25, Bytes("\x21\xF9\x04\x01\0\0\x02\0", 8)); }, kLoaded},
      {"cut in the screen descriptor", [](Bytes& b) { b.resize(10); }, kBaseMissing},
      {"cut in the colour table", [](Bytes& b) { b.resize(19); }, kBaseMissing},
      {"cut in the image descriptor", [](Bytes& b) { b.resize(29); }, kBaseMissing},
      {"cut in the code stream", [](Bytes& b) { b.resize(60); }, kBaseMissing},
      {"cut before the block end", [](Bytes& b) { b.resize(b.size() - 2); }, kBaseMissing},
      {"no trailer", [](Bytes& b) { b.resize(b.size() - 1); }, kBaseEither},
      {"screen width 0", [](Bytes& b) { SetLe16(b, 6, 0); }, kBaseMissing},
      {"screen 65535 x 65535", [](Bytes& b) { SetLe16(b, 6, 65535), SetLe16(b, 8, 65535); }, kBaseMissing},
      {"frame past the screen's right edge", [](Bytes& b) { SetLe16(b, 26, 15); }, kBaseMissing},
      {"frame 65535 high", [](Bytes& b) { SetLe16(b, 32, 65535); }, kBaseMissing},
      {"frame 0 x 0", [](Bytes& b) { SetLe16(b, 30, 0), SetLe16(b, 32, 0); }, kBaseEither},
      {"code size 12", [](Bytes& b) { b[35] = 12; }, kBaseMissing},
      {"code size 0", [](Bytes& b) { b[35] = 0; }, kBaseEither},
      {"junk codes", [](Bytes& b) { b.replace(37, 30, Junk(30, 7)); }, kBaseEither},
      {"the end code at once", [](Bytes& b) { b[37] = 0x2C; }, kBaseEither},
      {"a table of 256 said, 4 stored", [](Bytes& b) { b[10] = static_cast<char>(0x87); }, kBaseMissing},
      {"no image, only the trailer", [](Bytes& b) { b = b.substr(0, 25) + ";"; }, kBaseMissing},
      {"an extension running past the end",
       [](Bytes& b) {
         b.insert(25, Bytes("\x21\xFE\xFF"
                            "abc",
                            6));
       },
       kBaseMissing},
      {"a sub-block longer than the rest", [](Bytes& b) { b[36] = static_cast<char>(0xFF); }, kBaseMissing},
  };
  for (const Patch& p : patches) {
    Bytes b = g;
    p.change(b);
    // What a decoder makes of a frame of no pixels is its own matter.
    const bool sized = p.what != std::string("frame 0 x 0");
    c.Base("gif", p.what, b, p.outcomes, sized ? 20 : 0, sized ? 10 : 0);
  }
}

void AddPngCases(SkinCases& c) {
  const Bytes plte = PngChunk("PLTE", Bytes("\xFF\0\0\0\xFF\0\0\0\xFF\x80\x80\x80", 12));
  struct Kind {
    const char* what;
    uint32_t w, h;
    uint8_t depth, type;
    int rowBytes;
    unsigned outcomes;
  };
  const Kind kinds[] = {
      {"grey 1", 16, 12, 1, 0, 2, kLoaded},
      {"grey 16", 16, 12, 16, 0, 32, kLoaded},
      {"RGBA 8", 16, 12, 8, 6, 64, kLoaded},
      {"RGB 16", 16, 12, 16, 2, 96, kLoaded},
      {"width 0", 0, 12, 8, 2, 48, kBaseMissing},
      {"65535 x 65535", 65535, 65535, 8, 2, 48, kBaseMissing},
      {"width 4097", 4097, 1, 8, 2, 48, kBaseMissing},
      {"4096 x 4096 from a few bytes", 4096, 4096, 8, 2, 48, kBaseMissing},
      {"RGB depth 4", 16, 12, 4, 2, 48, kBaseMissing},
      {"palette depth 16", 16, 12, 16, 3, 48, kBaseMissing},
      {"colour type 7", 16, 12, 8, 7, 48, kBaseMissing},
  };
  for (const Kind& k : kinds) c.Base("png", k.what, Png(k.w, k.h, k.depth, k.type, k.rowBytes), k.outcomes, 16, 12);
  c.Base("png", "palette, indices beyond it", Png(16, 12, 8, 3, 16, plte), kBaseEither, 16, 12);
  c.Base("png", "palette without PLTE", Png(16, 12, 2, 3, 4), kBaseEither, 16, 12);
  c.Base("png", "Adam7, 1 x 1", Png(1, 1, 8, 2, 3, {}, 1), kLoaded, 1, 1);
  c.Base("png", "Adam7 flag on plain rows", Png(16, 12, 8, 2, 48, {}, 1), kBaseEither, 16, 12);
  const Patch patches[] = {
      {"RGB 8", [](Bytes&) {}, kLoaded},
      {"compression method 1", [](Bytes& b) { b[26] = 1, FixIhdrCrc(b); }, kBaseMissing},
      {"interlace method 2", [](Bytes& b) { b[28] = 2, FixIhdrCrc(b); }, kBaseMissing},
      {"cut in the signature", [](Bytes& b) { b.resize(4); }, kBaseMissing},
      {"cut in IHDR", [](Bytes& b) { b.resize(20); }, kBaseMissing},
      {"cut after IHDR", [](Bytes& b) { b.resize(33); }, kBaseMissing},
      {"cut in IDAT", [](Bytes& b) { b.resize(73); }, kBaseMissing},
      {"cut before IEND", [](Bytes& b) { b.resize(b.size() - 12); }, kBaseMissing},
      {"one byte short", [](Bytes& b) { b.resize(b.size() - 1); }, kBaseMissing},
      {"IHDR CRC wrong", [](Bytes& b) { b[29] ^= 0x55; }, kBaseEither},
      {"IDAT CRC wrong", [](Bytes& b) { b[b.size() - 13] ^= 0x55; }, kBaseEither},
      {"zlib header wrong", [](Bytes& b) { b[41] = 0, b[42] = 0; }, kBaseEither},
      {"a filter type 9", [](Bytes& b) { b[48] = 9; }, kBaseEither},
      {"half the rows", [](Bytes& b) { SetBe32(b, 20, 24), FixIhdrCrc(b); }, kBaseEither},
      {"no IDAT", [](Bytes& b) { b.erase(33, b.size() - 12 - 33); }, kBaseMissing},
      {"no IHDR first", [](Bytes& b) { b.erase(8, 25); }, kBaseMissing},
      {"IDAT length 0xFFFFFFFF", [](Bytes& b) { SetBe32(b, 33, 0xFFFFFFFF); }, kBaseMissing},
      {"an unknown critical chunk", [](Bytes& b) { b.insert(33, PngChunk("ABCD", "junk")); }, kBaseEither},
  };
  for (const Patch& p : patches) {
    Bytes b = Rgb8Png();
    p.change(b);
    c.Base("png", p.what, b, p.outcomes, 16, p.what == std::string("half the rows") ? 24 : 12);
  }
}

void AddJpegCases(SkinCases& c) {
  // The frame header's fields, from its marker: length 2, precision 4,
  // height 5, width 7, components 9, the first one's sampling 11.
  const size_t sof = Marker(Jpeg(), 0xC0), dht = Marker(Jpeg(), 0xC4), sos = Marker(Jpeg(), 0xDA);
  auto sof8 = [sof](size_t at, uint8_t v) { return [=](Bytes& b) { b[sof + at] = static_cast<char>(v); }; };
  auto sized = [sof](uint32_t w, uint32_t h) {
    return [=](Bytes& b) { SetBe16(b, sof + 5, h), SetBe16(b, sof + 7, w); };
  };
  auto without = [](uint8_t code) {
    return [=](Bytes& b) {
      for (size_t at; (at = Marker(b, code)) != Bytes::npos;)
        b.erase(at, 2 + (static_cast<uint8_t>(b[at + 2]) << 8 | static_cast<uint8_t>(b[at + 3])));
    };
  };
  const Patch patches[] = {
      {"baseline 8 x 8", [](Bytes&) {}, kLoaded},
      {"cut to the start marker", [](Bytes& b) { b.resize(2); }, kBaseMissing},
      {"cut in the frame header", [=](Bytes& b) { b.resize(sof + 6); }, kBaseMissing},
      {"cut in a Huffman table", [=](Bytes& b) { b.resize(dht + 8); }, kBaseMissing},
      {"cut in the scan header", [=](Bytes& b) { b.resize(sos + 5); }, kBaseMissing},
      {"without the end marker", [](Bytes& b) { b.resize(b.size() - 2); }, kBaseMissing},
      {"width 0", sized(0, 8), kBaseMissing},
      {"65535 x 65535", sized(65535, 65535), kBaseMissing},
      {"4097 wide", sized(4097, 8), kBaseMissing},
      {"4096 x 4096 from a few bytes", sized(4096, 4096), kBaseMissing},
      {"0 components", sof8(9, 0), kBaseMissing},
      {"precision 16", sof8(4, 16), kBaseMissing},
      {"sampling 5 x 5", sof8(11, 0x55), kBaseMissing},
      {"frame length wrong", sof8(3, 0x12), kBaseMissing},
      {"no frame header", without(0xC0), kBaseMissing},
      {"APP0 longer than the file", [](Bytes& b) { SetBe16(b, 4, 0xFFFF); }, kBaseMissing},
      {"end marker first", [](Bytes& b) { b = Bytes("\xFF\xD8\xFF\xD9", 4); }, kBaseMissing},
      {"a second start marker", [](Bytes& b) { b.insert(2, Bytes("\xFF\xD8", 2)); }, kBaseMissing},
      {"precision 12", sof8(4, 12), kBaseEither},
      {"sampling 2 x 2", sof8(11, 0x22), kBaseEither},
      {"progressive marker on baseline data", sof8(1, 0xC2), kBaseEither},
      {"arithmetic marker on Huffman data", sof8(1, 0xC9), kBaseEither},
      {"no Huffman tables", without(0xC4), kBaseEither},
      {"no quantisation tables", without(0xDB), kBaseEither},
      {"a scan of 5 components", [=](Bytes& b) { b[sos + 4] = 5; }, kBaseEither},
      {"junk scan data", [](Bytes& b) { b.replace(b.size() - 8, 6, Junk(6, 11)); }, kBaseEither},
  };
  for (const Patch& p : patches) {
    Bytes b = Jpeg();
    p.change(b);
    c.Base("jpg", p.what, b, p.outcomes, 8, 8);
  }
  c.Base(
      "jpg", "600 x 600 from the data of 8 x 8",
      [&] {
        Bytes b = Jpeg();
        sized(600, 600)(b);
        return b;
      }(),
      kBaseEither, 600, 600);
}

// Skin files themselves, and lens pictures.
void AddVskCases(SkinCases& c) {
  const std::string good = VskOf("Good", "base.bmp", "lens.bmp");
  const std::string keys = good.substr(good.find('\n') + 1);  // without the section header
  auto utf16 = [](const std::string& text, bool bom, bool bigEndian = false) {
    Bytes s = !bom ? "" : bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char ch : text) s += bigEndian ? Bytes{'\0', ch} : Bytes{ch, '\0'};
    return s;
  };
  auto without = [](std::string s, char drop) {
    s.erase(std::remove(s.begin(), s.end(), drop), s.end());
    return s;
  };
  const std::string big(100 * 1024, 'x');
  const std::pair<const char*, std::pair<Bytes, unsigned>> files[] = {
      {"UTF-8 with a byte-order mark", {"\xEF\xBB\xBF" + good, kLoaded}},
      {"UTF-16 LE with a byte-order mark", {utf16(good, true), kLoaded}},
      {"UTF-16 LE, no section", {utf16(keys, true), kBaseNotSet}},
      {"UTF-16 LE without a byte-order mark", {utf16(good, false), kLoaded | kBaseNotSet}},
      {"UTF-16 BE with a byte-order mark", {utf16(good, true, true), kLoaded | kBaseNotSet}},
      {"CR line ends", {without(good, '\n'), kLoaded | kBaseNotSet}},
      {"a 100 KB line of junk first", {big + "\r\n" + good, kLoaded}},
      {"a 100 KB name", {"[OcuralSkin]\r\nname=" + big + "\r\n" + keys, kLoaded}},
      {"a 100 KB base", {"[OcuralSkin]\r\nbase=" + big + "\r\nlens=lens.bmp\r\n", kBaseMissing}},
      {"a base of 300 characters",
       {"[OcuralSkin]\r\nbase=" + std::string(296, 'b') + ".bmp\r\nlens=lens.bmp\r\n", kBaseMissing}},
      {"a 100 KB lens", {"[OcuralSkin]\r\nbase=base.bmp\r\nlens=" + big + "\r\n", kLensMissing}},
      {"a 100 KB section name", {"[" + big + "]\r\n" + keys, kBaseNotSet}},
      {"no section", {keys, kBaseNotSet}},
      {"the section in other letter case", {"[ocuralskin]\r\n" + keys, kLoaded}},
      {"the section header not closed", {"[OcuralSkin\r\n" + keys, kLoaded | kBaseNotSet}},
      {"a missing base, then the good one",
       {"[OcuralSkin]\r\nbase=nothere.bmp\r\nbase=base.bmp\r\nlens=lens.bmp\r\n", kBaseMissing}},
      {"the good base, then a missing one",
       {"[OcuralSkin]\r\nbase=base.bmp\r\nbase=nothere.bmp\r\nlens=lens.bmp\r\n", kLoaded}},
      {"the section twice, keys in the second", {"[OcuralSkin]\r\nname=first\r\n" + good, kLoaded | kBaseNotSet}},
      {"binary junk", {Junk(4096, 3), kBaseNotSet}},
      {"binary junk, then the skin", {Junk(4096, 5) + "\r\n" + good, kLoaded | kBaseNotSet}},
      {"the skin, then binary junk", {good + Junk(4096, 9), kLoaded}},
      {"NUL bytes inside the values",
       {Lit("[OcuralSkin]\r\nname=a\0b\r\nbase=base.bmp\r\nlens=lens.bmp\r\nlensoffsetx=1\0"
            "9\r\n"),
        kLoaded | kBaseMissing | kLensMissing}},
      {"empty file", {"", kBaseNotSet}},
      {"a base of blanks", {"[OcuralSkin]\r\nbase=   \r\nlens=lens.bmp\r\n", kBaseNotSet}},
      {"a quoted base", {"[OcuralSkin]\r\nbase=\"base.bmp\"\r\nlens=lens.bmp\r\n", kLoaded}},
      {"no lens key", {"[OcuralSkin]\r\nbase=base.bmp\r\n", kLensNotSet}},
      {"a name ending in half a double-byte character", {VskOf("name\x82", "base.bmp", "lens.bmp"), kLoaded}},
  };
  for (const auto& f : files) c.Vsk(f.first, f.second.first, f.second.second);
  // Names that are no picture files: folders and paths that lead nowhere
  // are not found; another file there cannot be read; devices either.
  for (const char* base : {"folder", "\\", "C:\\windows\\win.ini", "*.bmp"}) {
    c.Vsk(std::string("base ") + base, VskOf("odd base", base, "lens.bmp"), kBaseMissing);
  }
  c.Vsk("base s000.vsk", VskOf("odd base", "s000.vsk", "lens.bmp"), kBaseUnreadable);
  for (const char* base : {"NUL", "CON", "COM1"}) {
    c.Vsk(std::string("base ") + base, VskOf("odd base", base, "lens.bmp"), kBaseMissing | kBaseUnreadable);
  }
  c.Vsk("lens folder", VskOf("odd lens", "base.bmp", "folder"), kLensMissing);
  c.Vsk("lens NUL", VskOf("odd lens", "base.bmp", "NUL"), kLensMissing | kLensUnreadable);
  // Numbers far outside what a window can take: the skin still loads.
  for (const char* number : {"1e300", "-2147483649", "99999999999999999999", "0x10", "\x82\x50\x82\x51"}) {
    c.Vsk(std::string("numbers ") + number,
          SkinText({{"name", number},
                    {"base", "base.bmp"},
                    {"lens", "lens.bmp"},
                    {"lensoffsetx", number},
                    {"lensoffsety", number},
                    {"inbuttonvisible", number},
                    {"inrectx1", number},
                    {"inrecty2", number},
                    {"outbuttonvisible", "1"},
                    {"outrectx1", "-2147483648"},
                    {"outrectx2", "2147483647"},
                    {"outrecty1", number}}),
          kLoaded);
  }

  // Lens pictures: good ones of odd shapes, broken ones.
  BmpSpec wide = Depth(24);
  wide.w = 4096, wide.h = 1;
  BmpSpec runaway = Depth(8, kRle8);
  runaway.pixels = Bytes("\0\2\xFF\xFF\xC8\x05", 6);
  const std::pair<const char*, std::pair<Bytes, unsigned>> lenses[] = {
      {"a PNG lens", {Rgb8Png(), kLoaded}},
      {"a JPEG lens", {Jpeg(), kLoaded}},
      {"a lens 4096 wide and 1 high, made square", {Bmp(wide), kLoaded}},
      {"an all-white lens", {Bmp24(Picture(20, 20, RGB(255, 255, 255))), kLoaded}},
      {"a cut-off lens", {Cut(Bmp(Depth(8)), 300), kLensMissing}},
      {"an RLE lens running off the picture", {Bmp(runaway), kLensEither}},
      {"a cut-off GIF lens", {Cut(Gif(), 30), kLensMissing}},
      {"an empty lens file", {"", kLensMissing}},
  };
  for (const auto& l : lenses) c.Lens(l.first, l.second.first, l.second.second);
}

std::vector<SkinCase> AllSkinCases() {
  SkinCases c;
  AddBmpCases(c);
  AddGifCases(c);
  AddPngCases(c);
  AddJpegCases(c);
  AddVskCases(c);
  return c.all;
}

// ---------------------------------------------------------------- the program

bool OfProcess(HWND w, DWORD pid) {
  DWORD owner = 0;
  GetWindowThreadProcessId(w, &owner);
  return owner == pid;
}

// A visible top-level window of the process of this class (and caption).
HWND Find(const OcuralApp& app, const wchar_t* cls, const wchar_t* caption = nullptr) {
  for (HWND w = FindWindowExW(nullptr, nullptr, cls, caption); w; w = FindWindowExW(nullptr, w, cls, caption)) {
    if (IsWindowVisible(w) && OfProcess(w, app.ProcessId())) return w;
  }
  return nullptr;
}

std::wstring BoxText(HWND box) {
  wchar_t text[1024] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 1024);
  return text;
}

// The program takes a message sent to it within five seconds.
bool Answers(HWND w) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) != 0;
}

bool HasOutline(HWND w) {
  HRGN r = CreateRectRgn(0, 0, 0, 0);
  const int type = GetWindowRgn(w, r);
  DeleteObject(r);
  return type != ERROR;
}

// What the harness did for one case, with the time of each step, for the
// message of a wait that runs out.
class Trail {
 public:
  void Restart() {
    start_ = Now();
    text_.clear();
  }
  // Also to the debugger: with WINEDEBUG=+debugstr the steps stand in Wine's
  // log between the program's own.
  void Note(const std::string& what) {
    text_ += "\n    +" + std::to_string(Now() - start_) + " ms " + what;
    OutputDebugStringA(("sweep: " + what + "\n").c_str());
  }
  const std::string& Text() const { return text_; }

 private:
  DWORD start_ = Now();
  std::string text_;
};

// Dismisses the program's message boxes as they come, keeping their texts,
// until `done` holds. Empty when it holds; otherwise what went wrong, with
// what the harness did meanwhile and what the program looked like.
std::string Await(OcuralApp& app, const char* what, const std::function<bool()>& done,
                  std::vector<std::wstring>* boxes, Trail* trail = nullptr, DWORD timeoutMs = 15000) {
  Trail own;
  if (!trail) trail = &own;
  trail->Note(std::string("waiting for ") + what);
  const DWORD start = Now();
  while (Now() - start < timeoutMs) {
    if (done()) return "";
    if (HWND box = Find(app, L"#32770")) {
      boxes->push_back(BoxText(box));
      trail->Note("message box \"" + Narrow(boxes->back()) + "\", OK posted");
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      for (const DWORD asked = Now(); IsWindow(box) && IsWindowVisible(box); Sleep(1)) {
        if (Now() - asked > 5000) return "a message box stays";
      }
      trail->Note("the box is gone");
      continue;
    }
    if (!app.Running()) {
      return done() ? "" : "the program ended (exit code " + std::to_string(app.WaitExit(0)) + ")";
    }
    Sleep(1);
  }
  HWND main = app.MainWindow();
  if (main && !Answers(main)) return "the program hangs";
  return std::string("timed out waiting for ") + what + "\n  harness:" + trail->Text() + "\n  " +
         DescribeProgram(app);
}

// The program is at rest: its main window shown and enabled, no message box
// or menu of it up, before and after it has taken a message sent to it (it
// may take it from inside a message box that comes up meanwhile).
bool AtRest(const OcuralApp& app) {
  auto quiet = [&app] {
    HWND main = app.MainWindow();
    if (!main || !IsWindowVisible(main) || !IsWindowEnabled(main)) return false;
    if (Find(app, L"#32770") || Find(app, L"#32768")) return false;
    GUITHREADINFO gui{};
    gui.cbSize = sizeof(gui);
    return !GetGUIThreadInfo(app.ThreadId(), &gui) || (!gui.hwndMenuOwner && !(gui.flags & GUI_INMENUMODE));
  };
  return quiet() && Answers(app.MainWindow()) && quiet();
}

std::wstring ListText(HWND list, LRESULT index) {
  wchar_t text[MAX_PATH] = {};
  DWORD_PTR n = 0;
  if (index < 0 || !SendMessageTimeoutW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0, SMTO_NORMAL, 5000, &n) ||
      n >= MAX_PATH) {
    return L"";
  }
  SendMessageTimeoutW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000,
                      &n);
  return text;
}

// What went wrong with a case, judged when the skin chooser has been opened
// again after it (so the load has run to its end); "" when nothing did. The
// chooser comes up with the skin loaded now selected, and with none when the
// load failed.
std::string Judge(const OcuralApp& app, const SkinCase& c, const std::vector<std::wstring>& boxes, HWND list) {
  HWND main = app.MainWindow();
  if (!main) return "the main window is gone";
  if (!Answers(main)) return "the main window does not answer";
  if (boxes.size() > 1) return std::to_string(boxes.size()) + " messages";
  DWORD_PTR selected = static_cast<DWORD_PTR>(LB_ERR);
  SendMessageTimeoutW(list, LB_GETCURSEL, 0, 0, SMTO_NORMAL, 5000, &selected);
  const std::wstring current = ListText(list, static_cast<LRESULT>(selected));
  if (boxes.empty()) {
    if (!(c.outcomes & kLoaded)) return "loaded, but a message was due";
    if (current != c.file) return "no message, but the skin loaded now is \"" + Narrow(current) + "\"";
    RECT r{};
    GetClientRect(main, &r);
    if (c.w > 0 && (r.right != c.w || r.bottom != c.h)) {
      return "loaded at " + std::to_string(r.right) + "x" + std::to_string(r.bottom) + ", not " + std::to_string(c.w) +
             "x" + std::to_string(c.h);
    }
    return "";
  }
  std::wstring named;
  const std::optional<Outcome> said = MessageOutcome(boxes[0], &named);
  if (!said) return "an unknown message: " + Narrow(boxes[0]);
  if (!(c.outcomes & *said)) return "an unexpected message: " + Narrow(boxes[0]);
  if (*said == kBaseUnreadable || *said == kLensUnreadable) {
    // The file the skin names, in the program's folder.
    const std::wstring want = c.files.empty() ? L"" : app.PathOf(c.files[0].first);
    if (named.rfind(app.Folder() + L"\\", 0) != 0 || (!want.empty() && named != want)) {
      return "the message names " + Narrow(named);
    }
  }
  if (!current.empty()) return "a skin loaded after its message: " + Narrow(current);
  if (HasOutline(main)) return "an outline after a failed load";
  return "";
}

std::string SettingsProblem(const Bytes& file, int magnification, const std::string& lastSkin);

class MalformedSweep : public ::testing::Test {
 protected:
  void TearDown() override {
    if (HasFailure()) {
      const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
      SaveFailureShot(std::string(info->test_suite_name()) + "." + info->name());
    }
  }
};

TEST_F(MalformedSweep, EveryBrokenSkinEndsLoadedOrInItsOwnMessageAndTheProgramGoesOn) {
  const std::vector<SkinCase> cases = AllSkinCases();
  ASSERT_GE(cases.size(), 200u);
  PatternWindow pattern;  // a busy screen behind: no snapshot waits on a place that looks like the window
  const DWORD sweepStart = Now();

  std::unique_ptr<OcuralApp> app;
  HWND ctrl = nullptr;
  Trail trail;
  std::vector<std::string> failures;
  // The folder with every case in it; the program opens with the start-up
  // case, a skin with a cut-off body, which leaves the designed look.
  auto launch = [&](bool withStartupCase) -> std::string {
    trail.Restart();
    app = std::make_unique<OcuralApp>();
    app->WriteFile(L"base.bmp", GoodBase());
    app->WriteFile(L"lens.bmp", GoodLens());
    CreateDirectoryW(app->PathOf(L"folder").c_str(), nullptr);
    for (const SkinCase& c : cases) {
      app->WriteFile(c.file, c.vsk);
      for (const auto& f : c.files) app->WriteFile(f.first, f.second);
    }
    app->WriteFile(L"startup.vsk", VskOf("Start", "startup.png", "lens.bmp"));
    app->WriteFile(L"startup.png", Cut(Rgb8Png(), 50));
    app->WriteFile(L"Ocural.ini",
                   std::string("[OcuralSetting]\r\nAlwaysTop=0\r\nShowTrayIcon=0\r\nLastX=3000\r\nLastY=3000\r\nLastSkin=") +
                       (withStartupCase ? "startup.vsk" : "") + "\r\n");
    if (!app->Start()) return "cannot start";
    std::vector<std::wstring> boxes;
    const std::string waited = Await(
        *app, "the main window", [&] { return app->MainWindow() != nullptr; }, &boxes);
    if (!waited.empty()) return waited;
    if (withStartupCase) {
      if (boxes != std::vector<std::wstring>{kBaseUnreadableText + app->PathOf(L"startup.png")}) {
        return "no single message at start";
      }
      RECT r{};
      GetClientRect(app->MainWindow(), &r);
      if (r.right != 201 || r.bottom != 225 || HasOutline(app->MainWindow())) return "not the designed look at start";
    }
    ctrl = app->ControllerWindow();
    return ctrl ? "" : "no controller window";
  };
  // An item of the popup menu, picked by its access key; waits until `done`
  // holds. The menu opens as the notification-area icon opens it: the icon's
  // callback with a right button release, sent once the case before has come
  // to its end (its chooser gone, its message boxes answered, the program at
  // rest), as a person clicks. The menu may still close by itself as soon as
  // it has opened, before the key reaches it or before it is even seen: under
  // Wine a program takes in the X server's news of its windows (focus, map,
  // unmap) only when it waits for input with nothing posted to it, and one
  // kept busy by quick requests takes the focus loss of its window hidden
  // for the load inside the menu, where Wine answers it with WM_CANCELMODE.
  // So while no menu comes and the program is at rest, the icon is clicked
  // again, as a person would; a callback that comes while the menu, the
  // chooser or a message box is up changes nothing.
  constexpr DWORD kClickAgainMs = 300;
  constexpr int kClicksAgain = 4;
  int menusAgain = 0;
  auto chooserLeft = [&] {
    for (HWND w : app->Windows()) {
      if (ClassOf(w) == L"OcuralForm" && TextOf(w) == L"スキンの変更") return true;
    }
    return false;
  };
  auto pickFromMenu = [&](wchar_t key, const char* what, const std::function<bool()>& done,
                          std::vector<std::wstring>* boxes) -> std::string {
    HWND keyed = nullptr;  // the menu the key went to
    bool keySent = false;  // what the item opens counts only after that: the chooser of the case before may be up
    int clicks = 0;
    DWORD clicked = 0;
    return Await(
        *app, what,
        [&] {
          if (keySent && done()) return true;
          if (HWND menu = Find(*app, L"#32768")) {
            if (menu != keyed) {
              keyed = menu;
              keySent = true;
              trail.Note(std::string("'") + static_cast<char>(key) + "' posted to the menu");
              PostMessageW(menu, WM_CHAR, key, 0);
            }
            return false;
          }
          keyed = nullptr;
          const bool due = clicks == 0 ? !chooserLeft()
                                       : clicks <= kClicksAgain && Now() - clicked >= kClickAgainMs;
          if (due && AtRest(*app)) {
            if (clicks > 0) ++menusAgain;
            trail.Note(clicks == 0 ? "the program at rest: icon callback posted"
                                   : "no menu, the program at rest: the icon clicked again");
            PostMessageW(ctrl, WM_MOUSEMOVE, 0, WM_RBUTTONUP);
            ++clicks;
            clicked = Now();
          }
          return false;
        },
        boxes, &trail);
  };
  // The chooser, from the menu's skin item; gives its list.
  auto openChooser = [&](std::vector<std::wstring>* boxes, HWND* chooser) -> std::string {
    const std::string error = pickFromMenu(
        'k', "the chooser", [&] { return (*chooser = Find(*app, L"OcuralForm", L"スキンの変更")) != nullptr; }, boxes);
    return error.empty() && !FindWindowExW(*chooser, nullptr, L"ListBox", nullptr) ? "no list" : error;
  };

  std::string launched = launch(true);
  ASSERT_EQ(launched, "") << "the start-up case";
  std::map<std::string, int> perKind;
  std::vector<std::wstring> boxes;
  for (size_t i = 0; i <= cases.size(); ++i) {
    // The menu comes up only once the case before has run to its end.
    boxes.clear();
    HWND chooser = nullptr;
    std::string error = openChooser(&boxes, &chooser);
    HWND list = chooser ? FindWindowExW(chooser, nullptr, L"ListBox", nullptr) : nullptr;
    if (i > 0) {
      const SkinCase& last = cases[i - 1];
      ++perKind[last.kind];
      if (error.empty()) error = Judge(*app, last, boxes, list);
      if (!error.empty()) {
        failures.push_back(Narrow(last.file) + " [" + last.kind + "] " + last.what + ": " + error);
        if (failures.size() >= 10) break;
        if (!list) {
          // Gone or stuck: on with the next case in a new program.
          launched = launch(false);
          if (launched.empty()) launched = openChooser(&boxes, &chooser);
          if (!launched.empty()) break;
          list = FindWindowExW(chooser, nullptr, L"ListBox", nullptr);
        }
      }
    } else if (!error.empty()) {
      FAIL() << "no chooser: " << error;
    }
    if (i == cases.size()) {
      // Cancelled, then the exit item.
      PostMessageW(chooser, WM_COMMAND, IDCANCEL, 0);
      const std::string ended = pickFromMenu('x', "the program's end", [&] { return !app->Running(); }, &boxes);
      if (!ended.empty()) failures.push_back("the exit item: " + ended);
      break;
    }
    DWORD_PTR index = static_cast<DWORD_PTR>(LB_ERR);
    SendMessageTimeoutW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                        reinterpret_cast<LPARAM>(cases[i].file.c_str()), SMTO_NORMAL, 5000, &index);
    if (ListText(list, static_cast<LRESULT>(index)) != cases[i].file) {
      failures.push_back(Narrow(cases[i].file) + ": not in the chooser");
      break;
    }
    // A click on the entry (its preview loads the body picture too), then a
    // double click, which confirms the choice.
    trail.Restart();
    SendMessageTimeoutW(list, LB_SETCURSEL, index, 0, SMTO_NORMAL, 5000, nullptr);
    const WPARAM id = static_cast<WPARAM>(GetDlgCtrlID(list));
    PostMessageW(chooser, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    PostMessageW(chooser, WM_COMMAND, MAKEWPARAM(id, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
    trail.Note("entry selected, click and double click posted to the chooser");
  }
  const long exitCode = app->WaitExit(10000);
  const DWORD sweepMs = Now() - sweepStart;

  std::string joined;
  for (const std::string& f : failures) joined += "\n  " + f;
  EXPECT_TRUE(failures.empty()) << failures.size() << " broken skins went wrong:" << joined;
  EXPECT_EQ(exitCode, 0);
  // The last case fails to load, so no skin is saved.
  EXPECT_EQ(SettingsProblem(app->ReadFile(L"Ocural.ini"), 2, ""), "");
  std::string counts;
  for (const auto& k : perKind) counts += " " + k.first + "=" + std::to_string(k.second);
  printf("[ sweep    ] %u skin cases in %lu ms:%s; the icon clicked again %d times\n",
         static_cast<unsigned>(cases.size()), static_cast<unsigned long>(sweepMs), counts.c_str(), menusAgain);
  RecordProperty("cases", static_cast<int>(cases.size()));
  RecordProperty("menus_again", menusAgain);
  RecordProperty("ms", static_cast<int>(sweepMs));
}

// ---------------------------------------------------------------- settings files

std::string Lower(std::string s) {
  for (char& ch : s) ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
  return s;
}
std::string Trim(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

// The settings as the profile functions read them back: the first
// [OcuralSetting] section, the first value of each key, blanks trimmed; keys
// in lower case. UTF-16 LE and UTF-8 files with their byte-order marks are
// taken as text.
std::map<std::string, std::string> SettingsSection(const Bytes& file) {
  std::string text = file;
  if (file.compare(0, 2, "\xFF\xFE") == 0) {
    const std::wstring wide(reinterpret_cast<const wchar_t*>(file.data() + 2), (file.size() - 2) / 2);
    text.assign(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                                        0, nullptr, nullptr)),
                '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &text[0], static_cast<int>(text.size()),
                        nullptr, nullptr);
  } else if (file.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    text = file.substr(3);
  }
  std::map<std::string, std::string> keys;
  bool inside = false, seen = false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    const std::string line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (!line.empty() && line[0] == '[') {
      if (seen) break;
      inside = Lower(line) == "[ocuralsetting]";
      seen = inside;
    } else if (inside && line.find('=') != std::string::npos) {
      keys.emplace(Lower(Trim(line.substr(0, line.find('=')))), Trim(line.substr(line.find('=') + 1)));
    }
  }
  return keys;
}

bool WholeNumberText(const std::string& v, long long low, long long high) {
  size_t digits = v.size() > 0 && v[0] == '-' ? 1 : 0;
  const size_t point = v.find('.');
  const std::string whole = v.substr(0, point);
  if (whole.size() <= digits || whole.size() > digits + 10) return false;
  for (size_t i = digits; i < v.size(); ++i) {
    if (!isdigit(static_cast<unsigned char>(v[i])) && i != point) return false;
  }
  const long long n = std::stoll(whole);
  return n >= low && n <= high;
}

// What is wrong with a settings file the program wrote, "" when it is sane:
// the nine keys there with values the program itself would write, the
// factor and skin as they were in the run.
std::string SettingsProblem(const Bytes& file, int magnification, const std::string& lastSkin) {
  const std::map<std::string, std::string> keys = SettingsSection(file);
  std::string problem;
  auto need = [&](const char* key, const std::function<bool(const std::string&)>& ok) {
    const auto it = keys.find(Lower(key));
    if (it == keys.end()) {
      problem += std::string(" no ") + key + ";";
    } else if (!ok(it->second)) {
      problem += std::string(" ") + key + "=" + it->second.substr(0, 40) + ";";
    }
  };
  auto flag = [](const std::string& v) { return v == "0" || v == "1"; };
  need("AlwaysTop", flag);
  need("ColorPicker", flag);
  need("NoLoadSkin", flag);
  need("ShowTrayIcon", flag);
  need("ColorPickMode", [](const std::string& v) { return v.size() == 1 && v[0] >= '0' && v[0] <= '3'; });
  need("LastSkin", [&](const std::string& v) { return v == lastSkin; });
  need("LastX", [](const std::string& v) { return WholeNumberText(v, INT32_MIN, INT32_MAX); });
  need("LastY", [](const std::string& v) { return WholeNumberText(v, INT32_MIN, INT32_MAX); });
  need("LastMagnification", [&](const std::string& v) {
    return magnification > 0 ? v == std::to_string(magnification) : WholeNumberText(v, 1, 32767);
  });
  return problem;
}

enum class Form { kFile, kFolder, kReadOnly, kLocked, kSkinLocked };
enum class After { kSane, kUnchanged, kUnchangedOrSane };

struct SettingsCase {
  const char* what;
  Bytes content;
  Form form;
  After after;
  int magnification;       // what the sane file holds; 0: any the program takes
  bool baseNotSetAtStart;  // the last skin gives the "base not set" message
};

Bytes Utf16(const std::string& ascii) {
  Bytes s("\xFF\xFE", 2);
  for (char ch : ascii) s += Bytes{ch, '\0'};
  return s;
}

std::vector<SettingsCase> AllSettingsCases() {
  const std::string sec = "[OcuralSetting]\r\n";
  auto with = [&](const std::string& keys) { return sec + keys; };
  return {
      {"empty file", "", Form::kFile, After::kSane, 2, false},
      {"binary junk", Junk(4096, 21), Form::kFile, After::kSane, 2, false},
      {"binary junk after the section", with("LastMagnification=4\r\n") + Junk(4096, 23), Form::kFile, After::kSane, 0,
       false},
      {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF" + with("LastMagnification=5\r\n"), Form::kFile, After::kSane, 5,
       false},
      {"UTF-16 LE with a byte-order mark", Utf16(with("LastMagnification=6\r\n")), Form::kFile, After::kSane, 6, false},
      {"huge numbers", with("LastX=1e300\r\nLastY=-99999999999\r\nLastMagnification=99999\r\nColorPickMode=70000\r\n"),
       Form::kFile, After::kSane, 2, false},
      {"numbers that are none", with("LastX=nan\r\nLastY=inf\r\nLastMagnification=0x10\r\nColorPickMode=1e400\r\n"),
       Form::kFile, After::kSane, 2, false},
      {"window far off the screen", with("LastX=2000000000\r\nLastY=2000000000\r\n"), Form::kFile, After::kSane, 2,
       false},
      {"a 100 KB line of junk first", std::string(100 * 1024, 'j') + "\r\n" + with("LastMagnification=3\r\n"),
       Form::kFile, After::kSane, 3, false},
      {"a 100 KB LastSkin", with("LastSkin=" + std::string(100 * 1024, 'a') + "\r\n"), Form::kFile, After::kSane, 2,
       true},
      {"duplicate keys and sections",
       with("LastMagnification=3\r\nLastMagnification=4\r\n") + sec + "LastMagnification=5\r\n", Form::kFile,
       After::kSane, 3, false},
      {"LF line ends", "[OcuralSetting]\nLastMagnification=7\n", Form::kFile, After::kSane, 7, false},
      {"CR line ends", "[OcuralSetting]\rLastMagnification=7\r", Form::kFile, After::kSane, 0, false},
      {"NUL bytes in the section",
       with(Lit("LastMagnification=3\0\r\nColorPickMode=\0"
                "2\r\n")),
       Form::kFile, After::kSane, 0, false},
      {"a folder", "", Form::kFolder, After::kUnchanged, 0, false},
      {"read-only", with("LastMagnification=3\r\n"), Form::kReadOnly, After::kUnchangedOrSane, 3, false},
      {"locked by another program", with("LastMagnification=3\r\n"), Form::kLocked, After::kUnchanged, 0, false},
      {"LastSkin names a folder", with("LastSkin=dir.vsk\r\n"), Form::kFile, After::kSane, 2, true},
      {"LastSkin locked by another program", with("LastSkin=locked.vsk\r\n"), Form::kSkinLocked, After::kSane, 2, true},
      {"LastSkin a full path", with("LastSkin=C:\\windows\\win.ini\r\n"), Form::kFile, After::kSane, 2, true},
      {"LastSkin of 300 characters", with("LastSkin=" + std::string(296, 'v') + ".vsk\r\n"), Form::kFile, After::kSane,
       2, true},
      {"LastSkin a device", with("LastSkin=NUL\r\n"), Form::kFile, After::kSane, 2, true},
      {"NoLoadSkin with a broken LastSkin", with("NoLoadSkin=1\r\nLastSkin=dir.vsk\r\n"), Form::kFile, After::kSane, 2,
       false},
  };
}

TEST_F(MalformedSweep, BrokenSettingsFilesNeitherStopTheProgramNorComeOutCorrupted) {
  const std::vector<SettingsCase> cases = AllSettingsCases();
  const DWORD sweepStart = Now();
  std::vector<std::string> failures;
  // A few programs at a time: each spends most of its start waiting on Wine.
  constexpr size_t kAtOnce = 8;
  for (size_t first = 0; first < cases.size(); first += kAtOnce) {
    const size_t last = std::min(cases.size(), first + kAtOnce);
    std::vector<std::unique_ptr<OcuralApp>> apps;
    std::vector<HANDLE> locks;
    for (size_t i = first; i < last; ++i) {
      const SettingsCase& c = cases[i];
      auto app = std::make_unique<OcuralApp>();
      CreateDirectoryW(app->PathOf(L"dir.vsk").c_str(), nullptr);
      app->WriteFile(L"locked.vsk", VskOf("Locked", "nothere.bmp", "nothere.bmp"));
      if (c.form == Form::kFolder) {
        CreateDirectoryW(app->PathOf(L"Ocural.ini").c_str(), nullptr);
      } else {
        app->WriteFile(L"Ocural.ini", c.content);
      }
      if (c.form == Form::kReadOnly) SetFileAttributesW(app->PathOf(L"Ocural.ini").c_str(), FILE_ATTRIBUTE_READONLY);
      if (c.form == Form::kLocked || c.form == Form::kSkinLocked) {
        const std::wstring path = app->PathOf(c.form == Form::kLocked ? L"Ocural.ini" : L"locked.vsk");
        locks.push_back(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
      }
      if (!app->Start()) failures.push_back(std::string(c.what) + ": cannot start");
      apps.push_back(std::move(app));
    }
    for (size_t i = first; i < last; ++i) {
      const SettingsCase& c = cases[i];
      OcuralApp& app = *apps[i - first];
      std::vector<std::wstring> boxes;
      std::string error = Await(
          app, "the main window", [&] { return app.MainWindow() != nullptr; }, &boxes);
      const std::vector<std::wstring> due = c.baseNotSetAtStart
                                                ? std::vector<std::wstring>{L"ベースファイルが設定されていません。"}
                                                : std::vector<std::wstring>{};
      if (error.empty() && boxes != due)
        error = std::to_string(boxes.size()) + " messages, not " + std::to_string(due.size());
      if (error.empty() && !Answers(app.MainWindow())) error = "the main window does not answer";
      if (error.empty()) {
        PostMessageW(app.MainWindow(), WM_CLOSE, 0, 0);
        const long code = app.WaitExit(10000);
        if (code != 0) error = "exit code " + std::to_string(code);
      }
      if (!error.empty()) failures.push_back(std::string(c.what) + ": " + error);
    }
    for (HANDLE h : locks) {
      if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    for (size_t i = first; i < last; ++i) {
      const SettingsCase& c = cases[i];
      const OcuralApp& app = *apps[i - first];
      const DWORD attributes = GetFileAttributesW(app.PathOf(L"Ocural.ini").c_str());
      std::string problem;
      if (c.form == Form::kFolder) {
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
          problem = "the folder is gone";
      } else {
        const Bytes after = app.ReadFile(L"Ocural.ini");
        const bool unchanged = after == c.content;
        const std::string insane = SettingsProblem(after, c.magnification, "");
        if (c.after == After::kUnchanged && !unchanged) problem = "changed";
        if (c.after == After::kSane && !insane.empty()) problem = insane;
        if (c.after == After::kUnchangedOrSane && !unchanged && !insane.empty()) problem = insane;
      }
      if (!problem.empty()) failures.push_back(std::string(c.what) + ": the file after the run:" + problem);
    }
  }
  const DWORD sweepMs = Now() - sweepStart;
  std::string joined;
  for (const std::string& f : failures) joined += "\n  " + f;
  EXPECT_TRUE(failures.empty()) << failures.size() << " settings files went wrong:" << joined;
  printf("[ sweep    ] %u settings cases in %lu ms\n", static_cast<unsigned>(cases.size()),
         static_cast<unsigned long>(sweepMs));
  RecordProperty("cases", static_cast<int>(cases.size()));
  RecordProperty("ms", static_cast<int>(sweepMs));
}

}  // namespace
}  // namespace ocural::e2e
