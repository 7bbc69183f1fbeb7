#include "platform/core/placement.h"

#include <algorithm>
#include <utility>

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

namespace {

using Span = std::pair<long long, long long>;  // [first, second)

// The parts of `a` that `b` covers too; both sorted and apart.
std::vector<Span> Common(const std::vector<Span>& a, const std::vector<Span>& b) {
  std::vector<Span> out;
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const long long lo = std::max(a[i].first, b[j].first), hi = std::min(a[i].second, b[j].second);
    if (lo < hi) out.emplace_back(lo, hi);
    (a[i].second < b[j].second ? i : j)++;
  }
  return out;
}

}  // namespace

bool OutlineBlockOn(WindowPlace at, const std::vector<PixelRect>& outline, const WorkArea& work, int needX,
                    int needY) {
  // The outline on the work area, cut into bands of rows across which no
  // rectangle starts or ends; each band is a sorted list of spans.
  std::vector<PixelRect> parts;
  std::vector<long long> ys;
  for (const PixelRect& r : outline) {
    const long long left = std::max<long long>(at.x + static_cast<long long>(r.left), work.left);
    const long long right = std::min<long long>(at.x + static_cast<long long>(r.right), work.right);
    const long long top = std::max<long long>(at.y + static_cast<long long>(r.top), work.top);
    const long long bottom = std::min<long long>(at.y + static_cast<long long>(r.bottom), work.bottom);
    if (left >= right || top >= bottom) continue;
    parts.push_back({static_cast<int>(left), static_cast<int>(top), static_cast<int>(right), static_cast<int>(bottom)});
    ys.push_back(top);
    ys.push_back(bottom);
  }
  if (parts.empty()) return false;
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  std::vector<std::vector<Span>> bands(ys.size() - 1);
  for (const PixelRect& r : parts) {
    const size_t first = static_cast<size_t>(std::lower_bound(ys.begin(), ys.end(), r.top) - ys.begin());
    for (size_t b = first; ys[b] < r.bottom; ++b) bands[b].emplace_back(r.left, r.right);
  }
  for (std::vector<Span>& band : bands) {
    std::sort(band.begin(), band.end());
    std::vector<Span> joined;
    for (const Span& s : band) {
      if (!joined.empty() && s.first <= joined.back().second) {
        joined.back().second = std::max(joined.back().second, s.second);
      } else {
        joined.push_back(s);
      }
    }
    band.swap(joined);
  }
  // From each band down, the spans every band covers until the rows reach
  // needY; a span of needX or more among them is the block.
  for (size_t first = 0; first < bands.size(); ++first) {
    std::vector<Span> common = bands[first];
    size_t next = first + 1;
    while (!common.empty() && ys[next] - ys[first] < needY && next < bands.size()) {
      common = Common(common, bands[next++]);
    }
    if (ys[next] - ys[first] < needY) continue;
    for (const Span& s : common) {
      if (s.second - s.first >= needX) return true;
    }
  }
  return false;
}

WindowPlace ReachablePlace(WindowPlace at, int width, int height, const std::vector<PixelRect>& outline,
                           const std::vector<WorkArea>& works, int usable) {
  if (outline.empty()) return ReachablePlace(at, width, height, works, usable);
  const int needX = std::min(usable, width), needY = std::min(usable, height);
  for (const WorkArea& w : works) {
    if (OutlineBlockOn(at, outline, w, needX, needY)) return at;
  }
  // Out of reach: whole onto the nearest work area, where every part of the
  // outline shows.
  return ReachablePlace(at, width, height, works, std::max(width, height));
}

}  // namespace ocural
