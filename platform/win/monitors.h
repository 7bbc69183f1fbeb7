// The monitors' work areas, and whether a window can be reached by the user
// where it stands: a window without a title bar or a taskbar button that
// lies off every monitor is lost to anyone without the keyboard.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/core/placement.h"

namespace ocural::win {

// The work area of every monitor, in virtual-screen pixels.
std::vector<WorkArea> WorkAreas();

// The window's outline: its region's rectangles in window pixels, or nothing
// for a window without a region (its whole rectangle shows).
std::vector<PixelRect> OutlineOf(HWND window);

// Where `window` can be reached with its top-left corner at `at`: `at` while
// 32 x 32 pixels of its outline lie on a work area, else the nearest place
// whole on one (ReachablePlace).
POINT ReachablePlaceOf(HWND window, POINT at) noexcept;

}  // namespace ocural::win
