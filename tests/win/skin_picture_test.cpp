// Loading skin pictures from files the test writes itself.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "skin/core/picture_header.h"
#include "skin/picture_loader.h"
#include "tests/contract/scratch_dir.h"
#include "tests/native/skin_picture_bytes.h"

namespace ocural {
namespace {

using ocural_test::Bytes;
using ocural_test::kJpeg3366CC;
using ocural_test::TestColour;

class SkinPictureTest : public ::testing::Test {
 protected:
  std::wstring Write(const std::wstring& name, const Bytes& bytes) {
    const std::filesystem::path path = std::filesystem::path(dir_.Path()) / name;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path.wstring();
  }
  std::wstring Folder() const { return std::filesystem::path(dir_.Path()).wstring(); }

  ocural_test::ScratchDir dir_;
};

// The pixels of a loaded picture, top row first, 0x00RRGGBB.
std::vector<uint32_t> Pixels(const LoadedPicture& p) {
  std::vector<uint32_t> px(static_cast<size_t>(p.widthPx) * p.heightPx);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = p.widthPx;
  bi.bmiHeader.biHeight = -p.heightPx;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  win::MemDC dc(CreateCompatibleDC(nullptr));
  if (GetDIBits(dc.get(), p.bitmap.get(), 0, static_cast<UINT>(p.heightPx), px.data(), &bi,
                DIB_RGB_COLORS) != p.heightPx) {
    px.clear();
  }
  return px;
}

// "" when every pixel has the colour the picture was written with.
template <typename ColourAt>
std::string ComparePixels(const LoadedPicture& p, ColourAt colourAt) {
  const std::vector<uint32_t> px = Pixels(p);
  if (px.empty()) return "pixels cannot be read";
  for (int y = 0; y < p.heightPx; ++y) {
    for (int x = 0; x < p.widthPx; ++x) {
      const uint32_t got = px[static_cast<size_t>(y) * p.widthPx + x];
      const uint32_t want = colourAt(x, y);
      if (got != want) {
        char text[96];
        snprintf(text, sizeof(text), "at %d,%d: %06X instead of %06X", x, y, static_cast<unsigned>(got),
                 static_cast<unsigned>(want));
        return text;
      }
    }
  }
  return "";
}

void ExpectDib(const LoadedPicture& p, int w, int h) {
  EXPECT_EQ(p.widthPx, w);
  EXPECT_EQ(p.heightPx, h);
  DIBSECTION ds{};
  ASSERT_EQ(GetObjectW(p.bitmap.get(), sizeof(ds), &ds), static_cast<int>(sizeof(ds)));
  EXPECT_EQ(ds.dsBmih.biBitCount, 32);
  EXPECT_EQ(ds.dsBmih.biWidth, w);
  ASSERT_NE(ds.dsBm.bmBits, nullptr);
  // Top-down: the first row in memory is the picture's top row.
  EXPECT_EQ(static_cast<const uint32_t*>(ds.dsBm.bmBits)[0], Pixels(p).at(0));
  EXPECT_EQ(static_cast<const uint32_t*>(ds.dsBm.bmBits)[static_cast<size_t>(h - 1) * w],
            Pixels(p).at(static_cast<size_t>(h - 1) * w));
}

TEST_F(SkinPictureTest, BmpOfOddWidthAndEveryRowLayoutKeepsExactColours) {
  struct Case {
    const wchar_t* name;
    int w, h, bits;
    bool topDown;
  };
  for (const Case& c : {Case{L"odd24.bmp", 7, 5, 24, false}, Case{L"wide24.bmp", 203, 3, 24, false},
                        Case{L"alpha32.bmp", 9, 4, 32, false}, Case{L"topdown24.bmp", 5, 6, 24, true}}) {
    SCOPED_TRACE(std::string(c.name, c.name + wcslen(c.name)));
    const std::optional<LoadedPicture> p =
        LoadPicture(Write(c.name, ocural_test::MakeBmp(c.w, c.h, c.bits, c.topDown)));
    ASSERT_TRUE(p.has_value());
    ExpectDib(*p, c.w, c.h);
    EXPECT_EQ(ComparePixels(*p, TestColour), "");
  }
}

TEST_F(SkinPictureTest, PngGifAndJpegAreDecoded) {
  const std::optional<LoadedPicture> png = LoadPicture(Write(L"p.png", ocural_test::MakePng(11, 6)));
  ASSERT_TRUE(png.has_value());
  ExpectDib(*png, 11, 6);
  EXPECT_EQ(ComparePixels(*png, TestColour), "");

  const std::optional<LoadedPicture> gif = LoadPicture(Write(L"g.gif", ocural_test::MakeGif(9, 5)));
  ASSERT_TRUE(gif.has_value());
  ExpectDib(*gif, 9, 5);
  EXPECT_EQ(ComparePixels(*gif, [](int x, int y) { return ocural_test::kGifPalette[ocural_test::GifIndex(x, y)]; }),
            "");

  const std::optional<LoadedPicture> jpeg =
      LoadPicture(Write(L"j.jpg", Bytes(std::begin(kJpeg3366CC), std::end(kJpeg3366CC))));
  ASSERT_TRUE(jpeg.has_value());
  ExpectDib(*jpeg, 8, 8);
  const std::vector<uint32_t> px = Pixels(*jpeg);
  ASSERT_EQ(px.size(), 64u);
  for (uint32_t v : px) {
    EXPECT_NEAR(static_cast<int>((v >> 16) & 0xFF), 0x33, 3);
    EXPECT_NEAR(static_cast<int>((v >> 8) & 0xFF), 0x66, 3);
    EXPECT_NEAR(static_cast<int>(v & 0xFF), 0xCC, 3);
    EXPECT_EQ(v >> 24, 0u);
  }
}

TEST_F(SkinPictureTest, JapaneseFileName) {
  const Bytes bmp = ocural_test::MakeBmp(6, 3, 24);
  const std::optional<LoadedPicture> p = LoadPicture(Write(L"\u62E1\u5927\u93E1.bmp", bmp));
  ASSERT_TRUE(p.has_value());
  EXPECT_EQ(ComparePixels(*p, TestColour), "");
}

TEST_F(SkinPictureTest, UnreadableFilesFailCleanly) {
  const Bytes bmp = ocural_test::MakeBmp(7, 5, 24);
  EXPECT_FALSE(LoadPicture(Write(L"cut.bmp", Bytes(bmp.begin(), bmp.end() - 30))).has_value());
  EXPECT_FALSE(LoadPicture(Write(L"header.bmp", Bytes(bmp.begin(), bmp.begin() + 54))).has_value());
  EXPECT_FALSE(LoadPicture(Write(L"empty.bmp", {})).has_value());
  Bytes text;
  ocural_test::PutText(text, "[OcuralSkin]\r\nname=not a picture\r\n");
  EXPECT_FALSE(LoadPicture(Write(L"text.bmp", text)).has_value());
  EXPECT_FALSE(LoadPicture(Folder()).has_value());
  EXPECT_FALSE(LoadPicture(Folder() + L"\\missing.bmp").has_value());
  EXPECT_FALSE(LoadPicture(L"").has_value());
  const Bytes png = ocural_test::MakePng(20, 20);
  EXPECT_FALSE(LoadPicture(Write(L"cut.png", Bytes(png.begin(), png.end() - 40))).has_value());
  const Bytes gif = ocural_test::MakeGif(20, 20);
  EXPECT_FALSE(LoadPicture(Write(L"cut.gif", Bytes(gif.begin(), gif.end() - 20))).has_value());
  const Bytes jpeg(std::begin(kJpeg3366CC), std::end(kJpeg3366CC));
  EXPECT_FALSE(LoadPicture(Write(L"cut.jpg", Bytes(jpeg.begin(), jpeg.end() - 4))).has_value());
  // Complete, but wider than any picture taken.
  const Bytes widest = ocural_test::MakeBmp(kMaxPictureSide, 1, 24);
  EXPECT_TRUE(LoadPicture(Write(L"widest.bmp", widest)).has_value());
  const Bytes wide = ocural_test::MakeBmp(kMaxPictureSide + 1, 1, 24);
  EXPECT_FALSE(LoadPicture(Write(L"wide.bmp", wide)).has_value());
}

// Damaged pictures are refused or decoded, never a crash.
TEST_F(SkinPictureTest, DamagedBytesNeverBringTheLoaderDown) {
  std::mt19937 random(4321);
  const Bytes sources[] = {ocural_test::MakeBmp(13, 7, 24), ocural_test::MakePng(13, 7), ocural_test::MakeGif(13, 7),
                           Bytes(std::begin(kJpeg3366CC), std::end(kJpeg3366CC))};
  int decoded = 0;
  for (const Bytes& source : sources) {
    // Cut short (a GIF without its trailer byte alone still counts as whole).
    for (size_t n = 0; n + 1 < source.size(); n += 1 + source.size() / 40) {
      EXPECT_FALSE(LoadPicture(Write(L"cut.pic", Bytes(source.begin(), source.begin() + n))).has_value())
          << "first " << n;
    }
    for (int round = 0; round < 40; ++round) {
      Bytes damaged = source;
      for (int k = 0; k < 3; ++k) damaged[random() % damaged.size()] = static_cast<uint8_t>(random());
      const std::optional<LoadedPicture> p = LoadPicture(Write(L"damaged.pic", damaged));
      if (p) {
        ++decoded;
        EXPECT_GE(p->widthPx, 1);
        EXPECT_LE(p->widthPx, kMaxPictureSide);
        EXPECT_TRUE(p->bitmap);
      }
    }
  }
  RecordProperty("decoded", decoded);
}

}  // namespace
}  // namespace ocural
