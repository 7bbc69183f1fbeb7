#include "platform/core/placement.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ocural {
namespace {

struct PlaceCase {
  const char* what;
  int width, height;
  WorkArea monitor, work;
  WindowPlace want;
};

TEST(CentredOnWorkArea, CentredOnTheMonitorWhenItFitsAndTheTopLeftOnTheWorkAreaWhenNot) {
  // A 1024 x 768 primary monitor, and a 1280 x 1024 one left of it.
  const WorkArea primary{0, 0, 1024, 768}, left{-1280, -256, 0, 768};
  const PlaceCase cases[] = {
      {"fits: centred", 331, 191, primary, primary, {346, 288}},
      {"wider than the screen: left edge on it", 1100, 300, primary, primary, {0, 234}},
      {"larger both ways: top-left corner on it", 1600, 900, primary, primary, {0, 0}},
      {"bar at the top, tall window: caption below the bar", 400, 760, primary, {0, 40, 1024, 768}, {312, 40}},
      {"bar at the bottom: pushed up off it", 400, 700, primary, {0, 0, 1024, 728}, {312, 28}},
      {"bar at the left: moved right of it", 900, 300, primary, {100, 0, 1024, 768}, {100, 234}},
      {"bar at the left, wider than the rest: left edge beside the bar", 980, 300, primary, {60, 0, 1024, 768},
       {60, 234}},
      {"on the left monitor: centred on it", 331, 191, left, left, {-806, 160}},
      {"on the left monitor, bar at its bottom: pushed up", 400, 980, left, {-1280, -256, 0, 728}, {-840, -252}},
      {"larger than the left monitor: its top-left corner", 1600, 1100, left, left, {-1280, -256}},
  };
  for (const PlaceCase& c : cases) EXPECT_EQ(CentredOnWorkArea(c.width, c.height, c.monitor, c.work), c.want) << c.what;
}

}  // namespace
}  // namespace ocural

namespace ocural {
namespace {

// A 201 x 225 window on a 1024 x 768 monitor with a 40-pixel bar at the
// bottom, and on that monitor beside a second one left of it.
TEST(ReachablePlace, KeptWhileAUsablePartShowsElsePutWholeOnTheNearestWorkArea) {
  const std::vector<WorkArea> one = {{0, 0, 1024, 728}};
  const std::vector<WorkArea> two = {{0, 0, 1024, 728}, {-1280, 0, 0, 1024}};
  struct Case {
    const char* what;
    WindowPlace at;
    const std::vector<WorkArea>& works;
    WindowPlace want;
  };
  const Case cases[] = {
      {"whole on the monitor", {300, 200}, one, {300, 200}},
      {"32 pixels left at the right edge", {992, 200}, one, {992, 200}},
      {"31 pixels left at the right edge", {993, 200}, one, {823, 200}},
      {"32 pixels left above the bar", {300, 696}, one, {300, 696}},
      {"on the bar only", {300, 730}, one, {300, 503}},
      {"far beyond the right edge", {5000, 200}, one, {823, 200}},
      {"beyond both edges", {5000, 5000}, one, {823, 503}},
      {"on a monitor since removed", {-900, 300}, one, {0, 300}},
      {"on the monitor at the left", {-900, 300}, two, {-900, 300}},
      {"off that monitor's bottom", {-900, 1010}, two, {-900, 799}},
      {"between both, nearer the left one", {-1300, -400}, two, {-1280, 0}},
      {"no monitor known", {5000, 5000}, {}, {5000, 5000}},
  };
  for (const Case& c : cases) EXPECT_EQ(ReachablePlace(c.at, 201, 225, c.works), c.want) << c.what;
}

}  // namespace
}  // namespace ocural

namespace ocural {
namespace {

// A disc of diameter 200 cut into one-pixel rows, as a round skin's region.
std::vector<PixelRect> Disc() {
  std::vector<PixelRect> rows;
  for (int y = 0; y < 200; ++y) {
    const double dy = y + 0.5 - 100;
    const int half = static_cast<int>(std::sqrt(100.0 * 100 - dy * dy));
    rows.push_back({100 - half, y, 100 + half, y + 1});
  }
  return rows;
}

TEST(ReachablePlace, JudgedByTheOutlineNotTheRectangle) {
  const std::vector<WorkArea> one = {{0, 0, 1024, 728}};
  const std::vector<WorkArea> two = {{0, 0, 1024, 728}, {-800, 0, 0, 600}};
  // A ring 10 pixels wide: no 32 x 32 block anywhere.
  const std::vector<PixelRect> ring = {{0, 0, 200, 10}, {0, 190, 200, 200}, {0, 10, 10, 190}, {190, 10, 200, 190}};
  // Two blocks that overlap, and a tall one given as a single rectangle.
  const std::vector<PixelRect> blocks = {{0, 0, 40, 20}, {10, 10, 50, 40}, {160, 0, 200, 200}};
  struct Case {
    const char* what;
    WindowPlace at;
    std::vector<PixelRect> outline;
    const std::vector<WorkArea>& works;
    WindowPlace want;
  };
  const Case cases[] = {
      {"disc: only the cut-away corner on the monitor", {992, 696}, Disc(), one, {824, 528}},
      {"disc: 32 x 32 of the rectangle but the disc's edge only", {-168, 300}, Disc(), one, {0, 300}},
      {"disc: a third of it on the monitor", {-134, 300}, Disc(), one, {-134, 300}},
      {"disc on the monitor at the left", {-500, 100}, Disc(), two, {-500, 100}},
      {"disc across the border, 40 on the primary", {-160, 300}, Disc(), two, {-160, 300}},
      {"ring whole on the monitor", {300, 300}, ring, one, {300, 300}},
      {"ring partly off: comes whole onto it", {900, 300}, ring, one, {824, 300}},
      {"overlapping blocks make one 40 x 40", {-10, 0}, blocks, one, {-10, 0}},
      {"the tall block alone, 32 wide", {-168, 100}, blocks, one, {-168, 100}},
      {"the tall block alone, 31 wide", {-169, 100}, blocks, one, {0, 100}},
      {"no outline: the rectangle", {992, 696}, {}, one, {992, 696}},
  };
  for (const Case& c : cases) EXPECT_EQ(ReachablePlace(c.at, 200, 200, c.outline, c.works), c.want) << c.what;
}

}  // namespace
}  // namespace ocural
