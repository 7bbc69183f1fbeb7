// Cutting a picture into opaque runs, and the region data made from them.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "skin/core/region_runs.h"

namespace ocural {
namespace {

constexpr uint32_t kKey = 0x00FF00FF;   // magenta
constexpr uint32_t kBody = 0x00336699;
constexpr uint32_t kOther = 0x00FFFFFF;

// A bottom-up buffer (as GetDIBits fills it) from rows written top first:
// '.' is magenta, '#' the body colour, 'w' white, '0' black.
struct Picture {
  int w = 0;
  int h = 0;
  std::vector<uint32_t> px;
  explicit Picture(const std::vector<std::string>& rows)
      : w(static_cast<int>(rows.at(0).size())), h(static_cast<int>(rows.size())) {
    px.resize(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const char c = rows[y][x];
        const uint32_t v = c == '.' ? kKey : c == '#' ? kBody : c == 'w' ? kOther : 0;
        px[static_cast<size_t>(h - 1 - y) * w + x] = v;
      }
    }
  }
  std::vector<RunRect> Runs(int32_t colour) const { return OpaqueRuns(px.data(), w, h, colour); }
};

RunRect R(int l, int t, int r, int b) { return RunRect{l, t, r, b}; }

TEST(OpaqueRuns, NothingTransparentGivesOneFullRowPerRow) {
  const Picture p({"###", "#w#", "##0", "w##"});
  EXPECT_EQ(p.Runs(static_cast<int32_t>(kKey)),
            (std::vector<RunRect>{R(0, 0, 3, 1), R(0, 1, 3, 2), R(0, 2, 3, 3), R(0, 3, 3, 4)}));
}

TEST(OpaqueRuns, EverythingTransparentGivesNoRuns) {
  const Picture p({"....", "....", "...."});
  EXPECT_TRUE(p.Runs(static_cast<int32_t>(kKey)).empty());
  EXPECT_TRUE(p.Runs(UseTopLeftColor).empty());
}

TEST(OpaqueRuns, SinglePixel) {
  EXPECT_EQ(Picture({"#"}).Runs(static_cast<int32_t>(kKey)), (std::vector<RunRect>{R(0, 0, 1, 1)}));
  EXPECT_TRUE(Picture({"#"}).Runs(UseTopLeftColor).empty());
  EXPECT_EQ(Picture({".....", "...#.", "....."}).Runs(UseTopLeftColor),
            (std::vector<RunRect>{R(3, 1, 4, 2)}));
}

TEST(OpaqueRuns, RunsOpenAtTheLeftEdgeAndCloseAtTheRightEdge) {
  const Picture p({"##..##", "#....#", "..##..", "#.#.#."});
  EXPECT_EQ(p.Runs(static_cast<int32_t>(kKey)),
            (std::vector<RunRect>{R(0, 0, 2, 1), R(4, 0, 6, 1), R(0, 1, 1, 2), R(5, 1, 6, 2),
                                  R(2, 2, 4, 3), R(0, 3, 1, 4), R(2, 3, 3, 4), R(4, 3, 5, 4)}));
}

TEST(OpaqueRuns, TopLeftColourIsCutOutWhereverItAppears) {
  // The hole in the middle is not connected to the corner, and is cut all the same.
  const Picture p({"..##..", ".#..#.", "..##..", "......"});
  EXPECT_EQ(p.Runs(UseTopLeftColor),
            (std::vector<RunRect>{R(2, 0, 4, 1), R(1, 1, 2, 2), R(4, 1, 5, 2), R(2, 2, 4, 3)}));
}

// Alpha of a top-down picture from rows written top first: 'x' alpha 0,
// 'h' half, anything else opaque.
std::vector<uint32_t> Alpha(const std::vector<std::string>& rows) {
  std::vector<uint32_t> px;
  for (const std::string& row : rows) {
    for (char c : row) px.push_back((c == 'x' ? 0u : c == 'h' ? 0x80u : 0xFFu) << 24 | kBody);
  }
  return px;
}

TEST(OpaqueRuns, PixelsOfAlphaZeroAreCutBesideTheColourKey) {
  // The body picture: its top-left colour (magenta) and its clear pixels
  // both go; a half-transparent pixel stays. Clear pixels cut also where
  // their colour is the body's, and beyond the picture nothing is clear.
  const Picture p({".#####", "######", "##.###"});
  const ClearMask clear = ClearMaskOf(Alpha({"hhxxhh", "xhhhhh", "hhhhhh"}).data(), 6, 3);
  EXPECT_EQ(OpaqueRuns(p.px.data(), p.w, p.h, UseTopLeftColor, clear),
            (std::vector<RunRect>{R(1, 0, 2, 1), R(4, 0, 6, 1), R(1, 1, 6, 2), R(0, 2, 2, 3), R(3, 2, 6, 3)}));
  // A lens made square: the rows below the mask are cut by the colour alone.
  const Picture square({"#####", "#####", "ww##w"});
  const ClearMask lens = ClearMaskOf(Alpha({"x###h", "####x"}).data(), 5, 2);
  EXPECT_EQ(OpaqueRuns(square.px.data(), 5, 3, static_cast<int32_t>(kOther), lens),
            (std::vector<RunRect>{R(1, 0, 5, 1), R(0, 1, 4, 2), R(2, 2, 4, 3)}));
}

TEST(OpaqueRuns, AClearTopLeftPixelLendsNoColourToCut) {
  // A transparent background stored as black: black ink elsewhere stays.
  const Picture p({"00##", "0#00", "####"});
  const ClearMask clear = ClearMaskOf(Alpha({"xx..", "x...", "...."}).data(), 4, 3);
  EXPECT_EQ(OpaqueRuns(p.px.data(), p.w, p.h, UseTopLeftColor, clear),
            (std::vector<RunRect>{R(2, 0, 4, 1), R(1, 1, 4, 2), R(0, 2, 4, 3)}));
}

TEST(ClearMask, OnlyAMixOfClearAndOtherPixelsMakesAMask) {
  EXPECT_TRUE(ClearMaskOf(Alpha({"..", "hh"}).data(), 2, 2).Empty()) << "no pixel clear: opaque";
  EXPECT_TRUE(ClearMaskOf(Alpha({"xx", "xx"}).data(), 2, 2).Empty()) << "every pixel clear: taken as opaque";
  EXPECT_TRUE(ClearMaskOf(nullptr, 2, 2).Empty());
  const ClearMask m = ClearMaskOf(Alpha({"x.h", "..x"}).data(), 3, 2);
  ASSERT_FALSE(m.Empty());
  EXPECT_TRUE(m.At(0, 0));
  EXPECT_FALSE(m.At(2, 0)) << "half transparent is drawn";
  EXPECT_TRUE(m.At(2, 1));
}

TEST(OpaqueRuns, BufferRowZeroIsTheBottomOfThePicture) {
  // Asymmetric top and bottom: the top row has its run on the left.
  const Picture p({"##....", "......", "....##"});
  ASSERT_EQ(p.px[0 * 6 + 4], kBody);  // buffer row 0 = bottom row
  EXPECT_EQ(p.Runs(static_cast<int32_t>(kKey)), (std::vector<RunRect>{R(0, 0, 2, 1), R(4, 2, 6, 3)}));
  // The top-left pixel is read from the last buffer row too.
  const Picture q({"w#w", "#w#"});
  EXPECT_EQ(q.Runs(UseTopLeftColor), (std::vector<RunRect>{R(1, 0, 2, 1), R(0, 1, 1, 2), R(2, 1, 3, 2)}));
}

TEST(OpaqueRuns, ExplicitColourAgainstTheTopLeftRule) {
  const Picture p({".w.", "w.."});  // top-left is magenta
  const std::vector<RunRect> keepWhite = {R(1, 0, 2, 1), R(0, 1, 1, 2)};
  const std::vector<RunRect> keepMagenta = {R(0, 0, 1, 1), R(2, 0, 3, 1), R(1, 1, 3, 2)};
  EXPECT_EQ(p.Runs(static_cast<int32_t>(kKey)), keepWhite);
  // White is 0xFFFFFF: still an explicit colour, not the top-left rule.
  EXPECT_EQ(p.Runs(0xFFFFFF), keepMagenta);
  // Every value above 0xFFFFFF takes the top-left pixel.
  for (int32_t colour : {UseTopLeftColor, UseTopLeftColor + 1, INT32_MAX}) {
    EXPECT_EQ(p.Runs(colour), keepWhite) << colour;
  }
  // A colour absent from the picture keeps everything.
  EXPECT_EQ(p.Runs(0x123456), (std::vector<RunRect>{R(0, 0, 3, 1), R(0, 1, 3, 2)}));
  // A negative colour is a bit pattern no picture pixel has.
  EXPECT_EQ(p.Runs(-1), p.Runs(0x123456));
}

TEST(OpaqueRuns, PixelsCompareAsWhole32BitValues) {
  // Same colour as the key but a non-zero top byte: not transparent.
  std::vector<uint32_t> px = {kKey, kKey | 0xFF000000u, kKey, 0x01000000u};
  // One row of four, explicit black: only exact zeros would be cut.
  EXPECT_EQ(OpaqueRuns(px.data(), 4, 1, 0), (std::vector<RunRect>{R(0, 0, 4, 1)}));
  EXPECT_EQ(OpaqueRuns(px.data(), 4, 1, static_cast<int32_t>(kKey)),
            (std::vector<RunRect>{R(1, 0, 2, 1), R(3, 0, 4, 1)}));
  EXPECT_EQ(TransparentKey(px.data(), 4, 1, UseTopLeftColor), kKey);
}

TEST(OpaqueRuns, NoPixelsGiveNoRuns) {
  const uint32_t one = kBody;
  EXPECT_TRUE(OpaqueRuns(nullptr, 3, 3, 0).empty());
  EXPECT_TRUE(OpaqueRuns(&one, 0, 1, 0).empty());
  EXPECT_TRUE(OpaqueRuns(&one, 1, 0, 0).empty());
  EXPECT_TRUE(OpaqueRuns(&one, -1, -1, 0).empty());
  EXPECT_EQ(TransparentKey(nullptr, 3, 3, UseTopLeftColor), 0u);
}

// Random pictures: the runs cover exactly the non-key pixels, are in order,
// and are maximal (two runs of a row never touch).
TEST(OpaqueRuns, RandomPicturesAreCoveredExactly) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 200; ++round) {
    const int w = 1 + static_cast<int>(random() % 40);
    const int h = 1 + static_cast<int>(random() % 30);
    const uint32_t palette[3] = {kKey, kBody, kOther};
    std::vector<uint32_t> px(static_cast<size_t>(w) * h);
    for (uint32_t& v : px) v = palette[random() % 3];
    const bool topLeft = round % 2 == 0;
    const int32_t colour = topLeft ? UseTopLeftColor : static_cast<int32_t>(kKey);
    const uint32_t key = topLeft ? px[static_cast<size_t>(h - 1) * w] : kKey;
    const std::vector<RunRect> runs = OpaqueRuns(px.data(), w, h, colour);

    std::vector<int> cover(px.size(), 0);
    for (size_t i = 0; i < runs.size(); ++i) {
      const RunRect& r = runs[i];
      ASSERT_EQ(r.bottom, r.top + 1);
      ASSERT_LT(r.left, r.right);
      ASSERT_GE(r.left, 0);
      ASSERT_LE(r.right, w);
      ASSERT_GE(r.top, 0);
      ASSERT_LT(r.top, h);
      if (i > 0) {
        const RunRect& p = runs[i - 1];
        ASSERT_TRUE(p.top < r.top || (p.top == r.top && p.right < r.left)) << "round " << round;
      }
      for (int x = r.left; x < r.right; ++x) ++cover[static_cast<size_t>(r.top) * w + x];
    }
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const uint32_t v = px[static_cast<size_t>(h - 1 - y) * w + x];
        ASSERT_EQ(cover[static_cast<size_t>(y) * w + x], v == key ? 0 : 1)
            << "round " << round << " at " << x << "," << y;
      }
    }
  }
}

