#include "magnifier/core/stale_area.h"

#include <algorithm>
#include <vector>

namespace ocural {

namespace {

struct Tile {
  int32_t body = 0;      // body pixels in the tile
  int32_t covered = 0;   // pixels of the window in the tile
  bool changed = false;  // some pixel of the window differs from before
};

PixelRect Union(const PixelRect& a, const PixelRect& b) {
  if (a.Empty()) return b;
  return PixelRect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                   std::max(a.bottom, b.bottom)};
}

}  // namespace

PixelRect StaleArea(const PixelView& before, const PixelView& after, const Cover* cover, int32_t width,
                    int32_t height) {
  if (width <= 0 || height <= 0) return {};
  const int32_t across = (width + kStaleTile - 1) / kStaleTile;
  const int32_t down = (height + kStaleTile - 1) / kStaleTile;
  std::vector<Tile> tiles(static_cast<size_t>(across) * static_cast<size_t>(down));
  Tile whole;
  for (int32_t y = 0; y < height; ++y) {
    Tile* row = &tiles[static_cast<size_t>(y / kStaleTile) * static_cast<size_t>(across)];
    const Cover* c = cover + static_cast<int64_t>(y) * width;
    for (int32_t x = 0; x < width; ++x) {
      if (c[x] == Cover::None) continue;
      Tile& t = row[x / kStaleTile];
      ++t.covered;
      if (c[x] == Cover::Body) ++t.body;
      if (!t.changed && before.At(x, y) != after.At(x, y)) t.changed = true;
    }
  }
  PixelRect stale;
  bool judged = false;
  for (int32_t ty = 0; ty < down; ++ty) {
    for (int32_t tx = 0; tx < across; ++tx) {
      const Tile& t = tiles[static_cast<size_t>(ty) * static_cast<size_t>(across) + static_cast<size_t>(tx)];
      whole.body += t.body;
      whole.covered += t.covered;
      whole.changed = whole.changed || t.changed;
      if (t.body < kStaleTileBody) continue;
      judged = true;
      if (t.changed) continue;
      const PixelRect r{tx * kStaleTile, ty * kStaleTile, std::min(width, (tx + 1) * kStaleTile),
                        std::min(height, (ty + 1) * kStaleTile)};
      stale = Union(stale, r);
    }
  }
  if (!judged && whole.body > 0 && !whole.changed) return PixelRect{0, 0, width, height};
  return stale;
}

}  // namespace ocural
