// Geometry of the lens: which part of the screen snapshot it magnifies.
#pragma once

#include <cstdint>

namespace ocural {

struct SourceRect {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
};

// The source rectangle for a lens whose outer rectangle on the screen is
// (left, top)-(right, bottom), at the given factor: centred on the lens's
// centre and 1/zoom of its size, every step rounded half to even.
//
// Two guards keep the arithmetic defined: a factor below 1 counts as 1, and a
// size that rounds to 0 is kept at one pixel, so a huge factor shows the
// centre pixel enlarged over the whole lens.
SourceRect CalcSourceRectFor(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t zoom);

// The part of `rect` that lies inside a width x height image anchored at the
// origin; width or height 0 when they do not meet.
SourceRect IntersectWithImage(const SourceRect& rect, int32_t width, int32_t height);

inline bool Contains(const SourceRect& outer, const SourceRect& inner) {
  return inner.x >= outer.x && inner.y >= outer.y &&
         static_cast<int64_t>(inner.x) + inner.width <= static_cast<int64_t>(outer.x) + outer.width &&
         static_cast<int64_t>(inner.y) + inner.height <= static_cast<int64_t>(outer.y) + outer.height;
}

}  // namespace ocural