uint32_t ReadLE32(const std::vector<uint8_t>& d, size_t at) {
  return static_cast<uint32_t>(d.at(at)) | (static_cast<uint32_t>(d.at(at + 1)) << 8) |
         (static_cast<uint32_t>(d.at(at + 2)) << 16) | (static_cast<uint32_t>(d.at(at + 3)) << 24);
}

TEST(RegionData, HeaderAndRectanglesAreLaidOutForExtCreateRegion) {
  const std::vector<RunRect> rects = {R(5, 0, 9, 1), R(-2, 1, 3, 2), R(1, 7, 300, 8)};
  const std::vector<uint8_t> d = BuildRegionData(rects);
  ASSERT_EQ(d.size(), 32u + 3 * 16);
  const std::vector<uint8_t> header(d.begin(), d.begin() + 16);
  EXPECT_EQ(header, (std::vector<uint8_t>{32, 0, 0, 0, 1, 0, 0, 0, 3, 0, 0, 0, 48, 0, 0, 0}));
  // Bounding rectangle: left -2, top 0, right 300, bottom 8.
  EXPECT_EQ(ReadLE32(d, 16), 0xFFFFFFFEu);
  EXPECT_EQ(ReadLE32(d, 20), 0u);
  EXPECT_EQ(ReadLE32(d, 24), 300u);
  EXPECT_EQ(ReadLE32(d, 28), 8u);
  // Rectangles in order, little-endian: 300 = 2C 01 00 00, -2 = FE FF FF FF.
  EXPECT_EQ(std::vector<uint8_t>(d.begin() + 32, d.begin() + 48),
            (std::vector<uint8_t>{5, 0, 0, 0, 0, 0, 0, 0, 9, 0, 0, 0, 1, 0, 0, 0}));
  EXPECT_EQ(std::vector<uint8_t>(d.begin() + 48, d.begin() + 52),
            (std::vector<uint8_t>{0xFE, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(std::vector<uint8_t>(d.begin() + 72, d.begin() + 80),
            (std::vector<uint8_t>{0x2C, 0x01, 0, 0, 8, 0, 0, 0}));
}

TEST(RegionData, NoRectanglesGiveAHeaderWithZeroCountAndBound) {
  const std::vector<uint8_t> d = BuildRegionData(std::vector<RunRect>{});
  std::vector<uint8_t> expected(32, 0);
  expected[0] = 32;
  expected[4] = 1;
  EXPECT_EQ(d, expected);
  EXPECT_EQ(BuildRegionData(nullptr, 5), expected);
}

TEST(RegionData, SizesFollowTheCountForLongLists) {
  std::vector<RunRect> rects;
  for (int i = 0; i < 5000; ++i) rects.push_back(R(i % 7, i, i % 7 + 1 + i % 3, i + 1));
  const std::vector<uint8_t> d = BuildRegionData(rects);
  ASSERT_EQ(d.size(), 32u + 5000u * 16u);
  EXPECT_EQ(ReadLE32(d, 8), 5000u);
  EXPECT_EQ(ReadLE32(d, 12), 80000u);
  EXPECT_EQ(ReadLE32(d, 16), 0u);
  EXPECT_EQ(ReadLE32(d, 24), 9u);
  EXPECT_EQ(ReadLE32(d, 28), 5000u);
  const size_t last = 32 + 4999 * 16;
  EXPECT_EQ(ReadLE32(d, last + 4), 4999u);
  EXPECT_EQ(ReadLE32(d, last + 12), 5000u);
}

// Counts whose data would not have its size in 32 bits (or in size_t) are
// refused the way running out of memory is, before a rectangle is read.
TEST(RegionData, CountsBeyond32BitSizesThrowBadAlloc) {
  const RunRect one[1] = {R(0, 0, 1, 1)};
  const size_t kMax = std::numeric_limits<size_t>::max();
  for (size_t count : {kMax / kRegionRectSize + 1, kMax, size_t{0xFFFFFFFFu / 16},
                       (size_t{0xFFFFFFFFu} - kRegionHeaderSize) / kRegionRectSize + 1}) {
    EXPECT_THROW(BuildRegionData(one, count), std::bad_alloc) << count;
  }
}

}  // namespace
}  // namespace ocural
