#include <gtest/gtest.h>

#include "magnifier/core/lens_math.h"
#include "platform/core/vbmath.h"

namespace ocural {
namespace {

void ExpectRect(const SourceRect& r, int32_t x, int32_t y, int32_t w, int32_t h) {
  EXPECT_EQ(r.x, x);
  EXPECT_EQ(r.y, y);
  EXPECT_EQ(r.width, w);
  EXPECT_EQ(r.height, h);
}

TEST(NearestTest, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(NearestInt32(92.5), 92);
  EXPECT_EQ(NearestInt32(99.5), 100);
  EXPECT_EQ(NearestInt32(192.5), 192);
  EXPECT_EQ(NearestInt32(175.5), 176);
  EXPECT_EQ(NearestInt32(-0.5), 0);
  EXPECT_EQ(NearestInt32(-1.5), -2);
  EXPECT_EQ(NearestInt32(-2.5), -2);
  EXPECT_EQ(NearestInt32(2.4999999), 2);
  EXPECT_EQ(NearestInt32(2.5000001), 3);
  EXPECT_EQ(NearestInt32(-7.2), -7);
}

TEST(NearestTest, OutOfRangeAndNaNStayDefined) {
  EXPECT_EQ(NearestInt32(1e300), INT32_MAX);
  EXPECT_EQ(NearestInt32(-1e300), INT32_MIN);
  EXPECT_EQ(NearestInt32(2147483647.4), INT32_MAX);
  EXPECT_EQ(NearestInt32(std::nan("")), 0);
}

// The worked examples: a 185 x 185 lens whose outer rectangle starts at (100, 100).
TEST(SourceRectTest, WorkedExamplesAtFactorsOneTwoThreeTwelve) {
  ExpectRect(CalcSourceRectFor(100, 100, 285, 285, 1), 100, 100, 185, 185);
  ExpectRect(CalcSourceRectFor(100, 100, 285, 285, 2), 146, 146, 92, 92);
  ExpectRect(CalcSourceRectFor(100, 100, 285, 285, 3), 161, 161, 62, 62);
  ExpectRect(CalcSourceRectFor(100, 100, 285, 285, 12), 184, 184, 15, 15);
}

TEST(SourceRectTest, OddPlacesRoundHalfToEvenAtEveryStep) {
  // 186 wide at left 101, factor 5: centre 194, width 37, left nearest(175.5) = 176.
  const SourceRect r = CalcSourceRectFor(101, 0, 287, 186, 5);
  EXPECT_EQ(r.width, 37);
  EXPECT_EQ(r.x, 176);
  // Centre of a 185 lens at 101: nearest(193.5) = 194; factor 2: nearest(194 - 46) = 148.
  EXPECT_EQ(CalcSourceRectFor(101, 101, 286, 286, 2).x, 148);
  // Non-square lens: each axis on its own.
  ExpectRect(CalcSourceRectFor(0, 0, 200, 100, 4), 75, 38, 50, 25);
}

TEST(SourceRectTest, LensBeyondTheScreenGivesNegativeOrFarCoordinates) {
  ExpectRect(CalcSourceRectFor(-150, -150, 35, 35, 2), -104, -104, 92, 92);
  ExpectRect(CalcSourceRectFor(5000, 10, 5185, 195, 1), 5000, 10, 185, 185);
}

TEST(SourceRectTest, HugeFactorKeepsOneCentrePixel) {
  // 185 / 400 rounds to 0: one pixel at the centre.
  ExpectRect(CalcSourceRectFor(100, 100, 285, 285, 400), 192, 192, 1, 1);
  ExpectRect(CalcSourceRectFor(100, 100, 285, 285, 32767), 192, 192, 1, 1);
  // 185 / 300 rounds to 1 with no help: same answer, so the guard does not jump.
  ExpectRect(CalcSourceRectFor(100, 100, 285, 285, 300), 192, 192, 1, 1);
}

TEST(SourceRectTest, FactorBelowOneIsTreatedAsOne) {
  ExpectRect(CalcSourceRectFor(100, 100, 285, 285, 0), 100, 100, 185, 185);
  ExpectRect(CalcSourceRectFor(100, 100, 285, 285, -3), 100, 100, 185, 185);
}

TEST(SourceRectTest, SourceIsCentredAndShrinksWithTheFactor) {
  // For every factor the source keeps the lens's centre within a pixel and stays
  // inside the lens grown by the one pixel that two roundings can shift it
  // (at an odd left edge even factor 1 reads one pixel to the right).
  EXPECT_EQ(CalcSourceRectFor(37, 50, 222, 235, 1).x, 38);
  for (int zoom = 1; zoom <= 64; ++zoom) {
    const SourceRect r = CalcSourceRectFor(37, 50, 222, 235, zoom);
    SourceRect lens{36, 49, 187, 187};
    EXPECT_TRUE(Contains(lens, r)) << "zoom " << zoom;
    EXPECT_LE(std::abs((r.x + r.width / 2.0) - 129.5), 1.0) << "zoom " << zoom;
    EXPECT_GE(r.width, 1);
    EXPECT_LE(r.width, (185 + zoom - 1) / zoom + 1) << "zoom " << zoom;
  }
}

TEST(IntersectTest, ClipsToTheImage) {
  ExpectRect(IntersectWithImage({-10, -5, 30, 20}, 100, 100), 0, 0, 20, 15);
  ExpectRect(IntersectWithImage({90, 95, 30, 20}, 100, 100), 90, 95, 10, 5);
  ExpectRect(IntersectWithImage({10, 10, 5, 5}, 100, 100), 10, 10, 5, 5);
  const SourceRect none = IntersectWithImage({100, 0, 5, 5}, 100, 100);
  EXPECT_EQ(none.width * none.height, 0);
  const SourceRect above = IntersectWithImage({0, -20, 5, 20}, 100, 100);
  EXPECT_EQ(above.width * above.height, 0);
}

}  // namespace
}  // namespace ocural
