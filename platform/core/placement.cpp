#include "platform/core/placement.h"

#include <algorithm>

namespace ocural {
namespace {

int Place(int centred, int size, int low, int high) {
  // Pulled in from the far edge first, so that the near edge wins.
  return std::max(std::min(centred, high - size), low);
}

}  // namespace

WindowPlace CentredOnWorkArea(int width, int height, const WorkArea& monitor, const WorkArea& work) {
  return {Place(monitor.left + (monitor.right - monitor.left - width) / 2, width, work.left, work.right),
          Place(monitor.top + (monitor.bottom - monitor.top - height) / 2, height, work.top, work.bottom)};
}

WindowPlace ReachablePlace(WindowPlace at, int width, int height, const std::vector<WorkArea>& works, int usable) {
  const long long left = at.x, top = at.y, right = left + width, bottom = top + height;
  const long long needX = std::min<long long>(usable, width), needY = std::min<long long>(usable, height);
  const WorkArea* nearest = nullptr;
  long long nearestGap = 0;
  for (const WorkArea& w : works) {
    const long long overX = std::min<long long>(right, w.right) - std::max<long long>(left, w.left);
    const long long overY = std::min<long long>(bottom, w.bottom) - std::max<long long>(top, w.top);
    if (overX >= needX && overY >= needY) return at;
    // How far the window lies from this area: the sum of the gaps on each
    // axis, negative for an overlap, so the area it overlaps most wins.
    const long long gap = -std::min<long long>(overX, 0) - std::min<long long>(overY, 0) -
                          std::max<long long>(overX, 0) * std::max<long long>(overY, 0);
    if (!nearest || gap < nearestGap) {
      nearest = &w;
      nearestGap = gap;
    }
  }
  if (!nearest) return at;
  return {Place(at.x, width, nearest->left, nearest->right), Place(at.y, height, nearest->top, nearest->bottom)};
}

}  // namespace ocural
