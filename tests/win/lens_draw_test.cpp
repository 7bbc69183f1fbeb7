// The lens drawn from a known snapshot with the real GDI calls.
#include <gtest/gtest.h>

#include "magnifier/core/lens_math.h"
#include "magnifier/lens_draw.h"
#include "platform/win/handles.h"
#include "tests/common/lens_check.h"
#include "tests/common/pattern.h"

namespace ocural {
namespace {

using testing::CheckMagnified;
using testing::ExpectedSource;
using testing::PatternColour;

constexpr int kSnapW = 640;
constexpr int kSnapH = 480;
constexpr int kLens = 185;

class LensDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(snap_.Create(kSnapW, kSnapH));
    for (int y = 0; y < kSnapH; ++y) {
      for (int x = 0; x < kSnapW; ++x) {
        const uint32_t c = PatternColour(x, y, 0);
        // DIB pixels are 0x00RRGGBB.
        snap_.bits()[y * kSnapW + x] = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
      }
    }
    ASSERT_TRUE(lens_.Create(kLens, kLens));
    PatBlt(lens_.dc(), 0, 0, kLens, kLens, WHITENESS);
  }

  // Draws the lens as if its outer rectangle were at screen (left, top) and
  // checks it. The snapshot holds the screen rectangle area_, so the pattern
  // colour of a pixel is that of its place in the snapshot's image.
  std::string DrawAndCheck(int left, int top, int zoom) {
    const SourceRect screen = CalcSourceRectFor(left, top, left + kLens, top + kLens, zoom);
    DrawLens(lens_.dc(), kLens, kLens, snap_.dc(), area_, screen, zoom);
    const SourceRect s{screen.x - area_.x, screen.y - area_.y, screen.width, screen.height};
    const SourceRect v = IntersectWithImage(s, kSnapW, kSnapH);
    std::optional<ExpectedSource> visible;
    if (v.x != s.x || v.y != s.y || v.width != s.width || v.height != s.height) {
      visible = ExpectedSource{v.x, v.y, v.width, v.height};
    }
    return CheckMagnified([this](int i, int j) { return lens_.Pixel(i, j); }, kLens, kLens,
                          ExpectedSource{s.x, s.y, s.width, s.height}, 0, visible);
  }

  win::DibImage snap_;
  win::DibImage lens_;
  SourceRect area_{0, 0, kSnapW, kSnapH};
};

TEST_F(LensDrawTest, FactorOneCopiesThePlaceUnderTheLens) {
  EXPECT_EQ(DrawAndCheck(100, 100, 1), "");
  EXPECT_EQ(lens_.Pixel(0, 0), PatternColour(100, 100, 0));
  EXPECT_EQ(lens_.Pixel(184, 184), PatternColour(284, 284, 0));
}

TEST_F(LensDrawTest, FactorsTwoThreeTwelveEnlargeTheCentreInOrder) {
  for (int zoom : {2, 3, 12}) {
    PatBlt(lens_.dc(), 0, 0, kLens, kLens, WHITENESS);
    EXPECT_EQ(DrawAndCheck(100, 100, zoom), "") << "factor " << zoom;
  }
  // Factor 12 from (100, 100): source (184, 184, 15, 15), each pixel about 12 wide.
  EXPECT_EQ(lens_.Pixel(0, 0), PatternColour(184, 184, 0));
  EXPECT_EQ(lens_.Pixel(184, 184), PatternColour(198, 198, 0));
}

TEST_F(LensDrawTest, FactorTooLargeForOnePixelShowsTheCentrePixelEverywhere) {
  const SourceRect s = CalcSourceRectFor(100, 100, 285, 285, 1000);
  ASSERT_EQ(s.width, 1);
  DrawLens(lens_.dc(), kLens, kLens, snap_.dc(), area_, s, 1000);
  for (int j = 0; j < kLens; j += 7) {
    for (int i = 0; i < kLens; i += 7) {
      ASSERT_EQ(lens_.Pixel(i, j), PatternColour(192, 192, 0)) << i << "," << j;
    }
  }
}

