// Checks a magnified image of the pattern against the source rectangle it
// must show: every pixel decodes to a point inside that rectangle, columns
// and rows map in order, every source column and row appears, and each
// source pixel is repeated a near-equal number of times.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/common/pattern.h"

namespace ocural::testing {

struct ExpectedSource {
  int x, y, width, height;
  bool Contains(int px, int py) const { return px >= x && px < x + width && py >= y && py < y + height; }
};

// pixel(i, j) gives the colour (0x00BBGGRR) of lens pixel (i, j).
// isBackground(colour) tells a cleared-background pixel, allowed only where
// the source leaves the image: then `visible` is the part that exists.
inline std::string CheckMagnified(const std::function<uint32_t(int, int)>& pixel, int lensW, int lensH,
                                  const ExpectedSource& src, int phase,
                                  const std::optional<ExpectedSource>& visible = std::nullopt,
                                  uint32_t background = 0xFFFFFF) {
  std::ostringstream err;
  const ExpectedSource in = visible ? *visible : src;
  // No pixel seen yet: not -1, which a monitor left of or above the primary has.
  constexpr int kNone = std::numeric_limits<int>::min();
  std::vector<int> colX(lensW, kNone), rowY(lensH, kNone);
  for (int j = 0; j < lensH; ++j) {
    for (int i = 0; i < lensW; ++i) {
      const uint32_t c = pixel(i, j);
      auto p = DecodePattern(c);
      if (p) {
        // The pattern says where it is modulo 1024: on a larger screen, the
        // place meant is the one within 1024 pixels from the source's start.
        p->x = in.x + ((p->x - in.x) % 1024 + 1024) % 1024;
        p->y = in.y + ((p->y - in.y) % 1024 + 1024) % 1024;
      }
      if (!p) {
        if (visible && c == background) continue;
        err << "lens pixel (" << i << "," << j << ") colour " << std::hex << c << std::dec
            << " is not a pattern pixel";
        return err.str();
      }
      if (p->phase != phase) {
        err << "lens pixel (" << i << "," << j << ") shows phase " << p->phase << ", want " << phase;
        return err.str();
      }
      if (p->x < in.x || p->x >= in.x + in.width || p->y < in.y || p->y >= in.y + in.height) {
        err << "lens pixel (" << i << "," << j << ") shows (" << p->x << "," << p->y << "), outside "
            << in.x << "," << in.y << " " << in.width << "x" << in.height;
        return err.str();
      }
      if (colX[i] == kNone) colX[i] = p->x;
      if (rowY[j] == kNone) rowY[j] = p->y;
      if (colX[i] != p->x || rowY[j] != p->y) {
        err << "lens pixel (" << i << "," << j << ") shows (" << p->x << "," << p->y
            << ") but its column shows x " << colX[i] << " and its row y " << rowY[j];
        return err.str();
      }
    }
  }
  // In order, without gaps, evenly repeated.
  auto checkAxis = [&](const std::vector<int>& v, int first, int count, const char* axis) -> std::string {
    std::vector<int> runs;
    int prev = kNone;
    for (size_t k = 0; k < v.size(); ++k) {
      if (v[k] == kNone) continue;
      if (prev == kNone) {
        if (v[k] != first && !visible) {
          std::ostringstream e;
          e << axis << ": lens " << k << " shows " << v[k] << ", want the first source pixel " << first;
          return e.str();
        }
        runs.push_back(1);
      } else if (v[k] == prev) {
        ++runs.back();
      } else if (v[k] == prev + 1) {
        runs.push_back(1);
      } else {
        std::ostringstream e;
        e << axis << ": lens " << k << " shows " << v[k] << " after " << prev << " (out of order or a gap)";
        return e.str();
      }
      prev = v[k];
    }
    if (static_cast<int>(runs.size()) != count) {
      std::ostringstream e;
      e << axis << ": " << runs.size() << " source pixels shown, want " << count;
      return e.str();
    }
    int lo = 1 << 30, hi = 0;
    for (size_t k = visible ? 1 : 0; k + (visible ? 1 : 0) < runs.size(); ++k) {
      lo = std::min(lo, runs[k]);
      hi = std::max(hi, runs[k]);
    }
    if (runs.size() > 2 && hi - lo > 1) {
      std::ostringstream e;
      e << axis << ": uneven enlargement, runs from " << lo << " to " << hi;
      return e.str();
    }
    return {};
  };
  std::string a = checkAxis(colX, in.x, in.width, "x");
  if (!a.empty()) return a;
  return checkAxis(rowY, in.y, in.height, "y");
}

}  // namespace ocural::testing
