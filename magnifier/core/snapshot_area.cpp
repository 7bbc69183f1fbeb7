#include "magnifier/core/snapshot_area.h"

#include <algorithm>

namespace ocural {

SourceRect SnapshotArea(const ScreenRect& window, const ScreenRect& lens, const ScreenRect& screens) {
  const int64_t left = std::max<int64_t>(std::min<int64_t>(window.left, int64_t{lens.left} - 1), screens.left);
  const int64_t top = std::max<int64_t>(std::min<int64_t>(window.top, int64_t{lens.top} - 1), screens.top);
  const int64_t right = std::min<int64_t>(std::max<int64_t>(window.right, int64_t{lens.right} + 1), screens.right);
  const int64_t bottom =
      std::min<int64_t>(std::max<int64_t>(window.bottom, int64_t{lens.bottom} + 1), screens.bottom);
  if (right <= left || bottom <= top) return {};
  return SourceRect{static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right - left),
                    static_cast<int32_t>(bottom - top)};
}

}  // namespace ocural