TEST_F(LensDrawTest, SourcePartlyOffTheSnapshotKeepsTheBackgroundThere) {
  // Lens hanging over the top-left corner, the right edge and the bottom edge.
  const int places[][2] = {{-150, -120}, {560, 40}, {300, 400}, {-60, 380}};
  for (const auto& p : places) {
    for (int zoom : {1, 2, 3}) {
      PatBlt(lens_.dc(), 0, 0, kLens, kLens, WHITENESS);
      EXPECT_EQ(DrawAndCheck(p[0], p[1], zoom), "") << "at " << p[0] << "," << p[1] << " factor " << zoom;
    }
  }
  // Over the top-left corner at factor 1 the missing part is exactly the
  // part above and left of the snapshot.
  PatBlt(lens_.dc(), 0, 0, kLens, kLens, WHITENESS);
  DrawLens(lens_.dc(), kLens, kLens, snap_.dc(), area_, {-150, -120, kLens, kLens}, 1);
  EXPECT_EQ(lens_.Pixel(149, 119), RGB(255, 255, 255));
  EXPECT_EQ(lens_.Pixel(150, 119), RGB(255, 255, 255));
  EXPECT_EQ(lens_.Pixel(149, 120), RGB(255, 255, 255));
  EXPECT_EQ(lens_.Pixel(150, 120), PatternColour(0, 0, 0));
}

// A snapshot of a monitor left of and above the primary one (negative
// screen coordinates), and of one to its right: the same lens at the same
// place of the snapshot, whole and hanging over each edge.
TEST_F(LensDrawTest, SnapshotsOfOtherMonitorsAreReadAtTheirScreenPlace) {
  for (const SourceRect area : {SourceRect{-1920, -300, kSnapW, kSnapH}, SourceRect{1024, 0, kSnapW, kSnapH}}) {
    area_ = area;
    const int places[][2] = {{100, 100}, {-150, -120}, {560, 40}, {300, 400}};
    for (const auto& p : places) {
      for (int zoom : {1, 2, 5}) {
        PatBlt(lens_.dc(), 0, 0, kLens, kLens, WHITENESS);
        EXPECT_EQ(DrawAndCheck(area.x + p[0], area.y + p[1], zoom), "")
            << "area at " << area.x << "," << area.y << ", lens at " << p[0] << "," << p[1] << " factor " << zoom;
      }
    }
  }
  // A lens at the primary monitor's origin reads nothing of a snapshot of
  // the monitor on its left.
  area_ = SourceRect{-kSnapW, 0, kSnapW, kSnapH};
  PatBlt(lens_.dc(), 0, 0, kLens, kLens, WHITENESS);
  DrawLens(lens_.dc(), kLens, kLens, snap_.dc(), area_, {0, 0, kLens, kLens}, 1);
  EXPECT_EQ(lens_.Pixel(0, 0), RGB(255, 255, 255));
  DrawLens(lens_.dc(), kLens, kLens, snap_.dc(), area_, {-1, 0, kLens, kLens}, 1);
  EXPECT_EQ(lens_.Pixel(0, 0), PatternColour(kSnapW - 1, 0, 0));
  EXPECT_EQ(lens_.Pixel(1, 0), RGB(255, 255, 255));
}

TEST_F(LensDrawTest, SourceWhollyOffTheSnapshotLeavesTheBackgroundAlone) {
  // A background that is not white must survive untouched.
  win::Brush brush(CreateSolidBrush(RGB(10, 20, 30)));
  RECT all{0, 0, kLens, kLens};
  FillRect(lens_.dc(), &all, brush.get());
  DrawLens(lens_.dc(), kLens, kLens, snap_.dc(), area_, {kSnapW + 5, 0, 92, 92}, 2);
  EXPECT_EQ(lens_.Pixel(0, 0), RGB(10, 20, 30));
  EXPECT_EQ(lens_.Pixel(184, 184), RGB(10, 20, 30));
}

TEST_F(LensDrawTest, PartlyOffKeepsAPictureBackgroundNotJustWhite) {
  // Background with a gradient (as a skin's lens picture gives): the off part keeps it pixel for pixel.
  for (int j = 0; j < kLens; ++j) {
    for (int i = 0; i < kLens; ++i) lens_.bits()[j * kLens + i] = static_cast<DWORD>((i << 16) | (j << 8) | 0x40);
  }
  DrawLens(lens_.dc(), kLens, kLens, snap_.dc(), area_, {-100, 0, kLens, kLens}, 1);
  EXPECT_EQ(lens_.Pixel(99, 50), RGB(99, 50, 0x40));
  EXPECT_EQ(lens_.Pixel(0, 184), RGB(0, 184, 0x40));
  EXPECT_EQ(lens_.Pixel(100, 50), PatternColour(0, 50, 0));
}

}  // namespace
}  // namespace ocural
