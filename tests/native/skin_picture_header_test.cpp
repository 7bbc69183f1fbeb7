// Telling picture files apart, and refusing cut-off or absurd ones, before
// any decoder sees them.
#include <gtest/gtest.h>

#include "skin/core/picture_header.h"
#include "tests/native/skin_picture_bytes.h"

namespace ocural {
namespace {

using ocural_test::Bytes;

std::optional<PictureHeader> Inspect(const Bytes& b) { return InspectPicture(b.data(), b.size()); }

void ExpectPicture(const Bytes& b, PictureFormat format, int w, int h) {
  const std::optional<PictureHeader> header = Inspect(b);
  ASSERT_TRUE(header.has_value());
  EXPECT_EQ(header->format, format);
  EXPECT_EQ(header->width, w);
  EXPECT_EQ(header->height, h);
}

// Every prefix that cuts the file short is refused.
void ExpectEveryPrefixRefused(const Bytes& b, size_t keep) {
  for (size_t n = 0; n < b.size() - keep; ++n) {
    EXPECT_FALSE(InspectPicture(b.data(), n).has_value()) << "first " << n << " of " << b.size();
  }
}

void SetLE32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void SetLE16(Bytes& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

// An 8-bit run-length BMP holding only the end-of-picture code: every pixel
// is left as background, which is allowed, so the size is free.
Bytes MakeRle8Bmp(int w, int h) {
  Bytes b = ocural_test::MakeBmp(1, 1, 24);
  b.resize(54);
  SetLE32(b, 18, static_cast<uint32_t>(w));
  SetLE32(b, 22, static_cast<uint32_t>(h));
  b[28] = 8;
  SetLE32(b, 30, 1);  // BI_RLE8
  SetLE32(b, 34, 2);
  SetLE32(b, 46, 1);
  SetLE32(b, 10, 58);
  b.insert(b.end(), {0, 0, 0, 0, 0, 1});
  return b;
}

// A GIF with a w x h screen and one 1x1 frame in its top-left corner.
Bytes MakeGifScreen(int w, int h) {
  Bytes b = ocural_test::MakeGif(1, 1);
  SetLE16(b, 6, static_cast<uint32_t>(w));
  SetLE16(b, 8, static_cast<uint32_t>(h));
  return b;
}

// A PNG with the given header and an IDAT of dataBytes (not real deflate
// data: only its length counts here).
Bytes MakePngHeader(int colourType, int depth, uint32_t w, uint32_t h, size_t dataBytes = 64,
                    uint8_t compression = 0, uint8_t filter = 0, uint8_t interlace = 0) {
  Bytes b = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  Bytes ihdr;
  ocural_test::PutBE32(ihdr, w);
  ocural_test::PutBE32(ihdr, h);
  ihdr.insert(ihdr.end(), {static_cast<uint8_t>(depth), static_cast<uint8_t>(colourType),
                           compression, filter, interlace});
  ocural_test::PutPngChunk(b, "IHDR", ihdr);
  ocural_test::PutPngChunk(b, "IDAT", Bytes(dataBytes, 0x5A));
  ocural_test::PutPngChunk(b, "IEND", {});
  return b;
}

// The body of a JPEG frame header: precision, size, and count components
// with the sampling factors hv.
Bytes FrameBody(int precision, int w, int h, int count, uint8_t hv = 0x11) {
  Bytes b = {static_cast<uint8_t>(precision), static_cast<uint8_t>(h >> 8), static_cast<uint8_t>(h),
             static_cast<uint8_t>(w >> 8), static_cast<uint8_t>(w), static_cast<uint8_t>(count)};
  for (int i = 0; i < count; ++i) b.insert(b.end(), {static_cast<uint8_t>(i + 1), hv, 0});
  return b;
}

// A JPEG made of a frame header (marker and body), a scan header, scanBytes
// of scan data and the end marker.
Bytes MakeJpegFrame(uint8_t marker, const Bytes& body, size_t scanBytes = 2) {
  Bytes b = {0xFF, 0xD8, 0xFF, marker, static_cast<uint8_t>((body.size() + 2) >> 8),
             static_cast<uint8_t>(body.size() + 2)};
  b.insert(b.end(), body.begin(), body.end());
  b.insert(b.end(), {0xFF, 0xDA, 0, 8, 1, 1, 0, 0, 63, 0});
  b.insert(b.end(), scanBytes, 0x12);
  b.insert(b.end(), {0xFF, 0xD9});
  return b;
}

TEST(InspectPicture, BmpSizesForEveryLayout) {
  ExpectPicture(ocural_test::MakeBmp(7, 5, 24), PictureFormat::Bmp, 7, 5);
  ExpectPicture(ocural_test::MakeBmp(3, 9, 32), PictureFormat::Bmp, 3, 9);
  ExpectPicture(ocural_test::MakeBmp(4, 6, 24, true), PictureFormat::Bmp, 4, 6);
}

TEST(InspectPicture, BmpCutShortIsRefused) {
  const Bytes bmp = ocural_test::MakeBmp(7, 5, 24);  // rows of 21 bytes padded to 24
  ExpectEveryPrefixRefused(bmp, 0);
  // Header only.
  EXPECT_FALSE(InspectPicture(bmp.data(), 54).has_value());
  // Extra bytes after the rows are harmless.
  Bytes longer = bmp;
  longer.insert(longer.end(), 10, 0xAB);
  EXPECT_TRUE(Inspect(longer).has_value());
}

TEST(InspectPicture, BmpWithImpossibleHeadersIsRefused) {
  const Bytes good = ocural_test::MakeBmp(4, 4, 24);
  auto patched = [&](size_t at, uint32_t v) {
    Bytes b = good;
    SetLE32(b, at, v);
    return b;
  };
  EXPECT_FALSE(Inspect(patched(18, 0)).has_value());                     // width 0
  EXPECT_FALSE(Inspect(patched(22, 0)).has_value());                     // height 0
  EXPECT_FALSE(Inspect(patched(18, 16385)).has_value());                 // too wide
  EXPECT_FALSE(Inspect(patched(22, 0x80000000u)).has_value());           // height INT_MIN
  EXPECT_FALSE(Inspect(patched(18, 0xFFFFFFFFu)).has_value());           // width -1
  EXPECT_FALSE(Inspect(patched(14, 20)).has_value());                    // unknown header size
  EXPECT_FALSE(Inspect(patched(14, 0xFFFFFFF0u)).has_value());           // header larger than file
  EXPECT_FALSE(Inspect(patched(10, 0xFFFFFFF0u)).has_value());           // pixels past the end
  EXPECT_FALSE(Inspect(patched(10, 20)).has_value());                    // pixels inside the header
  EXPECT_FALSE(Inspect(patched(30, 4)).has_value());                     // embedded JPEG
  Bytes depth = good;
  depth[28] = 7;
  EXPECT_FALSE(Inspect(depth).has_value());
  Bytes planes = good;
  planes[26] = 2;
  EXPECT_FALSE(Inspect(planes).has_value());
  // A huge picture whose rows would need more bytes than the file has.
  Bytes huge = patched(18, 4096);
  SetLE32(huge, 22, 4096);
  EXPECT_FALSE(Inspect(huge).has_value());
}

TEST(InspectPicture, BmpColourTableMustBeInTheFile) {
  // 1-bit picture 8x2: two palette entries, rows of 4 bytes.
  Bytes b = ocural_test::MakeBmp(8, 2, 24);
  b.resize(54);
  b[28] = 1;
  SetLE32(b, 10, 62);
  b.insert(b.end(), {0, 0, 0, 0, 255, 255, 255, 0});
  b.insert(b.end(), {0xAA, 0, 0, 0, 0x55, 0, 0, 0});
  ExpectPicture(b, PictureFormat::Bmp, 8, 2);
  Bytes many = b;
  SetLE32(many, 46, 3);  // three colours for a 1-bit picture
  EXPECT_FALSE(Inspect(many).has_value());
  // 8-bit with a full table of 256 colours that the file does not hold.
  Bytes eight = b;
  eight[28] = 8;
  EXPECT_FALSE(Inspect(eight).has_value());
}

TEST(InspectPicture, BmpRunLengthNeedsBottomUpAndItsData) {
  Bytes b = ocural_test::MakeBmp(4, 4, 24);
  b.resize(54);
  b[28] = 8;
  SetLE32(b, 30, 1);  // BI_RLE8
  SetLE32(b, 46, 1);
  SetLE32(b, 10, 58);
  b.insert(b.end(), {0, 0, 0, 0});
  const Bytes codes = {4, 0, 0, 0, 4, 0, 0, 0, 4, 0, 0, 0, 4, 0, 0, 1};
  SetLE32(b, 34, static_cast<uint32_t>(codes.size()));
  b.insert(b.end(), codes.begin(), codes.end());
  ExpectPicture(b, PictureFormat::Bmp, 4, 4);
  EXPECT_FALSE(InspectPicture(b.data(), b.size() - 1).has_value());
  Bytes topDown = b;
  SetLE32(topDown, 22, static_cast<uint32_t>(-4));
  EXPECT_FALSE(Inspect(topDown).has_value());
  Bytes wrongDepth = b;
  wrongDepth[28] = 4;
  EXPECT_FALSE(Inspect(wrongDepth).has_value());
}

TEST(InspectPicture, Os2BmpHeader) {
  Bytes b;
  ocural_test::PutText(b, "BM");
  ocural_test::PutLE32(b, 0);
  ocural_test::PutLE32(b, 0);
  ocural_test::PutLE32(b, 26);
  ocural_test::PutLE32(b, 12);
  ocural_test::PutLE16(b, 3);
  ocural_test::PutLE16(b, 2);
  ocural_test::PutLE16(b, 1);
  ocural_test::PutLE16(b, 24);
  b.resize(b.size() + 2 * 12, 0x40);
  ExpectPicture(b, PictureFormat::Bmp, 3, 2);
  EXPECT_FALSE(InspectPicture(b.data(), b.size() - 1).has_value());
}

TEST(InspectPicture, PngChunksAreWalkedToTheEnd) {
  const Bytes png = ocural_test::MakePng(5, 3);
  ExpectPicture(png, PictureFormat::Png, 5, 3);
  ExpectEveryPrefixRefused(png, 0);
  // No IEND, no IDAT, a chunk length running past the end, IHDR not first.
  EXPECT_FALSE(InspectPicture(png.data(), png.size() - 12).has_value());
  Bytes noData(png.begin(), png.begin() + 33);
  ocural_test::PutPngChunk(noData, "IEND", {});
  EXPECT_FALSE(Inspect(noData).has_value());
  Bytes longChunk = png;
  longChunk[33] = 0x7F;
  EXPECT_FALSE(Inspect(longChunk).has_value());
  Bytes notFirst(png.begin(), png.begin() + 8);
  ocural_test::PutPngChunk(notFirst, "tEXt", {'a', 0, 'b'});
  notFirst.insert(notFirst.end(), png.begin() + 8, png.end());
  EXPECT_FALSE(Inspect(notFirst).has_value());
  EXPECT_FALSE(Inspect(ocural_test::MakePng(16385, 1)).has_value());
}

TEST(InspectPicture, GifBlocksAreWalked) {
  const Bytes gif = ocural_test::MakeGif(6, 4);
  ExpectPicture(gif, PictureFormat::Gif, 6, 4);
  // Cut inside any block (a cut just before the trailer is a whole picture).
  ExpectEveryPrefixRefused(gif, 1);
  Bytes noImage(gif.begin(), gif.begin() + 25);
  noImage.push_back(0x3B);
  EXPECT_FALSE(Inspect(noImage).has_value());
  Bytes strange = gif;
  strange[25] = 0x99;  // neither image, extension nor trailer
  EXPECT_FALSE(Inspect(strange).has_value());
  Bytes zero = gif;
  zero[6] = zero[7] = 0;
  EXPECT_FALSE(Inspect(zero).has_value());
}

TEST(InspectPicture, JpegNeedsAFrameAScanAndTheEndMarker) {
  const Bytes jpeg = ocural_test::MakeJpegSkeleton(320, 200);
  ExpectPicture(jpeg, PictureFormat::Jpeg, 320, 200);
  ExpectEveryPrefixRefused(jpeg, 0);
  Bytes noFrame = jpeg;
  noFrame[21] = 0xE1;  // the frame becomes an application segment
  EXPECT_FALSE(Inspect(noFrame).has_value());
  EXPECT_FALSE(Inspect(ocural_test::MakeJpegSkeleton(0, 10)).has_value());
  EXPECT_FALSE(Inspect(ocural_test::MakeJpegSkeleton(10, 20000)).has_value());
  Bytes junkBetween = jpeg;
  junkBetween[20] = 0x00;  // a segment not starting with 0xFF
  EXPECT_FALSE(Inspect(junkBetween).has_value());
}

TEST(InspectPicture, UnknownOrEmptyDataIsRefused) {
  EXPECT_FALSE(InspectPicture(nullptr, 100).has_value());
  const Bytes empty;
  EXPECT_FALSE(Inspect(empty).has_value());
  EXPECT_FALSE(Inspect(Bytes{'B', 'M'}).has_value());
  EXPECT_FALSE(Inspect(Bytes{'M', 'Z', 0x90, 0, 3, 0, 0, 0}).has_value());
  Bytes text;
  ocural_test::PutText(text, "[OcuralSkin]\r\nname=x\r\n");
  EXPECT_FALSE(Inspect(text).has_value());
  Bytes gif87 = ocural_test::MakeGif(2, 2);
  gif87[4] = '7';
  EXPECT_TRUE(Inspect(gif87).has_value());
  gif87[4] = '8';
  EXPECT_FALSE(Inspect(gif87).has_value());
}

// Each side may be up to 4096 pixels (a 4096 x 4096 picture is 64 MiB at
// 32 bits a pixel), in every format.
TEST(InspectPicture, SidesUpTo4096AreTakenAndNoMore) {
  struct Maker {
    const char* name;
    Bytes (*make)(int w, int h);
  };
  const Maker makers[] = {
      {"bmp", [](int w, int h) { return ocural_test::MakeBmp(w, h, 24); }},
      {"top-down bmp", [](int w, int h) { return ocural_test::MakeBmp(w, h, 24, true); }},
      {"rle8 bmp", MakeRle8Bmp},
      {"png", ocural_test::MakePng},
      {"gif", ocural_test::MakeGif},
      {"gif screen", MakeGifScreen},
      {"jpeg", ocural_test::MakeJpegSkeleton},
  };
  for (const Maker& m : makers) {
    SCOPED_TRACE(m.name);
    EXPECT_TRUE(Inspect(m.make(4096, 1)).has_value());
    EXPECT_TRUE(Inspect(m.make(1, 4096)).has_value());
    EXPECT_FALSE(Inspect(m.make(4097, 1)).has_value());
    EXPECT_FALSE(Inspect(m.make(1, 4097)).has_value());
  }
  ExpectPicture(MakeRle8Bmp(4096, 4096), PictureFormat::Bmp, 4096, 4096);
  ExpectPicture(MakeGifScreen(4096, 4096), PictureFormat::Gif, 4096, 4096);
}

TEST(InspectPicture, GifFrameMustLieOnItsScreen) {
  struct Case {
    int left, top, w, h;
    bool ok;
  };
  const Case cases[] = {
      {0, 0, 6, 4, true},       {5, 3, 1, 1, true},  {1, 0, 6, 4, false},
      {0, 1, 6, 4, false},      {0, 0, 7, 4, false}, {0, 0, 6, 5, false},
      {6, 0, 1, 1, false},      {0, 4, 1, 1, false}, {65535, 0, 1, 1, false},
      {0, 0, 65535, 65535, false},
  };
  for (const Case& c : cases) {
    Bytes b = ocural_test::MakeGif(6, 4);
    SetLE16(b, 26, static_cast<uint32_t>(c.left));
    SetLE16(b, 28, static_cast<uint32_t>(c.top));
    SetLE16(b, 30, static_cast<uint32_t>(c.w));
    SetLE16(b, 32, static_cast<uint32_t>(c.h));
    EXPECT_EQ(Inspect(b).has_value(), c.ok) << c.left << "," << c.top << " " << c.w << "x" << c.h;
  }
  // A 1x1 screen with a 65535 x 65535 frame.
  Bytes tiny = ocural_test::MakeGif(1, 1);
  SetLE16(tiny, 30, 65535);
  SetLE16(tiny, 32, 65535);
  EXPECT_FALSE(Inspect(tiny).has_value());
}

// Codes of 9 bits or more at the start would stand for colours no table has.
// Sizes 0 and 1 are below what encoders write but are left to the decoder.
TEST(InspectPicture, GifCodeSizeUpToEight) {
  for (int codeSize = 0; codeSize <= 12; ++codeSize) {
    Bytes b = ocural_test::MakeGif(6, 4);
    b[35] = static_cast<uint8_t>(codeSize);
    EXPECT_EQ(Inspect(b).has_value(), codeSize <= 8) << "code size " << codeSize;
  }
}

TEST(InspectPicture, JpegFrameHeaderMustAddUp) {
  // Found by fuzzing: length 8 for 255 components of precision 2.
  const Bytes fuzzed = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x08, 0x02, 0x03, 0x1E, 0x11,
                        0x00, 0xFF, 0xFF, 0xDA, 0x00, 0x03, 0x3F, 0xFF, 0xD9};
  EXPECT_FALSE(Inspect(fuzzed).has_value());

  struct Case {
    const char* what;
    Bytes body;
    bool ok;
  };
  Bytes countTooHigh = FrameBody(8, 64, 48, 1);
  countTooHigh[5] = 3;  // three components, the length holds one
  Bytes countTooLow = FrameBody(8, 64, 48, 3);
  countTooLow[5] = 1;
  const Case cases[] = {
      {"grey", FrameBody(8, 64, 48, 1), true},
      {"colour", FrameBody(8, 64, 48, 3), true},
      {"cmyk", FrameBody(8, 64, 48, 4), true},
      {"12 bits", FrameBody(12, 64, 48, 3), true},
      {"sampling 4x4", FrameBody(8, 64, 48, 1, 0x44), true},
      {"no components", FrameBody(8, 64, 48, 0), false},
      {"five components", FrameBody(8, 64, 48, 5), false},
      {"count above length", countTooHigh, false},
      {"count below length", countTooLow, false},
      {"precision 2", FrameBody(2, 64, 48, 1), false},
      {"precision 16", FrameBody(16, 64, 48, 1), false},
      {"horizontal sampling 0", FrameBody(8, 64, 48, 1, 0x01), false},
      {"vertical sampling 0", FrameBody(8, 64, 48, 1, 0x10), false},
      {"sampling 5", FrameBody(8, 64, 48, 1, 0x15), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Inspect(MakeJpegFrame(0xC1, c.body)).has_value(), c.ok) << c.what;
  }
}

TEST(InspectPicture, PngDepthMustSuitTheColourType) {
  // Colour types 0 grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGBA.
  const int depths[] = {0, 1, 2, 3, 4, 8, 16, 32};
  for (int type = 0; type <= 7; ++type) {
    for (int depth : depths) {
      const bool small = depth == 1 || depth == 2 || depth == 4;
      const bool ok = (type == 0 && (small || depth == 8 || depth == 16)) ||
                      (type == 3 && (small || depth == 8)) ||
                      ((type == 2 || type == 4 || type == 6) && (depth == 8 || depth == 16));
      EXPECT_EQ(Inspect(MakePngHeader(type, depth, 5, 3)).has_value(), ok)
          << "type " << type << " depth " << depth;
    }
  }
  EXPECT_TRUE(Inspect(MakePngHeader(2, 8, 5, 3, 64, 0, 0, 1)).has_value());  // interlaced
  EXPECT_FALSE(Inspect(MakePngHeader(2, 8, 5, 3, 64, 1, 0, 0)).has_value());
  EXPECT_FALSE(Inspect(MakePngHeader(2, 8, 5, 3, 64, 0, 1, 0)).has_value());
  EXPECT_FALSE(Inspect(MakePngHeader(2, 8, 5, 3, 64, 0, 0, 2)).has_value());
}

// Deflate gives at most 1032 bytes for one, and Huffman-coded JPEG needs at
// least a bit for each 8x8 block of its most detailed component (which holds
// at least one block per 256 pixels), so small files cannot hold large
// pictures in those. Run-length BMP, GIF and arithmetic-coded JPEG can leave
// pixels out or have no such bound, and are only held to the side limit.
TEST(InspectPicture, CompressedDataMustBeAbleToHoldThePixels) {
  // 1-bit grey, 512 bytes a row: 1000 bytes of deflate data hold 2015 rows.
  EXPECT_TRUE(Inspect(MakePngHeader(0, 1, 4096, 2015, 1000)).has_value());
  EXPECT_FALSE(Inspect(MakePngHeader(0, 1, 4096, 2016, 1000)).has_value());
  // 16-bit RGBA, 8 bytes a pixel: one byte holds 129 pixels.
  EXPECT_TRUE(Inspect(MakePngHeader(6, 16, 1, 129, 1)).has_value());
  EXPECT_FALSE(Inspect(MakePngHeader(6, 16, 1, 130, 1)).has_value());
  EXPECT_FALSE(Inspect(MakePngHeader(2, 8, 4096, 4096)).has_value());

  // 4096 x 4096 needs 8192 bytes.
  const Bytes frame = FrameBody(8, 4096, 4096, 3);
  const size_t pad = 8192 - MakeJpegFrame(0xC0, frame, 0).size();
  EXPECT_TRUE(Inspect(MakeJpegFrame(0xC0, frame, pad)).has_value());
  EXPECT_FALSE(Inspect(MakeJpegFrame(0xC0, frame, pad - 1)).has_value());
  EXPECT_FALSE(Inspect(MakeJpegFrame(0xC2, frame)).has_value());  // progressive
  EXPECT_TRUE(Inspect(MakeJpegFrame(0xC9, frame)).has_value());   // arithmetic coded
}

}  // namespace
}  // namespace ocural
