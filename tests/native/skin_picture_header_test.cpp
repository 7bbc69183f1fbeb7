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

}  // namespace
}  // namespace ocural
