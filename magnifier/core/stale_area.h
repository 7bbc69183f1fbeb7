// Whether the place the magnifier just left shows the rest of the screen yet.
//
// While a snapshot is taken the window stands above the screen, and the
// windows it uncovered repaint in their own time. Until one of them has, its
// part of the place can still hold the magnifier's own pixels. Those pixels
// are read just before the window moves away and compared with the snapshot.
#pragma once

#include <cstdint>

#include "magnifier/core/lens_math.h"

namespace ocural {

// What a pixel of the window's place is, as seen on the screen just before
// the move: none of the window's (cut away, off the screen, under another
// window), the lens, or the rest of the window (the body, its buttons).
enum class Cover : uint8_t { None = 0, Lens = 1, Body = 2 };

// Pixels as 0x00RRGGBB (the top byte is ignored), row by row, `stride` pixels
// from one row to the next.
struct PixelView {
  const uint32_t* pixels = nullptr;
  int32_t stride = 0;
  uint32_t At(int32_t x, int32_t y) const { return pixels[static_cast<int64_t>(y) * stride + x] & 0xFFFFFFu; }
};

// The part of a width x height place that still shows the window: the
// bounding box of the square tiles (kStaleTile pixels a side) in which no
// pixel of the window has changed, counting only tiles that hold at least
// kStaleTileBody body pixels. The lens alone cannot tell: it shows the screen
// under it, so at factor 1 or over a plain area it matches what it uncovers.
// A place with body pixels but no tile that holds enough of them is judged as
// one tile. Width 0 when the place shows the screen.
constexpr int32_t kStaleTile = 16;
constexpr int32_t kStaleTileBody = 32;
// The smallest rectangle holding both; an empty one (width 0) holds nothing.
SourceRect UnionOf(const SourceRect& a, const SourceRect& b);

// `cover` holds a row of `coverStride` entries for each row of the place.
SourceRect StaleArea(const PixelView& before, const PixelView& after, const Cover* cover, int32_t coverStride,
                     int32_t width, int32_t height);
inline SourceRect StaleArea(const PixelView& before, const PixelView& after, const Cover* cover, int32_t width,
                            int32_t height) {
  return StaleArea(before, after, cover, width, width, height);
}

}  // namespace ocural
