#include <gtest/gtest.h>

#include "magnifier/core/zoom.h"

namespace ocural {
namespace {

TEST(ZoomAreaTest, EdgesAreInsideAndAShownButtonTakesItsOwnArea) {
  const SkinRect r{10, 20, 30, 40};
  EXPECT_TRUE(ZoomAreaHot(10, 30, r, false));
  EXPECT_TRUE(ZoomAreaHot(20, 40, r, false));
  EXPECT_TRUE(ZoomAreaHot(15.5f, 35.25f, r, false));
  EXPECT_FALSE(ZoomAreaHot(20.5f, 35, r, false));
  EXPECT_FALSE(ZoomAreaHot(9.99f, 35, r, false));
  EXPECT_FALSE(ZoomAreaHot(15, 40.01f, r, false));
  EXPECT_FALSE(ZoomAreaHot(15, 35, r, true));
}

TEST(ZoomAreaTest, NoSkinMeansEveryLeftPressDrags) {
  const SkinRect none{};
  // With no skin both rectangles are 0 and both buttons shown.
  EXPECT_EQ(BodyPressAction(1, 0, 0, none, true, none, true), PressAction::Drag);
  EXPECT_EQ(BodyPressAction(1, 100, 210, none, true, none, true), PressAction::Drag);
  EXPECT_EQ(BodyPressAction(2, 0, 0, none, true, none, true), PressAction::Nothing);
  EXPECT_EQ(BodyPressAction(4, 0, 0, none, true, none, true), PressAction::Nothing);
}

TEST(ZoomAreaTest, PaintedAreasZoomAndZoomInWinsWhereTheyOverlap) {
  const SkinRect in{10, 30, 10, 30}, out{25, 50, 25, 50};
  EXPECT_EQ(BodyPressAction(1, 12, 12, in, false, out, false), PressAction::ZoomIn);
  EXPECT_EQ(BodyPressAction(1, 27, 27, in, false, out, false), PressAction::ZoomIn);
  EXPECT_EQ(BodyPressAction(1, 45, 45, in, false, out, false), PressAction::ZoomOut);
  EXPECT_EQ(BodyPressAction(1, 27, 27, in, true, out, false), PressAction::ZoomOut);
  EXPECT_EQ(BodyPressAction(1, 60, 60, in, false, out, false), PressAction::Drag);
  EXPECT_EQ(BodyPressAction(2, 12, 12, in, false, out, false), PressAction::Nothing);
}

TEST(ZoomStepTest, ZoomInStopsAtTheTopOfSixteenBits) {
  EXPECT_EQ(ZoomedIn(2), 3);
  EXPECT_EQ(ZoomedIn(12), 13);
  EXPECT_EQ(ZoomedIn(32766), 32767);
  EXPECT_EQ(ZoomedIn(32767), 32767);
}

}  // namespace
}  // namespace ocural
