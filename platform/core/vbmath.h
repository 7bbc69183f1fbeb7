// Numeric helpers shared by the whole program: rounding to the nearest whole
// number with halves going to the even neighbour, and clamping to a width.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace ocural {

// Nearest as a double without range clamping, for callers that check a range.
inline double RoundHalfEven(double value) {
  if (std::isnan(value) || std::isinf(value)) return value;
  const double f = std::floor(value);
  const double diff = value - f;
  if (diff < 0.5) return f;
  if (diff > 0.5) return f + 1.0;
  return (std::fmod(f, 2.0) == 0.0) ? f : f + 1.0;
}

// Nearest whole number, halves to the even neighbour (92.5 -> 92, 99.5 -> 100).
// NaN gives 0; values beyond the 32-bit range are clamped to it.
inline int32_t NearestInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(RoundHalfEven(value));
}

}  // namespace ocural
