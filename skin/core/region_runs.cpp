#include "skin/core/region_runs.h"

#include <algorithm>
#include <new>

namespace ocural {

uint32_t TransparentKey(const uint32_t* bottomUpPixels, int width, int height,
                        int32_t transparentColour) {
  if (transparentColour > 0xFFFFFF) {
    if (!bottomUpPixels || width < 1 || height < 1) return 0;
    // The top row of the picture is the last row of the buffer.
    return bottomUpPixels[static_cast<size_t>(height - 1) * static_cast<size_t>(width)];
  }
  return static_cast<uint32_t>(transparentColour);
}

ClearMask ClearMaskOf(const uint32_t* topDownArgb, int width, int height) {
  ClearMask mask;
  if (!topDownArgb || width < 1 || height < 1) return mask;
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  size_t clear = 0;
  for (size_t i = 0; i < count; ++i) clear += (topDownArgb[i] >> 24) == 0;
  if (clear == 0 || clear == count) return mask;
  mask.width = width;
  mask.height = height;
  mask.clear.resize(count);
  for (size_t i = 0; i < count; ++i) mask.clear[i] = (topDownArgb[i] >> 24) == 0;
  return mask;
}

std::vector<RunRect> OpaqueRuns(const uint32_t* bottomUpPixels, int width, int height,
                                int32_t transparentColour, const ClearMask& clear) {
  std::vector<RunRect> runs;
  if (!bottomUpPixels || width < 1 || height < 1) return runs;
  const uint32_t key = TransparentKey(bottomUpPixels, width, height, transparentColour);
  const bool keyCuts = !(transparentColour > 0xFFFFFF && clear.At(0, 0));
  const size_t w = static_cast<size_t>(width);
  for (int y = 0; y < height; ++y) {
    const uint32_t* row = bottomUpPixels + static_cast<size_t>(height - 1 - y) * w;
    auto outside = [&](int x) { return (keyCuts && row[x] == key) || clear.At(x, y); };
    int x = 0;
    while (x < width) {
      while (x < width && outside(x)) ++x;
      if (x == width) break;
      const int start = x;
      while (x < width && !outside(x)) ++x;
      runs.push_back(RunRect{start, y, x, y + 1});
    }
  }
  return runs;
}

namespace {

void PutLE32(uint8_t* out, uint32_t v) {
  out[0] = static_cast<uint8_t>(v);
  out[1] = static_cast<uint8_t>(v >> 8);
  out[2] = static_cast<uint8_t>(v >> 16);
  out[3] = static_cast<uint8_t>(v >> 24);
}

void PutRect(uint8_t* out, const RunRect& r) {
  PutLE32(out, static_cast<uint32_t>(r.left));
  PutLE32(out + 4, static_cast<uint32_t>(r.top));
  PutLE32(out + 8, static_cast<uint32_t>(r.right));
  PutLE32(out + 12, static_cast<uint32_t>(r.bottom));
}

}  // namespace

std::vector<uint8_t> BuildRegionData(const RunRect* rects, size_t count) {
  if (!rects) count = 0;
  if (count > kMaxRegionRects) throw std::bad_alloc();
  std::vector<uint8_t> data(kRegionHeaderSize + count * kRegionRectSize);
  RunRect bound;
  for (size_t i = 0; i < count; ++i) {
    const RunRect& r = rects[i];
    if (i == 0) {
      bound = r;
    } else {
      bound.left = std::min(bound.left, r.left);
      bound.top = std::min(bound.top, r.top);
      bound.right = std::max(bound.right, r.right);
      bound.bottom = std::max(bound.bottom, r.bottom);
    }
    PutRect(data.data() + kRegionHeaderSize + i * kRegionRectSize, r);
  }
  PutLE32(data.data(), static_cast<uint32_t>(kRegionHeaderSize));  // dwSize
  PutLE32(data.data() + 4, 1);                                     // iType: RDH_RECTANGLES
  PutLE32(data.data() + 8, static_cast<uint32_t>(count));          // nCount
  PutLE32(data.data() + 12, static_cast<uint32_t>(count * kRegionRectSize));  // nRgnSize
  PutRect(data.data() + 16, bound);                                // rcBound
  return data;
}

}  // namespace ocural
