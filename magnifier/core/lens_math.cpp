#include "magnifier/core/lens_math.h"

#include <algorithm>

#include "platform/core/vbmath.h"

namespace ocural {

SourceRect CalcSourceRectFor(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t zoom) {
  const double factor = zoom < 1 ? 1.0 : static_cast<double>(zoom);
  const double w = static_cast<double>(right) - left;
  const double h = static_cast<double>(bottom) - top;
  const int32_t cx = NearestInt32(w / 2 + left);
  const int32_t cy = NearestInt32(h / 2 + top);

  SourceRect r;
  r.width = std::max<int32_t>(1, NearestInt32(w / factor));
  r.height = std::max<int32_t>(1, NearestInt32(h / factor));
  r.x = NearestInt32(cx - r.width / 2.0);
  r.y = NearestInt32(cy - r.height / 2.0);
  return r;
}

SourceRect IntersectWithImage(const SourceRect& rect, int32_t width, int32_t height) {
  const int64_t x0 = std::max<int64_t>(rect.x, 0);
  const int64_t y0 = std::max<int64_t>(rect.y, 0);
  const int64_t x1 = std::min<int64_t>(static_cast<int64_t>(rect.x) + rect.width, width);
  const int64_t y1 = std::min<int64_t>(static_cast<int64_t>(rect.y) + rect.height, height);
  SourceRect r;
  if (x1 <= x0 || y1 <= y0) return r;
  r.x = static_cast<int32_t>(x0);
  r.y = static_cast<int32_t>(y0);
  r.width = static_cast<int32_t>(x1 - x0);
  r.height = static_cast<int32_t>(y1 - y0);
  return r;
}

}  // namespace ocural
