// The outline of a skinned window from its picture rows. The runs must cover
// exactly the pixels that are not the transparent key, one maximal run per
// stretch, in order; the region data must hold those runs and their bounds.
//
// Input: an uncompressed 24- or 32-bit BMP (the bundled skin bodies are
// seeds), or a small picture made from the bytes: width, height, which
// transparent colour, then one byte a pixel choosing from four colours.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "skin/core/picture_header.h"
#include "skin/core/region_runs.h"
#include "tests/fuzz/fuzz_support.h"

using namespace ocural;

namespace {

uint32_t LE32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24);
}

struct Picture {
  int width = 0, height = 0;
  std::vector<uint32_t> bottomUp;  // 0x00RRGGBB, row 0 = bottom row
  int32_t transparent = UseTopLeftColor;
};

bool FromBmp(const uint8_t* d, size_t size, Picture& p) {
  const std::optional<PictureHeader> h = InspectPicture(d, size);
  if (!h || h->format != PictureFormat::Bmp || LE32(d + 14) < 40) return false;
  const uint32_t bits = d[28] | (d[29] << 8);
  if (LE32(d + 30) != 0 || (bits != 24 && bits != 32)) return false;
  const bool topDown = static_cast<int32_t>(LE32(d + 22)) < 0;
  p.width = h->width;
  p.height = h->height;
  const size_t stride = (size_t(p.width) * bits + 31) / 32 * 4;
  const uint8_t* pixels = d + LE32(d + 10);
  p.bottomUp.resize(size_t(p.width) * size_t(p.height));
  for (int y = 0; y < p.height; ++y) {
    const uint8_t* row = pixels + stride * size_t(topDown ? p.height - 1 - y : y);
    for (int x = 0; x < p.width; ++x) {
      const uint8_t* px = row + size_t(x) * (bits / 8);
      p.bottomUp[size_t(y) * size_t(p.width) + size_t(x)] = px[0] | (px[1] << 8) | (px[2] << 16);
    }
  }
  return true;
}

void FromBytes(const uint8_t* d, size_t size, Picture& p) {
  static const uint32_t kColours[4] = {0xFF00FF, 0x000000, 0xFFFFFF, 0x123456};
  p.width = size > 0 ? 1 + d[0] % 48 : 1;
  p.height = size > 1 ? 1 + d[1] % 48 : 1;
  const uint8_t which = size > 2 ? d[2] : 0;
  switch (which % 6) {
    case 0: case 1: case 2: case 3: p.transparent = int32_t(kColours[which % 6]); break;
    case 4: p.transparent = UseTopLeftColor + (which >> 3) * 0x10000; break;  // any value above 0xFFFFFF
    default: p.transparent = -1 - which; break;  // matches no pixel
  }
  p.bottomUp.resize(size_t(p.width) * size_t(p.height));
  for (size_t i = 0; i < p.bottomUp.size(); ++i) {
    p.bottomUp[i] = 3 + i < size ? kColours[d[3 + i] & 3] : kColours[0];
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Picture p;
  if (!FromBmp(data, size, p)) FromBytes(data, size, p);
  const int w = p.width, h = p.height;
  auto topDown = [&](int x, int y) { return p.bottomUp[size_t(h - 1 - y) * size_t(w) + size_t(x)]; };

  const uint32_t key = TransparentKey(p.bottomUp.data(), w, h, p.transparent);
  FUZZ_CHECK(key == (p.transparent > 0xFFFFFF ? topDown(0, 0) : uint32_t(p.transparent)));

  const std::vector<RunRect> runs = OpaqueRuns(p.bottomUp.data(), w, h, p.transparent);
  FUZZ_CHECK(OpaqueRuns(nullptr, w, h, p.transparent).empty());
  FUZZ_CHECK(OpaqueRuns(p.bottomUp.data(), 0, h, p.transparent).empty());

  // Each run is one row high, inside the picture, after the one before it and
  // not touching it; together they cover exactly the pixels that differ
  // from the key.
  std::vector<uint8_t> covered(size_t(w) * size_t(h), 0);
  for (size_t i = 0; i < runs.size(); ++i) {
    const RunRect& r = runs[i];
    FUZZ_CHECK(r.top >= 0 && r.top < h && r.bottom == r.top + 1);
    FUZZ_CHECK(r.left >= 0 && r.left < r.right && r.right <= w);
    if (i > 0) {
      const RunRect& q = runs[i - 1];
      FUZZ_CHECK(q.top < r.top || (q.top == r.top && q.right < r.left));
    }
    for (int x = r.left; x < r.right; ++x) covered[size_t(r.top) * size_t(w) + size_t(x)] = 1;
  }
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      FUZZ_CHECK(covered[size_t(y) * size_t(w) + size_t(x)] == (topDown(x, y) != key ? 1 : 0));
    }
  }

  // The region data: header, then the runs as they are.
  const std::vector<uint8_t> rgn = BuildRegionData(runs);
  FUZZ_CHECK(rgn.size() == kRegionHeaderSize + runs.size() * kRegionRectSize);
  FUZZ_CHECK(LE32(&rgn[0]) == 32 && LE32(&rgn[4]) == 1 && LE32(&rgn[8]) == runs.size() &&
             LE32(&rgn[12]) == runs.size() * 16);
  RunRect bound;
  for (size_t i = 0; i < runs.size(); ++i) {
    const uint8_t* at = &rgn[kRegionHeaderSize + i * kRegionRectSize];
    const RunRect got{int32_t(LE32(at)), int32_t(LE32(at + 4)), int32_t(LE32(at + 8)),
                      int32_t(LE32(at + 12))};
    FUZZ_CHECK(got == runs[i]);
    bound = i == 0 ? runs[i]
                   : RunRect{std::min(bound.left, got.left), std::min(bound.top, got.top),
                             std::max(bound.right, got.right), std::max(bound.bottom, got.bottom)};
  }
  const RunRect stated{int32_t(LE32(&rgn[16])), int32_t(LE32(&rgn[20])), int32_t(LE32(&rgn[24])),
                       int32_t(LE32(&rgn[28]))};
  FUZZ_CHECK(stated == bound);
  return 0;
}
