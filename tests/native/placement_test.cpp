#include "platform/core/placement.h"

#include <gtest/gtest.h>

namespace ocural {
namespace {

struct PlaceCase {
  const char* what;
  int width, height;
  WorkArea work;
  WindowPlace want;
};

TEST(CentredOnWorkArea, CentredWhenItFitsAndTheTopLeftOnTheWorkAreaWhenNot) {
  // A 1024 x 768 screen.
  const PlaceCase cases[] = {
      {"fits: centred", 331, 191, {0, 0, 1024, 768}, {346, 288}},
      {"wider than the screen: left edge on it", 1100, 300, {0, 0, 1024, 768}, {0, 234}},
      {"larger both ways: top-left corner on it", 1600, 900, {0, 0, 1024, 768}, {0, 0}},
      {"bar at the top, tall window: caption below the bar", 400, 760, {0, 40, 1024, 768}, {312, 40}},
      {"bar at the bottom: pushed up off it", 400, 700, {0, 0, 1024, 728}, {312, 28}},
      {"bar at the left: moved right of it", 900, 300, {100, 0, 1024, 768}, {100, 234}},
      {"bar at the left, wider than the rest: left edge beside the bar", 980, 300, {60, 0, 1024, 768}, {60, 234}},
  };
  for (const PlaceCase& c : cases) {
    EXPECT_EQ(CentredOnWorkArea(c.width, c.height, 1024, 768, c.work), c.want) << c.what;
  }
}

}  // namespace
}  // namespace ocural
