// A screen pattern whose every pixel says where it is: red and green carry the
// low bytes of x and y, blue the high bits, a phase bit and a signature. The
// magnifier's own colours (white, light green, black) never decode.
#pragma once

#include <cstdint>
#include <optional>

namespace ocural::testing {

struct PatternPoint {
  int x;
  int y;
  int phase;
};

// Colour as 0x00BBGGRR.
inline uint32_t PatternColour(int x, int y, int phase) {
  const uint32_t r = static_cast<uint32_t>(x) & 0xFF;
  const uint32_t g = static_cast<uint32_t>(y) & 0xFF;
  const uint32_t b = ((static_cast<uint32_t>(x) >> 8) & 3) | (((static_cast<uint32_t>(y) >> 8) & 3) << 2) |
                     ((static_cast<uint32_t>(phase) & 1) << 4) | 0x20;
  return r | (g << 8) | (b << 16);
}

inline std::optional<PatternPoint> DecodePattern(uint32_t colour) {
  const uint32_t r = colour & 0xFF;
  const uint32_t g = (colour >> 8) & 0xFF;
  const uint32_t b = (colour >> 16) & 0xFF;
  if ((b & 0xE0) != 0x20) return std::nullopt;
  PatternPoint p;
  p.x = static_cast<int>(r | ((b & 3) << 8));
  p.y = static_cast<int>(g | (((b >> 2) & 3) << 8));
  p.phase = static_cast<int>((b >> 4) & 1);
  return p;
}

}  // namespace ocural::testing
