#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "magnifier/core/stale_area.h"

namespace ocural {
namespace {

// A 64 x 48 place (4 x 3 tiles): body everywhere but a lens square at
// (16, 8)-(48, 40), and what the window showed there before it moved away.
struct Place {
  static constexpr int32_t kW = 64, kH = 48;
  std::vector<Cover> cover = std::vector<Cover>(kW * kH, Cover::Body);
  std::vector<uint32_t> before = std::vector<uint32_t>(kW * kH);
  std::vector<uint32_t> after;
  Place() {
    for (int32_t y = 0; y < kH; ++y) {
      for (int32_t x = 0; x < kW; ++x) {
        const bool lens = x >= 16 && x < 48 && y >= 8 && y < 40;
        if (lens) cover[y * kW + x] = Cover::Lens;
        before[y * kW + x] = lens ? 0x00FFFFFFu : 0x00806040u + static_cast<uint32_t>(x);
      }
    }
    after = before;
  }
  // Changes `after` where `where` holds, to something the window never showed.
  void Repaint(const std::function<bool(int32_t, int32_t)>& where) {
    for (int32_t y = 0; y < kH; ++y) {
      for (int32_t x = 0; x < kW; ++x) {
        if (where(x, y)) after[y * kW + x] = 0x00123456u;
      }
    }
  }
  SourceRect Stale() const {
    return StaleArea(PixelView{before.data(), kW}, PixelView{after.data(), kW}, cover.data(), kW, kH);
  }
};

// Checks a rectangle by its edges: left, top, right, bottom.
void ExpectRect(const SourceRect& r, int32_t l, int32_t t, int32_t rt, int32_t b) {
  EXPECT_EQ(r.x, l);
  EXPECT_EQ(r.y, t);
  EXPECT_EQ(r.x + r.width, rt);
  EXPECT_EQ(r.y + r.height, b);
}

TEST(StaleAreaTest, NothingRepaintedIsStaleEverywhere) {
  Place p;
  ExpectRect(p.Stale(), 0, 0, 64, 48);
}

TEST(StaleAreaTest, ARepaintedPlaceIsReady) {
  Place p;
  p.Repaint([](int32_t, int32_t) { return true; });
  EXPECT_TRUE(p.Stale().width <= 0);
}

TEST(StaleAreaTest, OnlyTheTilesNotYetRepaintedAreStale) {
  // Two windows under the place: the left one has repainted, the right one
  // (x from 48) has not.
  Place p;
  p.Repaint([](int32_t x, int32_t) { return x < 48; });
  ExpectRect(p.Stale(), 48, 0, 64, 48);
  // A single pixel of the window changed is enough for its tile.
  p.Repaint([](int32_t x, int32_t y) { return x == 50 && y == 20; });
  ExpectRect(p.Stale(), 48, 0, 64, 48);  // the tiles above and below still wait
}

TEST(StaleAreaTest, ALensThatMatchesWhatItCoveredIsNotStale) {
  // At factor 1 over a still screen, or over a plain area, the lens shows
  // exactly what lies under it; the body tells.
  Place p;
  p.Repaint([](int32_t x, int32_t y) { return !(x >= 16 && x < 48 && y >= 8 && y < 40); });
  EXPECT_TRUE(p.Stale().width <= 0);
}

TEST(StaleAreaTest, PixelsThatAreNotTheWindowsAndTheTopByteAreIgnored) {
  Place p;
  // Cut away, off the screen or under another window: a change there says
  // nothing about the window's place.
  for (int32_t x = 0; x < 16; ++x) p.cover[5 * Place::kW + x] = Cover::None;
  p.Repaint([](int32_t x, int32_t y) { return y == 5 && x < 16; });
  ExpectRect(p.Stale(), 0, 0, 64, 48);

  Place q;
  for (auto& px : q.after) px |= 0xFF000000u;
  ExpectRect(q.Stale(), 0, 0, 64, 48);
}

TEST(StaleAreaTest, TilesWithFewBodyPixelsAreNotJudgedAlone) {
  Place p;
  // A tile with 20 body pixels and no change next to changed tiles: too few
  // pixels to tell a slow repaint from a background that looks the same.
  for (auto& c : p.cover) c = Cover::Lens;
  for (int32_t i = 0; i < 20; ++i) p.cover[i] = Cover::Body;         // tile (0, 0)
  for (int32_t i = 0; i < 40; ++i) p.cover[20 * 64 + i] = Cover::Body;  // tiles (0..2, 1)
  p.Repaint([](int32_t x, int32_t y) { return y == 20 && x < 40; });
  EXPECT_TRUE(p.Stale().width <= 0);
  // With no tile holding enough body pixels, the place is judged as one.
  Place thin;
  for (auto& c : thin.cover) c = Cover::Lens;
  for (int32_t i = 0; i < 10; ++i) thin.cover[i * 64 + 3] = Cover::Body;
  ExpectRect(thin.Stale(), 0, 0, 64, 48);
  thin.Repaint([](int32_t x, int32_t y) { return x == 3 && y == 9; });
  EXPECT_TRUE(thin.Stale().width <= 0);
  // A place of lens alone cannot be judged.
  for (auto& c : thin.cover) c = Cover::Lens;
  thin.after = thin.before;
  EXPECT_TRUE(thin.Stale().width <= 0);
}

TEST(StaleAreaTest, EdgeTilesAndEmptyPlaces) {
  // 20 x 20: the last tiles are cut to the place, 4 pixels wide or tall.
  std::vector<Cover> cover(20 * 20, Cover::Body);
  std::vector<uint32_t> px(20 * 20, 7);
  std::vector<uint32_t> other(20 * 20, 7);
  const PixelView v{px.data(), 20};
  const PixelView o{other.data(), 20};
  ExpectRect(StaleArea(v, o, cover.data(), 20, 20), 0, 0, 20, 20);
  for (int32_t y = 0; y < 16; ++y) {
    for (int32_t x = 0; x < 16; ++x) other[y * 20 + x] = 8;
  }
  // The right and bottom edge tiles (64 body pixels) still wait; the corner
  // tile (16) is too small to be judged.
  ExpectRect(StaleArea(v, o, cover.data(), 20, 20), 0, 0, 20, 20);
  for (int32_t y = 0; y < 16; ++y) other[y * 20 + 17] = 8;
  ExpectRect(StaleArea(v, o, cover.data(), 20, 20), 0, 16, 16, 20);
  EXPECT_TRUE(StaleArea(v, v, cover.data(), 0, 20).width <= 0);
  EXPECT_TRUE(StaleArea(v, v, cover.data(), 20, -1).width <= 0);
}

}  // namespace
}  // namespace ocural
