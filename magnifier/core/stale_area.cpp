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

}  // namespace

SourceRect UnionOf(const SourceRect& a, const SourceRect& b) {
  if (a.width <= 0) return b;
  if (b.width <= 0) return a;
  const int32_t left = std::min(a.x, b.x), top = std::min(a.y, b.y);
  const int32_t right = std::max(a.x + a.width, b.x + b.width), bottom = std::max(a.y + a.height, b.y + b.height);
  return SourceRect{left, top, right - left, bottom - top};
}

SourceRect StaleArea(const PixelView& before, const PixelView& after, const Cover* cover, int32_t coverStride,
                     int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) return {};
  const int32_t across = (width + kStaleTile - 1) / kStaleTile;
  const int32_t down = (height + kStaleTile - 1) / kStaleTile;
  std::vector<Tile> tiles(static_cast<size_t>(across) * static_cast<size_t>(down));
  Tile whole;
  for (int32_t y = 0; y < height; ++y) {
    Tile* row = &tiles[static_cast<size_t>(y / kStaleTile) * static_cast<size_t>(across)];
    const Cover* c = cover + static_cast<int64_t>(y) * coverStride;
    for (int32_t x = 0; x < width; ++x) {
      if (c[x] == Cover::None) continue;
      Tile& t = row[x / kStaleTile];
      ++t.covered;
      if (c[x] == Cover::Body) ++t.body;
      if (!t.changed && before.At(x, y) != after.At(x, y)) t.changed = true;
    }
  }
  SourceRect stale;
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
      const SourceRect r{tx * kStaleTile, ty * kStaleTile, std::min(kStaleTile, width - tx * kStaleTile),
                         std::min(kStaleTile, height - ty * kStaleTile)};
      stale = UnionOf(stale, r);
    }
  }
  if (!judged && whole.body > 0 && !whole.changed) return SourceRect{0, 0, width, height};
  return stale;
}

}  // namespace ocural
