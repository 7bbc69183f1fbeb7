// Which part of the screen a snapshot copies, and where the window stands
// meanwhile. Pure geometry, apart from Win32.
#pragma once

#include <cstdint>

#include "magnifier/core/lens_math.h"

namespace ocural {

// A snapshot the window was moved away from by someone else is taken again,
// at most this many times in all.
constexpr int kSnapshotRounds = 3;

// The part of the screen a snapshot copies: the lens's own rectangle, one
// pixel wider on each side (the source rectangle at factor 1 can reach one
// pixel past the lens after rounding), together with the window's rectangle
// (whose pixels tell whether the place it left shows the screen yet), cut to
// the virtual screen (every monitor). Width 0 when nothing of it is on a
// monitor. Rectangles are left, top, right, bottom in screen pixels.
struct ScreenRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};
SourceRect SnapshotArea(const ScreenRect& window, const ScreenRect& lens, const ScreenRect& virtualScreen);

// Where the window's top goes while the snapshot is taken: wholly above the
// topmost monitor, so that no monitor shows it.
inline int32_t TopAboveScreens(int32_t virtualTop, int32_t windowHeight) { return virtualTop - windowHeight; }

}  // namespace ocural
